// AT+CMGS in PDU and text mode: prompt, body, Ctrl-Z, ESC and malformed bodies.
#include "ModuleBench.h"

#include <QtTest>

using namespace quillon::sim;
using namespace quillon::sim::test;

namespace {
const QByteArray kCtrlZ(1, '\x1A');
const QByteArray kEsc(1, '\x1B');
const QByteArray kPrompt = "\r\n> ";
} // namespace

class SimSmsSend : public QObject {
    Q_OBJECT
private slots:
    void pduMode_data();
    void pduMode();
    void textMode_data();
    void textMode();
    void bodyIsEchoedWithPrompt();
    void escapeInTheMiddleCancels();
    void bodyNeverEndedStaysBounded();
    void lateBodyAfterSlowPrompt();
    void notRegisteredRefusesToSend();
    void referencesCount();
};

void SimSmsSend::pduMode_data()
{
    QTest::addColumn<QByteArray>("length");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("text");
    const QByteArray sent = "\r\n+CMGS: 1\r\n\r\nOK\r\n";
    const QByteArray refused = "\r\n+CMS ERROR: 304\r\n";
    // "Hi" in UCS-2 to +8613987654321: 00 (no centre) 11 00 0D 91 683189674523F1 00 08 A7 04
    // 0048 0069; 15 octets of fields after the centre + 4 of user data = 19.
    QTest::newRow("ucs2 Hi, line end after Ctrl-Z")
        << QByteArray("19") << QByteArray("0011000D91683189674523F10008A70400480069") + kCtrlZ + "\r\n"
        << sent << QStringLiteral("+8613987654321") << QStringLiteral("Hi");
    QTest::newRow("ucs2 Chinese")
        << QByteArray("19") << QByteArray("0011000D91683189674523F10008A7044F60597D") + kCtrlZ
        << sent << QStringLiteral("+8613987654321") << QStringLiteral("你好");
    QTest::newRow("lower-case hex")
        << QByteArray("19") << QByteArray("0011000d91683189674523f10008a70400480069") + kCtrlZ
        << sent << QStringLiteral("+8613987654321") << QStringLiteral("Hi");
    QTest::newRow("published 7-bit submit with centre")
        << QByteArray("23") << QByteArray("0891683108200105F011000B916407281553F80000AA0AE8329BFD4697D9EC37") + kCtrlZ
        << sent << QStringLiteral("+46708251358") << QStringLiteral("hellohello");
    QTest::newRow("length does not match")
        << QByteArray("20") << QByteArray("0011000D91683189674523F10008A70400480069") + kCtrlZ
        << refused << QString() << QString();
    // A short number laid out under a 13-digit address length: 16 octets, not 19.
    QTest::newRow("short number under 13-digit address")
        << QByteArray("19") << QByteArray("0011000D91680180F60008A70400480069") + kCtrlZ
        << refused << QString() << QString();
    QTest::newRow("odd number of hex digits")
        << QByteArray("19") << QByteArray("0011000D91683189674523F10008A7040048006") + kCtrlZ
        << refused << QString() << QString();
    QTest::newRow("not hex") << QByteArray("19") << QByteArray("hello world") + kCtrlZ << refused
                             << QString() << QString();
    QTest::newRow("empty body") << QByteArray("19") << kCtrlZ << refused << QString() << QString();
    QTest::newRow("announced length out of range")
        << QByteArray("200") << QByteArray() << QByteArray("\r\n+CMS ERROR: 304\r\n") << QString() << QString();
    QTest::newRow("length not a number")
        << QByteArray("x") << QByteArray() << QByteArray("\r\nERROR\r\n") << QString() << QString();
}

void SimSmsSend::pduMode()
{
    QFETCH(QByteArray, length);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, reply);
    QFETCH(QString, destination);
    QFETCH(QString, text);
    ModuleBench bench;
    bench.Quiet();
    const QByteArray first = bench.Exchange("AT+CMGF=0\r\nAT+CMGS=" + length + "\r\n");
    if (!first.endsWith(kPrompt)) {
        QCOMPARE(first, "\r\nOK\r\n" + reply);
        QVERIFY(bench.module.SentMessages().isEmpty());
        return;
    }
    QCOMPARE(first, "\r\nOK\r\n" + kPrompt);
    QCOMPARE(bench.Exchange(body), reply);
    if (destination.isEmpty()) {
        QVERIFY(bench.module.SentMessages().isEmpty());
        QCOMPARE(bench.Exchange("AT\r"), QByteArray("\r\nOK\r\n"));
        return;
    }
    QCOMPARE(bench.module.SentMessages().size(), 1);
    const SentMessage &m = bench.module.SentMessages().constFirst();
    QVERIFY(m.pduMode);
    QCOMPARE(m.destination, destination);
    QCOMPARE(m.text, text);
    QCOMPARE(m.reference, 1);
}

void SimSmsSend::textMode_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("text");
    const QByteArray sent = "\r\n+CMGS: 1\r\n\r\nOK\r\n";
    QTest::newRow("quoted number") << QByteArray("AT+CMGS=\"10086\"") << QByteArray("abc") + kCtrlZ + "\r\n"
                                   << sent << QStringLiteral("10086") << QStringLiteral("abc");
    QTest::newRow("number with type") << QByteArray("AT+CMGS=\"+8613987654321\",145")
                                      << QByteArray("Hello") + kCtrlZ << sent
                                      << QStringLiteral("+8613987654321") << QStringLiteral("Hello");
    QTest::newRow("unquoted number accepted") << QByteArray("AT+CMGS=10086") << QByteArray("x") + kCtrlZ
                                              << sent << QStringLiteral("10086") << QStringLiteral("x");
    // Each CR inside the text gets a new prompt; the CR stays in the message.
    QTest::newRow("two lines") << QByteArray("AT+CMGS=\"10086\"") << QByteArray("a\rb") + kCtrlZ
                               << kPrompt + sent << QStringLiteral("10086") << QStringLiteral("a\rb");
    QTest::newRow("too long") << QByteArray("AT+CMGS=\"10086\"") << QByteArray(161, 'x') + kCtrlZ
                              << QByteArray("\r\n+CMS ERROR: 305\r\n") << QString() << QString();
    QTest::newRow("letters in number") << QByteArray("AT+CMGS=\"abc\"") << QByteArray()
                                       << QByteArray("\r\n+CMS ERROR: 305\r\n") << QString() << QString();
    QTest::newRow("no number") << QByteArray("AT+CMGS=") << QByteArray() << QByteArray("\r\nERROR\r\n")
                               << QString() << QString();
}

