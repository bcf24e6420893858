#include "PortContract.h"

#include <QCoreApplication>
#include <QTest>

namespace quillon::test {

namespace {

constexpr int kMaxSteps = 1000;

int ErrorNumberOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const CommError &e) {
        return e.number();
    }
    return 0;
}

} // namespace

void PortContractTest::init()
{
    m_fixture = m_make();
    QVERIFY(m_fixture);
}

void PortContractTest::cleanup() { m_fixture.reset(); }

QByteArray PortContractTest::FarReceiveAtLeast(qsizetype count)
{
    QByteArray got = m_fixture->TakeFarReceived();
    for (int i = 0; i < kMaxSteps && got.size() < count; ++i) {
        m_fixture->Port().OutBufferCount(); // a pull-driven backend moves bytes on any call
        m_fixture->Step();
        got += m_fixture->TakeFarReceived();
    }
    return got;
}

QByteArray PortContractTest::PortInputAtLeast(qsizetype count)
{
    QByteArray got = m_fixture->Port().Input();
    for (int i = 0; i < kMaxSteps && got.size() < count; ++i) {
        m_fixture->Step();
        got += m_fixture->Port().Input();
    }
    return got;
}

void PortContractTest::settingsHeldWhileClosedApplyAtOpen()
{
    SerialComm &port = m_fixture->Port();
    port.SetSettings(QStringLiteral("57600,N,8,1"));
    QCOMPARE(port.Settings(), QStringLiteral("57600,N,8,1"));
    QVERIFY(!port.PortOpen());
    port.SetPortOpen(true);
    QCOMPARE(m_fixture->FarBaud(), 57600);
    QCOMPARE(port.Settings(), QStringLiteral("57600,N,8,1"));
}

void PortContractTest::settingsChangeWhileOpenReachesDevice()
{
    SerialComm &port = m_fixture->Port();
    port.SetSettings(QStringLiteral("9600,N,8,1"));
    port.SetPortOpen(true);
    port.SetSettings(QStringLiteral("115200,N,8,1"));
    QCOMPARE(m_fixture->FarBaud(), 115200);
    port.SetSettings(QStringLiteral("1200,N,8,1"));
    QCOMPARE(m_fixture->FarBaud(), 1200);
    QCOMPARE(port.Settings(), QStringLiteral("1200,N,8,1"));
}

void PortContractTest::rejectedSettingsKeepEarlier_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("rejected");
    QTest::newRow("closed, speed outside the list") << false << "230400,N,8,1";
    QTest::newRow("closed, even parity") << false << "19200,E,8,1";
    QTest::newRow("open, speed outside the list") << true << "230400,N,8,1";
    QTest::newRow("open, garbage") << true << "fast";
}

void PortContractTest::rejectedSettingsKeepEarlier()
{
    QFETCH(bool, open);
    QFETCH(QString, rejected);
    SerialComm &port = m_fixture->Port();
    port.SetSettings(QStringLiteral("19200,N,8,1"));
    if (open)
        port.SetPortOpen(true);

    QCOMPARE(ErrorNumberOf([&] { port.SetSettings(rejected); }), CommErrorNumber::InvalidSettings);
    QCOMPARE(port.Settings(), QStringLiteral("19200,N,8,1"));

    if (!open)
        port.SetPortOpen(true);
    QCOMPARE(m_fixture->FarBaud(), 19200);
}

void PortContractTest::outputLinesHeldWhileClosedApplyAtOpen()
{
    SerialComm &port = m_fixture->Port();
    port.SetDTREnable(false);
    port.SetRTSEnable(true);
    QCOMPARE(port.DTREnable(), false);
    QCOMPARE(port.RTSEnable(), true);
    port.SetPortOpen(true);
    QCOMPARE(port.DTREnable(), false);
    QCOMPARE(port.RTSEnable(), true);
    const std::optional<FarLines> far = m_fixture->FarOutputLines();
    if (!far)
        QSKIP("this device has no modem lines to observe");
    QCOMPARE(far->dtr, false);
    QCOMPARE(far->rts, true);
}

void PortContractTest::outputLinesFollowWhileOpen()
{
    SerialComm &port = m_fixture->Port();
    port.SetPortOpen(true);
    port.SetDTREnable(true);
    port.SetRTSEnable(false);
    QCOMPARE(port.DTREnable(), true);
    QCOMPARE(port.RTSEnable(), false);
    std::optional<FarLines> far = m_fixture->FarOutputLines();
    if (!far)
        QSKIP("this device has no modem lines to observe");
    QCOMPARE(far->dtr, true);
    QCOMPARE(far->rts, false);
    port.SetDTREnable(false);
    port.SetRTSEnable(true);
    far = m_fixture->FarOutputLines();
    QCOMPARE(far->dtr, false);
    QCOMPARE(far->rts, true);
}

