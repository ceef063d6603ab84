#include "Koi8r.h"

namespace Koi8r {

namespace {

// KOI8-R keeps the Russian letters in the order of their Latin look-alikes, lower case at 0xC0,
// upper case at 0xE0.
constexpr char16_t LowerLetters[] = u"юабцдефгхийклмнопярстужвьызшэщчъ";
constexpr char16_t UpperLetters[] = u"ЮАБЦДЕФГХИЙКЛМНОПЯРСТУЖВЬЫЗШЭЩЧЪ";

char encode(char16_t c)
{
    if (c < 0x80)
        return char(c);
    if (c == u'ё')
        return char(0xA3);
    if (c == u'Ё')
        return char(0xB3);
    for (int i = 0; i < 32; ++i) {
        if (LowerLetters[i] == c)
            return char(0xC0 + i);
        if (UpperLetters[i] == c)
            return char(0xE0 + i);
    }
    return '?';
}

} // namespace

QByteArray fromUnicode(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text)
        bytes.append(encode(c.unicode()));
    return bytes;
}

} // namespace Koi8r
