#pragma once
// A SerialPeer for tests: it records what the host sent, delivers bytes queued for given times,
// shows the lines a test sets, and can answer a received line with a canned reply after a delay.
// It does not model a speed mismatch: queued bytes arrive as queued whatever the host's speed.

#include "serial/SerialPeer.h"

#include <QByteArray>

#include <vector>

namespace quillon {

class ScriptedPeer : public SerialPeer {
public:
    struct Received {
        QByteArray bytes;
        int baud;
        qint64 atMs; ///< when the last of these bytes finished transmission
    };

    /// Bytes the host sent, in the pieces and at the times they reached this end.
    const std::vector<Received> &ReceivedLog() const { return m_received; }
    QByteArray AllReceived() const;
    void ClearReceived() { m_received.clear(); }

    /// Puts `bytes` on the line for the host at `atMs` (available to TakeForHost from then on).
    void QueueForHost(const QByteArray &bytes, qint64 atMs);
    /// Once the host has sent `line` followed by CR (a CR LF or LF ending works too), queues
    /// `reply` for `delayMs` after the CR reached this end. Every matching line is answered.
    void AddReply(const QByteArray &line, const QByteArray &reply, qint64 delayMs);

    void SetLines(PeerLines lines) { m_lines = lines; }

    bool HostOpen() const { return m_hostOpen; }
    /// The host's speed as last seen in any call from it (open, send or read).
    int HostBaud() const { return m_hostBaud; }
    bool HostDtr() const { return m_hostDtr; }
    bool HostRts() const { return m_hostRts; }
    int OpenCount() const { return m_openCount; }
    int CloseCount() const { return m_closeCount; }

    void HostOpened(int baud, qint64 nowMs) override;
    void HostClosed(qint64 nowMs) override;
    void ReceiveFromHost(const QByteArray &bytes, int baud, qint64 nowMs) override;
    QByteArray TakeForHost(int baud, qint64 nowMs) override;
    void HostLines(bool dtr, bool rts, qint64 nowMs) override;
    PeerLines Lines(qint64 nowMs) override;

private:
    struct Pending {
        QByteArray bytes;
        qint64 atMs;
    };
    struct Reply {
        QByteArray line;
        QByteArray reply;
        qint64 delayMs;
    };

    std::vector<Received> m_received;
    std::vector<Pending> m_pending;
    std::vector<Reply> m_replies;
    QByteArray m_partialLine;
    PeerLines m_lines;
    bool m_hostOpen = false;
    int m_hostBaud = 0;
    bool m_hostDtr = false;
    bool m_hostRts = false;
    int m_openCount = 0;
    int m_closeCount = 0;
};

} // namespace quillon
