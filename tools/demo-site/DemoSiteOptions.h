#pragma once

#include <QByteArray>
#include <QMap>

// How the demo site is generated and how it paces its replies.
struct DemoSiteOptions {
    // Bytes of page text after the stop markers, which a correct client never waits for.
    int tailBytes = 160 * 1024;
    // Bytes of news and links before the part of a page a crawler reads, beyond what every page
    // has there.
    int leadBytes = 0;
    // Pictures as large as the site's photos, about 5 to 60 KB each, instead of small drawings.
    bool photoPictures = false;
    // The tail goes out in chunks with a pause between them, as over a real line.
    int tailChunkBytes = 8 * 1024;
    int tailPauseMs = 1;
    // A dripping reply: this many bytes, then this pause, until the reply is out.
    int dripBytes = 64;
    int dripPauseMs = 10;
    // File names replacing the generated ones, by the number of the listing page in a run (1 is
    // the page the front page links to). Bytes as the site sends them; no "/" and no "'".
    QMap<int, QByteArray> pictureNames;

    // The site as it is: pages of about 68 KB whose stop marker lies about 40 % into the page,
    // photos of 5 to 60 KB.
    static DemoSiteOptions realShape()
    {
        DemoSiteOptions options;
        options.leadBytes = RealLeadBytes;
        options.tailBytes = RealTailBytes;
        options.photoPictures = true;
        return options;
    }

    static constexpr int RealLeadBytes = 25 * 1024;
    static constexpr int RealTailBytes = 39 * 1024;
};
