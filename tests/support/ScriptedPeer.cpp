#include "support/ScriptedPeer.h"

#include <algorithm>

namespace quillon {

QByteArray ScriptedPeer::AllReceived() const
{
    QByteArray all;
    for (const Received &piece : m_received)
        all += piece.bytes;
    return all;
}

void ScriptedPeer::QueueForHost(const QByteArray &bytes, qint64 atMs)
{
    // Stable by time, so that bytes queued for the same moment keep their order.
    const auto at = std::upper_bound(m_pending.begin(), m_pending.end(), atMs,
                                     [](qint64 t, const Pending &p) { return t < p.atMs; });
    m_pending.insert(at, Pending{bytes, atMs});
}

void ScriptedPeer::AddReply(const QByteArray &line, const QByteArray &reply, qint64 delayMs)
{
    m_replies.push_back({line, reply, delayMs});
}

void ScriptedPeer::HostOpened(int baud, qint64)
{
    m_hostOpen = true;
    m_hostBaud = baud;
    ++m_openCount;
    m_partialLine.clear();
}

void ScriptedPeer::HostClosed(qint64)
{
    m_hostOpen = false;
    m_hostDtr = false;
    m_hostRts = false;
    ++m_closeCount;
}

void ScriptedPeer::ReceiveFromHost(const QByteArray &bytes, int baud, qint64 nowMs)
{
    m_hostBaud = baud;
    m_received.push_back({bytes, baud, nowMs});
    for (const char c : bytes) {
        if (c == '\n' && m_partialLine.isEmpty())
            continue; // the LF of a CR LF ending
        if (c != '\r' && c != '\n') {
            m_partialLine += c;
            continue;
        }
        for (const Reply &reply : m_replies) {
            if (reply.line == m_partialLine)
                QueueForHost(reply.reply, nowMs + reply.delayMs);
        }
        m_partialLine.clear();
    }
}

QByteArray ScriptedPeer::TakeForHost(int baud, qint64 nowMs)
{
    m_hostBaud = baud;
    QByteArray out;
    auto it = m_pending.begin();
    for (; it != m_pending.end() && it->atMs <= nowMs; ++it)
        out += it->bytes;
    m_pending.erase(m_pending.begin(), it);
    return out;
}

void ScriptedPeer::HostLines(bool dtr, bool rts, qint64)
{
    m_hostDtr = dtr;
    m_hostRts = rts;
}

PeerLines ScriptedPeer::Lines(qint64) { return m_lines; }

} // namespace quillon
