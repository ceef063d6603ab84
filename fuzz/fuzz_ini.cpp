// The private-profile reader and writer on any file bytes. The input is
// "section NUL key NUL value NUL file bytes": the write to try and the file it goes into (a part
// whose NUL is missing stays empty, and what is left is the file).
#include "FuzzSupport.h"
#include "core/settings/Ini.h"

#include <algorithm>
#include <array>

using FuzzSupport::expect;

namespace {

constexpr qsizetype ReadLimit = 254;
constexpr qsizetype MostSectionsChecked = 16;

struct WriteCase {
    QByteArray section;
    QByteArray key;
    QByteArray value;
    QByteArray file;
};

WriteCase writeCase(QByteArrayView input)
{
    WriteCase write;
    for (QByteArray* part : std::array{&write.section, &write.key, &write.value}) {
        const qsizetype nul = input.indexOf('\0');
        if (nul < 0)
            break;
        *part = input.first(nul).toByteArray();
        input = input.sliced(nul + 1);
    }
    write.file = input.toByteArray();
    return write;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool hasBlankEnds(QByteArrayView text)
{
    return !text.isEmpty() && (isBlank(text.front()) || isBlank(text.back()));
}

bool holdsLineBreak(QByteArrayView text)
{
    return text.contains('\r') || text.contains('\n');
}

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Names that a header line "[name]" reads back as themselves.
bool readsBackAsSection(QByteArrayView name)
{
    return !name.contains(']') && !hasBlankEnds(name);
}

// Keys that a line "key=value" reads back as themselves (not a comment, not a section).
bool readsBackAsKey(QByteArrayView key)
{
    return !key.contains('=') && !hasBlankEnds(key) && !key.startsWith(';') && !key.startsWith('[');
}

// Values that come back as written: blanks at the ends are trimmed and a pair of quotes dropped.
bool readsBackAsValue(QByteArrayView value)
{
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    return !hasBlankEnds(value) && !quoted;
}

// The names of the file's first section headers, for comparing them before and after a write.
QList<QByteArray> sectionNames(const QByteArray& file)
{
    QList<QByteArray> names;
    for (const QByteArray& line : file.split('\n')) {
        const QByteArray text = line.trimmed();
        if (!text.startsWith('[') || names.size() == MostSectionsChecked)
            continue;
        const qsizetype close = text.indexOf(']');
        names.append((close < 0 ? text.sliced(1) : text.sliced(1, close - 1)).trimmed());
    }
    return names;
}

void checkEntries(const QByteArray& file, const Ini::Entries& entries)
{
    for (const auto& [key, value] : entries) {
        expect(value.size() <= ReadLimit, "a value reads as 254 bytes at most");
        expect(!holdsLineBreak(key) && !holdsLineBreak(value), "entries never span lines");
        expect(!hasBlankEnds(key) && !key.contains('='), "keys are trimmed and hold no '='");
        expect(!key.startsWith(';') && !key.startsWith('['), "comments and headers are no keys");
        expect(file.contains(key) && file.contains(value), "keys and values come from the file");
    }
}

void checkRead(const WriteCase& write)
{
    const Ini::Entries entries = Ini::ReadSection(write.file, write.section);
    checkEntries(write.file, entries);
    const QByteArray first = Ini::FirstValue(entries, write.key);
    const auto entry = std::find_if(entries.cbegin(), entries.cend(),
                                    [&](const auto& e) { return sameName(e.first, write.key); });
    expect(entry == entries.cend() ? first.isEmpty() : first == entry->second,
           "FirstValue is the value of the first entry of that key");
}

void checkInteger(QByteArrayView text)
{
    const QByteArray bytes = text.toByteArray();
    const qint16 number = Ini::ToInteger(bytes);
    expect(Ini::ToInteger(" \t" + bytes) == number, "blanks before a number are skipped");
    const qint16 written = text.size() >= 2 ? qint16(quint8(text[0]) << 8 | quint8(text[1])) : 0;
    expect(Ini::ToInteger(QByteArray::number(written) + ';' + bytes) == written,
           "a written number reads back as itself");
    // A number already beyond the range stays beyond it however many digits follow.
    qsizetype digits = text.startsWith('-') ? 1 : 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
        ++digits;
    const QByteArray run = bytes.first(digits);
    const qint16 bound = Ini::ToInteger(run);
    if ((bound == 32767 || bound == -32768) && !text.isEmpty()) {
        const QByteArray longer =
            run + run.sliced(run.startsWith('-') ? 1 : 0).repeated(1 + quint8(text.back()) % 128);
        expect(Ini::ToInteger(longer) == bound, "numbers beyond the range read as its bound");
    }
}

void checkWrite(const WriteCase& write)
{
    const auto written = Ini::WithEntry(write.file, write.section, write.key, write.value);
    const bool refused = write.section.isEmpty() || write.key.isEmpty() ||
                         holdsLineBreak(write.section) || holdsLineBreak(write.key) ||
                         holdsLineBreak(write.value);
    expect(written.has_value() != refused, "only empty names and line breaks are refused");
    if (!written || !readsBackAsSection(write.section) || !readsBackAsKey(write.key))
        return;
    expect(Ini::WithEntry(*written, write.section, write.key, write.value) == written,
           "writing the same entry again changes nothing");

    for (const QByteArray& name : sectionNames(write.file)) {
        if (!sameName(name, write.section))
            expect(Ini::ReadSection(*written, name) == Ini::ReadSection(write.file, name),
                   "the other sections keep their entries");
    }
    const Ini::Entries before = Ini::ReadSection(write.file, write.section);
    const Ini::Entries after = Ini::ReadSection(*written, write.section);
    checkEntries(*written, after);
    const auto old = std::find_if(before.cbegin(), before.cend(),
                                  [&](const auto& e) { return sameName(e.first, write.key); });
    const qsizetype at = old - before.cbegin();
    expect(after.size() == before.size() + (old == before.cend() ? 1 : 0),
           "a write adds one entry or replaces one");
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (i != at)
            expect(after[i] == before[i], "the section's other keys keep their values");
    }
    expect(sameName(after[at].first, write.key), "the written key is where it belongs");
    if (readsBackAsValue(write.value))
        expect(after[at].second == write.value.first(std::min(write.value.size(), ReadLimit)),
               "the written value reads back, cut to 254 bytes");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const WriteCase write = writeCase(FuzzSupport::bytes(data, size));
    checkRead(write);
    checkInteger(write.value);
    checkWrite(write);
    return 0;
}
