// The simulated port's input lines, its events and the faults a test can inject.
#include "support/ScriptedPeer.h"
#include "serial/SimSerialComm.h"

#include <QSignalSpy>
#include <QTest>

using namespace quillon;

Q_DECLARE_METATYPE(quillon::PeerLines)

class SimFaultsAndLinesTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void inputLinesComeFromPeer();
    void lineChangeRaisesEventFromEventLoop_data();
    void lineChangeRaisesEventFromEventLoop();
    void peerSeesOpenCloseAndOutputLines();
    void defaultsBeforeFirstOpen();
    void openFailureLeavesPortClosed_data();
    void openFailureLeavesPortClosed();
    void outputFailureThrowsAndSendsNothing();
    void deviceLostClosesAndRaisesOneEvent();
    void deviceLostWhileClosedDoesNothing();
    void portWithoutPeerStillWorks();
    void unsupportedOpenTimeValuesAreRefused();

private:
    qint64 m_now = 0;
    std::unique_ptr<ScriptedPeer> m_peer;
    std::unique_ptr<SimSerialComm> m_port;
};

void SimFaultsAndLinesTest::init()
{
    m_now = 5'000;
    m_peer = std::make_unique<ScriptedPeer>();
    m_port = std::make_unique<SimSerialComm>(m_peer.get());
    m_port->SetClock([this] { return m_now; });
}

void SimFaultsAndLinesTest::cleanup()
{
    m_port.reset();
    m_peer.reset();
}

void SimFaultsAndLinesTest::inputLinesComeFromPeer()
{
    m_peer->SetLines({true, false, true});
    QCOMPARE(m_port->DSRHolding(), false); // closed
    m_port->SetPortOpen(true);
    QCOMPARE(m_port->DSRHolding(), true);
    QCOMPARE(m_port->CTSHolding(), false);
    QCOMPARE(m_port->CDHolding(), true);
    m_peer->SetLines({false, true, false});
    QCOMPARE(m_port->DSRHolding(), false);
    QCOMPARE(m_port->CTSHolding(), true);
    QCOMPARE(m_port->CDHolding(), false);
    m_port->SetPortOpen(false);
    QCOMPARE(m_port->CTSHolding(), false);
}

void SimFaultsAndLinesTest::lineChangeRaisesEventFromEventLoop_data()
{
    QTest::addColumn<PeerLines>("after");
    QTest::addColumn<int>("event");
    QTest::newRow("CTS rises") << PeerLines{false, true, false} << CommEventCode::CtsChanged;
    QTest::newRow("DSR rises") << PeerLines{true, false, false} << CommEventCode::DsrChanged;
    QTest::newRow("CD rises") << PeerLines{false, false, true} << CommEventCode::CdChanged;
}

void SimFaultsAndLinesTest::lineChangeRaisesEventFromEventLoop()
{
    QFETCH(PeerLines, after);
    QFETCH(int, event);
    m_port->SetPortOpen(true);
    QSignalSpy spy(m_port.get(), &SerialComm::OnComm);
    m_port->DSRHolding();
    QCoreApplication::processEvents();
    QCOMPARE(spy.count(), 0);

    int seenInHandler = -1;
    connect(m_port.get(), &SerialComm::OnComm, this, [&] { seenInHandler = m_port->CommEvent(); });
    m_peer->SetLines(after);
    m_port->DSRHolding();
    QCOMPARE(spy.count(), 0); // never from inside a call into the port
    QVERIFY(spy.wait(1000));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(seenInHandler, event);
}

void SimFaultsAndLinesTest::peerSeesOpenCloseAndOutputLines()
{
    m_port->SetSettings(QStringLiteral("38400,N,8,1"));
    m_port->SetPortOpen(true);
    QVERIFY(m_peer->HostOpen());
    QCOMPARE(m_peer->HostBaud(), 38400);
    QCOMPARE(m_peer->HostDtr(), true);
    QCOMPARE(m_peer->HostRts(), false);
    m_port->SetRTSEnable(true);
    QCOMPARE(m_peer->HostRts(), true);
    m_port->SetDTREnable(false);
    QCOMPARE(m_peer->HostDtr(), false);
    m_port->SetPortOpen(false);
    QVERIFY(!m_peer->HostOpen());
    QCOMPARE(m_peer->OpenCount(), 1);
    QCOMPARE(m_peer->CloseCount(), 1);
}

void SimFaultsAndLinesTest::defaultsBeforeFirstOpen()
{
    SimSerialComm fresh;
    QCOMPARE(fresh.CommPort(), 1);
    QCOMPARE(fresh.Settings(), QStringLiteral("9600,N,8,1"));
    QCOMPARE(fresh.DTREnable(), true);
    QCOMPARE(fresh.RTSEnable(), false);
    QCOMPARE(fresh.PortOpen(), false);
    QCOMPARE(fresh.CommEvent(), CommEventCode::None);
    QCOMPARE(fresh.OutBufferSize(), SerialComm::kOutBufferSize);
}

