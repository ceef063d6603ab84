#pragma once

#include <QString>

// What a download run needs of the window it runs in: the controls it reads and writes around a
// run, the settings save, the failure message and the end of the program. The Main window
// implements it; the headless front end implements it without any window.
class CrawlHost {
public:
    virtual ~CrawlHost() = default;

    // The status label `stat`.
    virtual void setStat(const QString& text) = 0;
    // The preview `RImage` shows the picture file at this full path.
    virtual void setPreviewPicture(const QString& path) = 0;

    // The caption of `VL`: the page count as decimal digits.
    virtual QString pageCountText() const = 0;
    // The window's unload handler without unloading the window: writes the settings, among them
    // the driver's PageCount() as "DownloadImages".
    virtual void saveSettings() = 0;

    // `ProxyOn` and the texts of `ProxyA` and `ProxyP`.
    virtual bool proxyOn() const = 0;
    virtual QString proxyName() const = 0;
    virtual QString proxyPort() const = 0;
    // `CasheSizeSetting`: the cache limit in entries.
    virtual qint16 casheSizeSetting() const = 0;

    // The caption of `Down` and the enabled state of `cashe`, `VL`, `VS` and `OpenAlboom`.
    virtual void setDownCaption(const QString& caption) = 0;
    virtual void setCasheEnabled(bool enabled) = 0;
    virtual void setVLEnabled(bool enabled) = 0;
    virtual void setVSEnabled(bool enabled) = 0;
    virtual void setOpenAlboomEnabled(bool enabled) = 0;
    // Moves the keyboard focus to `Down`.
    virtual void focusDown() = 0;

    // A modal message box with one OK button and the error icon; returns when it is answered.
    virtual void showFailureMessage(const QString& text, const QString& title) = 0;
    // Ends the program as soon as the driver has returned; nothing of the run is touched again.
    virtual void endProgram() = 0;
};