void SimSmsSend::textMode()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, reply);
    QFETCH(QString, destination);
    QFETCH(QString, text);
    ModuleBench bench;
    bench.Quiet();
    QCOMPARE(bench.Exchange("AT+CMGF=1\r\n"), QByteArray("\r\nOK\r\n"));
    const QByteArray first = bench.Exchange(command + "\r\n");
    if (first != kPrompt) {
        QCOMPARE(first, reply);
        return;
    }
    QCOMPARE(bench.Exchange(body), reply);
    if (destination.isEmpty()) {
        QVERIFY(bench.module.SentMessages().isEmpty());
        return;
    }
    const SentMessage &m = bench.module.SentMessages().constFirst();
    QVERIFY(!m.pduMode);
    QCOMPARE(m.destination, destination);
    QCOMPARE(m.text, text);
}

void SimSmsSend::bodyIsEchoedWithPrompt()
{
    ModuleBench bench;
    QCOMPARE(bench.Exchange("AT+CMGF=1\r\n"), QByteArray("AT+CMGF=1\r\n\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("AT+CMGS=\"10086\"\r\n"), "AT+CMGS=\"10086\"\r\n" + kPrompt);
    QCOMPARE(bench.Exchange("abc" + kCtrlZ + "\r\n"), "abc" + kCtrlZ + "\r\n\r\n+CMGS: 1\r\n\r\nOK\r\n");
    const QList<ReceivedLine> &lines = bench.module.ReceivedCommandLines();
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[2].messageBody);
    QCOMPARE(lines[2].text, "abc" + kCtrlZ);
}

void SimSmsSend::escapeInTheMiddleCancels()
{
    ModuleBench bench;
    bench.Quiet();
    QCOMPARE(bench.Exchange("AT+CMGS=19\r\n"), kPrompt);
    QCOMPARE(bench.Exchange("0011000D9168" + kEsc + "3189674523F1" + kCtrlZ + "\r\n"),
             QByteArray("\r\nOK\r\n"));
    QVERIFY(bench.module.SentMessages().isEmpty());
    QCOMPARE(bench.Exchange("AT\r"), QByteArray("\r\nOK\r\n"));
}

void SimSmsSend::bodyNeverEndedStaysBounded()
{
    ModuleBench bench;
    bench.Quiet();
    QCOMPARE(bench.Exchange("AT+CMGS=19\r"), kPrompt);
    // A host that keeps talking into the body: everything is taken as body text, bounded.
    for (int i = 0; i < 50; ++i)
        QCOMPARE(bench.Exchange("AT+CSQ\r\n" + QByteArray(1000, 'A'), 100), QByteArray());
    QCOMPARE(bench.Exchange(kCtrlZ), QByteArray("\r\n+CMS ERROR: 304\r\n"));
    QCOMPARE(bench.module.ReceivedCommandLines().constLast().text.size(),
             GsmModule::kBodyBufferSize + 1);
    QCOMPARE(bench.Exchange("AT\r"), QByteArray("\r\nOK\r\n"));
}

void SimSmsSend::lateBodyAfterSlowPrompt()
{
    // With a slow module the body can arrive before the prompt: it is taken as command input
    // and dropped, and the module then waits for a body.
    ModuleBench bench;
    bench.Quiet();
    bench.module.SetReplyDelayMs(600);
    bench.Send("AT+CMGS=19\r\n");
    QCOMPARE(bench.Wait(400), QByteArray());
    QCOMPARE(bench.Exchange("0011000D91683189674523F10008A70400480069" + kCtrlZ + "\r\n", 400), kPrompt);
    QVERIFY(bench.module.SentMessages().isEmpty());
    QCOMPARE(bench.Exchange(kEsc), QByteArray("\r\nOK\r\n"));
}

void SimSmsSend::notRegisteredRefusesToSend()
{
    ModuleBench bench;
    bench.Quiet();
    bench.module.SetRegistration(Registration{0, 2});
    QCOMPARE(bench.Exchange("AT+CMGS=19\r"), kPrompt);
    QCOMPARE(bench.Exchange("0011000D91683189674523F10008A70400480069" + kCtrlZ),
             QByteArray("\r\n+CMS ERROR: 331\r\n"));
}

void SimSmsSend::referencesCount()
{
    ModuleBench bench;
    bench.Quiet();
    bench.Exchange("AT+CMGF=1\r");
    for (int i = 1; i <= 3; ++i) {
        QCOMPARE(bench.Exchange("AT+CMGS=\"10086\"\r"), kPrompt);
        QCOMPARE(bench.Exchange("m" + kCtrlZ), "\r\n+CMGS: " + QByteArray::number(i) + "\r\n\r\nOK\r\n");
    }
    QCOMPARE(bench.module.SentMessages().size(), 3);
}

QTEST_APPLESS_MAIN(SimSmsSend)
#include "tst_sim_sms_send.moc"
