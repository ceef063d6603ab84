#pragma once

#include "core/crawl/CrawlDriver.h"
#include "core/crawl/CrawlHost.h"
#include "core/net/Download_Control.h"
#include "core/platform/FileIo.h"
#include "core/platform/FolderLock.h"
#include "core/platform/ProgramFolder.h"

#include <QByteArray>
#include <QList>
#include <QObject>

// One place that assembles a download run: the engine (with its response cache in the program
// folder) and the crawl driver, wired to each other and to the window they run in. The window with
// controls and the headless run both use it and wire nothing of the run themselves.
//
// One run at a time writes in a program folder: a run holds the folder's lock from its start to
// its end, and a run that finds it held by another (a second window, zolvane-fetch) says so and
// starts nothing. Leftovers of saves killed in earlier runs go when a run starts.
class DownloadSession : public QObject {
    Q_OBJECT
public:
    // The most pages a run can walk.
    static constexpr int MaxPages = CrawlDriver::MaxPages;

    DownloadSession(CrawlHost& host, const ProgramFolder& folder, QObject* parent = nullptr);
    ~DownloadSession() override;

    // For the engine's status panel, the cache dialog and the traffic count.
    Download_Control& engine() { return m_engine; }
    const Download_Control& engine() const { return m_engine; }

    bool Running() const { return m_driver.Running(); }
    qint16 PageCount() const { return m_driver.PageCount(); }
    // The window restores the count from its settings; a run takes it from `VL`.
    void setPageCount(qint16 count) { m_driver.setPageCount(count); }
    qint16 PageIndex() const { return m_driver.PageIndex(); }
    const QList<QByteArray>& PagePaths() const { return m_driver.PagePaths(); }
    // What the last run could not save: pictures, and the album page.
    int unsavedPictures() const { return m_driver.unsavedPictures(); }
    bool albumUnsaved() const { return m_driver.albumUnsaved(); }
    // The last click found another run in the program folder and started nothing.
    bool folderWasBusy() const { return m_folderWasBusy; }

    // Empties the cache, unless another run in the program folder uses it: that fails with
    // FileIo::Reason::Busy and deletes nothing.
    FileIo::Error ClearCashe();

    // What the status line says when another run holds the program folder.
    static const QString StatFolderBusy;

public Q_SLOTS:
    // The button `Down`: starts a run when none is active (and returns when it has ended),
    // switches the active run off otherwise.
    void Down_Click();
    // The window is closing: an active run ends like a click on the stop button, the engine's
    // wait gives up, and no run starts afterwards.
    void windowClosing();

Q_SIGNALS:
    // A socket error is about to switch the active run off; the engine's status tells which.
    void socketErrorEndsRun();

private:
    void showStatus(const TransferStatus& status);
    void socketError();
    void startRun();
    // Takes the folder's lock for this process; false while another run holds it.
    bool lockFolder(FolderLock& lock) const;

    CrawlHost& m_host;
    const ProgramFolder m_folder;
    Download_Control m_engine;
    CrawlDriver m_driver;
    FolderLock m_runLock;
    bool m_folderWasBusy = false;
    bool m_closing = false;
};
