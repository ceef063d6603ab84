#pragma once

#include "core/crawl/CrawlHost.h"

#include <QString>
#include <QStringList>
#include <functional>

// A window for the crawl driver that remembers everything the driver did to it, in order.
// Each entry of `events` reads like "stat:Абламался", "state:Idle", "preview:/path", "failure".
class RecordingCrawlHost : public CrawlHost {
public:
    RunSettings settings{QStringLiteral("10"), false, QStringLiteral("127.0.0.1"),
                         QStringLiteral("8080"), 300};
    // Runs after every status text: lets a test act at a chosen point of the run.
    std::function<void(const QString&)> onStat;

    QStringList events;
    QStringList stats;
    QStringList previews;
    QList<RunState> states;
    // The latest traffic count; not an event, as it comes with every transfer.
    qint64 traffic = 0;
    int failureMessages = 0;
    QString failureText;
    QString failureTitle;

    RunSettings runSettings() const override { return settings; }
    void setRunState(RunState state) override;
    void setStat(const QString& text) override;
    void setPreviewPicture(const QString& path) override;
    void setTraffic(qint64 count) override { traffic = count; }
    void failureExit(const QString& text, const QString& title) override;

    // The events from the first one starting with `prefix` on.
    QStringList eventsFrom(const QString& prefix) const;
    static QString stateName(RunState state);
};
