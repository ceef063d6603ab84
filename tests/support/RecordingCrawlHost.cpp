#include "support/RecordingCrawlHost.h"

using namespace Qt::StringLiterals;

void RecordingCrawlHost::setRunState(RunState state)
{
    events << u"state:"_s + stateName(state);
    states << state;
}

void RecordingCrawlHost::setStat(const QString& text)
{
    events << u"stat:"_s + text;
    stats << text;
    if (onStat)
        onStat(text);
}

void RecordingCrawlHost::setPreviewPicture(const QString& path)
{
    events << u"preview:"_s + path;
    previews << path;
}

void RecordingCrawlHost::failureExit(const QString& text, const QString& title)
{
    events << u"failure"_s;
    ++failureMessages;
    failureText = text;
    failureTitle = title;
}

QStringList RecordingCrawlHost::eventsFrom(const QString& prefix) const
{
    for (qsizetype i = 0; i < events.size(); ++i) {
        if (events[i].startsWith(prefix))
            return events.mid(i);
    }
    return {};
}

QString RecordingCrawlHost::stateName(RunState state)
{
    switch (state) {
    case RunState::Idle:
        return u"Idle"_s;
    case RunState::Running:
        return u"Running"_s;
    case RunState::SwitchedOff:
        return u"SwitchedOff"_s;
    }
    return {};
}
