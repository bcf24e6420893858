#pragma once
// The far end of a SimSerialComm: a simulated device on the other side of the cable.
// Time is passed in explicitly (milliseconds of a monotonic clock) so peers stay pure and
// deterministic under test.

#include <QByteArray>
#include <QtGlobal>

namespace quillon {

struct PeerLines {
    bool dsr = false;
    bool cts = false;
    bool cd = false;
};

class SerialPeer {
public:
    virtual ~SerialPeer() = default;

    /// The host opened its port at `baud` bits per second.
    virtual void HostOpened(int baud, qint64 nowMs) { Q_UNUSED(baud); Q_UNUSED(nowMs); }
    /// The host closed its port (its output lines drop).
    virtual void HostClosed(qint64 nowMs) { Q_UNUSED(nowMs); }
    /// Bytes whose transmission finished at `nowMs`, sent at `baud` bits per second.
    virtual void ReceiveFromHost(const QByteArray &bytes, int baud, qint64 nowMs) = 0;
    /// Bytes the peer has put on the line by `nowMs`, removed from the peer. The host reads at
    /// `baud`; a peer talking at another speed should deliver what such a receiver would see.
    virtual QByteArray TakeForHost(int baud, qint64 nowMs) = 0;
    /// The host's DTR/RTS as of `nowMs` (called on every change while open).
    virtual void HostLines(bool dtr, bool rts, qint64 nowMs) = 0;
    /// The peer's output lines as the host sees them.
    virtual PeerLines Lines(qint64 nowMs) = 0;
};

} // namespace quillon
