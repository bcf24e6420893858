// Calls: an incoming call rings with caller ID, is listed, answered and hung up; CD follows.
#include "ModuleBench.h"

#include <QtTest>

using namespace quillon::sim;
using namespace quillon::sim::test;

class SimCalls : public QObject {
    Q_OBJECT
private slots:
    void ringing_data();
    void ringing();
    void answerAndHangUp();
    void rejectWhileRinging();
    void dialledCallConnects();
    void farEndHangsUp();
    void autoAnswerAfterRings();
    void noVoiceCallWithoutNetwork();
};

void SimCalls::ringing_data()
{
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QByteArray>("ring");
    QTest::newRow("plain RING") << QByteArray() << QStringLiteral("13912345678")
                                << QByteArray("\r\nRING\r\n");
    QTest::newRow("RING with caller ID")
        << QByteArray("AT+CLIP=1\r") << QStringLiteral("13912345678")
        << QByteArray("\r\nRING\r\n\r\n+CLIP: \"13912345678\",129\r\n");
    QTest::newRow("international caller ID")
        << QByteArray("AT+CLIP=1\r") << QStringLiteral("+8613912345678")
        << QByteArray("\r\nRING\r\n\r\n+CLIP: \"+8613912345678\",145\r\n");
    QTest::newRow("cellular result codes") << QByteArray("AT+CRC=1\r") << QStringLiteral("10086")
                                           << QByteArray("\r\n+CRING: VOICE\r\n");
}

void SimCalls::ringing()
{
    QFETCH(QByteArray, setup);
    QFETCH(QString, number);
    QFETCH(QByteArray, ring);
    ModuleBench bench;
    bench.Quiet();
    if (!setup.isEmpty())
        QCOMPARE(bench.Exchange(setup), QByteArray("\r\nOK\r\n"));
    bench.module.StartIncomingCall(number);
    QCOMPARE(bench.Wait(100), ring);
    QVERIFY(bench.module.Lines(bench.nowMs).cd);
    QCOMPARE(bench.Wait(GsmModule::kRingIntervalMs - 200), QByteArray());
    QCOMPARE(bench.Wait(200), ring);
    // After a long silence only one ring is due, not every one missed.
    QCOMPARE(bench.Wait(60 * GsmModule::kRingIntervalMs), ring);
}

void SimCalls::answerAndHangUp()
{
    ModuleBench bench;
    bench.Quiet();
    bench.module.StartIncomingCall(QStringLiteral("13912345678"));
    bench.Wait(100);
    QCOMPARE(bench.Exchange("AT+CLCC\r"), QByteArray("\r\n+CLCC: 1,1,4,0,0,\"13912345678\",129\r\n\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("ATA\r"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("AT+CLCC\r"), QByteArray("\r\n+CLCC: 1,1,0,0,0,\"13912345678\",129\r\n\r\nOK\r\n"));
    QCOMPARE(bench.Wait(2 * GsmModule::kRingIntervalMs), QByteArray()); // no more rings
    QCOMPARE(bench.Exchange("AT+VTS=5\r"), QByteArray("\r\nOK\r\n"));
    QVERIFY(bench.module.Lines(bench.nowMs).cd);
    QCOMPARE(bench.Exchange("ATH\r"), QByteArray("\r\nOK\r\n"));
    QVERIFY(!bench.module.Lines(bench.nowMs).cd);
    QCOMPARE(bench.Exchange("AT+CLCC\r"), QByteArray("\r\nOK\r\n"));
}

void SimCalls::rejectWhileRinging()
{
    ModuleBench bench;
    bench.Quiet();
    bench.module.StartIncomingCall(QStringLiteral("10086"));
    bench.Wait(100);
    QCOMPARE(bench.Exchange("AT+VTS=1\r"), QByteArray("\r\n+CME ERROR: 3\r\n"));
    QCOMPARE(bench.Exchange("ATH\r"), QByteArray("\r\nOK\r\n"));
    QVERIFY(!bench.module.InCall());
    QCOMPARE(bench.Wait(2 * GsmModule::kRingIntervalMs), QByteArray());
}

void SimCalls::dialledCallConnects()
{
    ModuleBench bench;
    bench.Quiet();
    QCOMPARE(bench.Exchange("ATD10086;\r", 100), QByteArray("\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("AT+CLCC\r", 100), QByteArray("\r\n+CLCC: 1,0,2,0,0,\"10086\",129\r\n\r\nOK\r\n"));
    bench.Wait(GsmModule::kDialToActiveMs);
    QCOMPARE(bench.Exchange("AT+CLCC\r"), QByteArray("\r\n+CLCC: 1,0,0,0,0,\"10086\",129\r\n\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("ATD10010;\r"), QByteArray("\r\n+CME ERROR: 3\r\n"));
}

void SimCalls::farEndHangsUp()
{
    ModuleBench bench;
    bench.Quiet();
    bench.module.StartIncomingCall(QStringLiteral("10086"));
    bench.Exchange("ATA\r");
    bench.module.EndCall();
    QCOMPARE(bench.Wait(100), QByteArray("\r\nNO CARRIER\r\n"));
    QVERIFY(!bench.module.Lines(bench.nowMs).cd);
}

void SimCalls::autoAnswerAfterRings()
{
    ModuleBench bench;
    bench.Quiet();
    QCOMPARE(bench.Exchange("ATS0=2\r"), QByteArray("\r\nOK\r\n"));
    bench.module.StartIncomingCall(QStringLiteral("10086"));
    bench.Wait(GsmModule::kRingIntervalMs + 100);
    QCOMPARE(bench.Exchange("AT+CLCC\r"), QByteArray("\r\n+CLCC: 1,1,0,0,0,\"10086\",129\r\n\r\nOK\r\n"));
}

void SimCalls::noVoiceCallWithoutNetwork()
{
    ModuleBench bench;
    bench.Quiet();
    bench.module.SetRegistration(Registration{0, 3});
    QCOMPARE(bench.Exchange("ATD10086;\r"), QByteArray("\r\nNO CARRIER\r\n"));
    QVERIFY(!bench.module.InCall());
}

QTEST_APPLESS_MAIN(SimCalls)
#include "tst_sim_calls.moc"
