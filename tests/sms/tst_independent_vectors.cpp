// The codec against PDUs it did not produce: SMS-SUBMIT and SMS-DELIVER PDUs from public
// descriptions of the format and PDUs worked out by hand from 3GPP TS 23.040, read by a separate
// field-by-field decoder (IndependentTpduDecoder) as well as by the codec.

#include "IndependentTpduDecoder.h"
#include "sms/SmsPdu.h"

#include <QTest>

using namespace quillon;
using quillon::testing::DecodedTpdu;
using quillon::testing::DecodeTpdu;

Q_DECLARE_METATYPE(quillon::PduDecodeStatus)

namespace {
QString ReplyWith(const QString &pdu)
{
    return QStringLiteral("AT+CMGR=2\r\n+CMGR: 0,,30\r\n") + pdu + QStringLiteral("\r\n\r\nOK\r\n");
}
} // namespace

class TestIndependentVectors : public QObject {
    Q_OBJECT

private slots:
    void publicSubmitVectors_data();
    void publicSubmitVectors();
    void encoderOutputReadsBack_data();
    void encoderOutputReadsBack();
    void deliverVectors_data();
    void deliverVectors();
    void publicDeliverReadIndependently();
};

// SMS-SUBMIT PDUs as printed in public documents, with the fields those documents state. They
// show that the independent decoder reads the format right before it judges our encoder.
void TestIndependentVectors::publicSubmitVectors_data()
{
    QTest::addColumn<QString>("pdu");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<int>("addressType");
    QTest::addColumn<int>("dataCoding");
    QTest::addColumn<int>("validity"); // -1: no validity-period field
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("tpduLength");

    // L. Pettersson, "SMS messages and the PDU format" (dreamfabric.com/sms), SMS-SUBMIT example.
    QTest::newRow("PDU-format tutorial: 7-bit hellohello, validity AA")
        << "0011000B916407281553F80000AA0AE8329BFD4697D9EC37" << "46708251358" << 0x91 << 0x00
        << 0xAA << "hellohello" << 23;
    // Neoway N11 AT command manual, PDU-mode send example without service centre (AT+CMGS=23).
    QTest::newRow("module manual: UCS-2 hello, no validity field")
        << "0001000B813124819396F300080A00680065006C006C006F" << "13421839693" << 0x81 << 0x08 << -1
        << "hello" << 23;
    // Huawei MU509 AT command interface manual, 6.12.4 example (AT+CMGS=17).
    QTest::newRow("module manual: UCS-2 with TP-DCS 18")
        << "0081000B813109010054F3001804534E4E3A" << "13901000453" << 0x81 << 0x18 << -1
        << QStringLiteral("华为") << 17;
    // Chinese AT-command tutorial "中文PDU短信" (ppmy.cn/news/172198), 工作愉快！ to +8613902433649.
    QTest::newRow("tutorial: Chinese UCS-2 with service centre")
        << "0891683108100005F011000D91683109423346F90008000A5DE54F5C61095FEBFF01" << "8613902433649"
        << 0x91 << 0x08 << 0x00 << QStringLiteral("工作愉快！") << 25;
    // Module SMS application note (2012), PDU send example 0123456789 (AT+CMGS=24).
    QTest::newRow("application note: 7-bit digits")
        << "0891683108501505F011000D91685150155323F500000A0AB0986C46ABD96EB81C" << "8615055135325"
        << 0x91 << 0x00 << 0x0A << "0123456789" << 24;
}

void TestIndependentVectors::publicSubmitVectors()
{
    QFETCH(QString, pdu);
    QFETCH(QString, destination);
    QFETCH(int, addressType);
    QFETCH(int, dataCoding);
    QFETCH(int, validity);
    QFETCH(QString, text);
    QFETCH(int, tpduLength);

    const std::optional<DecodedTpdu> tpdu = DecodeTpdu(pdu);
    QVERIFY(tpdu);
    QCOMPARE(tpdu->messageType, 1);
    QCOMPARE(tpdu->address.digits, destination);
    QCOMPARE(tpdu->address.digitCount, int(destination.size()));
    QCOMPARE(tpdu->address.type, addressType);
    QCOMPARE(tpdu->dataCoding, dataCoding);
    QCOMPARE(tpdu->relativeValidity.value_or(-1), validity);
    QCOMPARE(tpdu->text, text);
    QCOMPARE(tpdu->tpduOctets, tpduLength);
}

