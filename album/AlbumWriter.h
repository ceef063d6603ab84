#pragma once

#include <QByteArray>
#include <QList>

class ProgramFolder;

// Writes the album of a run: "downloads/index.htm" with one row per complete page, and the three
// decoration images copied from "data" beside it.
class AlbumWriter {
public:
    // Slots 1..count of both lists (slot 0 is unused). Throws OperationError at the first step that
    // fails; the steps before it stay done.
    // The new page replaces the old one in one step: a failed write leaves the old album whole.
    static void write(const ProgramFolder& folder, int count, const QList<QByteArray>& pagePaths,
                      const QList<QByteArray>& imageNames);

    // The page's bytes. Throws OperationError when a list has no slot `count`.
    static QByteArray page(int count, const QList<QByteArray>& pagePaths,
                           const QList<QByteArray>& imageNames);

    // Names and paths come from the site: these bytes would end the attribute or open a tag.
    static QByteArray escaped(const QByteArray& fromSite);

    // Copied in this order; the first that fails ends the album.
    static constexpr const char* DecorationImages[] = {"bg.gif", "bghead.gif", "head.gif"};
};
