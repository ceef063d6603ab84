#pragma once

#include <QString>
#include <QtGlobal>

// What a download run needs of the window it runs in. The Main window implements it with its
// controls; the headless front end without any window.
class CrawlHost {
public:
    // Running: a run has started (the window saves its settings, the download button turns into
    // the stop button, the cache button and the page count are off). SwitchedOff: the stop button
    // or a socket error ended the run, which still waits for its last transfer (the buttons are
    // back, the page count's arrows still off). Idle: the run is over (everything is back, the
    // album button is on once an album exists, the focus is on the download button).
    enum class RunState { Idle, Running, SwitchedOff };

    // What a run starts with.
    struct RunSettings {
        QString pageCount; // the caption of `VL`: the page count as decimal digits
        bool proxyOn = false;
        QString proxyName;
        QString proxyPort;
        qint16 cacheLimit = 300; // `CasheSizeSetting`
    };

    virtual ~CrawlHost() = default;

    virtual RunSettings runSettings() const = 0;
    virtual void setRunState(RunState state) = 0;
    // The status label `stat`.
    virtual void setStat(const QString& text) = 0;
    // The preview `RImage` shows the picture file at this full path.
    virtual void setPreviewPicture(const QString& path) = 0;
    // The traffic label `TR`: bytes sent and received over the network so far.
    virtual void setTraffic(qint64 count) = 0;
    // A page did not look as expected: the message box (OK, error icon), the settings saved, the
    // program ended. Returns once the message is answered; the driver touches nothing afterwards.
    virtual void failureExit(const QString& text, const QString& title) = 0;
};
