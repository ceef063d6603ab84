#include "settings/Settings.h"

#include "platform/FileSystem.h"
#include "platform/OperationError.h"
#include "settings/Ini.h"

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
    if (!FileSystem::FileExists(optionsPath)) {
        try {
            FileSystem::CreateTextFile(optionsPath);
        } catch (const OperationError&) {
            return; // nothing can be saved; every write below would fail as well
        }
    }
    Ini ini = iniAt(optionsPath);
    ini.WInIi(Section, "DownloadImages", DownloadImages);
    ini.WInIb(Section, "UseProxy", UseProxy);
    ini.WInI(Section, "ProxyName", ProxyName);
    ini.WInI(Section, "ProxyPort", ProxyPort);
    ini.WInIi(Section, "CasheSize", CasheSize);
}

void Settings::saveCasheSize(const QString& optionsPath, qint16 limit)
{
    iniAt(optionsPath).WInIi(Section, "CasheSize", limit);
}

qint16 Settings::clampPageCount(int count)
{
    return qint16(std::clamp(count, int(PageCountMin), int(PageCountMax)));
}
