#pragma once

#include "core/crawl/CrawlHost.h"
#include "programs/zolvane-fetch/FetchOptions.h"

#include <QTextStream>

class DownloadSession;

// The download run's window when there is none: status texts and progress go to standard output,
// the run state is only remembered, and the failure message is printed instead of shown.
class FetchHost : public CrawlHost {
public:
    explicit FetchHost(const FetchOptions& options);

    void attach(const DownloadSession& session) { m_session = &session; }
    bool failureShown() const { return m_failure; }
    // The last status text, for the quiet mode's closing line.
    QString lastStat() const { return m_lastStat; }

    RunState state() const { return m_state; }

    RunSettings runSettings() const override;
    // options.ini belongs to the program with a window: a run here neither reads nor saves it.
    void setRunState(RunState state) override { m_state = state; }
    void setStat(const QString& text) override;
    void setPreviewPicture(const QString& path) override;
    // The traffic line, shown with each progress line.
    void setTraffic(qint64 count) override;
    void failureExit(const QString& text, const QString& title) override;

private:
    void print(const QString& line);

    const FetchOptions& m_options;
    const DownloadSession* m_session = nullptr;
    QTextStream m_out;
    QTextStream m_err;
    QString m_traffic;
    QString m_lastStat;
    bool m_failure = false;
    RunState m_state = RunState::Idle;
};
