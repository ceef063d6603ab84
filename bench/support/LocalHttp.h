#pragma once

#include <QByteArray>

namespace LocalHttp {

// The whole reply a server on 127.0.0.1 sends to "GET target HTTP/1.0"; empty when it takes no
// connection. Each wait for the next bytes ends after `waitMs`.
QByteArray get(quint16 port, const QByteArray& target, int waitMs);

} // namespace LocalHttp
