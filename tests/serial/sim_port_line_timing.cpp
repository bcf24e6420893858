// The simulated port moves bytes at the speed of the line: 10 bit times per byte, queued behind
// what is still being sent, and the far end sees them only once transmitted.
#include "support/ScriptedPeer.h"
#include "serial/SimSerialComm.h"

#include <QTest>

using namespace quillon;

class SimLineTimingTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void drainsAtLineSpeed_data();
    void drainsAtLineSpeed();
    void secondOutputWaitsBehindFirst();
    void queuedBytesKeepTheirSpeedAfterSpeedChange();
    void writesAreRecordedWithCallTime();
    void closeDropsBytesNotYetSent();
    void peerReplyArrivesAfterDelay();
    void inputArrivesInQueueOrder();

private:
    qint64 m_now = 0;
    std::unique_ptr<ScriptedPeer> m_peer;
    std::unique_ptr<SimSerialComm> m_port;
};

void SimLineTimingTest::init()
{
    m_now = 10'000;
    m_peer = std::make_unique<ScriptedPeer>();
    m_port = std::make_unique<SimSerialComm>(m_peer.get());
    m_port->SetClock([this] { return m_now; });
}

void SimLineTimingTest::cleanup()
{
    m_port.reset();
    m_peer.reset();
}

void SimLineTimingTest::drainsAtLineSpeed_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<qint64>("totalMs");

    QTest::newRow("96 bytes at 9600 take 100 ms") << 9600 << 96 << qint64(100);
    QTest::newRow("5 bytes at 50 take 1 s") << 50 << 5 << qint64(1000);
    QTest::newRow("1152 bytes at 115200 take 100 ms") << 115200 << 1152 << qint64(100);
    QTest::newRow("256 bytes at 256000 take 10 ms") << 256000 << 256 << qint64(10);
}

void SimLineTimingTest::drainsAtLineSpeed()
{
    QFETCH(int, baud);
    QFETCH(int, bytes);
    QFETCH(qint64, totalMs);

    m_port->SetSettings(QStringLiteral("%1,N,8,1").arg(baud));
    m_port->SetPortOpen(true);
    const qint64 start = m_now;
    m_port->Output(QByteArray(bytes, 'A'));

    QCOMPARE(m_port->OutBufferCount(), bytes);
    QCOMPARE(m_peer->AllReceived().size(), 0);

    m_now = start + totalMs / 2;
    QCOMPARE(m_port->OutBufferCount(), bytes - bytes / 2);
    QCOMPARE(m_peer->AllReceived().size(), bytes / 2);

    m_now = start + totalMs - 1;
    QVERIFY(m_port->OutBufferCount() > 0);
    QVERIFY(m_peer->AllReceived().size() < bytes);

    m_now = start + totalMs;
    QCOMPARE(m_port->OutBufferCount(), 0);
    QCOMPARE(m_peer->AllReceived(), QByteArray(bytes, 'A'));
    // Each piece reached the peer when its last byte was out, at the host's speed.
    for (const ScriptedPeer::Received &piece : m_peer->ReceivedLog()) {
        QCOMPARE(piece.baud, baud);
        QVERIFY(piece.atMs > start && piece.atMs <= start + totalMs);
    }
    QCOMPARE(m_peer->ReceivedLog().back().atMs, start + totalMs);
}

void SimLineTimingTest::secondOutputWaitsBehindFirst()
{
    m_port->SetSettings(QStringLiteral("9600,N,8,1"));
    m_port->SetPortOpen(true);
    const qint64 start = m_now;
    m_port->Output(QByteArray(48, 'a'));
    m_now = start + 25; // half of the first 48 bytes are out
    m_port->Output(QByteArray(48, 'b'));
    QCOMPARE(m_port->OutBufferCount(), 24 + 48);

    m_now = start + 99;
    QCOMPARE(m_port->OutBufferCount(), 1);
    m_now = start + 100;
    QCOMPARE(m_port->OutBufferCount(), 0);
    QCOMPARE(m_peer->AllReceived(), QByteArray(48, 'a') + QByteArray(48, 'b'));
}

