#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Bytes of an address written as "%XX" where they would change its meaning; every other byte
// stays as the site sent it.
namespace PercentEncoding {

template <typename MustEncode> QByteArray encoded(QByteArrayView bytes, MustEncode mustEncode)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        if (!mustEncode(c)) {
            out += c;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        out += '%';
        out += Hex[byte >> 4];
        out += Hex[byte & 0x0F];
    }
    return out;
}

} // namespace PercentEncoding
