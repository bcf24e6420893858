// DecodePduReply on whole AT+CMGR replies as the receive area holds them: the sender, time and
// text of UCS-2 messages, the replies it does not take (other service centre, 7-bit text), and
// replies cut short or running into the closing lines, which must never yield garbage.

#include "sms/SmsPdu.h"

#include <QTest>

using namespace quillon;

Q_DECLARE_METATYPE(quillon::PduDecodeStatus)

namespace {
// The module's echo, the +CMGR line, the PDU line, an empty line and OK, each ended by CR LF.
QString Reply(const QString &pdu)
{
    return QStringLiteral("AT+CMGR=1\r\n+CMGR: 0,,26\r\n") + pdu + QStringLiteral("\r\n\r\nOK\r\n");
}

// A reply the link delivered only up to here.
QString CutReply(const QString &pduStart) { return QStringLiteral("AT+CMGR=1\r\n+CMGR: 0,,26\r\n") + pduStart; }

const QString kServiceCentre = QStringLiteral("0891683100000000F0");
const QString kSender = QStringLiteral("0D91683189674523F1");
const QString kTime = QStringLiteral("11600321436523");
const QString kAbc = QStringLiteral("0891683100000000F0040D91683189674523F100081160032143652306006100620063");
} // namespace

class TestPduReplyDecoding : public QObject {
    Q_OBJECT

private slots:
    void decodePduReply_data();
    void decodePduReply();
    void resultMessage();
};

