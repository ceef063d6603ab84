#include "core/platform/Logging.h"

using namespace Qt::StringLiterals;

// Critical is the least a category shows by default: nothing here logs at that level.
Q_LOGGING_CATEGORY(lcCache, "zolvane.cache", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcFiles, "zolvane.files", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcSettings, "zolvane.settings", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcBrowser, "zolvane.browser", QtCriticalMsg)

namespace Logging {

void showAll()
{
    QLoggingCategory::setFilterRules(u"zolvane.*=true"_s);
}

} // namespace Logging
