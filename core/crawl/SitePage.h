#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// What the crawl takes from the site's replies. Every search is byte for byte from the first
// byte; the markers are the site's KOI8-R bytes. Nothing is returned when a marker is missing.
namespace SitePage {

// The stop markers that end a transfer once the part that matters has arrived.
inline constexpr QByteArrayView FrontPageStop = "photo/random.html";
inline constexpr QByteArrayView ListingPageStop = "&raquo;&raquo;";

// The path of the first listing page, from the front page's link that ends in "Есчё</a>".
std::optional<QByteArray> firstListingPath(QByteArrayView front);

struct Listing {
    QByteArray nextPagePath;
    QByteArray picturePath;
};

// The next page's path and the picture's path, from the picture block of a listing page.
std::optional<Listing> parseListing(QByteArrayView listing);

// The bytes after the reply header's blank line.
std::optional<QByteArrayView> body(QByteArrayView reply);

} // namespace SitePage