void TestPduReplyDecoding::decodePduReply_data()
{
    QTest::addColumn<QString>("receiveText");
    QTest::addColumn<PduDecodeStatus>("status");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("content");

    const auto ok = PduDecodeStatus::Ok;
    const auto codingError = PduDecodeStatus::CodingError;
    const auto notFound = PduDecodeStatus::NotFound;

    QTest::newRow("UCS-2 message from an international sender")
        << Reply(kAbc) << ok << "+8613987654321" << "11/06/30 12:34:56+32" << "abc";
    QTest::newRow("8-digit national sender, type A1, no plus")
        << Reply(kServiceCentre + "0408A101560975000811600321436523040061" "0062") << ok << "10659057"
        << "11/06/30 12:34:56+32" << "ab";
    QTest::newRow("sender 10086, type A1, F filler dropped")
        << Reply(kServiceCentre + "0405A10180F6000811600321436523020061") << ok << "10086"
        << "11/06/30 12:34:56+32" << "a";
    QTest::newRow("Chinese text") << Reply(kServiceCentre + "04" + kSender + "0008" + kTime + "044F60597D")
                                  << ok << "+8613987654321" << "11/06/30 12:34:56+32"
                                  << QStringLiteral("你好");
    QTest::newRow("odd user-data length drops the last octet")
        << Reply(kServiceCentre + "04" + kSender + "0008" + kTime + "050061006200") << ok
        << "+8613987654321" << "11/06/30 12:34:56+32" << "ab";
    QTest::newRow("user-data header decoded as characters")
        << Reply(kServiceCentre + "44" + kSender + "0008" + kTime + "0A05000301020100610062") << ok
        << "+8613987654321" << "11/06/30 12:34:56+32"
        << QString(QChar(0x0500)) + QChar(0x0301) + QChar(0x0201) + "ab";
    QTest::newRow("TP-DCS 18, UCS-2 of message class 0")
        << Reply(kServiceCentre + "04" + kSender + "0018" + kTime + "020041") << ok << "+8613987654321"
        << "11/06/30 12:34:56+32" << "A";
    QTest::newRow("empty user data") << Reply(kServiceCentre + "04" + kSender + "0008" + kTime + "00")
                                     << ok << "+8613987654321" << "11/06/30 12:34:56+32" << "";
    QTest::newRow("lower-case hexadecimal")
        << Reply(kAbc.toLower()) << ok << "+8613987654321" << "11/06/30 12:34:56+32" << "abc";
    QTest::newRow("sender digits A to E kept as read")
        << Reply(kServiceCentre + "0404A1BADC0008" + kTime + "00") << ok << "ABCD"
        << "11/06/30 12:34:56+32" << "";

    QTest::newRow("TP-DCS 00, 7-bit text")
        << Reply(kServiceCentre + "04" + kSender + "0000" + kTime + "03E1F118") << codingError << ""
        << "" << "";
    QTest::newRow("foreign service centre") << Reply("0891447000000000F0" + kAbc.mid(18)) << notFound
                                            << "" << "" << "";
    QTest::newRow("service centre of another length")
        << Reply("07917283010010F5040BC87238880900F10000993092516195800AE8329BFD4697D9EC37")
        << notFound << "" << "" << "";
    QTest::newRow("error reply") << QStringLiteral("AT+CMGR=9\r\nERROR\r\n") << notFound << "" << ""
                                 << "";
    QTest::newRow("empty receive area") << "" << notFound << "" << "" << "";
    QTest::newRow("hexadecimal display") << QStringLiteral("[41][54][2B][43][4D][47][52][3D][31][0D]")
                                         << notFound << "" << "" << "";

    // Replies cut short by a slow link, or whose fields run into the closing lines.
    QTest::newRow("cut right after the service-centre prefix") << CutReply("08916831") << codingError
                                                               << "" << "" << "";
    QTest::newRow("cut before the sender length") << CutReply(kServiceCentre + "04") << codingError
                                                  << "" << "" << "";
    QTest::newRow("cut inside the sender digits") << CutReply(kServiceCentre + "040D916831896745")
                                                  << codingError << "" << "" << "";
    QTest::newRow("cut before TP-DCS") << CutReply(kServiceCentre + "04" + kSender + "00")
                                       << codingError << "" << "" << "";
    QTest::newRow("cut after the first TP-DCS digit")
        << CutReply(kServiceCentre + "04" + kSender + "000") << codingError << "" << "" << "";
    QTest::newRow("cut inside the time stamp")
        << CutReply(kServiceCentre + "04" + kSender + "0008116003214365") << codingError << "" << ""
        << "";
    QTest::newRow("cut before the user-data length")
        << CutReply(kServiceCentre + "04" + kSender + "0008" + kTime) << codingError << "" << "" << "";
    QTest::newRow("cut inside the user data") << CutReply(kAbc.left(kAbc.size() - 3)) << codingError
                                              << "" << "" << "";
    QTest::newRow("user data shorter than announced, then OK")
        << Reply(kServiceCentre + "04" + kSender + "0008" + kTime + "0800610062") << codingError << ""
        << "" << "";
    QTest::newRow("line break inside the PDU")
        << Reply(kServiceCentre + "04" + kSender + "\r\n0008" + kTime + "020061") << codingError << ""
        << "" << "";
    QTest::newRow("user data longer than 140 octets")
        << Reply(kServiceCentre + "04" + kSender + "0008" + kTime + "8E" + QString("0061").repeated(71))
        << codingError << "" << "" << "";
    QTest::newRow("sender longer than 20 digits")
        << Reply(kServiceCentre + "0416A1" + QString(22, u'1') + "0008" + kTime + "00") << codingError
        << "" << "" << "";
}

void TestPduReplyDecoding::decodePduReply()
{
    QFETCH(QString, receiveText);
    QFETCH(PduDecodeStatus, status);
    QFETCH(QString, number);
    QFETCH(QString, time);
    QFETCH(QString, content);

    const PduDecodeResult decoded = DecodePduReply(receiveText);
    QCOMPARE(decoded.status, status);
    QCOMPARE(decoded.result.Number, number);
    QCOMPARE(decoded.result.Time, time);
    QCOMPARE(decoded.result.Content, content);
}

void TestPduReplyDecoding::resultMessage()
{
    const PduDecodeResult decoded = DecodePduReply(Reply(kAbc));
    QCOMPARE(ResultMessage(decoded.result),
             QStringLiteral("对方号码:+8613987654321\n时间:11/06/30 12:34:56+32\n内容：abc"));
    QCOMPARE(kPduCodingErrorText, QStringLiteral("编码出错，不是PDU格式"));
}

QTEST_GUILESS_MAIN(TestPduReplyDecoding)
#include "tst_pdu_reply_decoding.moc"