void TestIndependentVectors::encoderOutputReadsBack_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("message");

    QTest::newRow("11 digits, Chinese") << "13987654321" << QStringLiteral("你好，世界");
    QTest::newRow("5 digits, ASCII") << "10086" << "CXYE";
    QTest::newRow("1 digit, empty") << "1" << "";
    QTest::newRow("2 digits, line breaks") << "12" << "a\r\nb\r\n";
    QTest::newRow("18 digits, 70 units") << "987654321098765432" << QString(70, QChar(0x9F99));
    QTest::newRow("outside the BMP") << "13800138000" << QString::fromUtf16(u"ok \U0001F44D");
    QTest::newRow("Ctrl-Z is only data in UCS-2") << "13800138000" << QString("a\x1A" "b");
}

void TestIndependentVectors::encoderOutputReadsBack()
{
    QFETCH(QString, number);
    QFETCH(QString, message);
    QVERIFY(!CheckPduModeInput(number, message));

    const SubmitPdu submit = BuildSubmitPdu(number, message);
    const std::optional<DecodedTpdu> tpdu = DecodeTpdu(submit.pdu);
    QVERIFY(tpdu);
    QVERIFY(!tpdu->serviceCentre);
    QCOMPARE(tpdu->messageType, 1);
    QCOMPARE(tpdu->firstOctet, 0x11);
    QCOMPARE(tpdu->messageReference, 0);
    QCOMPARE(tpdu->address.type, 0x91);
    QCOMPARE(tpdu->address.digits, "86" + number);
    QCOMPARE(tpdu->address.digitCount, int(number.size()) + 2);
    QCOMPARE(tpdu->protocolId, 0x00);
    QCOMPARE(tpdu->dataCoding, 0x08);
    QCOMPARE(tpdu->relativeValidity.value_or(-1), 0xA7);
    QCOMPARE(tpdu->userDataLength, 2 * int(message.size()));
    QCOMPARE(tpdu->text, message);
    QCOMPARE(tpdu->tpduOctets, submit.tpduLength);
}

