#include "app/ProfileFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <climits>
#include <vector>

namespace quillon {
namespace {

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");
constexpr QByteArrayView kNewFileLineEnd("\r\n");

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QByteArrayView Trimmed(QByteArrayView v)
{
    qsizetype begin = 0;
    qsizetype end = v.size();
    while (begin < end && IsBlank(v[begin]))
        ++begin;
    while (end > begin && IsBlank(v[end - 1]))
        --end;
    return v.sliced(begin, end - begin);
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool SameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

enum class LineKind { Blank, Section, Comment, Key, Other };

// One line of the text as offsets into it: [begin, end) is the content, [end, next) the line end.
struct Line {
    qsizetype begin = 0;
    qsizetype end = 0;
    qsizetype next = 0;
    LineKind kind = LineKind::Other;
    QByteArrayView name;
    QByteArrayView value;

    bool hasLineEnd() const { return next > end; }
};

void Classify(QByteArrayView content, Line &line)
{
    const QByteArrayView t = Trimmed(content);
    if (t.isEmpty()) {
        line.kind = LineKind::Blank;
        return;
    }
    if (t[0] == '[') {
        const qsizetype close = t.indexOf(']');
        if (close > 0) {
            line.kind = LineKind::Section;
            line.name = Trimmed(t.sliced(1, close - 1));
            return;
        }
    }
    if (t[0] == ';') {
        line.kind = LineKind::Comment;
        return;
    }
    const qsizetype eq = t.indexOf('=');
    if (eq >= 0) {
        line.kind = LineKind::Key;
        line.name = Trimmed(t.first(eq));
        line.value = Trimmed(t.sliced(eq + 1));
        return;
    }
    line.kind = LineKind::Other;
}

std::vector<Line> SplitLines(QByteArrayView text)
{
    std::vector<Line> lines;
    qsizetype pos = text.startsWith(kUtf8Bom) ? kUtf8Bom.size() : 0;
    while (pos < text.size()) {
        Line line;
        line.begin = pos;
        const qsizetype lf = text.indexOf('\n', pos);
        if (lf < 0) {
            line.end = line.next = text.size();
        } else {
            line.next = lf + 1;
            line.end = (lf > pos && text[lf - 1] == '\r') ? lf - 1 : lf;
        }
        Classify(text.sliced(line.begin, line.end - line.begin), line);
        lines.push_back(line);
        pos = line.next;
    }
    return lines;
}

QByteArrayView LineEndOf(QByteArrayView text, const std::vector<Line> &lines)
{
    for (const Line &line : lines) {
        if (line.hasLineEnd())
            return text.sliced(line.end, line.next - line.end);
    }
    return kNewFileLineEnd;
}

struct Location {
    std::optional<size_t> section;
    std::optional<size_t> key;
    size_t lastNonBlank = 0; // in the found section, the header line at least
};

Location Locate(const std::vector<Line> &lines, QByteArrayView section, QByteArrayView key)
{
    Location loc;
    size_t i = 0;
    for (; i < lines.size(); ++i) {
        if (lines[i].kind == LineKind::Section && SameName(lines[i].name, section))
            break;
    }
    if (i == lines.size())
        return loc;
    loc.section = i;
    loc.lastNonBlank = i;
    for (++i; i < lines.size() && lines[i].kind != LineKind::Section; ++i) {
        if (lines[i].kind != LineKind::Blank)
            loc.lastNonBlank = i;
        if (!loc.key && lines[i].kind == LineKind::Key && SameName(lines[i].name, key))
            loc.key = i;
    }
    return loc;
}

QByteArrayView WithoutQuotes(QByteArrayView v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.sliced(1, v.size() - 2);
    return v;
}

std::optional<QByteArray> ReadWholeFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return content;
}

} // namespace

std::optional<QByteArray> ProfileFindValue(QByteArrayView text, QByteArrayView section,
                                           QByteArrayView key)
{
    const std::vector<Line> lines = SplitLines(text);
    const Location loc = Locate(lines, section, key);
    if (!loc.key)
        return std::nullopt;
    return WithoutQuotes(lines[*loc.key].value).toByteArray();
}

int ProfileValueToInt(QByteArrayView value)
{
    const QByteArrayView v = Trimmed(value);
    qsizetype i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == '+' || v[i] == '-')) {
        negative = v[i] == '-';
        ++i;
    }
    // One past INT_MAX is enough to know the result saturates either way.
    constexpr qint64 kCap = qint64(INT_MAX) + 1;
    qint64 magnitude = 0;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i)
        magnitude = std::min(kCap, magnitude * 10 + (v[i] - '0'));
    if (negative)
        return int(-magnitude); // -kCap is INT_MIN
    return int(std::min<qint64>(magnitude, INT_MAX));
}

