#pragma once
// The byte streams the feeder writes. Byte i is a function of i alone, with no short period, so a
// lost, doubled or reordered piece shows up within a few bytes. Two kinds:
// - Lines: what a modem mostly sends, printable ASCII lines of 48 characters, each ended by
//   CR LF;
// - Binary: every byte value 0..255 alike (NUL, tab, CR, LF, Latin-1 and C1 codes included).

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace quillon::bench {

enum class PatternKind : int { Lines = 0, Binary = 1 };

inline constexpr int kPatternLine = 50; // 48 printable characters, CR, LF

inline quint32 PatternHash(quint64 index)
{
    quint32 x = quint32(index) * 2654435761u ^ quint32(index >> 32);
    x ^= x >> 15;
    x *= 0x2c1b3c6du;
    x ^= x >> 12;
    return x;
}

inline unsigned char PatternByte(PatternKind kind, quint64 index)
{
    if (kind == PatternKind::Binary)
        return static_cast<unsigned char>(PatternHash(index) >> 24);
    const int column = int(index % kPatternLine);
    if (column == kPatternLine - 2)
        return '\r';
    if (column == kPatternLine - 1)
        return '\n';
    return static_cast<unsigned char>(32 + (PatternHash(index) >> 8) % 95);
}

inline QString PatternName(PatternKind kind)
{
    return kind == PatternKind::Lines ? QStringLiteral("ASCII lines") : QStringLiteral("all byte values");
}

/// Fills `out` with `count` pattern bytes starting at `index`.
void FillPattern(PatternKind kind, char *out, qsizetype count, quint64 index);

/// Checks bytes against the pattern, in order.
class ByteChecker {
public:
    /// The kind of the bytes fed from now on.
    void SetKind(PatternKind kind) { m_kind = kind; }
    /// Returns false (and stays failed) at the first byte that is not the next pattern byte.
    bool Feed(const char *bytes, qsizetype count);
    quint64 Count() const { return m_next; }
    bool Failed() const { return m_failed; }

private:
    PatternKind m_kind = PatternKind::Lines;
    quint64 m_next = 0;
    bool m_failed = false;
};

/// Checks rendered text against the rendering of the pattern (text or hexadecimal display, as
/// the receive monitor renders bytes), in order. Counts the bytes it has seen rendered.
class RenderingChecker {
public:
    void SetHex(bool hex) { m_hex = hex; }
    /// The kind of the bytes rendered from now on.
    void SetKind(PatternKind kind) { m_kind = kind; }
    /// Returns false (and stays failed) at the first character that does not match.
    bool Feed(QStringView text);
    quint64 Count() const { return m_next; }
    bool Failed() const { return m_failed; }
    QString FailureText() const { return m_failure; }

private:
    bool m_hex = false;
    PatternKind m_kind = PatternKind::Lines;
    quint64 m_next = 0;
    QString m_pending; // rendering of the next byte not yet completely seen
    qsizetype m_pendingDone = 0;
    bool m_failed = false;
    QString m_failure;
};

} // namespace quillon::bench
