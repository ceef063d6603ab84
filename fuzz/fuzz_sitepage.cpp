// What the crawl takes from the site's pages, on any reply bytes: the paths it finds must be
// pieces of the page, from the places the site puts them.
#include "FuzzSupport.h"
#include "core/crawl/SitePage.h"
#include "core/net/HttpReply.h"

using FuzzSupport::expect;

namespace {

// "Есчё</a>" and "ЗАБАВНЫЙЕ КАРТИНКИ" in KOI8-R.
constexpr QByteArrayView FrontPageMarker = "\xE5\xD3\xDE\xA3</a>";
constexpr QByteArrayView PictureBlockMarker =
    "\xFA\xE1\xE2\xE1\xF7\xEE\xF9\xEA\xE5 \xEB\xE1\xF2\xF4\xE9\xEE\xEB\xE9";
constexpr QByteArrayView BlockEnd = "&raquo;&raquo;";
constexpr QByteArrayView NavigationStart = "&laquo;&laquo;";
constexpr QByteArrayView ListingPagePath = "/photo/page";
constexpr QByteArrayView PicturePath = "/image/";

void checkFirstListingPath(QByteArrayView page)
{
    const auto path = SitePage::firstListingPath(page);
    if (!path)
        return;
    // It runs from the page's first page path up to two bytes before the first marker, so it
    // may hold anything in between, apostrophes too.
    const qsizetype start = page.indexOf(ListingPagePath);
    const qsizetype marker = page.indexOf(FrontPageMarker);
    expect(path->startsWith(ListingPagePath), "the listing path is a page path");
    expect(start >= 0 && page.sliced(start).startsWith(*path),
           "the listing path starts at the page's first page path");
    expect(start + path->size() == marker - 2, "the listing path ends two bytes before the marker");
}

// `path` starts with `prefix`, holds no apostrophe and stands in the page before an apostrophe,
// after `from` and before `end`.
void checkPathInBlock(QByteArrayView page, qsizetype from, qsizetype end, const QByteArray& path,
                      QByteArrayView prefix)
{
    expect(path.startsWith(prefix), "a path starts with its prefix");
    expect(!path.contains('\''), "a path holds no apostrophe");
    const qsizetype at = page.indexOf(QByteArray(path).append('\''), from);
    expect(at >= from && at + path.size() < end, "a path stands inside the picture block");
}

void checkListing(QByteArrayView page)
{
    const auto listing = SitePage::parseListing(page);
    if (!listing)
        return;
    const qsizetype block = page.indexOf(PictureBlockMarker);
    expect(block >= 0, "a listing has a picture block");
    const qsizetype end = page.indexOf(BlockEnd, block);
    expect(end >= 0, "the picture block ends");
    const qsizetype navigation = page.indexOf(NavigationStart, block);
    expect(navigation >= 0 && navigation < end, "the block holds the navigation");
    checkPathInBlock(page, navigation, end, listing->nextPagePath, ListingPagePath);
    checkPathInBlock(page, block, end, listing->picturePath, PicturePath);
}

void checkBody(QByteArrayView reply)
{
    const auto body = SitePage::body(reply);
    const auto header = HttpReply::headerSize(reply);
    expect(body.has_value() == header.has_value(), "a reply has a body when its header ends");
    if (body)
        expect(body->data() == reply.data() + *header &&
                   body->data() + body->size() == reply.data() + reply.size(),
               "the body is the reply after its header");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView page = FuzzSupport::bytes(data, size);
    checkFirstListingPath(page);
    checkListing(page);
    checkBody(page);
    return 0;
}
