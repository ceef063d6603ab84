#pragma once

#include <QByteArray>

// The album page's fixed text, as Windows-1251 bytes with CR LF line ends. A row is
// RowStart + name + RowMiddle + site + path + RowEnd.
namespace AlbumTemplate {

// The first lines of a row, up to the opening quote of the picture's name.
QByteArray RowStart();
// From the quote after the name to the opening quote of the link to the listing page.
QByteArray RowMiddle();
// From the quote after the listing page's path to the end of the row.
QByteArray RowEnd();
// The page head down to the row that holds the pictures, with the site and the maker's page.
QByteArray Header();
QByteArray Footer();

// "http://" and the site's host, no slash at the end.
QByteArray Site();

} // namespace AlbumTemplate
