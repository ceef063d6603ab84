#include "core/settings/Settings.h"

#include "core/platform/FileIo.h"
#include "core/platform/Logging.h"
#include "core/settings/Ini.h"

#include <algorithm>

namespace {

const QByteArray Section = "Main";

Ini iniAt(const QString& path)
{
    Ini ini;
    ini.setFileName(path);
    return ini;
}

} // namespace

Settings Settings::load(const QString& optionsPath)
{
    const Ini ini = iniAt(optionsPath);
    Settings settings;
    settings.DownloadImages = clampPageCount(ini.RINIi(Section, "DownloadImages"));
    settings.UseProxy = ini.RINIb(Section, "UseProxy");
    settings.ProxyName = ini.RINI(Section, "ProxyName");
    settings.ProxyPort = ini.RINI(Section, "ProxyPort");
    settings.CasheSize = ini.RINIi(Section, "CasheSize");
    return settings;
}

void Settings::save(const QString& optionsPath) const
{
    // The five writes of the settings file, applied to its bytes and saved in one step: a crash
    // or a full disk leaves the old settings, never a file that holds some of them.
    const FileIo::Contents file = FileIo::read(optionsPath);
    // There but unreadable: rewriting it would lose what it holds.
    if (file.error && file.error.reason() != FileIo::Reason::NotFound) {
        qCWarning(lcSettings).noquote() << "settings not saved:" << file.error.message();
        return;
    }
    QByteArray bytes = file.bytes;
    // A value the file cannot hold (a line break) leaves that key as it was, as the single write
    // of it would.
    const auto write = [&bytes](const char* key, const QByteArray& value) {
        if (const auto written = Ini::WithEntry(bytes, Section, key, value))
            bytes = *written;
    };
    write("DownloadImages", QByteArray::number(DownloadImages));
    write("UseProxy", UseProxy ? "True" : "False");
    write("ProxyName", ProxyName);
    write("ProxyPort", ProxyPort);
    write("CasheSize", QByteArray::number(CasheSize));
    // A failed write keeps the old file; nobody but the log is told.
    if (const FileIo::Error error = FileIo::save(optionsPath, bytes))
        qCWarning(lcSettings).noquote() << "settings not saved:" << error.message();
}

void Settings::saveCasheSize(const QString& optionsPath, qint16 limit)
{
    iniAt(optionsPath).WInIi(Section, "CasheSize", limit);
}

qint16 Settings::clampPageCount(int count)
{
    return qint16(std::clamp(count, int(PageCountMin), int(PageCountMax)));
}
