#include "core/crawl/SitePage.h"

#include "core/platform/ByteSearch.h"

namespace SitePage {

namespace {

// "Есчё</a>": ends the front page's link to the first listing page.
constexpr char FrontPageMarkerBytes[] = {'\xE5', '\xD3', '\xDE', '\xA3', '<', '/', 'a', '>'};
// "ЗАБАВНЫЙЕ КАРТИНКИ": starts a listing page's picture block.
constexpr char PictureBlockMarkerBytes[] = {'\xFA', '\xE1', '\xE2', '\xE1', '\xF7', '\xEE',
                                            '\xF9', '\xEA', '\xE5', ' ',    '\xEB', '\xE1',
                                            '\xF2', '\xF4', '\xE9', '\xEE', '\xEB', '\xE9'};
constexpr QByteArrayView FrontPageMarker(FrontPageMarkerBytes, sizeof FrontPageMarkerBytes);
constexpr QByteArrayView PictureBlockMarker(PictureBlockMarkerBytes,
                                            sizeof PictureBlockMarkerBytes);
constexpr QByteArrayView BlockEnd = "&raquo;&raquo;";
constexpr QByteArrayView NavigationStart = "&laquo;&laquo;";
constexpr QByteArrayView ListingPagePath = "/photo/page";
constexpr QByteArrayView PicturePath = "/image/";
constexpr char PathEnd = '\'';
constexpr QByteArrayView HeaderEnd = "\r\n\r\n";

// `text` from the first `marker` on.
std::optional<QByteArrayView> from(QByteArrayView text, QByteArrayView marker)
{
    const qsizetype at = ByteSearch::indexOf(text, marker);
    if (at < 0)
        return std::nullopt;
    return text.sliced(at);
}

// A path: `text` up to its first apostrophe.
std::optional<QByteArray> pathIn(QByteArrayView text)
{
    const qsizetype end = text.indexOf(PathEnd);
    if (end < 0)
        return std::nullopt;
    return text.first(end).toByteArray();
}

} // namespace

std::optional<QByteArray> firstListingPath(QByteArrayView front)
{
    const qsizetype marker = front.indexOf(FrontPageMarker);
    if (marker < 0)
        return std::nullopt;
    // The marker and the two bytes before it are cut off.
    const QByteArrayView cut = front.first(std::max<qsizetype>(marker - 2, 0));
    const auto path = from(cut, ListingPagePath);
    if (!path)
        return std::nullopt;
    return path->toByteArray();
}

std::optional<Listing> parseListing(QByteArrayView listing)
{
    auto block = from(listing, PictureBlockMarker);
    if (!block)
        return std::nullopt;
    const qsizetype end = ByteSearch::indexOf(*block, BlockEnd);
    if (end < 0)
        return std::nullopt;
    // The block keeps the "&" that begins its end marker.
    *block = block->first(end + 1);
    auto navigation = from(*block, NavigationStart);
    if (navigation)
        navigation = from(*navigation, ListingPagePath);
    const auto next = navigation ? pathIn(*navigation) : std::nullopt;
    if (!next)
        return std::nullopt;
    const auto picture = from(*block, PicturePath);
    const auto picturePath = picture ? pathIn(*picture) : std::nullopt;
    if (!picturePath)
        return std::nullopt;
    return Listing{*next, *picturePath};
}

std::optional<QByteArrayView> body(QByteArrayView reply)
{
    const qsizetype header = reply.indexOf(HeaderEnd);
    if (header < 0)
        return std::nullopt;
    return reply.sliced(header + HeaderEnd.size());
}

} // namespace SitePage
