#pragma once

#include <QString>

// Hands an address or a local file path to the system's web browser, detached: the caller never
// waits. The opener is $BROWSER when set (the usual convention on Unix-like systems; several
// programs separated by ":" are tried in turn), otherwise the platform's own opener. A start that
// fails throws OperationError.
namespace BrowserStart {

void StartBrowser(const QString& argument);

} // namespace BrowserStart
