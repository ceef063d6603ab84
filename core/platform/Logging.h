#pragma once

#include <QLoggingCategory>

// Failures the program leaves alone on purpose, because nobody could act on them, are logged in
// these categories. They are silent unless turned on: QT_LOGGING_RULES="zolvane.*=true", or
// zolvane-fetch --verbose.

// zolvane.cache: a reply not stored, a clearing of the response cache that failed.
Q_DECLARE_LOGGING_CATEGORY(lcCache)
// zolvane.files: decoration images not copied, the first start's options file not made, a delete
// that left files.
Q_DECLARE_LOGGING_CATEGORY(lcFiles)
// zolvane.settings: a settings write that failed.
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
// zolvane.browser: a browser start nobody is told about.
Q_DECLARE_LOGGING_CATEGORY(lcBrowser)

namespace Logging {

// Turns every category above on.
void showAll();

} // namespace Logging
