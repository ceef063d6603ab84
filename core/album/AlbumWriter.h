#pragma once

#include "core/platform/FileIo.h"

#include <QByteArray>
#include <QList>
#include <optional>

class ProgramFolder;

// Writes the album of a run: "downloads/index.htm" with one row per complete page, and the three
// decoration images copied from "data" beside it.
class AlbumWriter {
public:
    // Slots 1..count of both lists (slot 0 is unused); a slot without a picture name has no row.
    // The new page replaces the old one in one step: a failed write leaves the old album whole,
    // and says why; lists without slot `count` write nothing. Then the decoration images are
    // copied; the first that fails ends the copying (a missing image costs the page its look, not
    // its pictures).
    static FileIo::Error write(const ProgramFolder& folder, int count,
                               const QList<QByteArray>& pagePaths,
                               const QList<QByteArray>& imageNames);

    // The page's bytes; nothing when a list has no slot `count`.
    static std::optional<QByteArray> page(int count, const QList<QByteArray>& pagePaths,
                                          const QList<QByteArray>& imageNames);

    // Names and paths come from the site: these bytes would end the attribute, open a tag or
    // start an entity.
    static QByteArray escaped(QByteArrayView fromSite);
    // A picture's name as the relative address of the saved file: what would end the path or
    // start an escape in an address, what a browser would drop or change (blanks at either end,
    // tabs and line breaks, a backslash) and a colon that would make the name a scheme are
    // percent-encoded, every other byte stays as the site sent it; then escaped for the
    // attribute.
    static QByteArray pictureAddress(QByteArrayView name);
    // A listing page's address on the site: the site's path as it was fetched, but for what a
    // browser would drop or change; then escaped for the attribute.
    static QByteArray pageAddress(QByteArrayView sitePath);

    // Copied in this order; the first that fails ends the album.
    static constexpr const char* DecorationImages[] = {"bg.gif", "bghead.gif", "head.gif"};
};
