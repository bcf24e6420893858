// The log format: escaping decodes to exactly the bytes given; lines end where they should;
// annotations follow recognised replies; malformed lines are refused with their number.

#include "sessionlog/LogTestSupport.h"

#include <QTest>

using namespace quillon;
using namespace quillon::testing;

namespace {

struct Step {
    qint64 ms;
    char kind; ///< '>' sent, '<' received, 'o' open, 'c' close, 'd' DTR on
    QByteArray bytes;
};
using Steps = QList<Step>;

QByteArray Format(const Steps &steps, qint64 endMs = -1)
{
    LogFormatter f;
    QByteArray out;
    for (const Step &s : steps) {
        const PortEventKind kind = s.kind == '>'   ? PortEventKind::Sent
                                   : s.kind == '<' ? PortEventKind::Received
                                   : s.kind == 'o' ? PortEventKind::Opened
                                   : s.kind == 'c' ? PortEventKind::Closed
                                                   : PortEventKind::DtrSet;
        f.Add(MakeEvent(kind, s.ms, s.bytes), out);
    }
    if (endMs >= 0)
        f.Tick(endMs * 1'000'000, out);
    else
        f.Finish(out);
    return out;
}

QByteArray AllBytes()
{
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all += char(i);
    return all;
}

} // namespace

Q_DECLARE_METATYPE(Steps)

class LogFormatTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTripIsExact_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("received");
        QTest::newRow("command and reply") << QByteArray("AT+CSQ\r\n") << QByteArray("AT+CSQ\r\r\n+CSQ: 21,0\r\n\r\nOK\r\n");
        QTest::newRow("every byte value") << AllBytes() << AllBytes();
        QTest::newRow("escape look-alikes") << QByteArray("\\x41\\r\\\\n\\") << QByteArray("\\");
        QTest::newRow("blanks at line ends") << QByteArray("AT \n  ") << QByteArray(" \r\n ");
        QTest::newRow("longer than a line") << QByteArray(3000, 'A') << QByteArray(2500, '\xFF');
        QTest::newRow("nothing received") << QByteArray("ATI\r") << QByteArray();
    }
    void roundTripIsExact()
    {
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, received);
        // Alternating pieces, so direction changes are exercised as well.
        Steps steps{{0, 'o', {}}};
        for (qsizetype at = 0; at < qMax(sent.size(), received.size()); at += 7) {
            steps << Step{at, '>', sent.mid(at, 7)} << Step{at, '<', received.mid(at, 7)};
        }
        steps << Step{100000, 'c', {}};
        const QByteArray log = Format(steps);
        for (const QByteArray &line : log.split('\n'))
            for (char c : line)
                QVERIFY2(line.startsWith('#') || (c >= 0x20 && c < 0x7F), "data and events are plain ASCII");
        const DecodedLog decoded = DecodeLog(log);
        QCOMPARE(decoded.errorLine, 0);
        QCOMPARE(decoded.sent, sent);
        QCOMPARE(decoded.received, received);
    }

    void linesEndWhereTheyShould_data()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<qint64>("tickMs");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("after LF, pieces joined") << Steps{{0, '<', "\r\nO"}, {5, '<', "K\r\n\r\nER"}} << qint64(-1)
            << QStringList{"T < \\r\\n", "T < OK\\r\\n", "T < \\r\\n", "T < ER"};
        QTest::newRow("direction change") << Steps{{0, '>', "AT\r"}, {1, '<', "AT\r"}, {2, '>', "\n"}} << qint64(-1)
            << QStringList{"T > AT\\r", "T < AT\\r", "T > \\n"};
        QTest::newRow("100 ms of silence ends a line") << Steps{{0, '<', "AB"}, {100, '<', "CD"}} << qint64(-1)
            << QStringList{"T < AB", "T < CD"};
        QTest::newRow("99 ms does not") << Steps{{0, '<', "AB"}, {99, '<', "CD"}} << qint64(-1)
            << QStringList{"T < ABCD"};
        QTest::newRow("an event ends a line") << Steps{{0, '>', "AT"}, {1, 'd', {}}, {2, '>', "I"}} << qint64(-1)
            << QStringList{"T > AT", "T * DTR on", "T > I"};
        QTest::newRow("held until silence") << Steps{{0, '<', "AB"}} << qint64(99) << QStringList{};
        QTest::newRow("written after silence") << Steps{{0, '<', "AB"}} << qint64(100) << QStringList{"T < AB"};
        QTest::newRow("written once its first byte is old") << Steps{{0, '<', "A"}, {60, '<', "B"}} << qint64(100)
            << QStringList{"T < AB"};
        QTest::newRow("open and close") << Steps{{0, 'o', {}}, {3, '>', "AT\r\n"}, {9, 'c', {}}} << qint64(-1)
            << QStringList{"T * open COM 1 /dev/ttyUSB0 115200,N,8,1", "T > AT\\r\\n", "T * close"};
        QTest::newRow("annotation after the reply line") << Steps{{0, '<', "\r\n+CSQ: 2"}, {3, '<', "1,0\r\n\r\nOK\r\n"}}
            << qint64(-1)
            << QStringList{"T < \\r\\n", "T < +CSQ: 21,0\\r\\n",
                           QStringLiteral("# 信号强度 -71 dBm，很好；误码率低于 0.2%（RXQUAL 0）"), "T < \\r\\n",
                           "T < OK\\r\\n"};
        QTest::newRow("annotation after a reply split by silence")
            << Steps{{0, '<', "RI"}, {200, '<', "NG\r\n"}} << qint64(-1)
            << QStringList{"T < RI", "T < NG\\r\\n", QStringLiteral("# 来电振铃")};
        QTest::newRow("sent text is never annotated") << Steps{{0, '>', "RING\r\n"}} << qint64(-1)
            << QStringList{"T > RING\\r\\n"};
    }
    void linesEndWhereTheyShould()
    {
        QFETCH(Steps, steps);
        QFETCH(qint64, tickMs);
        QFETCH(QStringList, lines);
        QCOMPARE(MaskedLines(Format(steps, tickMs)), lines);
    }

    void timeStampIsTheFirstByteOfTheLine()
    {
        const QByteArray log = Format({{1234, '<', "A"}, {1300, '<', "B\n"}});
        QCOMPARE(log, QByteArray("2024-05-20 08:30:01.234 < AB\\n\n"));
    }

    void malformedLinesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<int>("errorLine");
        const QByteArray ok = "# header\n2024-05-20 08:30:00.000 > AT\\r\n";
        QTest::newRow("well formed") << ok << 0;
        QTest::newRow("unknown escape") << ok + "2024-05-20 08:30:00.000 < \\q\n" << 3;
        QTest::newRow("short hex escape") << ok + "2024-05-20 08:30:00.000 < \\x4\n" << 3;
        QTest::newRow("bad hex digit") << ok + "2024-05-20 08:30:00.000 < \\xZ1\n" << 3;
        QTest::newRow("backslash at the end") << ok + "2024-05-20 08:30:00.000 < A\\\n" << 3;
        QTest::newRow("raw control byte") << ok + "2024-05-20 08:30:00.000 < A\tB\n" << 3;
        QTest::newRow("unknown direction") << ok + "2024-05-20 08:30:00.000 ? AT\n" << 3;
        QTest::newRow("no time stamp") << QByteArray("> AT\n") << 1;
    }
    void malformedLinesAreRefused()
    {
        QFETCH(QByteArray, log);
        QFETCH(int, errorLine);
        QCOMPARE(DecodeLog(log).errorLine, errorLine);
    }
};

QTEST_APPLESS_MAIN(LogFormatTest)
#include "tst_log_format.moc"
