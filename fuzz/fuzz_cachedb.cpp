// The cache database scan on any database bytes, and a store into them. The paths looked up are
// those the database's own first entries name (so that some match), an empty one and one that no
// entry names.
#include "FuzzSupport.h"
#include "core/net/CacheDatabase.h"
#include "core/net/ResponseCache.h"
#include "core/settings/Ini.h"

#include <QSet>

using FuzzSupport::expect;

namespace {

constexpr qsizetype PathsLookedUp = 4;
constexpr qsizetype NumberDigits = 5;

bool isNumber(QByteArrayView text)
{
    return text.size() == NumberDigits &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The entries that a lookup of `path` must find: the first entry of each key "casheNNNNN"
// (any case) with NNNNN in 1..files and the path as its value.
QList<QByteArray> entriesNaming(const Ini::Entries& cashe, int files, const QByteArray& path)
{
    QSet<QByteArray> seen;
    QList<QByteArray> numbers;
    for (const auto& [key, value] : cashe) {
        const QByteArray name = key.toLower();
        if (seen.contains(name))
            continue;
        seen.insert(name);
        const QByteArray number = name.sliced(std::min<qsizetype>(5, name.size()));
        if (name.startsWith("cashe") && isNumber(number) && number.toInt() >= 1 &&
            number.toInt() <= files && value == path)
            numbers.append(number);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

void checkLookup(const QByteArray& database, const Ini::Entries& cashe, int files,
                 const QByteArray& path)
{
    const QList<QByteArray> numbers = ResponseCache::matchingEntries(database, path);
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        expect(isNumber(numbers[i]), "entry numbers have five digits");
        expect(numbers[i].toInt() >= 1 && numbers[i].toInt() <= files,
               "entry numbers lie within 1..Files");
        expect(i == 0 || numbers[i - 1] < numbers[i], "entry numbers come out ascending");
    }
    expect(numbers == entriesNaming(cashe, files, path),
           "the scan finds every entry naming the path, and only those");
}

// A store's entry spliced into the kept bytes gives the file the private-profile writes give, and
// the lookups of a fresh scan of it.
void checkStore(const QByteArray& database, int files, const QByteArray& path)
{
    const int number = files + 1;
    const auto named =
        Ini::WithEntry(database, "Cashe", "cashe" + ResponseCache::PadNumber(number), path);
    const auto counted =
        named ? Ini::WithEntry(*named, "Main", "Files", QByteArray::number(qint16(number)))
              : std::nullopt;
    CacheDatabase kept(database);
    expect(kept.add(number, path) == counted.has_value(), "a store is refused exactly as a write");
    if (!counted)
        return;
    expect(kept.bytes() == *counted, "the spliced bytes are those the writes give");
    const CacheDatabase scanned(*counted);
    expect(kept.files() == scanned.files(), "the count is the one read back");
    for (const auto& [key, value] : Ini::ReadSection(*counted, "Cashe"))
        expect(kept.entriesNaming(value) == scanned.entriesNaming(value),
               "a lookup after the store finds what a fresh scan finds");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray database = FuzzSupport::bytes(data, size).toByteArray();
    const int files = Ini::ToInteger(Ini::FirstValue(Ini::ReadSection(database, "Main"), "Files"));
    const Ini::Entries cashe = Ini::ReadSection(database, "Cashe");
    QList<QByteArray> paths{QByteArray(), QByteArray("/nowhere named")};
    for (qsizetype i = 0; i < std::min(cashe.size(), PathsLookedUp); ++i)
        paths.append(cashe[i].second);
    for (const QByteArray& path : paths)
        checkLookup(database, cashe, files, path);
    checkStore(database, files, paths.last());
    return 0;
}
