#pragma once

#include <QByteArrayView>
#include <optional>

// Ways the demo site can misbehave on a request.
enum class Fault {
    None,
    NotFound,          // "404 Not Found"
    ProxyUnauthorized, // "407 Unauthorized", as a proxy that wants credentials
    NoMarker,   // a page without the marker a crawler looks for; a picture without a blank line
    Stall,      // read the request, then send nothing and keep the connection open
    Drip,       // send the reply in small pieces with pauses between them
    CloseEarly, // close the connection before sending anything
    Reset,      // send part of the reply, then reset the connection
};

namespace Faults {

// "404", "407", "nomarker", "stall", "drip", "close", "reset".
std::optional<Fault> fromName(QByteArrayView name);
QByteArrayView name(Fault fault);

} // namespace Faults