void SimLineTimingTest::queuedBytesKeepTheirSpeedAfterSpeedChange()
{
    m_port->SetSettings(QStringLiteral("9600,N,8,1"));
    m_port->SetPortOpen(true);
    const qint64 start = m_now;
    m_port->Output(QByteArray(96, 'x'));
    m_port->SetSettings(QStringLiteral("115200,N,8,1"));
    m_port->Output(QByteArray(1152, 'y'));

    m_now = start + 100;
    QCOMPARE(m_port->OutBufferCount(), 1152);
    m_now = start + 200;
    QCOMPARE(m_port->OutBufferCount(), 0);
    QCOMPARE(m_peer->ReceivedLog().front().baud, 9600);
    QCOMPARE(m_peer->ReceivedLog().back().baud, 115200);
}

void SimLineTimingTest::writesAreRecordedWithCallTime()
{
    m_port->SetPortOpen(true);
    m_port->Output("AT\r\n");
    m_now += 300;
    m_port->Output("ATI\r\n");
    QCOMPARE(m_port->Writes().size(), size_t(2));
    QCOMPARE(m_port->Writes()[0].atMs, qint64(10'000));
    QCOMPARE(m_port->Writes()[0].bytes, QByteArray("AT\r\n"));
    QCOMPARE(m_port->Writes()[1].atMs, qint64(10'300));
    QCOMPARE(m_port->AllWritten(), QByteArray("AT\r\nATI\r\n"));
    m_port->ClearWrites();
    QVERIFY(m_port->Writes().empty());

    // A port left running keeps the latest writes only, the last one always among them.
    const size_t many = 5 * SimSerialComm::kKeptWrites;
    for (size_t i = 0; i < many; ++i)
        m_port->Output(QByteArray::number(qulonglong(i)));
    QVERIFY(m_port->Writes().size() >= SimSerialComm::kKeptWrites);
    QVERIFY(m_port->Writes().size() <= 2 * SimSerialComm::kKeptWrites);
    QCOMPARE(m_port->Writes().back().bytes, QByteArray::number(qulonglong(many - 1)));
}

void SimLineTimingTest::closeDropsBytesNotYetSent()
{
    m_port->SetSettings(QStringLiteral("9600,N,8,1"));
    m_port->SetPortOpen(true);
    m_port->Output(QByteArray(96, 'z'));
    m_now += 50;
    m_port->SetPortOpen(false);
    QCOMPARE(m_peer->AllReceived().size(), 48);
    QCOMPARE(m_peer->CloseCount(), 1);

    m_port->SetPortOpen(true);
    QCOMPARE(m_port->OutBufferCount(), 0);
    m_now += 1000;
    QCOMPARE(m_peer->AllReceived().size(), 48);
}

void SimLineTimingTest::peerReplyArrivesAfterDelay()
{
    m_peer->AddReply("AT", "\r\nOK\r\n", 30);
    m_port->SetSettings(QStringLiteral("9600,N,8,1"));
    m_port->SetPortOpen(true);
    const qint64 start = m_now;
    m_port->Output("AT\r\n"); // the CR is out after 3 bytes: 3.125 ms, seen at 4 ms

    m_now = start + 100; // polled long after: the peer still saw the CR when it was out
    QCOMPARE(m_port->Input(), QByteArray("\r\nOK\r\n"));
    const auto &log = m_peer->ReceivedLog();
    const auto withCr = std::find_if(log.begin(), log.end(), [](const ScriptedPeer::Received &r) {
        return r.bytes.endsWith('\r');
    });
    QVERIFY(withCr != log.end());
    QCOMPARE(withCr->atMs, start + 4);

    m_port->Output("AT\r\n");

    QCOMPARE(m_port->InBufferCount(), 0);
    m_now = start + 100 + 33;
    QCOMPARE(m_port->InBufferCount(), 0);
    m_now = start + 100 + 34;
    QCOMPARE(m_port->InBufferCount(), 6);
    QCOMPARE(m_port->Input(), QByteArray("\r\nOK\r\n"));
    QCOMPARE(m_port->InBufferCount(), 0);
}

void SimLineTimingTest::inputArrivesInQueueOrder()
{
    m_port->SetPortOpen(true);
    m_peer->QueueForHost("late", m_now + 20);
    m_peer->QueueForHost("first", m_now + 10);
    m_peer->QueueForHost("-second", m_now + 10);
    m_now += 10;
    QCOMPARE(m_port->Input(), QByteArray("first-second"));
    m_now += 10;
    QCOMPARE(m_port->Input(), QByteArray("late"));
}

QTEST_GUILESS_MAIN(SimLineTimingTest)
#include "sim_port_line_timing.moc"
