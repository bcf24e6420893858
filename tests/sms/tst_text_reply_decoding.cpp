// DecodeTextReply on whole text-mode AT+CMGR replies: the fixed field positions after "READ",
// the body up to the closing "OK", and replies cut short or missing a closing quote.

#include "sms/SmsPdu.h"

#include <QTest>

using namespace quillon;

namespace {
const QString kEcho = QStringLiteral("AT+CMGR=1\r\n");
const QString kHeader = QStringLiteral("+CMGR: \"REC READ\",\"+8613987654321\",\"11/06/30,12:34:56+32\"\r\n");
const QString kClosing = QStringLiteral("\r\n\r\nOK\r\n");

QString Reply(const QString &header, const QString &body) { return kEcho + header + body + kClosing; }
} // namespace

class TestTextReplyDecoding : public QObject {
    Q_OBJECT

private slots:
    void decodeTextReply_data();
    void decodeTextReply();
};

void TestTextReplyDecoding::decodeTextReply_data()
{
    QTest::addColumn<QString>("receiveText");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("content");

    const QString number = QStringLiteral("+8613987654321");
    const QString time = QStringLiteral("11/06/30,12:34:56+32");

    QTest::newRow("REC READ with text abc") << Reply(kHeader, "abc") << number << time << "abc";
    QTest::newRow("REC UNREAD decoded the same way")
        << Reply(QString(kHeader).replace("REC READ", "REC UNREAD"), "abc") << number << time << "abc";
    QTest::newRow("line break inside the text kept")
        << Reply(kHeader, "line one\r\nline two") << number << time << "line one\r\nline two";
    QTest::newRow("empty alpha field between two commas puts a quote before the time")
        << Reply("+CMGR: \"REC READ\",\"+8613987654321\",,\"11/06/30,12:34:56+32\"\r\n", "abc")
        << number << "\"" + time << "abc";
    QTest::newRow("bytes above 127 arrive as Latin-1 characters")
        << Reply(kHeader, QStringLiteral("caf\u00E9")) << number << time << QStringLiteral("caf\u00E9");
    QTest::newRow("double quote inside the text") << Reply(kHeader, "say \"hi\"") << number << time
                                                  << "say \"hi\"";
    QTest::newRow("long text cut at the display limit")
        << Reply(kHeader, QString(160, u'x')) << number << time << QString(116, u'x');

    QTest::newRow("empty text gives empty content") << Reply(kHeader, "") << number << time << "";
    QTest::newRow("reply cut inside the text") << kEcho + kHeader + "ab" << number << time << "ab";
    QTest::newRow("reply cut before the text") << kEcho + kHeader << number << time << "";
    QTest::newRow("time without closing quote")
        << kEcho + "+CMGR: \"REC READ\",\"+8613987654321\",\"11/06/30,12:3" << number << "11/06/30,12:3"
        << "";
    QTest::newRow("sender without closing quote")
        << kEcho + "+CMGR: \"REC READ\",\"+86139876" << "+86139876" << "" << "";
    QTest::newRow("reply ends right after READ") << kEcho + "+CMGR: \"REC READ" << "" << "" << "";
    QTest::newRow("no READ in the text") << QStringLiteral("AT+CMGR=1\r\nERROR\r\n") << "" << "" << "";
    QTest::newRow("empty receive area") << "" << "" << "" << "";
}

void TestTextReplyDecoding::decodeTextReply()
{
    QFETCH(QString, receiveText);
    QFETCH(QString, number);
    QFETCH(QString, time);
    QFETCH(QString, content);

    const SmsReadResult decoded = DecodeTextReply(receiveText);
    QCOMPARE(decoded.Number, number);
    QCOMPARE(decoded.Time, time);
    QCOMPARE(decoded.Content, content);
}

QTEST_GUILESS_MAIN(TestTextReplyDecoding)
#include "tst_text_reply_decoding.moc"
