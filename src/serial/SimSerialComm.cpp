#include "serial/SimSerialComm.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace quillon {

namespace {

constexpr qint64 kBitsPerByte = 10;
constexpr qint64 kUsPerSecond = 1'000'000;

qint64 SteadyNowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

/// Microseconds from the start of a transmission until its `count`-th byte has gone out,
/// rounded up so that a byte never counts as sent early.
qint64 BytesDurationUs(qint64 count, int baud)
{
    return (count * kBitsPerByte * kUsPerSecond + baud - 1) / baud;
}

} // namespace

qint64 SimSerialComm::FinishedMs(const OnLine &chunk, qint64 count)
{
    return (chunk.startUs + BytesDurationUs(count, chunk.baud) + 999) / 1000;
}

SimSerialComm::SimSerialComm(SerialPeer *peer, QObject *parent)
    : SerialCommBase(parent), m_peer(peer), m_clock(SteadyNowMs)
{
}

SimSerialComm::~SimSerialComm()
{
    // The peer outlives us in every use; let it see the cable drop.
    if (PortOpen())
        SetPortOpen(false);
}

void SimSerialComm::SetPeer(SerialPeer *peer)
{
    if (peer == m_peer)
        return;
    if (!PortOpen()) {
        m_peer = peer;
        return;
    }
    const qint64 now = Now();
    Transmit(now);
    if (m_peer)
        m_peer->HostClosed(now);
    m_onLine.clear();
    m_peer = peer;
    ConnectPeer(now);
}

void SimSerialComm::SetClock(std::function<qint64()> nowMs)
{
    m_clock = nowMs ? std::move(nowMs) : std::function<qint64()>(SteadyNowMs);
}

void SimSerialComm::SimulateDeviceLost() { DeviceLost(); }

QByteArray SimSerialComm::AllWritten() const
{
    QByteArray all;
    for (const WriteRecord &record : m_writes)
        all += record.bytes;
    return all;
}

void SimSerialComm::ConnectPeer(qint64 nowMs)
{
    if (!m_peer)
        return;
    m_peer->HostOpened(Baud(), nowMs);
    m_peer->HostLines(DTREnable(), RTSEnable(), nowMs);
}

void SimSerialComm::DeviceOpen()
{
    if (m_openFailure != 0)
        throw CommError(m_openFailure, QStringLiteral("simulated open failure"));
    m_onLine.clear();
    m_lineFreeUs = 0;
    m_input.clear();
    ConnectPeer(Now());
}

void SimSerialComm::DeviceClose()
{
    const qint64 now = Now();
    Transmit(now);
    m_onLine.clear();
    m_input.clear();
    if (m_peer)
        m_peer->HostClosed(now);
}

void SimSerialComm::DeviceSetBaud(int) {}

void SimSerialComm::DeviceSetDtr(bool asserted)
{
    const qint64 now = Now();
    Transmit(now);
    if (m_peer)
        m_peer->HostLines(asserted, RTSEnable(), now);
}

void SimSerialComm::DeviceSetRts(bool asserted)
{
    const qint64 now = Now();
    Transmit(now);
    if (m_peer)
        m_peer->HostLines(DTREnable(), asserted, now);
}

InputLineStates SimSerialComm::DeviceLines()
{
    if (!m_peer)
        return {};
    const qint64 now = Now();
    Transmit(now);
    const PeerLines lines = m_peer->Lines(now);
    return {lines.dsr, lines.cts, lines.cd};
}

void SimSerialComm::Transmit(qint64 nowMs)
{
    const qint64 nowUs = nowMs * 1000;
    while (!m_onLine.empty()) {
        OnLine &front = m_onLine.front();
        const qint64 total = front.bytes.size();
        const qint64 elapsedUs = nowUs - front.startUs;
        qint64 done = 0;
        if (elapsedUs >= BytesDurationUs(total, front.baud))
            done = total;
        else if (elapsedUs > 0)
            done = elapsedUs * front.baud / (kBitsPerByte * kUsPerSecond);
        // One piece per millisecond of the peer's clock, stamped with the time its last byte
        // finished: a peer reacting to a line end sees it when it was really out, however
        // seldom this port is polled.
        while (front.delivered < done) {
            const qint64 first = front.delivered;
            const qint64 pieceMs = FinishedMs(front, first + 1);
            qint64 last = first + 1;
            while (last < done && FinishedMs(front, last + 1) == pieceMs)
                ++last;
            front.delivered = int(last);
            if (m_peer)
                m_peer->ReceiveFromHost(front.bytes.mid(first, last - first), front.baud, pieceMs);
        }
        if (front.delivered < total)
            break;
        m_onLine.pop_front();
    }
}

void SimSerialComm::FetchInput(qint64 nowMs)
{
    Transmit(nowMs);
    if (m_peer)
        m_input += m_peer->TakeForHost(Baud(), nowMs);
}

int SimSerialComm::DeviceInBufferCount()
{
    FetchInput(Now());
    return int(m_input.size());
}

QByteArray SimSerialComm::DeviceInput()
{
    FetchInput(Now());
    return std::exchange(m_input, {});
}

void SimSerialComm::DeviceOutput(const QByteArray &bytes)
{
    if (m_outputFailure)
        throw CommError(CommErrorNumber::DeviceIoError, QStringLiteral("simulated write failure"));
    const qint64 now = Now();
    Transmit(now);
    if (m_writes.size() >= 2 * kKeptWrites)
        m_writes.erase(m_writes.begin(), m_writes.end() - kKeptWrites);
    m_writes.push_back({now, bytes});
    if (bytes.isEmpty())
        return;
    OnLine chunk;
    chunk.bytes = bytes;
    chunk.baud = Baud();
    chunk.startUs = std::max(now * 1000, m_lineFreeUs);
    m_lineFreeUs = chunk.startUs + BytesDurationUs(bytes.size(), chunk.baud);
    m_onLine.push_back(std::move(chunk));
}

int SimSerialComm::DeviceOutBufferCount()
{
    Transmit(Now());
    qint64 waiting = 0;
    for (const OnLine &chunk : m_onLine)
        waiting += chunk.bytes.size() - chunk.delivered;
    return int(waiting);
}

} // namespace quillon
