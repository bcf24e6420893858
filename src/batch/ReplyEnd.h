#pragma once
// When a command's reply is complete, for the reply pace: the final result code of V.250 and
// 27.007/27.005 (OK, ERROR, +CME ERROR: n, +CMS ERROR: n, NO CARRIER, BUSY, NO ANSWER,
// NO DIALTONE, CONNECT [text]) on a line of its own. The echo and information lines
// ("+CPIN: READY", the IMEI after "ATD*#06#") never end a reply.

#include <QByteArray>
#include <QByteArrayView>

namespace quillon::batch {

/// Whether `line` (line end removed) is a final result code.
bool IsFinalResult(QByteArrayView line);

/// Follows the bytes received after a command and says when its final result has arrived.
/// Memory stays bounded however long a line grows (a flood).
class FinalResultWatcher {
public:
    static constexpr qsizetype kLineLimit = 256; ///< longer lines are never result codes

    /// Takes received bytes; true once a final result code has been seen on a completed line
    /// (ended by CR or LF), and from then on until Reset.
    bool Feed(QByteArrayView bytes);
    bool Seen() const { return m_seen; }
    void Reset();

private:
    QByteArray m_line;
    bool m_overlong = false;
    bool m_seen = false;
};

/// Milliseconds `bytes` take on the wire at `baud` (10 bits a byte: start, 8 data, stop),
/// rounded up.
int WireMs(qsizetype bytes, int baud);

/// How long the reply pace waits at most for the reply to `command` at `baud`: the window's
/// fixed wait, or, when the wire alone needs more (low speeds), the time for the command, its
/// echo and the shortest reply ("\r\nOK\r\n") to cross the wire plus a margin.
int ReplyCeilingMs(int commandLength, int baud, int fixedWaitMs);
inline constexpr int kWireMarginMs = 50;

} // namespace quillon::batch
