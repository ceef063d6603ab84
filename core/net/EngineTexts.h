#pragma once

#include "core/net/TransferStatus.h"

#include <QString>
#include <QtGlobal>

// What the engine's reports read as, the same in the window and in the headless run.
namespace EngineTexts {

// A host name up to this long is shown with its scheme; a longer one without.
inline constexpr int HostLengthForShortText = 15;

// The engine's own status line.
QString status(const TransferStatus& status);

// After a socket error the status line reads as a link to the maker's page.
bool isLink(const TransferStatus& status);

// What the window's status line `stat` says of this report, or an empty text when nothing.
QString mainStatus(const TransferStatus& status);

// The traffic line `TR` for `count` bytes sent and received.
QString traffic(qint64 count);

} // namespace EngineTexts