bool ProfileEntryIsWritable(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    const auto hasLineBreak = [](QByteArrayView v) {
        return v.contains('\r') || v.contains('\n') || v.contains('\0');
    };
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value))
        return false;
    if (section.contains(']'))
        return false;
    const QByteArrayView name = Trimmed(key);
    return !name.isEmpty() && !name.contains('=') && name[0] != ';' && name[0] != '[';
}

std::optional<QByteArray> ProfileSetValue(QByteArrayView text, QByteArrayView section,
                                          QByteArrayView key, QByteArrayView value)
{
    if (!ProfileEntryIsWritable(section, key, value))
        return std::nullopt;
    const std::vector<Line> lines = SplitLines(text);
    const QByteArrayView lineEnd = LineEndOf(text, lines);
    const Location loc = Locate(lines, section, key);

    QByteArray out;
    out.reserve(text.size() + section.size() + key.size() + value.size() + 8);
    if (!loc.section) {
        out.append(text);
        if (!lines.empty() && !lines.back().hasLineEnd())
            out.append(lineEnd);
        out.append('[').append(section).append(']').append(lineEnd);
        out.append(key).append('=').append(value).append(lineEnd);
    } else if (loc.key) {
        const Line &line = lines[*loc.key];
        out.append(text.first(line.begin));
        out.append(line.name).append('=').append(value);
        out.append(text.sliced(line.end));
    } else {
        const Line &after = lines[loc.lastNonBlank];
        out.append(text.first(after.next));
        if (!after.hasLineEnd())
            out.append(lineEnd);
        out.append(key).append('=').append(value).append(lineEnd);
        out.append(text.sliced(after.next));
    }
    return out;
}

int ProfileReadInt(QByteArrayView section, QByteArrayView key, int defaultValue,
                   const QString &fileName)
{
    const std::optional<QByteArray> text = ReadWholeFile(fileName);
    if (!text)
        return defaultValue;
    const std::optional<QByteArray> value = ProfileFindValue(*text, section, key);
    if (!value || value->isEmpty())
        return defaultValue;
    return ProfileValueToInt(*value);
}

QByteArray ProfileReadString(QByteArrayView section, QByteArrayView key,
                             QByteArrayView defaultValue, int bufferSize,
                             const QString &fileName)
{
    if (bufferSize < 1)
        return {};
    std::optional<QByteArray> value;
    if (const std::optional<QByteArray> text = ReadWholeFile(fileName))
        value = ProfileFindValue(*text, section, key);
    if (!value) {
        QByteArrayView d = defaultValue;
        while (!d.isEmpty() && IsBlank(d.back()))
            d.chop(1);
        value = d.toByteArray();
    }
    value->truncate(bufferSize - 1);
    return *value;
}

bool ProfileWriteString(QByteArrayView section, QByteArrayView key, QByteArrayView value,
                        const QString &fileName)
{
    QByteArray old;
    const bool existed = QFileInfo::exists(fileName);
    if (existed) {
        // Rewriting a file we could not read would throw its other settings away.
        std::optional<QByteArray> content = ReadWholeFile(fileName);
        if (!content)
            return false;
        old = std::move(*content);
    }
    const std::optional<QByteArray> text = ProfileSetValue(old, section, key, value);
    if (!text)
        return false;
    if (existed && *text == old)
        return true;

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(*text) != text->size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace quillon
