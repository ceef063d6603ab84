#pragma once

#include <QByteArrayView>
#include <algorithm>

// Control bytes (C0 and DEL) in what the site sends: they end or split request lines, file names
// and database lines, so every place that passes site bytes on asks this one rule.
namespace ControlBytes {

constexpr bool isControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

inline bool anyIn(QByteArrayView text)
{
    return std::any_of(text.begin(), text.end(), isControl);
}

} // namespace ControlBytes
