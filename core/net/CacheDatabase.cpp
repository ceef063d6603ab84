#include "core/net/CacheDatabase.h"

#include "core/settings/Ini.h"

#include <QHash>
#include <algorithm>
#include <limits>
#include <optional>

namespace {

constexpr QByteArrayView MainSection = "Main";
constexpr QByteArrayView CasheSection = "Cashe";
constexpr QByteArrayView FilesKey = "Files";
constexpr QByteArrayView EntryPrefix = "cashe";
constexpr QByteArrayView LineEnd = "\r\n";

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The number of an entry key, "cashe" and five digits in any case of letters, or 0.
int entryNumber(QByteArrayView key)
{
    if (key.size() != EntryPrefix.size() + 5)
        return 0;
    for (qsizetype i = 0; i < EntryPrefix.size(); ++i) {
        if ((key[i] | 0x20) != EntryPrefix[i])
            return 0;
    }
    int number = 0;
    for (const char c : key.sliced(EntryPrefix.size())) {
        if (c < '0' || c > '9')
            return 0;
        number = number * 10 + (c - '0');
    }
    return number;
}

QByteArray entryKey(int number)
{
    return EntryPrefix.toByteArray() + CacheDatabase::PadNumber(number);
}

// A line written after `after`: it needs a line break of its own first when `after` is the last
// line of the file and has none.
QByteArray lineAfter(qsizetype afterEnd, qsizetype afterContentEnd, QByteArray line)
{
    if (afterEnd == afterContentEnd)
        line.prepend(LineEnd.data(), LineEnd.size());
    return line;
}

} // namespace

CacheDatabase::CacheDatabase(QByteArray bytes) : m_bytes(std::move(bytes))
{
    scan();
}

void CacheDatabase::Place::shift(qsizetype by)
{
    begin += by;
    contentEnd += by;
    end += by;
}

QByteArray CacheDatabase::PadNumber(int number)
{
    QByteArray text = QByteArray::number(number);
    while (text.size() < 5)
        text.prepend('0');
    return text;
}

QList<int> CacheDatabase::entriesNaming(const QByteArray& RemoteFile) const
{
    return m_usable.value(RemoteFile);
}

void CacheDatabase::scan()
{
    m_files = 0;
    m_usable.clear();
    m_keyNumbers.clear();
    m_hasFilesLine = false;
    enum class In { Nothing, FirstMain, FirstCashe, Other };
    In in = In::Nothing;
    std::optional<qsizetype> mainAt;
    std::optional<qsizetype> casheAt;
    QByteArrayView filesText;
    // The first value of each entry key, in file order.
    QList<std::pair<int, QByteArrayView>> firstValues;
    Ini::ScanLines(m_bytes, [&](const Ini::ScannedLine& line) {
        const Place place{line.begin, line.contentEnd, line.end};
        if (line.kind == Ini::ScannedLine::Kind::Section) {
            in = In::Other;
            if (!mainAt && sameName(line.name, MainSection)) {
                mainAt = line.begin;
                m_mainLast = place;
                in = In::FirstMain;
            } else if (!casheAt && sameName(line.name, CasheSection)) {
                casheAt = line.begin;
                m_casheLast = place;
                in = In::FirstCashe;
            }
            return;
        }
        if (line.kind != Ini::ScannedLine::Kind::Entry)
            return;
        if (in == In::FirstMain) {
            m_mainLast = place;
            if (!m_hasFilesLine && sameName(line.name, FilesKey)) {
                m_hasFilesLine = true;
                m_filesLine = place;
                m_filesKey = line.name.toByteArray();
                filesText = line.value;
            }
        } else if (in == In::FirstCashe) {
            m_casheLast = place;
            const int number = entryNumber(line.name);
            if (number > 0 && !m_keyNumbers.contains(number)) {
                m_keyNumbers.insert(number);
                firstValues.append({number, line.value});
            }
        }
    });
    m_files = Ini::ToInteger(filesText.toByteArray());
    for (const auto& [number, value] : std::as_const(firstValues)) {
        if (number <= m_files)
            m_usable[value.toByteArray()].append(number);
    }
    for (QList<int>& numbers : m_usable)
        std::sort(numbers.begin(), numbers.end());
    m_inPlace = mainAt && casheAt && *mainAt < *casheAt;
}

bool CacheDatabase::add(int number, const QByteArray& RemoteFile)
{
    if (addInPlace(number, RemoteFile))
        return true;
    const auto named =
        Ini::WithEntry(m_bytes, CasheSection.toByteArray(), entryKey(number), RemoteFile);
    const auto counted =
        named ? Ini::WithEntry(*named, MainSection.toByteArray(), FilesKey.toByteArray(),
                               QByteArray::number(qint16(number)))
              : std::nullopt;
    if (!counted)
        return false;
    m_bytes = *counted;
    scan();
    return true;
}

// The usual store: the next number, whose key the section does not hold yet. The entry goes after
// the last one of "Cashe"; the count replaces the "Files" line or follows the last entry of
// "Main", which lies before "Cashe", so only what lies after it moves.
bool CacheDatabase::addInPlace(int number, const QByteArray& RemoteFile)
{
    if (!m_inPlace || number < 1 || number > std::numeric_limits<qint16>::max() ||
        number != m_files + 1 || m_keyNumbers.contains(number))
        return false;
    const auto line = Ini::EntryLine(entryKey(number), RemoteFile);
    if (!line)
        return false;
    const QByteArray entry = lineAfter(m_casheLast.end, m_casheLast.contentEnd, *line);
    const qsizetype at = m_casheLast.end;
    m_bytes.insert(at, entry);
    m_casheLast = {at + entry.size() - line->size(), at + entry.size() - LineEnd.size(),
                   at + entry.size()};
    setCount(number);

    m_keyNumbers.insert(number);
    Ini::ScanLines(*line, [&](const Ini::ScannedLine& written) {
        m_usable[written.value.toByteArray()].append(number);
    });
    return true;
}

void CacheDatabase::setCount(int number)
{
    const QByteArray count = QByteArray::number(qint16(number));
    qsizetype moved = 0;
    if (m_hasFilesLine) {
        const QByteArray line = m_filesKey + '=' + count + LineEnd;
        const qsizetype oldSize = m_filesLine.end - m_filesLine.begin;
        m_bytes.replace(m_filesLine.begin, oldSize, line);
        moved = line.size() - oldSize;
        const bool filesIsLast = m_mainLast.begin == m_filesLine.begin;
        m_filesLine = {m_filesLine.begin, m_filesLine.begin + line.size() - LineEnd.size(),
                       m_filesLine.begin + line.size()};
        if (filesIsLast)
            m_mainLast = m_filesLine;
        else if (m_mainLast.begin > m_filesLine.begin)
            m_mainLast.shift(moved);
    } else {
        const QByteArray plain = FilesKey.toByteArray() + '=' + count + LineEnd;
        const QByteArray line = lineAfter(m_mainLast.end, m_mainLast.contentEnd, plain);
        const qsizetype at = m_mainLast.end;
        m_bytes.insert(at, line);
        moved = line.size();
        m_hasFilesLine = true;
        m_filesKey = FilesKey.toByteArray();
        m_filesLine = {at + line.size() - plain.size(), at + line.size() - LineEnd.size(),
                       at + line.size()};
        m_mainLast = m_filesLine;
    }
    m_casheLast.shift(moved);
    m_files = qint16(number);
}
