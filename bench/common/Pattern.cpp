#include "Pattern.h"

namespace quillon::bench {

namespace {
constexpr char kHex[] = "0123456789ABCDEF";

void RenderOne(QString &out, unsigned char b, bool hex)
{
    out.clear();
    if (hex || (b >= 1 && b <= 9)) {
        out += QLatin1Char('[');
        out += QLatin1Char(kHex[b >> 4]);
        out += QLatin1Char(kHex[b & 15]);
        out += QLatin1Char(']');
    } else if (b == 0) {
        out += QLatin1String("[EOF]");
    } else {
        out += QChar(b);
    }
}
} // namespace

void FillPattern(PatternKind kind, char *out, qsizetype count, quint64 index)
{
    for (qsizetype i = 0; i < count; ++i)
        out[i] = static_cast<char>(PatternByte(kind, index + quint64(i)));
}

bool ByteChecker::Feed(const char *bytes, qsizetype count)
{
    if (m_failed)
        return false;
    for (qsizetype i = 0; i < count; ++i) {
        if (static_cast<unsigned char>(bytes[i]) != PatternByte(m_kind, m_next)) {
            m_failed = true;
            return false;
        }
        ++m_next;
    }
    return true;
}

bool RenderingChecker::Feed(QStringView text)
{
    if (m_failed)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (m_pendingDone == m_pending.size()) {
            RenderOne(m_pending, PatternByte(m_kind, m_next), m_hex);
            m_pendingDone = 0;
        }
        if (text[i] != m_pending[m_pendingDone]) {
            m_failed = true;
            m_failure = QStringLiteral("byte %1: expected \"%2\", got \"%3\"")
                            .arg(m_next)
                            .arg(m_pending)
                            .arg(text.mid(i, m_pending.size()).toString());
            return false;
        }
        if (++m_pendingDone == m_pending.size())
            ++m_next;
    }
    return true;
}

} // namespace quillon::bench
