#pragma once
// A serial port with no device: an in-process SerialPeer sits at the far end of the cable.
// Nothing runs on its own; every call first moves time forward to the clock's "now":
// - transmission: Output queues bytes behind those still on the line; each byte takes 10 bit
//   times (start, 8 data, stop) at the speed in force when it was queued, and reaches the peer
//   only once its last bit is out (ReceiveFromHost with the time it finished, in pieces of the
//   bytes that finished within the same millisecond);
// - reception: InBufferCount and Input fetch what the peer has put on the line by now;
// - lines: DSR/CTS/CD are the peer's, DTR/RTS changes go to the peer at once.
// Closing drops bytes not yet transmitted and any unread input.

#include "serial/SerialCommBase.h"
#include "serial/SerialPeer.h"

#include <deque>
#include <functional>
#include <vector>

namespace quillon {

class SimSerialComm : public SerialCommBase {
    Q_OBJECT
public:
    struct WriteRecord {
        qint64 atMs;
        QByteArray bytes;
    };

    explicit SimSerialComm(SerialPeer *peer = nullptr, QObject *parent = nullptr);
    ~SimSerialComm() override;

    /// The far end; may be null (a cable to nowhere). It must outlive this port or be replaced
    /// first. Changing it while open closes the link to the old peer and opens it to the new one.
    void SetPeer(SerialPeer *peer);
    SerialPeer *Peer() const { return m_peer; }
    /// Milliseconds of a monotonic clock; the default is the system's steady clock. It must stay
    /// callable while this port lives (closing, also by the destructor, reads it).
    void SetClock(std::function<qint64()> nowMs);

    /// Test hooks. SetOpenFailure(n): every later open throws CommError(n) until set to 0.
    void SetOpenFailure(int errorNumber) { m_openFailure = errorNumber; }
    /// While true, Output throws CommError(DeviceIoError) and sends nothing.
    void SetOutputFailure(bool fail) { m_outputFailure = fail; }
    /// Behaves as a device unplugged while open: the port closes at once, CommEvent reads
    /// DeviceLost and OnComm follows from the event loop. Does nothing while closed.
    void SimulateDeviceLost();

    /// The Outputs accepted while open, with the clock's time of the call: every one of the
    /// last kKeptWrites at least. Older ones go, so a simulated port left running for days
    /// (a station, the window on the bundled module) keeps a bounded record.
    static constexpr size_t kKeptWrites = 1024;
    const std::vector<WriteRecord> &Writes() const { return m_writes; }
    QByteArray AllWritten() const;
    void ClearWrites() { m_writes.clear(); }

protected:
    QString DeviceDescription() const override { return QStringLiteral("simulator"); }
    void DeviceOpen() override;
    void DeviceClose() override;
    void DeviceSetBaud(int baud) override;
    void DeviceSetDtr(bool asserted) override;
    void DeviceSetRts(bool asserted) override;
    InputLineStates DeviceLines() override;
    int DeviceInBufferCount() override;
    QByteArray DeviceInput() override;
    void DeviceOutput(const QByteArray &bytes) override;
    int DeviceOutBufferCount() override;

private:
    struct OnLine {
        QByteArray bytes;
        int baud = 0;
        qint64 startUs = 0;
        int delivered = 0;
    };

    qint64 Now() const { return m_clock(); }
    /// Clock time (ms, rounded up) at which the first `count` bytes of `chunk` are out.
    static qint64 FinishedMs(const OnLine &chunk, qint64 count);
    /// Hands the peer every byte whose transmission has finished by `nowMs`.
    void Transmit(qint64 nowMs);
    void FetchInput(qint64 nowMs);
    void ConnectPeer(qint64 nowMs);

    SerialPeer *m_peer = nullptr;
    std::function<qint64()> m_clock;
    int m_openFailure = 0;
    bool m_outputFailure = false;
    std::deque<OnLine> m_onLine;
    qint64 m_lineFreeUs = 0;
    QByteArray m_input;
    std::vector<WriteRecord> m_writes;
};

} // namespace quillon
