#pragma once

#include "core/crawl/CrawlHost.h"
#include "core/crawl/SavedPictures.h"
#include "core/platform/EarlyFlush.h"
#include "core/platform/FileIo.h"
#include "core/platform/ProgramFolder.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class Transfer;

// One download run: walks the site from its front page through the chosen number of listing
// pages, saves each page's picture into "downloads" and has the album written at the end. It runs
// synchronously inside Down_Click; the engine's Down runs nested events while it waits, so a
// second Down_Click (the stop button), a socket error or the window closing arrive during a
// transfer and are noticed when Down returns.
class CrawlDriver : public QObject {
    Q_OBJECT
public:
    // The most pages a run can walk; the lists hold one slot more (slot 0 stays empty).
    static constexpr int MaxPages = 3000;

    // Writes the album for `count` complete pages from slots 1..count; says why the album page
    // could not be written.
    using AlbumFunction = std::function<FileIo::Error(const ProgramFolder& folder, int count,
                                                      const QList<QByteArray>& pagePaths,
                                                      const QList<QByteArray>& imageNames)>;

    CrawlDriver(Transfer& transfer, CrawlHost& host, ProgramFolder folder,
                QObject* parent = nullptr);
    ~CrawlDriver() override;

    // The album writer called at the end of every run (the program's own by default).
    void setAlbumWriter(AlbumFunction writer);
    // How saved files are made durable (the system's own flush by default).
    void setFlushFunction(EarlyFlush::FlushFunction flush);

    bool Running() const { return m_running; }
    qint16 PageCount() const { return m_pageCount; }
    // The window restores the count from its settings; a run takes it from `VL`.
    void setPageCount(qint16 count) { m_pageCount = count; }
    qint16 PageIndex() const { return m_pageIndex; }
    const QList<QByteArray>& PagePaths() const { return m_pagePaths; }
    const QList<QByteArray>& ImageNames() const { return m_imageNames; }
    // True once the failure exit ran: the program is ending and no run starts again.
    bool failed() const { return m_failed; }
    // What the last run could not save: pictures, and the album page.
    int unsavedPictures() const { return m_unsaved; }
    bool albumUnsaved() const { return bool(m_albumError); }

    const ProgramFolder& folder() const { return m_folder; }

    // The status a run ends with when every page was complete: done, or how many pictures (and
    // whether the album) could not be saved, with the reason of the first failure.
    static QString endOfRunText(int unsavedPictures, bool albumUnsaved, const QString& why);

public Q_SLOTS:
    // The button `Down`: starts a run when none is active (and returns when it has ended),
    // switches the active run off otherwise.
    void Down_Click();
    // The engine's socket error: switches an active run off; never starts one.
    void socketError();
    // The window is closing: an active run ends like a click on the stop button and no run starts
    // afterwards. The host calls this before the engine gives up its wait.
    void windowClosing();

private:
    void startRun();
    void switchOff();
    // Whether the pages a run walked looked as expected.
    enum class Pages { AsExpected, Unexpected };

    void run(const CrawlHost::RunSettings& settings);
    [[nodiscard]] Pages walkPages(QByteArray pagePath);
    void savePicture(int index, const QByteArray& picturePath, const QByteArray& data);
    void endOfRun();
    FileIo::Error savePictureFile(const QString& target, const QByteArray& data, bool& kept);
    void noteSaved(const QString& file);
    void noteUnsaved(const QString& why);
    void writeAlbum(int count);
    void failureExit();

    Transfer& m_transfer;
    CrawlHost& m_host;
    const ProgramFolder m_folder;
    AlbumFunction m_albumWriter;

    qint16 m_pageCount = 10;
    qint16 m_pageIndex = 0;
    bool m_running = false;
    bool m_inRun = false; // a run is on the stack, maybe already switched off
    bool m_closing = false;
    bool m_failed = false;
    QList<QByteArray> m_pagePaths;
    QList<QByteArray> m_imageNames;
    int m_unsaved = 0;
    QString m_unsavedWhy;
    FileIo::Error m_albumError;
    SavedPictures m_pictures;
    QStringList m_savedFiles;     // this run's, to flush at its end
    qsizetype m_earlyFlushed = 0; // how many of them an early flush has taken
    EarlyFlush m_flush;
};
