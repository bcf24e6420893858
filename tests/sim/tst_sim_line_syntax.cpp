// V.250 command-line handling: splitting, echo, line ends, chaining and malformed input.
#include "ModuleBench.h"
#include "sim/AtCommandLine.h"

#include <QtTest>

using namespace quillon::sim;
using namespace quillon::sim::test;

class SimLineSyntax : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void exchange_data();
    void exchange();
    void echoFollowsEveryCharacter();
    void echoOffAndOn();
    void overlongLineIsBoundedAndRefused();
    void binaryGarbageIsIgnored();
    void lineEndCanBeChangedWithS3();
    void replyDelayHoldsTheReply();
    void recordsEachLineWithTimeAndSpeed();
};

void SimLineSyntax::parse_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("commands"); // name/form/args joined with "|", or "syntax error"
    QTest::newRow("empty") << QByteArray("") << QString();
    QTest::newRow("extended execute and query without separator")
        << QByteArray("+CSQ+CREG?") << QStringLiteral("+CSQ/E/|+CREG/Q/");
    QTest::newRow("basic and extended chain")
        << QByteArray("&D0X4^SNFS=4^SSYNC=1+CRC=0+CLIP=0+IPR=0")
        << QStringLiteral("&D/S/0|X/S/4|^SNFS/S/4|^SSYNC/S/1|+CRC/S/0|+CLIP/S/0|+IPR/S/0");
    QTest::newRow("set then query of the same command")
        << QByteArray("^SBC=0^SBC?") << QStringLiteral("^SBC/S/0|^SBC/Q/");
    QTest::newRow("semicolons between extended commands")
        << QByteArray("+CMGF=1;+CSQ;") << QStringLiteral("+CMGF/S/1|+CSQ/E/");
    QTest::newRow("test form") << QByteArray("+CREG=?") << QStringLiteral("+CREG/T/");
    QTest::newRow("lower case names, quoted value kept")
        << QByteArray("+cmgs=\"+8613;x\"") << QStringLiteral("+CMGS/S/\"+8613;x\"");
    QTest::newRow("plus inside a value before digits stays in the value")
        << QByteArray("+CSCA=+8613800") << QStringLiteral("+CSCA/S/+8613800");
    QTest::newRow("voice dial keeps its semicolon and continues")
        << QByteArray("D10086;+CLCC") << QStringLiteral("D/E/10086;|+CLCC/E/");
    QTest::newRow("data dial takes the rest of the line")
        << QByteArray("D*#06#") << QStringLiteral("D/E/*#06#");
    QTest::newRow("S register query and set")
        << QByteArray("S3?S0=2") << QStringLiteral("S/Q/3|S/S/0=2");
    QTest::newRow("spaces between basic commands")
        << QByteArray("E0 V1") << QStringLiteral("E/S/0|V/S/1");
    QTest::newRow("open quote") << QByteArray("+CPIN=\"1234") << QStringLiteral("syntax error");
    QTest::newRow("lone plus") << QByteArray("+") << QStringLiteral("syntax error");
    QTest::newRow("digit where a command starts") << QByteArray("1") << QStringLiteral("syntax error");
    QTest::newRow("S without register") << QByteArray("S=3") << QStringLiteral("syntax error");
    QTest::newRow("ampersand without letter") << QByteArray("&") << QStringLiteral("syntax error");
}

void SimLineSyntax::parse()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, commands);
    const auto parsed = ParseCommandLine(body);
    if (commands == QStringLiteral("syntax error")) {
        QVERIFY(!parsed);
        return;
    }
    QVERIFY(parsed);
    QStringList got;
    for (const AtCommand &c : *parsed) {
        const char *form = c.form == AtForm::Execute ? "E"
            : c.form == AtForm::Query               ? "Q"
            : c.form == AtForm::Test                ? "T"
                                                    : "S";
        got << QString::fromLatin1(c.name + '/' + form + '/' + c.args);
    }
    QCOMPARE(got.join(QLatin1Char('|')), commands);
}

void SimLineSyntax::exchange_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("AT alone") << QByteArray("AT\r\n") << QByteArray("\r\nOK\r\n");
    QTest::newRow("lower-case prefix") << QByteArray("at\r") << QByteArray("\r\nOK\r\n");
    QTest::newRow("mixed-case prefix and command") << QByteArray("aT+csq\r")
                                                   << QByteArray("\r\n+CSQ: 20,0\r\n\r\nOK\r\n");
    QTest::newRow("chained info replies, one final result")
        << QByteArray("AT+CSQ+CREG?\r\n")
        << QByteArray("\r\n+CSQ: 20,0\r\n\r\n+CREG: 0,1\r\n\r\nOK\r\n");
    QTest::newRow("chained configuration line")
        << QByteArray("AT&D0X4^SNFS=4^SSYNC=1+CRC=0+CLIP=0+IPR=0\r\n") << QByteArray("\r\nOK\r\n");
    QTest::newRow("error stops the line: later commands not run")
        << QByteArray("AT+CSQ+NOPE+CREG?\r") << QByteArray("\r\n+CSQ: 20,0\r\n\r\nERROR\r\n");
    QTest::newRow("unknown basic command") << QByteArray("ATV1\r") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("unknown extended command") << QByteArray("AT+CGATT?\r") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("form the command lacks") << QByteArray("AT+CSQ?\r") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("syntax error") << QByteArray("AT+CPIN=\"12\r") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("empty line is ignored") << QByteArray("\r\n\r\n") << QByteArray();
    QTest::newRow("text without AT prefix is ignored") << QByteArray("hello\r\n") << QByteArray();
    QTest::newRow("backspace edits the line") << QByteArray("AT+CSX\bQ\r")
                                              << QByteArray("\r\n+CSQ: 20,0\r\n\r\nOK\r\n");
    QTest::newRow("A/ repeats the last line")
        << QByteArray("AT+CSQ\rA/") << QByteArray("\r\n+CSQ: 20,0\r\n\r\nOK\r\n\r\n+CSQ: 20,0\r\n\r\nOK\r\n");
    QTest::newRow("two lines in one write") << QByteArray("AT\r\nAT+CMGF?\r\n")
                                            << QByteArray("\r\nOK\r\n\r\n+CMGF: 0\r\n\r\nOK\r\n");
}

