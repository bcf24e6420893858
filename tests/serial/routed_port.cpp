// The routed port opens the device or the simulated module that the port number leads to at each
// open, and carries the held values across a switch.
#include "support/PtyPair.h"
#include "serial/QtSerialComm.h"
#include "serial/RoutedSerialComm.h"
#include "support/ScriptedPeer.h"
#include "serial/SimSerialComm.h"

#include <QSignalSpy>
#include <QTest>

using namespace quillon;
using namespace quillon::test;

class RoutedPortTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void portNumberChoosesTargetAtEachOpen();
    void heldValuesFollowAcrossSwitch();
    void settingsRejectedWhileOpenStayEverywhere();
    void openFailureOfDeviceLeavesPortClosed();
    void eventsOfCurrentBackendAreForwarded();
    void ioOnClosedPortThrows();

private:
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<ScriptedPeer> m_peer;
    std::unique_ptr<RoutedSerialComm> m_port;
    QList<int> m_resolved;
    qint64 m_now = 1000;
};

void RoutedPortTest::init()
{
    m_pty = std::make_unique<PtyPair>();
    if (!m_pty->Valid())
        QSKIP(qPrintable(QStringLiteral("no pseudo-terminal: ") + m_pty->Error()));
    m_peer = std::make_unique<ScriptedPeer>();
    m_resolved.clear();
    const QString slave = m_pty->SlavePath();
    // Port 1: the pseudo-terminal; port 2: the simulated module; others: the default devices.
    m_port = std::make_unique<RoutedSerialComm>(
        [this, slave](int port) {
            m_resolved.append(port);
            if (port == 1)
                return PortTargetFromValue(port, slave);
            if (port == 2)
                return PortTargetFromValue(port, QStringLiteral(" Simulator "));
            return PortTargetFromValue(port, QStringLiteral("/dev/ttyQuillonMissing%1").arg(port));
        },
        m_peer.get());
    m_port->Simulated().SetClock([this] { return m_now; });
}

void RoutedPortTest::cleanup()
{
    m_port.reset();
    m_peer.reset();
    m_pty.reset();
}

void RoutedPortTest::portNumberChoosesTargetAtEachOpen()
{
    m_port->SetCommPort(2);
    m_port->SetPortOpen(true);
    QVERIFY(m_port->Target().simulator);
    QVERIFY(m_peer->HostOpen());
    m_port->Output("AT\r");
    m_now += 10;
    QCOMPARE(m_port->OutBufferCount(), 0);
    QCOMPARE(m_peer->AllReceived(), QByteArray("AT\r"));
    m_port->SetPortOpen(false);
    QVERIFY(!m_peer->HostOpen());

    m_port->SetCommPort(1);
    m_port->SetPortOpen(true);
    QVERIFY(!m_port->Target().simulator);
    QCOMPARE(m_port->Target().device, m_pty->SlavePath());
    m_port->Output("ATI\r");
    QByteArray got;
    for (int i = 0; i < 500 && got.size() < 4; ++i) {
        m_port->OutBufferCount();
        QTest::qWait(1);
        got += m_pty->ReadAvailable();
    }
    QCOMPARE(got, QByteArray("ATI\r"));
    QCOMPARE(m_peer->AllReceived(), QByteArray("AT\r")); // the simulator got nothing more
    QCOMPARE(m_resolved, QList<int>({2, 1}));
}

void RoutedPortTest::heldValuesFollowAcrossSwitch()
{
    m_port->SetCommPort(2);
    m_port->SetPortOpen(true);
    m_port->SetSettings(QStringLiteral("57600,N,8,1"));
    m_port->SetDTREnable(false);
    m_port->SetRTSEnable(true);
    QCOMPARE(m_peer->HostDtr(), false);
    m_port->SetPortOpen(false);

    m_port->SetCommPort(1);
    m_port->SetPortOpen(true);
    QCOMPARE(m_pty->SlaveSpeed(), 57600);
    QCOMPARE(m_port->Settings(), QStringLiteral("57600,N,8,1"));
    QCOMPARE(m_port->DTREnable(), false);
    QCOMPARE(m_port->RTSEnable(), true);
    QCOMPARE(m_port->CommPort(), 1);

    // Changed on the device, carried back to the simulator.
    m_port->SetSettings(QStringLiteral("4800,N,8,1"));
    m_port->SetDTREnable(true);
    m_port->SetPortOpen(false);
    m_port->SetCommPort(2);
    m_port->SetPortOpen(true);
    QCOMPARE(m_peer->HostBaud(), 4800);
    QCOMPARE(m_peer->HostDtr(), true);
    QCOMPARE(m_peer->HostRts(), true);
}

void RoutedPortTest::settingsRejectedWhileOpenStayEverywhere()
{
    m_port->SetSettings(QStringLiteral("19200,N,8,1"));
    m_port->SetCommPort(1);
    m_port->SetPortOpen(true);
    QVERIFY_THROWS_EXCEPTION(CommError, m_port->SetSettings(QStringLiteral("230400,N,8,1")));
    QCOMPARE(m_port->Settings(), QStringLiteral("19200,N,8,1"));
    QCOMPARE(m_pty->SlaveSpeed(), 19200);
    QCOMPARE(m_port->Simulated().Settings(), QStringLiteral("19200,N,8,1"));
}

void RoutedPortTest::openFailureOfDeviceLeavesPortClosed()
{
    m_port->SetCommPort(5);
    try {
        m_port->SetPortOpen(true);
        QFAIL("opening a missing device should fail");
    } catch (const CommError &e) {
        QCOMPARE(e.number(), CommErrorNumber::PortAbsent);
    }
    QVERIFY(!m_port->PortOpen());
    QCOMPARE(m_port->Target().device, QStringLiteral("/dev/ttyQuillonMissing5"));
    m_port->SetCommPort(2);
    m_port->SetPortOpen(true);
    QVERIFY(m_port->PortOpen());
}

void RoutedPortTest::eventsOfCurrentBackendAreForwarded()
{
    m_port->SetCommPort(1);
    m_port->SetPortOpen(true);
    QSignalSpy spy(m_port.get(), &SerialComm::OnComm);
    int seen = -1;
    connect(m_port.get(), &SerialComm::OnComm, this, [&] { seen = m_port->CommEvent(); });
    m_pty->CloseMaster();
    QVERIFY(spy.wait(2000));
    QCOMPARE(seen, CommEventCode::DeviceLost);
    QVERIFY(!m_port->PortOpen());

    m_port->SetCommPort(2);
    m_port->SetPortOpen(true);
    m_port->Simulated().SimulateDeviceLost();
    QVERIFY(!m_port->PortOpen());
    QVERIFY(spy.wait(1000));
    QTest::qWait(10);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(seen, CommEventCode::DeviceLost);
}

void RoutedPortTest::ioOnClosedPortThrows()
{
    QVERIFY_THROWS_EXCEPTION(CommError, m_port->Output("x"));
    QVERIFY_THROWS_EXCEPTION(CommError, m_port->Input());
    QCOMPARE(m_port->CTSHolding(), false);
    QVERIFY_THROWS_EXCEPTION(CommError, m_port->SetCommPort(0));
    QCOMPARE(m_port->CommPort(), 1);
}

QTEST_GUILESS_MAIN(RoutedPortTest)
#include "routed_port.moc"
