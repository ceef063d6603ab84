#include "Fault.h"

#include <array>
#include <utility>

namespace Faults {

namespace {

constexpr std::array<std::pair<Fault, QByteArrayView>, 8> Names = {{
    {Fault::None, "none"},
    {Fault::NotFound, "404"},
    {Fault::ProxyUnauthorized, "407"},
    {Fault::NoMarker, "nomarker"},
    {Fault::Stall, "stall"},
    {Fault::Drip, "drip"},
    {Fault::CloseEarly, "close"},
    {Fault::Reset, "reset"},
}};

} // namespace

std::optional<Fault> fromName(QByteArrayView name)
{
    for (const auto& [fault, text] : Names) {
        if (text == name)
            return fault;
    }
    return std::nullopt;
}

QByteArrayView name(Fault fault)
{
    for (const auto& [known, text] : Names) {
        if (known == fault)
            return text;
    }
    return "none";
}

} // namespace Faults
