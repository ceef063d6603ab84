#include "core/settings/Ini.h"

#include "core/platform/FileIo.h"
#include "core/platform/Logging.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

// The Windows functions are given a 255-byte buffer: the value comes back without its terminator.
constexpr qsizetype ReadLimit = 254;
constexpr char LineEnd[] = "\r\n";

struct Line {
    qsizetype begin = 0;      // first byte of the line
    qsizetype contentEnd = 0; // first byte of its line break (or the end of the file)
    qsizetype end = 0;        // first byte after its line break
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The line starting at `pos`: it ends at CR LF, CR or LF (a CR LF counts as one break).
Line lineAt(QByteArrayView bytes, qsizetype pos)
{
    const qsizetype size = bytes.size();
    Line line{pos, pos, pos};
    const char* const end = bytes.data() + size;
    const char* p = bytes.data() + pos;
    while (p != end && *p != '\r' && *p != '\n')
        ++p;
    line.contentEnd = p - bytes.data();
    line.end = line.contentEnd;
    if (line.end < size && bytes[line.end] == '\r')
        ++line.end;
    if (line.end < size && bytes[line.end] == '\n' &&
        (line.end == line.contentEnd || bytes[line.end - 1] == '\r'))
        ++line.end;
    return line;
}

// The file's lines, read one after another as they are asked for: a section near the top is
// found without reading the rest.
class Profile {
public:
    explicit Profile(QByteArrayView bytes) : m_bytes(bytes) {}

    QByteArrayView bytes() const { return m_bytes; }

    QByteArrayView content(const Line& line) const
    {
        return m_bytes.sliced(line.begin, line.contentEnd - line.begin);
    }

    // The name of a section line, or nothing when the line is not one.
    std::optional<QByteArrayView> sectionName(const Line& line) const
    {
        const QByteArrayView text = trimmed(content(line));
        if (text.isEmpty() || text.front() != '[')
            return std::nullopt;
        const QByteArrayView inner = text.sliced(1);
        const qsizetype close = inner.indexOf(']');
        return trimmed(close < 0 ? inner : inner.first(close));
    }

    // The key of an entry line, or nothing for blank lines, comments and section lines.
    std::optional<QByteArrayView> keyName(const Line& line) const
    {
        const QByteArrayView text = trimmed(content(line));
        if (text.isEmpty() || text.front() == ';' || text.front() == '[')
            return std::nullopt;
        const qsizetype equals = text.indexOf('=');
        return trimmed(equals < 0 ? text : text.first(equals));
    }

    QByteArrayView value(const Line& line) const
    {
        const QByteArrayView text = content(line);
        const qsizetype equals = text.indexOf('=');
        if (equals < 0)
            return {};
        QByteArrayView v = trimmed(text.sliced(equals + 1));
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.sliced(1, v.size() - 2);
        return v;
    }

    // The header line of the first section of that name.
    std::optional<Line> findSection(QByteArrayView section) const
    {
        for (qsizetype pos = 0; pos < m_bytes.size();) {
            const Line line = lineAt(m_bytes, pos);
            const auto name = sectionName(line);
            if (name && sameName(*name, section))
                return line;
            pos = line.end;
        }
        return std::nullopt;
    }

    // The lines of the section under `header`, in one pass: the first entry of `key` (when asked
    // for) and its last entry.
    struct Section {
        std::optional<Line> key; // the first line of the key asked for
        Line lastEntry;          // the header when it holds no entry
    };
    Section section(const Line& header, QByteArrayView key = {}) const
    {
        Section found{std::nullopt, header};
        forEachEntry(header, [&](const Line& line, QByteArrayView name) {
            found.lastEntry = line;
            if (!found.key && !key.isEmpty() && sameName(name, key))
                found.key = line;
        });
        return found;
    }

    // Every entry line of the section under `header`, with its key, in file order.
    template <typename Visit> void forEachEntry(const Line& header, Visit&& visit) const
    {
        for (qsizetype pos = header.end; pos < m_bytes.size();) {
            const Line line = lineAt(m_bytes, pos);
            pos = line.end;
            const QByteArrayView text = trimmed(content(line));
            if (text.isEmpty() || text.front() == ';')
                continue;
            if (text.front() == '[')
                return;
            const qsizetype equals = text.indexOf('=');
            visit(line, trimmed(equals < 0 ? text : text.first(equals)));
        }
    }

