#pragma once

#include "app/crawl/CrawlHost.h"

#include <QString>
#include <QStringList>
#include <functional>

// A window for the crawl driver that remembers everything the driver did to it, in order.
// Each entry of `events` reads like "stat:Абламался", "caption:Качать", "cashe:1", "focus".
class RecordingCrawlHost : public CrawlHost {
public:
    QString pageCount = QStringLiteral("10");
    bool proxy = false;
    QString proxyAddress = QStringLiteral("127.0.0.1");
    QString proxyPortText = QStringLiteral("8080");
    qint16 cacheLimit = 300;
    // Runs after every status text: lets a test act at a chosen point of the run.
    std::function<void(const QString&)> onStat;

    QStringList events;
    QStringList stats;
    QStringList previews;
    int settingsSaved = 0;
    int failureMessages = 0;
    QString failureText;
    QString failureTitle;
    bool programEnded = false;
    bool openAlboomEnabled = false;

    void setStat(const QString& text) override;
    void setPreviewPicture(const QString& path) override;
    QString pageCountText() const override { return pageCount; }
    void saveSettings() override;
    bool proxyOn() const override { return proxy; }
    QString proxyName() const override { return proxyAddress; }
    QString proxyPort() const override { return proxyPortText; }
    qint16 casheSizeSetting() const override { return cacheLimit; }
    void setDownCaption(const QString& caption) override;
    void setCasheEnabled(bool enabled) override;
    void setVLEnabled(bool enabled) override;
    void setVSEnabled(bool enabled) override;
    void setOpenAlboomEnabled(bool enabled) override;
    void focusDown() override;
    void showFailureMessage(const QString& text, const QString& title) override;
    void endProgram() override;

    // The events from the first one starting with `prefix` on.
    QStringList eventsFrom(const QString& prefix) const;
};
