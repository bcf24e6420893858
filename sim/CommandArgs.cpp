#include "sim/CommandArgs.h"

#include <QDate>

namespace quillon::sim {

std::optional<int> ToInt(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 9)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

QList<QByteArray> SplitArgs(const QByteArray &text)
{
    QList<QByteArray> out;
    if (text.isEmpty())
        return out;
    QByteArray current;
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        if (c == ',' && !quoted) {
            out.append(current.trimmed());
            current.clear();
        } else {
            current.append(c);
        }
    }
    out.append(current.trimmed());
    return out;
}

QByteArray Unquote(const QByteArray &text)
{
    if (text.size() >= 2 && text.startsWith('"') && text.endsWith('"'))
        return text.mid(1, text.size() - 2);
    return text;
}

bool IsPinText(const QByteArray &text)
{
    return text.size() >= 4 && text.size() <= 8 && ToInt(text).has_value();
}

std::optional<PduTimestamp> ParseClock(const QByteArray &text)
{
    // Fixed layout: yy/MM/dd,hh:mm:ss±zz
    if (text.size() != 20 || text[2] != '/' || text[5] != '/' || text[8] != ','
        || text[11] != ':' || text[14] != ':' || (text[17] != '+' && text[17] != '-'))
        return std::nullopt;
    auto field = [&](int at) { return ToInt(QByteArrayView(text).sliced(at, 2)); };
    const auto yy = field(0), mo = field(3), dd = field(6), hh = field(9), mi = field(12),
               ss = field(15), zz = field(18);
    if (!yy || !mo || !dd || !hh || !mi || !ss || !zz)
        return std::nullopt;
    if (!QDate::isValid(2000 + *yy, *mo, *dd) || *hh > 23 || *mi > 59 || *ss > 59 || *zz > 48)
        return std::nullopt;
    return PduTimestamp{*yy, *mo, *dd, *hh, *mi, *ss, text[17] == '-' ? -*zz : *zz};
}

} // namespace quillon::sim