void PortContractTest::ioOnClosedPortThrowsPortNotOpen_data()
{
    QTest::addColumn<int>("call");
    QTest::newRow("Output") << 0;
    QTest::newRow("Input") << 1;
    QTest::newRow("InBufferCount") << 2;
    QTest::newRow("OutBufferCount") << 3;
}

void PortContractTest::ioOnClosedPortThrowsPortNotOpen()
{
    QFETCH(int, call);
    SerialComm &port = m_fixture->Port();
    const std::function<void()> calls[] = {
        [&] { port.Output("AT\r\n"); },
        [&] { port.Input(); },
        [&] { port.InBufferCount(); },
        [&] { port.OutBufferCount(); },
    };
    QCOMPARE(ErrorNumberOf(calls[call]), CommErrorNumber::PortNotOpen);
    // The same after an open and a close.
    port.SetPortOpen(true);
    port.SetPortOpen(false);
    QCOMPARE(ErrorNumberOf(calls[call]), CommErrorNumber::PortNotOpen);
}

void PortContractTest::inputEmptyWhenNoneWait()
{
    SerialComm &port = m_fixture->Port();
    port.SetPortOpen(true);
    m_fixture->Step();
    QCOMPARE(port.InBufferCount(), 0);
    QCOMPARE(port.Input(), QByteArray());
    QCOMPARE(port.OutBufferCount(), 0);
}

void PortContractTest::inputLinesReadFalseWhileClosed()
{
    SerialComm &port = m_fixture->Port();
    QCOMPARE(port.DSRHolding(), false);
    QCOMPARE(port.CTSHolding(), false);
    QCOMPARE(port.CDHolding(), false);
}

void PortContractTest::openTwiceThrowsAndStaysOpen()
{
    SerialComm &port = m_fixture->Port();
    port.SetPortOpen(true);
    QCOMPARE(ErrorNumberOf([&] { port.SetPortOpen(true); }), CommErrorNumber::PortAlreadyOpen);
    QVERIFY(port.PortOpen());
    port.Output("x");
    QCOMPARE(FarReceiveAtLeast(1), QByteArray("x"));
}

void PortContractTest::closeIsQuietAndRepeatable()
{
    SerialComm &port = m_fixture->Port();
    port.SetPortOpen(false);
    port.SetPortOpen(true);
    port.SetPortOpen(false);
    port.SetPortOpen(false);
    QVERIFY(!port.PortOpen());
    port.SetPortOpen(true);
    QVERIFY(port.PortOpen());
}

void PortContractTest::bytesPassBothWaysInOrder()
{
    SerialComm &port = m_fixture->Port();
    port.SetSettings(QStringLiteral("115200,N,8,1"));
    port.SetPortOpen(true);

    port.Output("AT+CSQ\r\n");
    port.Output("AT\r");
    QCOMPARE(FarReceiveAtLeast(11), QByteArray("AT+CSQ\r\nAT\r"));
    QCOMPARE(port.OutBufferCount(), 0);

    m_fixture->SendToPort("\r\n+CSQ: 21,0\r\n");
    m_fixture->SendToPort("\r\nOK\r\n");
    const QByteArray expected("\r\n+CSQ: 21,0\r\n\r\nOK\r\n");
    QCOMPARE(PortInputAtLeast(expected.size()), expected);
    QCOMPARE(port.InBufferCount(), 0);
}

void PortContractTest::reopenStartsWithEmptyInput()
{
    SerialComm &port = m_fixture->Port();
    port.SetPortOpen(true);
    m_fixture->SendToPort("stale");
    for (int i = 0; i < kMaxSteps && port.InBufferCount() < 5; ++i)
        m_fixture->Step();
    QCOMPARE(port.InBufferCount(), 5);
    port.SetPortOpen(false);
    port.SetPortOpen(true);
    m_fixture->Step();
    QCOMPARE(port.Input(), QByteArray());
}

int RunPortContract(int argc, char **argv, FixtureFactory make)
{
    QCoreApplication app(argc, argv);
    PortContractTest test(std::move(make));
    return QTest::qExec(&test, argc, argv);
}

} // namespace quillon::test