    bool endsWithLineBreak() const
    {
        return m_bytes.isEmpty() || m_bytes.endsWith('\n') || m_bytes.endsWith('\r');
    }

private:
    QByteArrayView m_bytes;
};

std::optional<QByteArray> readFile(const QString& path)
{
    FileIo::Contents file = FileIo::read(path);
    if (file.error)
        return std::nullopt;
    return std::move(file.bytes);
}

bool holdsLineBreak(QByteArrayView text)
{
    return text.contains('\r') || text.contains('\n');
}

bool isWritable(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    return !section.isEmpty() && !key.isEmpty() && !holdsLineBreak(section) &&
           !holdsLineBreak(key) && !holdsLineBreak(value);
}

QByteArray entryLine(QByteArrayView key, QByteArrayView value)
{
    return key.toByteArray() + '=' + value.toByteArray() + LineEnd;
}

QByteArray withEntry(const Profile& profile, QByteArrayView section, QByteArrayView key,
                     QByteArrayView value)
{
    QByteArray out = profile.bytes().toByteArray();
    const auto header = profile.findSection(section);
    if (!header) {
        if (!profile.endsWithLineBreak())
            out += LineEnd;
        out += '[' + section.toByteArray() + ']' + LineEnd;
        out += entryLine(key, value);
        return out;
    }
    const Profile::Section lines = profile.section(*header, key);
    if (lines.key) {
        const Line& line = *lines.key;
        const QByteArrayView spelling = *profile.keyName(line);
        out.replace(line.begin, line.end - line.begin, entryLine(spelling, value));
        return out;
    }
    const Line& after = lines.lastEntry;
    QByteArray insert = entryLine(key, value);
    if (after.end == after.contentEnd) // the last line of the file, without a line break
        insert.prepend(LineEnd);
    out.insert(after.end, insert);
    return out;
}

// The leading number of a text as the settings read it: optional sign, digits, optional fraction,
// with blanks and tabs skipped anywhere in it. 0 when the text does not start with a number.
double leadingNumber(QByteArrayView text)
{
    QByteArray number;
    bool digitSeen = false;
    bool pointSeen = false;
    for (const char c : text) {
        if (isBlank(c))
            continue;
        if ((c == '-' || c == '+') && number.isEmpty()) {
            number += c;
        } else if (c == '.' && !pointSeen) {
            pointSeen = true;
            number += c;
        } else if (c >= '0' && c <= '9') {
            digitSeen = true;
            number += c;
        } else {
            break;
        }
    }
    if (!digitSeen)
        return 0;
    if (number.endsWith('.'))
        number.chop(1);
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (ok)
        return value;
    // Only a number beyond a double's range fails: huge when its whole part is not zero (it must
    // still clamp to the bound), else tiny.
    const QByteArrayView digits(number);
    const qsizetype point = digits.indexOf('.');
    const QByteArrayView whole = point < 0 ? digits : digits.first(point);
    if (std::none_of(whole.begin(), whole.end(), [](char c) { return c >= '1' && c <= '9'; }))
        return 0;
    const double huge = std::numeric_limits<double>::infinity();
    return number.startsWith('-') ? -huge : huge;
}

QByteArray readValue(QByteArrayView value)
{
    return value.first(std::min(value.size(), ReadLimit)).toByteArray();
}

} // namespace

QByteArray Ini::RINI(const QByteArray& Section, const QByteArray& KeyName) const
{
    const auto bytes = readFile(m_fileName);
    if (!bytes)
        return {};
    const Profile profile(*bytes);
    const auto header = profile.findSection(Section);
    if (!header)
        return {};
    const auto key = profile.section(*header, KeyName).key;
    if (!key)
        return {};
    return readValue(profile.value(*key));
}

Ini::Entries Ini::ReadSection(const QByteArray& fileBytes, const QByteArray& Section)
{
    Entries entries;
    ScanSection(fileBytes, Section, [&entries](QByteArrayView key, QByteArrayView value) {
        entries.append({key.toByteArray(), value.toByteArray()});
    });
    return entries;
}

