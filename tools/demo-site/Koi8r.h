#pragma once

#include <QByteArray>
#include <QStringView>

// KOI8-R, the code page the site serves its pages in.
namespace Koi8r {

// ASCII stays as is; Russian letters become their KOI8-R bytes; anything else becomes '?'.
QByteArray fromUnicode(QStringView text);

} // namespace Koi8r
