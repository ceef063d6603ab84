#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Windows-1251, the single-byte code page the program's files and the site's names are read in.
namespace Cp1251 {

// Every byte becomes exactly one character, so every byte value survives a round trip.
QString toUnicode(QByteArrayView bytes);

// Characters the code page lacks become `replacement`.
QByteArray fromUnicode(QStringView text, char replacement = '?');

} // namespace Cp1251
