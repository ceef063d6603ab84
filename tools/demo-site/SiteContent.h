#pragma once

#include "DemoSiteOptions.h"
#include "PictureMaker.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QSize>

// The generated site: a front page, a long chain of listing pages in KOI8-R and one picture per
// listing page. Positions count along the chain as a run walks it: position 1 is the page the
// front page links to, position i + 1 the page that position i links to as its next page.
// Everything is a pure function of the position and the options. Thread-safe.
class SiteContent {
public:
    // Listing pages in the chain; after the last one the chain starts over at position 1.
    static constexpr int ChainLength = 9973;

    struct Picture {
        QByteArray path; // "/image/..." as the page links it
        QByteArray name; // the last segment of the path
        PictureMaker::Format format;
        QSize size;
    };

    explicit SiteContent(DemoSiteOptions options = {});

    const DemoSiteOptions& options() const { return m_options; }

    // "/photo/page<number>.html" of the page at a position (1 to ChainLength).
    QByteArray listingPath(int position) const;
    // The position a listing path names, or 0.
    int positionOfListingPath(QByteArrayView path) const;

    Picture picture(int position) const;
    // The position whose picture a path names, or 0.
    int positionOfPicturePath(QByteArrayView path) const;
    QByteArray pictureBytes(int position) const;

    // Whole bodies. `withMarker` false leaves out the marker a crawler looks for: the front-page
    // marker or the picture-block marker.
    QByteArray frontPage(bool withMarker = true) const;
    QByteArray listingPage(int position, bool withMarker = true) const;

    static QByteArray frontPageStop() { return "photo/random.html"; }
    static QByteArray listingPageStop() { return "&raquo;&raquo;"; }

private:
    int pageNumber(int position) const;
    QByteArray header(QByteArrayView title) const;
    QByteArray menu() const;
    QByteArray sidebar(int seed) const;
    QByteArray comments(int seed) const;
    QByteArray footer() const;

    DemoSiteOptions m_options;
    QList<int> m_numbers;        // position - 1 -> page number
    QHash<int, int> m_positions; // page number -> position
    QByteArray m_archive;        // the shared bulk of every tail
    QByteArray m_lead;           // the shared news before the part a crawler reads

    mutable QMutex m_cacheLock;
    mutable QHash<int, QByteArray> m_pictureCache;
};