void SimLineSyntax::exchange()
{
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, reply);
    ModuleBench bench;
    bench.Quiet();
    QCOMPARE(bench.Exchange(sent), reply);
}

void SimLineSyntax::echoFollowsEveryCharacter()
{
    ModuleBench bench;
    // Echo of the whole line, CR and LF included, then the reply.
    QCOMPARE(bench.Exchange("AT+CSQ\r\n"), QByteArray("AT+CSQ\r\n\r\n+CSQ: 20,0\r\n\r\nOK\r\n"));
    // Garbage before the prefix is echoed too, but not answered.
    QCOMPARE(bench.Exchange("xyz\r\n"), QByteArray("xyz\r\n"));
}

void SimLineSyntax::echoOffAndOn()
{
    ModuleBench bench;
    QCOMPARE(bench.Exchange("ATE0\r"), QByteArray("ATE0\r\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("AT\r"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("ATE1\r"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("AT\r"), QByteArray("AT\r\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("ATE\r"), QByteArray("ATE\r\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("AT\r"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("ATE2\r"), QByteArray("\r\nERROR\r\n"));
}

void SimLineSyntax::overlongLineIsBoundedAndRefused()
{
    ModuleBench bench;
    bench.Quiet();
    const QByteArray longLine = "AT+CSQ" + QByteArray(20000, 'X') + '\r';
    QCOMPARE(bench.Exchange(longLine, 5000), QByteArray("\r\nERROR\r\n"));
    const ReceivedLine &last = bench.module.ReceivedCommandLines().constLast();
    QCOMPARE(last.text.size(), GsmModule::kLineBufferSize);
    QCOMPARE(bench.Exchange("AT\r"), QByteArray("\r\nOK\r\n"));
}

void SimLineSyntax::binaryGarbageIsIgnored()
{
    ModuleBench bench;
    bench.Quiet();
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 97 + 13) & 0xFF));
    garbage.replace('\r', '.'); // no line ends, so nothing completes a command
    QCOMPARE(bench.Exchange(garbage, 2000), QByteArray());
    // A partial line left by the garbage is completed by the next CR, then the module is
    // back to normal.
    bench.Exchange("\r");
    QCOMPARE(bench.Exchange("AT\r"), QByteArray("\r\nOK\r\n"));
}

void SimLineSyntax::lineEndCanBeChangedWithS3()
{
    ModuleBench bench;
    bench.Quiet();
    QCOMPARE(bench.Exchange("ATS3?\r"), QByteArray("\r\n013\r\n\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("ATS3=35\r"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("AT\r"), QByteArray());
    QCOMPARE(bench.Exchange("#"), QByteArray("\r\nOK\r\n"));
}

void SimLineSyntax::replyDelayHoldsTheReply()
{
    ModuleBench bench;
    bench.Quiet();
    bench.module.SetReplyDelayMs(500);
    QCOMPARE(bench.Exchange("AT\r", 300), QByteArray());
    QCOMPARE(bench.Wait(300), QByteArray("\r\nOK\r\n"));
}

void SimLineSyntax::recordsEachLineWithTimeAndSpeed()
{
    ModuleBench bench;
    QList<LogEvent> events;
    bench.module.SetLogHook([&events](const LogEvent &e) { events.append(e); });
    const qint64 before = bench.nowMs;
    bench.Exchange("AT+CSQ\r\n");
    bench.Exchange("ATI\r\n");
    const QList<ReceivedLine> &lines = bench.module.ReceivedCommandLines();
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0].text, QByteArray("AT+CSQ"));
    QCOMPARE(lines[0].baud, 115200);
    // 8 characters take 0.7 ms at 115200 bps; the CR ends one character before the LF.
    QVERIFY(lines[0].timeMs >= before && lines[0].timeMs <= before + 1);
    QCOMPARE(lines[1].text, QByteArray("ATI"));
    QVERIFY(!lines[1].messageBody);
    QCOMPARE(events.size(), 2);
    QCOMPARE(events[0].kind, LogEvent::Kind::CommandLine);
    QCOMPARE(events[0].text, QStringLiteral("AT+CSQ"));
}

QTEST_APPLESS_MAIN(SimLineSyntax)
#include "tst_sim_line_syntax.moc"
