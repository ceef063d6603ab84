#pragma once

#include "app/crawl/CrawlHost.h"
#include "app/fetch/FetchOptions.h"

#include <QTextStream>

class CrawlDriver;

// The crawl driver's window when there is none: status texts and progress go to standard output,
// the controls are only remembered, and the failure message is printed instead of shown.
class FetchHost : public CrawlHost {
public:
    explicit FetchHost(const FetchOptions& options);

    void attach(const CrawlDriver& driver) { m_driver = &driver; }
    // The traffic line, shown with each progress line.
    void setTrafficText(const QString& text) { m_traffic = text; }
    bool failureShown() const { return m_failure; }
    // The last status text, for the quiet mode's closing line.
    QString lastStat() const { return m_lastStat; }

    void setStat(const QString& text) override;
    void setPreviewPicture(const QString& path) override;
    QString pageCountText() const override;
    // options.ini belongs to the program with a window; it is left alone.
    void saveSettings() override {}
    bool proxyOn() const override { return m_options.proxyOn; }
    QString proxyName() const override { return m_options.proxyName; }
    QString proxyPort() const override { return m_options.proxyPort; }
    qint16 casheSizeSetting() const override { return qint16(m_options.cacheLimit); }
    void setDownCaption(const QString&) override {}
    void setCasheEnabled(bool) override {}
    void setVLEnabled(bool) override {}
    void setVSEnabled(bool) override {}
    void setOpenAlboomEnabled(bool) override {}
    void focusDown() override {}
    void showFailureMessage(const QString& text, const QString& title) override;
    void endProgram() override {}

private:
    void print(const QString& line);

    const FetchOptions& m_options;
    const CrawlDriver* m_driver = nullptr;
    QTextStream m_out;
    QTextStream m_err;
    QString m_traffic;
    QString m_lastStat;
    bool m_failure = false;
};