// SMS-DELIVER PDUs read both by DecodePduReply (inside a whole AT+CMGR reply) and by the
// independent decoder; where the codec decodes, both must agree field by field.
void TestIndependentVectors::deliverVectors_data()
{
    QTest::addColumn<QString>("pdu");
    QTest::addColumn<PduDecodeStatus>("status");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("content");

    // "SMS短信解码举例" (csdndocs.com/article/9085087): +8613505165495, 05-02-18 15:57:54, 你好.
    QTest::newRow("decoding walkthrough: 你好 from +8613505165495")
        << "0891683108200505F0040D91683105155694F5000850208151754500044F60597D" << PduDecodeStatus::Ok
        << "+8613505165495" << "05/02/18 15:57:54+00" << QStringLiteral("你好");
    // PDU tutorial, receive example 1 (e-com-net.com/article/1289364169782534144): first octet 84
    // (reply path), +8613693092030, 2003-03-12 08:36:45, 你好!.
    QTest::newRow("tutorial: 你好! with reply path")
        << "0891683108200505F0840D91683196032930F0000830302180635480064F60597D0021"
        << PduDecodeStatus::Ok << "+8613693092030" << "03/03/12 08:36:45+08" << QStringLiteral("你好!");
    // L. Pettersson, "SMS messages and the PDU format", SMS-DELIVER example: service centre
    // +27381000015 (7 octets), so not ours.
    QTest::newRow("PDU-format tutorial: foreign service centre")
        << "07917283010010F5040BC87238880900F10000993092516195800AE8329BFD4697D9EC37"
        << PduDecodeStatus::NotFound << "" << "" << "";
    // Worked by hand from TS 23.040 9.2.2.1: first octet 24 (deliver, no more messages, status
    // report indication); TP-OA 10 digits national (A1) 1065795555; TP-DCS 08; TP-SCTS
    // 2012-12-31 23:59:58, zone -8 h = -32 quarters: tens digit 3 with the sign bit, octet 2B.
    QTest::newRow("by hand: national sender, negative zone left as read")
        << "0891683108100005F0240AA1015697555500082121133295852B044E2D6587"
        << PduDecodeStatus::Ok << "1065795555" << "12/12/31 23:59:58+B2" << QStringLiteral("中文");
    // By hand: first octet 44 (header present), concatenation header 05 00 03 2A 02 01 (part 1
    // of 2, reference 2A) then 你; the codec shows the header octets as characters.
    QTest::newRow("by hand: concatenated part, header shown as characters")
        << "0891683108200505F0440D91683189674523F1000811600321436523080500032A02014F60"
        << PduDecodeStatus::Ok << "+8613987654321" << "11/06/30 12:34:56+32"
        << QString(QChar(0x0500)) + QChar(0x032A) + QChar(0x0201) + QStringLiteral("你");
    // By hand: TP-DCS 18 = UCS-2, class 0; sender +85291234567; 2024-02-29 00:00:00 +8 h.
    QTest::newRow("by hand: class-0 UCS-2 from an 11-digit international sender")
        << "0891683108200005F0040B915892214365F700184220920000002306004800690021"
        << PduDecodeStatus::Ok << "+85291234567" << "24/02/29 00:00:00+32" << "Hi!";
    // By hand: the walkthrough's header with TP-DCS 00 and 7-bit "hello" (5 septets, 5 octets).
    QTest::newRow("by hand: 7-bit text is a coding error")
        << "0891683108200505F0040D91683105155694F500005020815175450005E8329BFD06"
        << PduDecodeStatus::CodingError << "" << "" << "";
}

void TestIndependentVectors::deliverVectors()
{
    QFETCH(QString, pdu);
    QFETCH(PduDecodeStatus, status);
    QFETCH(QString, number);
    QFETCH(QString, time);
    QFETCH(QString, content);

    const PduDecodeResult decoded = DecodePduReply(ReplyWith(pdu));
    QCOMPARE(decoded.status, status);
    QCOMPARE(decoded.result.Number, number);
    QCOMPARE(decoded.result.Time, time);
    QCOMPARE(decoded.result.Content, content);

    const std::optional<DecodedTpdu> tpdu = DecodeTpdu(pdu);
    QVERIFY(tpdu);
    QCOMPARE(tpdu->messageType, 0);
    if (status != PduDecodeStatus::Ok)
        return;
    QCOMPARE((tpdu->address.type == 0x91 ? "+" : "") + tpdu->address.digits, number);
    QCOMPARE(tpdu->timeStamp, time);
    QCOMPARE(tpdu->dataCoding & 0x0C, 0x08);
    if (tpdu->userDataHeader)
        QVERIFY(content.endsWith(tpdu->text));
    else
        QCOMPARE(tpdu->text, content);
}

// The PDU-format tutorial's SMS-DELIVER with the fields it lists, read by the independent decoder.
void TestIndependentVectors::publicDeliverReadIndependently()
{
    const std::optional<DecodedTpdu> tpdu =
        DecodeTpdu("07917283010010F5040BC87238880900F10000993092516195800AE8329BFD4697D9EC37");
    QVERIFY(tpdu);
    QVERIFY(tpdu->serviceCentre);
    QCOMPARE(tpdu->serviceCentre->type, 0x91);
    QCOMPARE(tpdu->serviceCentre->digits, "27381000015");
    QCOMPARE(tpdu->address.type, 0xC8);
    QCOMPARE(tpdu->address.digits, "27838890001");
    QCOMPARE(tpdu->timeStamp, "99/03/29 15:16:59+08");
    QCOMPARE(tpdu->text, "hellohello");
}

QTEST_GUILESS_MAIN(TestIndependentVectors)
#include "tst_independent_vectors.moc"
