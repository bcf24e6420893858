// Line speed (fixed, automatic detection, pacing) and power (AT^SMSO, DTR pulse, reset).
#include "ModuleBench.h"

#include <QtTest>

using namespace quillon::sim;
using namespace quillon::sim::test;

class SimSpeedAndPower : public QObject {
    Q_OBJECT
private slots:
    void answersOnlyAtItsSpeed_data();
    void answersOnlyAtItsSpeed();
    void speedSearchLikeTheModuleTest();
    void autoBaudAfterFactoryProfile();
    void autoBaudAfterIprZero();
    void fixedSpeedTakesEffectAfterTheReply();
    void outputIsPacedAtTheLineSpeed();
    void hostAtOtherSpeedSeesNoise();
    void switchOffAndDtrPulse();
    void shortDtrDipDoesNotSwitchOn();
    void openingWithDtrHighDoesNotSwitchOn();
    void resetRestartsWithStartupLine();
    void linesFollowPower();
    void dtrDropAbandonsMessageInput();
};

void SimSpeedAndPower::answersOnlyAtItsSpeed_data()
{
    QTest::addColumn<int>("moduleBaud");
    QTest::addColumn<int>("hostBaud");
    QTest::addColumn<bool>("answers");
    QTest::newRow("115200 both") << 115200 << 115200 << true;
    QTest::newRow("9600 both") << 9600 << 9600 << true;
    QTest::newRow("module 9600, host 115200") << 9600 << 115200 << false;
    QTest::newRow("module 115200, host 57600") << 115200 << 57600 << false;
    QTest::newRow("module 300, host 300") << 300 << 300 << true;
}

void SimSpeedAndPower::answersOnlyAtItsSpeed()
{
    QFETCH(int, moduleBaud);
    QFETCH(int, hostBaud);
    QFETCH(bool, answers);
    ModuleBench bench;
    bench.module.SetBaud(moduleBaud);
    bench.baud = hostBaud;
    QList<LogEvent> ignored;
    bench.module.SetLogHook([&ignored](const LogEvent &e) {
        if (e.kind == LogEvent::Kind::Ignored)
            ignored << e;
    });
    // CR only: at 300 bps an LF would arrive (and be echoed) after the reply.
    const QByteArray reply = bench.Exchange("AT&F\r", 2000);
    QCOMPARE(reply, answers ? QByteArray("AT&F\r\r\nOK\r\n") : QByteArray());
    QCOMPARE(ignored.isEmpty(), answers);
    QCOMPARE(bench.module.ReceivedCommandLines().isEmpty(), !answers);
}

void SimSpeedAndPower::speedSearchLikeTheModuleTest()
{
    // The tool tries 115200 and steps down; a module fixed at 9600 answers the 7th attempt.
    ModuleBench bench;
    bench.module.SetBaud(9600);
    const int speeds[] = {115200, 57600, 38400, 28800, 19200, 14400, 9600};
    for (int speed : speeds) {
        bench.baud = speed;
        const QByteArray reply = bench.Exchange("AT&F\r\n", 500);
        QCOMPARE(reply.contains("OK"), speed == 9600);
    }
    QVERIFY(bench.module.AutoBaud());
    QCOMPARE(bench.module.Baud(), 9600);
}