void Ini::ScanSection(const QByteArray& fileBytes, const QByteArray& Section,
                      const std::function<void(QByteArrayView, QByteArrayView)>& visit)
{
    const Profile profile(fileBytes);
    const auto header = profile.findSection(Section);
    if (!header)
        return;
    profile.forEachEntry(*header, [&](const Line& line, QByteArrayView name) {
        const QByteArrayView value = profile.value(line);
        visit(name, value.first(std::min(value.size(), ReadLimit)));
    });
}

QByteArray Ini::FirstValue(const Entries& entries, const QByteArray& KeyName)
{
    for (const auto& [key, value] : entries) {
        if (sameName(key, KeyName))
            return value;
    }
    return {};
}

qint16 Ini::ToInteger(const QByteArray& text)
{
    const double rounded = std::nearbyint(leadingNumber(text));
    return static_cast<qint16>(std::clamp(rounded, -32768.0, 32767.0));
}

bool Ini::RINIb(const QByteArray& Section, const QByteArray& KeyName) const
{
    return RINI(Section, KeyName) == "True";
}

qint16 Ini::RINIi(const QByteArray& Section, const QByteArray& KeyName) const
{
    return ToInteger(RINI(Section, KeyName));
}

void Ini::WInI(const QByteArray& Section, const QByteArray& KeyName, const QByteArray& KeyValue)
{
    if (m_fileName.isEmpty() || !isWritable(Section, KeyName, KeyValue))
        return;
    const FileIo::Contents file = FileIo::read(m_fileName);
    // There but unreadable: rewriting it would lose what it holds.
    if (file.error && QFileInfo::exists(m_fileName)) {
        qCWarning(lcSettings).noquote() << KeyName << "not written:" << file.error.message();
        return;
    }
    // A failed write leaves the file as it was; the settings control reports nothing.
    if (const FileIo::Error error =
            FileIo::save(m_fileName, *WithEntry(file.bytes, Section, KeyName, KeyValue)))
        qCWarning(lcSettings).noquote() << KeyName << "not written:" << error.message();
}

std::optional<QByteArray> Ini::WithEntry(const QByteArray& fileBytes, const QByteArray& Section,
                                         const QByteArray& KeyName, const QByteArray& KeyValue)
{
    if (!isWritable(Section, KeyName, KeyValue))
        return std::nullopt;
    return withEntry(Profile(fileBytes), Section, KeyName, KeyValue);
}

void Ini::ScanLines(QByteArrayView fileBytes, const std::function<void(const ScannedLine&)>& visit)
{
    const Profile profile(fileBytes);
    for (qsizetype pos = 0; pos < fileBytes.size();) {
        const Line line = lineAt(fileBytes, pos);
        pos = line.end;
        ScannedLine scanned{
            ScannedLine::Kind::Other, line.begin, line.contentEnd, line.end, {}, {}};
        if (const auto section = profile.sectionName(line)) {
            scanned.kind = ScannedLine::Kind::Section;
            scanned.name = *section;
        } else if (const auto key = profile.keyName(line)) {
            const QByteArrayView value = profile.value(line);
            scanned.kind = ScannedLine::Kind::Entry;
            scanned.name = *key;
            scanned.value = value.first(std::min(value.size(), ReadLimit));
        }
        visit(scanned);
    }
}

std::optional<QByteArray> Ini::EntryLine(QByteArrayView KeyName, QByteArrayView KeyValue)
{
    if (KeyName.isEmpty() || holdsLineBreak(KeyName) || holdsLineBreak(KeyValue))
        return std::nullopt;
    return entryLine(KeyName, KeyValue);
}

void Ini::WInIb(const QByteArray& Section, const QByteArray& KeyName, bool KeyValue)
{
    WInI(Section, KeyName, KeyValue ? QByteArrayLiteral("True") : QByteArrayLiteral("False"));
}

void Ini::WInIi(const QByteArray& Section, const QByteArray& KeyName, qint16 KeyValue)
{
    WInI(Section, KeyName, QByteArray::number(KeyValue));
}
