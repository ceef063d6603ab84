#pragma once

#include <QByteArrayView>

// Addresses the program is built around.
namespace Constants {

// The site whose photo section the program walks; also the host of the album's links.
inline constexpr QByteArrayView SiteHost = "zolvane.com";

// The maker's web page: the album footer, the About window and the engine's error link.
inline constexpr QByteArrayView MakerPage = "http://zolvane.com/soft/verezozavidozoz/";

} // namespace Constants
