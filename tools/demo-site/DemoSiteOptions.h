#pragma once

#include <QByteArray>
#include <QMap>

// How the demo site is generated and how it paces its replies.
struct DemoSiteOptions {
    // Bytes of page text after the stop markers, which a correct client never waits for.
    int tailBytes = 160 * 1024;
    // The tail goes out in chunks with a pause between them, as over a real line.
    int tailChunkBytes = 8 * 1024;
    int tailPauseMs = 1;
    // A dripping reply: this many bytes, then this pause, until the reply is out.
    int dripBytes = 64;
    int dripPauseMs = 10;
    // File names replacing the generated ones, by the number of the listing page in a run (1 is
    // the page the front page links to). Bytes as the site sends them; no "/" and no "'".
    QMap<int, QByteArray> pictureNames;
};
