#include "support/RecordingCrawlHost.h"

using namespace Qt::StringLiterals;

namespace {

QString flag(bool on)
{
    return on ? u"1"_s : u"0"_s;
}

} // namespace

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

void RecordingCrawlHost::saveSettings()
{
    events << u"save"_s;
    ++settingsSaved;
}

void RecordingCrawlHost::setDownCaption(const QString& caption)
{
    events << u"caption:"_s + caption;
}

void RecordingCrawlHost::setCasheEnabled(bool enabled)
{
    events << u"cashe:"_s + flag(enabled);
}

void RecordingCrawlHost::setVLEnabled(bool enabled)
{
    events << u"VL:"_s + flag(enabled);
}

void RecordingCrawlHost::setVSEnabled(bool enabled)
{
    events << u"VS:"_s + flag(enabled);
}

void RecordingCrawlHost::setOpenAlboomEnabled(bool enabled)
{
    events << u"OpenAlboom:"_s + flag(enabled);
    openAlboomEnabled = enabled;
}

void RecordingCrawlHost::focusDown()
{
    events << u"focus"_s;
}

void RecordingCrawlHost::showFailureMessage(const QString& text, const QString& title)
{
    events << u"failure"_s;
    ++failureMessages;
    failureText = text;
    failureTitle = title;
}

void RecordingCrawlHost::endProgram()
{
    events << u"end"_s;
    programEnded = true;
}

QStringList RecordingCrawlHost::eventsFrom(const QString& prefix) const
{
    for (qsizetype i = 0; i < events.size(); ++i) {
        if (events[i].startsWith(prefix))
            return events.mid(i);
    }
    return {};
}