void SimFaultsAndLinesTest::openFailureLeavesPortClosed_data()
{
    QTest::addColumn<int>("number");
    QTest::newRow("absent") << CommErrorNumber::PortAbsent;
    QTest::newRow("busy") << CommErrorNumber::PortBusy;
    QTest::newRow("permission") << CommErrorNumber::PermissionDenied;
}

void SimFaultsAndLinesTest::openFailureLeavesPortClosed()
{
    QFETCH(int, number);
    m_port->SetOpenFailure(number);
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            m_port->SetPortOpen(true);
            QFAIL("open should have failed");
        } catch (const CommError &e) {
            QCOMPARE(e.number(), number);
        }
        QVERIFY(!m_port->PortOpen());
    }
    QCOMPARE(m_peer->OpenCount(), 0);
    m_port->SetOpenFailure(0);
    m_port->SetPortOpen(true);
    QVERIFY(m_port->PortOpen());
}

void SimFaultsAndLinesTest::outputFailureThrowsAndSendsNothing()
{
    m_port->SetPortOpen(true);
    m_port->SetOutputFailure(true);
    try {
        m_port->Output("AT\r\n");
        QFAIL("Output should have failed");
    } catch (const CommError &e) {
        QCOMPARE(e.number(), CommErrorNumber::DeviceIoError);
    }
    QVERIFY(m_port->PortOpen());
    QVERIFY(m_port->Writes().empty());
    QCOMPARE(m_port->OutBufferCount(), 0);
    m_port->SetOutputFailure(false);
    m_port->Output("AT\r\n");
    m_now += 100;
    QCOMPARE(m_port->OutBufferCount(), 0);
    QCOMPARE(m_peer->AllReceived(), QByteArray("AT\r\n"));
}

void SimFaultsAndLinesTest::deviceLostClosesAndRaisesOneEvent()
{
    m_port->SetPortOpen(true);
    QSignalSpy spy(m_port.get(), &SerialComm::OnComm);
    m_port->SimulateDeviceLost();
    QVERIFY(!m_port->PortOpen());
    QCOMPARE(m_port->CommEvent(), CommEventCode::DeviceLost);
    QCOMPARE(m_peer->CloseCount(), 1);
    QCOMPARE(spy.count(), 0);
    QVERIFY(spy.wait(1000));
    QTest::qWait(10);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(m_port->CommEvent(), CommEventCode::DeviceLost);

    QVERIFY_THROWS_EXCEPTION(CommError, m_port->Output("x"));
    m_port->SetPortOpen(false); // the window's close steps run on a closed port: quiet
    m_port->SetPortOpen(true);  // a replugged device opens again
    QVERIFY(m_port->PortOpen());
}

void SimFaultsAndLinesTest::deviceLostWhileClosedDoesNothing()
{
    QSignalSpy spy(m_port.get(), &SerialComm::OnComm);
    m_port->SimulateDeviceLost();
    QTest::qWait(10);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(m_port->CommEvent(), CommEventCode::None);
}

void SimFaultsAndLinesTest::portWithoutPeerStillWorks()
{
    qint64 now = 0; // before the port: its destructor still reads the clock
    SimSerialComm alone;
    alone.SetClock([&] { return now; });
    alone.SetPortOpen(true);
    alone.Output(QByteArray(96, 'q'));
    QCOMPARE(alone.OutBufferCount(), 96);
    now += 100;
    QCOMPARE(alone.OutBufferCount(), 0);
    QCOMPARE(alone.Input(), QByteArray());
    QCOMPARE(alone.CDHolding(), false);

    alone.SetPeer(m_peer.get()); // plugged in while open
    QVERIFY(m_peer->HostOpen());
    m_peer->QueueForHost("hi", now);
    QCOMPARE(alone.Input(), QByteArray("hi"));
    alone.SetPeer(nullptr);
    QVERIFY(!m_peer->HostOpen());
}

void SimFaultsAndLinesTest::unsupportedOpenTimeValuesAreRefused()
{
    m_port->SetInputLen(0);
    m_port->SetInputMode(1);
    m_port->SetHandshaking(0);
    m_port->SetRThreshold(0);
    m_port->SetSThreshold(0);
    QCOMPARE(m_port->InputMode(), 1);
    QVERIFY_THROWS_EXCEPTION(CommError, m_port->SetInputLen(10));
    QVERIFY_THROWS_EXCEPTION(CommError, m_port->SetHandshaking(2));
    QVERIFY_THROWS_EXCEPTION(CommError, m_port->SetRThreshold(1));
    QCOMPARE(m_port->InputLen(), 0);
    QCOMPARE(m_port->Handshaking(), 0);
}

QTEST_GUILESS_MAIN(SimFaultsAndLinesTest)
#include "sim_port_faults_and_lines.moc"