void SimSpeedAndPower::autoBaudAfterFactoryProfile()
{
    ModuleBench bench;
    bench.Quiet();
    QCOMPARE(bench.Exchange("AT&F;E0\r"), QByteArray("\r\nOK\r\n"));
    QVERIFY(bench.module.AutoBaud());
    // The next "AT" at another speed is measured and answered at that speed.
    bench.baud = 19200;
    QCOMPARE(bench.Exchange("AT\r"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(bench.module.Baud(), 19200);
    bench.baud = 4800;
    QCOMPARE(bench.Exchange("at+csq\r"), QByteArray("\r\n+CSQ: 20,0\r\n\r\nOK\r\n"));
    // A speed no module detects stays unanswered.
    bench.baud = 50;
    QCOMPARE(bench.Exchange("AT\r", 3000), QByteArray());
    QCOMPARE(bench.module.Baud(), 4800);
}

void SimSpeedAndPower::autoBaudAfterIprZero()
{
    ModuleBench bench;
    bench.Quiet();
    QCOMPARE(bench.Exchange("AT+IPR=0\r"), QByteArray("\r\nOK\r\n"));
    bench.baud = 38400;
    QCOMPARE(bench.Exchange("AT+IPR?\r"), QByteArray("\r\n+IPR: 0\r\n\r\nOK\r\n"));
    // Stored as the power-on speed: after a reset there is no known speed, so no ^SYSSTART.
    QCOMPARE(bench.Exchange("AT&W+CFUN=1,1\r"), QByteArray("\r\nOK\r\n"));
    bench.baud = 2400;
    QCOMPARE(bench.Exchange("AT\r"), QByteArray("\r\nOK\r\n"));
}

void SimSpeedAndPower::fixedSpeedTakesEffectAfterTheReply()
{
    ModuleBench bench;
    bench.Quiet();
    QCOMPARE(bench.Exchange("AT+IPR=9600\r"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("AT\r"), QByteArray());
    bench.baud = 9600;
    QCOMPARE(bench.Exchange("AT+IPR?\r"), QByteArray("\r\n+IPR: 9600\r\n\r\nOK\r\n"));
}

void SimSpeedAndPower::outputIsPacedAtTheLineSpeed()
{
    // 300 bps: 10 bits per byte, 33.3 ms a character. "AT\r" echo (3) + "\r\nOK\r\n" (6).
    ModuleBench bench;
    bench.module.SetBaud(300);
    bench.baud = 300;
    bench.Send("AT\r");
    // Each echoed character leaves one character time after it came in.
    QByteArray got = bench.Wait(40);
    QCOMPARE(got, QByteArray("AT\r"));
    got += bench.Wait(100);
    QVERIFY2(got.size() < 9, got.constData());
    got += bench.Wait(400);
    QCOMPARE(got, QByteArray("AT\r\r\nOK\r\n"));
}

void SimSpeedAndPower::hostAtOtherSpeedSeesNoise()
{
    ModuleBench bench;
    bench.module.StartIncomingCall(QStringLiteral("13912345678"));
    const QByteArray noise = bench.module.TakeForHost(9600, bench.nowMs += 100);
    QCOMPARE(noise.size(), QByteArray("\r\nRING\r\n").size());
    for (char c : noise)
        QVERIFY(quint8(c) >= 0x80);
}

void SimSpeedAndPower::switchOffAndDtrPulse()
{
    ModuleBench bench;
    bench.Quiet();
    bench.module.HostOpened(bench.baud, bench.nowMs);
    bench.module.HostLines(true, true, bench.nowMs);
    QCOMPARE(bench.Exchange("AT^SMSO\r"), QByteArray("\r\n^SMSO: MS OFF\r\n\r\nOK\r\n"));
    QVERIFY(!bench.module.Powered());
    QCOMPARE(bench.Exchange("AT\r"), QByteArray());
    QVERIFY(bench.module.ReceivedCommandLines().size() == 1);

    // The power-on button: DTR down 50 ms, then up.
    bench.module.HostLines(false, true, bench.nowMs);
    bench.module.HostLines(true, true, bench.nowMs += 50);
    QVERIFY(bench.module.Powered());
    QCOMPARE(bench.Exchange("AT\r", 100), QByteArray()); // still starting
    QCOMPARE(bench.Wait(GsmModule::kBootMs), QByteArray("\r\n^SYSSTART\r\n"));
    QCOMPARE(bench.Exchange("AT\r"), QByteArray("\r\nOK\r\n"));
}

void SimSpeedAndPower::shortDtrDipDoesNotSwitchOn()
{
    ModuleBench bench;
    bench.module.SetPowered(false);
    bench.module.HostOpened(bench.baud, bench.nowMs);
    bench.module.HostLines(true, true, bench.nowMs);
    bench.module.HostLines(false, true, bench.nowMs += 1);
    bench.module.HostLines(true, true, bench.nowMs += GsmModule::kMinPowerPulseMs - 1);
    QVERIFY(!bench.module.Powered());
    QCOMPARE(bench.Wait(1000), QByteArray());
}

void SimSpeedAndPower::openingWithDtrHighDoesNotSwitchOn()
{
    ModuleBench bench;
    bench.module.SetPowered(false);
    bench.module.HostOpened(bench.baud, bench.nowMs);
    bench.module.HostLines(true, true, bench.nowMs += 100);
    QVERIFY(!bench.module.Powered());
    // A port opened with DTR low and raised later is a pulse.
    bench.module.HostClosed(bench.nowMs += 10);
    bench.module.HostOpened(bench.baud, bench.nowMs += 10);
    bench.module.HostLines(false, false, bench.nowMs);
    bench.module.HostLines(true, false, bench.nowMs += 20);
    QVERIFY(bench.module.Powered());
}

void SimSpeedAndPower::resetRestartsWithStartupLine()
{
    ModuleBench bench;
    bench.Quiet();
    bench.Send("AT+CFUN=1,1\r");
    QCOMPARE(bench.Wait(50), QByteArray("\r\nOK\r\n"));
    QVERIFY(bench.module.Booting());
    QCOMPARE(bench.Exchange("AT\r", 50), QByteArray());
    QCOMPARE(bench.Wait(GsmModule::kBootMs), QByteArray("\r\n^SYSSTART\r\n"));
    QCOMPARE(bench.Exchange("AT\r"), QByteArray("\r\nOK\r\n"));
    // Commands after the reset in the same line are not run.
    QCOMPARE(bench.Exchange("AT+CFUN=1,1;+CSQ\r"), QByteArray("\r\nOK\r\n\r\n^SYSSTART\r\n"));
}

void SimSpeedAndPower::linesFollowPower()
{
    ModuleBench bench;
    quillon::PeerLines lines = bench.module.Lines(bench.nowMs);
    QVERIFY(lines.dsr && lines.cts && !lines.cd);
    bench.module.SetInputLines(false, true);
    lines = bench.module.Lines(bench.nowMs);
    QVERIFY(!lines.dsr && lines.cts);
    bench.module.SetPowered(false);
    lines = bench.module.Lines(bench.nowMs);
    QVERIFY(!lines.dsr && !lines.cts && !lines.cd);
}

void SimSpeedAndPower::dtrDropAbandonsMessageInput()
{
    ModuleBench bench;
    bench.Quiet();
    bench.module.HostOpened(bench.baud, bench.nowMs);
    bench.module.HostLines(true, true, bench.nowMs);
    QCOMPARE(bench.Exchange("AT+CMGS=19\r"), QByteArray("\r\n> "));
    bench.module.HostLines(false, true, bench.nowMs += 50);
    bench.module.HostLines(true, true, bench.nowMs += 50);
    QCOMPARE(bench.Exchange("AT\r"), QByteArray("\r\nOK\r\n"));
}

QTEST_APPLESS_MAIN(SimSpeedAndPower)
#include "tst_sim_speed_and_power.moc"
