// The simulator's own PDU coding against published and hand-worked vectors (3GPP TS 23.040,
// 23.038), never against the tool's encoder.
#include "sim/SimPdu.h"

#include <QtTest>

using namespace quillon::sim;

class SimPduCodec : public QObject {
    Q_OBJECT
private slots:
    void semiOctets_data();
    void semiOctets();
    void septetPacking_data();
    void septetPacking();
    void gsmAlphabet_data();
    void gsmAlphabet();
    void deliverVectors_data();
    void deliverVectors();
    void submitAccepted_data();
    void submitAccepted();
    void submitRefused_data();
    void submitRefused();
    void truncatedDeliverIsRefused();
};

void SimPduCodec::semiOctets_data()
{
    QTest::addColumn<QByteArray>("digits");
    QTest::addColumn<QByteArray>("hex");
    // Digits pairwise swapped; an odd count ends in an F filler in the high nibble.
    QTest::newRow("odd count gets F filler") << QByteArray("8613800210500") << QByteArray("683108200105F0");
    QTest::newRow("even count, no filler") << QByteArray("1398765432") << QByteArray("3189674523");
    QTest::newRow("short code") << QByteArray("10086") << QByteArray("0180F6");
    QTest::newRow("star and hash") << QByteArray("*#06#") << QByteArray("BA60FB");
}

void SimPduCodec::semiOctets()
{
    QFETCH(QByteArray, digits);
    QFETCH(QByteArray, hex);
    QCOMPARE(ToHex(EncodeSemiOctets(digits)), hex);
    QCOMPARE(DecodeSemiOctets(*FromHex(hex), int(digits.size())), digits);
}

void SimPduCodec::septetPacking_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("fillBits");
    QTest::addColumn<QByteArray>("hex");
    // The widely published "hellohello" example: h=0x68 e=0x65 l=0x6C o=0x6F; 1101000 goes
    // in the low 7 bits of octet 1, the low bit of e (1) fills its top bit: 0xE8, and so on.
    QTest::newRow("hellohello") << QStringLiteral("hellohello") << 0 << QByteArray("E8329BFD4697D9EC37");
    // 8 septets fill exactly 7 octets: "12345678" = 31 D9 8C 56 B3 DD 70.
    QTest::newRow("eight septets, seven octets") << QStringLiteral("12345678") << 0 << QByteArray("31D98C56B3DD70");
    // After a 6-octet header 1 fill bit aligns to septet 7: "A" (0x41) shifted left by 1 = 0x82.
    QTest::newRow("one fill bit after header") << QStringLiteral("A") << 1 << QByteArray("82");
}

void SimPduCodec::septetPacking()
{
    QFETCH(QString, text);
    QFETCH(int, fillBits);
    QFETCH(QByteArray, hex);
    const auto septets = TextToGsm7(text);
    QVERIFY(septets);
    QCOMPARE(ToHex(PackSeptets(*septets, fillBits)), hex);
    QCOMPARE(Gsm7ToText(UnpackSeptets(*FromHex(hex), int(septets->size()), fillBits)), text);
}

void SimPduCodec::gsmAlphabet_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("septetsHex");
    QTest::newRow("at sign is 0x00") << QStringLiteral("@") << QByteArray("00");
    QTest::newRow("pound, dollar, yen") << QStringLiteral("£$¥") << QByteArray("010203");
    QTest::newRow("euro via escape") << QStringLiteral("€") << QByteArray("1B65");
    QTest::newRow("brackets via escape") << QStringLiteral("[]") << QByteArray("1B3C1B3E");
}

void SimPduCodec::gsmAlphabet()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, septetsHex);
    QCOMPARE(ToHex(*TextToGsm7(text)), septetsHex);
    QCOMPARE(Gsm7ToText(*FromHex(septetsHex)), text);
    QVERIFY2(!TextToGsm7(QStringLiteral("你")), "Chinese has no GSM 7-bit code");
}

void SimPduCodec::deliverVectors_data()
{
    QTest::addColumn<QByteArray>("pduHex");
    QTest::addColumn<QString>("centre");
    QTest::addColumn<QString>("originator");
    QTest::addColumn<QByteArray>("timestamp");
    QTest::addColumn<QString>("text");
    // Published SMS-DELIVER example: centre 07 91 7283010010F5 (+27381000015), first octet 04,
    // sender 0B C8 7238880900F1, PID 00, DCS 00, SCTS 99309251619580 (99/03/29 15:16:59, zone
    // octet 80: tens 0, units 8 = +08 quarters), UDL 0A septets, "hellohello".
    QTest::newRow("published 7-bit deliver")
        << QByteArray("07917283010010F5040BC87238880900F10000993092516195800AE8329BFD4697D9EC37")
        << QStringLiteral("+27381000015") << QStringLiteral("27838890001")
        << QByteArray("99/03/29,15:16:59+08") << QStringLiteral("hellohello");
    // UCS-2 deliver: centre 08 91 683100000000F0 (+8613000000000), first octet 04, sender
    // 0D 91 683189674523F1 (+8613987654321), PID 00, DCS 08, SCTS 11600321436523
    // (11/06/30 12:34:56; zone octet 23 holds tens 3 in its low nibble: +32), UDL 06, "abc".
    QTest::newRow("ucs2 deliver with +86 centre")
        << QByteArray("0891683100000000F0040D91683189674523F100081160032143652306006100620063")
        << QStringLiteral("+8613000000000") << QStringLiteral("+8613987654321")
        << QByteArray("11/06/30,12:34:56+32") << QStringLiteral("abc");
    // Negative zone: -20 quarters is tens 2 with the sign bit (0x08) = 0xA, units 0: octet 0A.
    QTest::newRow("negative time zone")
        << QByteArray("000405810000F000001070504030200A00")
        << QString() << QStringLiteral("00000")
        << QByteArray("01/07/05,04:03:02-20") << QString();
}

void SimPduCodec::deliverVectors()
{
    QFETCH(QByteArray, pduHex);
    QFETCH(QString, centre);
    QFETCH(QString, originator);
    QFETCH(QByteArray, timestamp);
    QFETCH(QString, text);
    const auto pdu = DecodeDeliver(*FromHex(pduHex));
    QVERIFY(pdu);
    QCOMPARE(pdu->serviceCentre.digits.isEmpty() ? QString() : pdu->serviceCentre.Text(), centre);
    QCOMPARE(pdu->originator.Text(), originator);
    QCOMPARE(pdu->timestamp.Text(), timestamp);
    QCOMPARE(UserDataText(pdu->firstOctet, pdu->dataCoding, pdu->userDataLength, pdu->userData), text);
    QCOMPARE(ToHex(EncodeDeliver(*pdu)), pduHex);

    // Rebuilding from the text gives the same octets.
    DeliverPdu rebuilt = *pdu;
    QVERIFY(SetDeliverText(rebuilt, text));
    QCOMPARE(ToHex(EncodeDeliver(rebuilt)), pduHex);
}

void SimPduCodec::submitAccepted_data()
{
    QTest::addColumn<QByteArray>("pduHex");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("text");
    // Published SMS-SUBMIT example: no centre (00), 11 (SUBMIT, relative VP), MR 00, 0B 91
    // 6407281553F8 (+46708251358), PID 00, DCS 00, VP AA, UDL 0A, "hellohello". TPDU = 23 octets.
    QTest::newRow("published 7-bit submit")
        << QByteArray("0011000B916407281553F80000AA0AE8329BFD4697D9EC37") << 23
        << QStringLiteral("+46708251358") << QStringLiteral("hellohello");
    // UCS-2 "Hi" to +8613987654321: 15 header octets + 4 user data octets = 19.
    QTest::newRow("ucs2 submit to +86 number")
        << QByteArray("0011000D91683189674523F10008A70400480069") << 19
        << QStringLiteral("+8613987654321") << QStringLiteral("Hi");
    // No validity period (VPF 00, first octet 01), empty UCS-2 text: first octet, MR, the
    // address (0D 91 + 7 octets = 9), PID, DCS, UDL: 1+1+9+1+1+1 = 14.
    QTest::newRow("no validity period, empty text")
        << QByteArray("0001000D91683189674523F1000800") << 14
        << QStringLiteral("+8613987654321") << QString();
    // User-data header (UDHI, first octet 51): header 05 00 03 01 02 01 then "A" in UCS-2.
    QTest::newRow("header skipped in text")
        << QByteArray("0051000D91683189674523F10008A708050003010201" "0041") << 23
        << QStringLiteral("+8613987654321") << QStringLiteral("A");
}

void SimPduCodec::submitAccepted()
{
    QFETCH(QByteArray, pduHex);
    QFETCH(int, length);
    QFETCH(QString, destination);
    QFETCH(QString, text);
    QString why;
    const auto pdu = DecodeSubmit(*FromHex(pduHex), length, &why);
    QVERIFY2(pdu, qPrintable(why));
    QCOMPARE(pdu->destination.Text(), destination);
    QCOMPARE(UserDataText(pdu->firstOctet, pdu->dataCoding, pdu->userDataLength, pdu->userData), text);
}

void SimPduCodec::submitRefused_data()
{
    QTest::addColumn<QByteArray>("pduHex");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("field");
    QTest::newRow("announced length too long")
        << QByteArray("0011000D91683189674523F10008A70400480069") << 20 << QStringLiteral("length");
    // Address length 0D (13 digits) but only 8 digits' worth of octets follow before PID: the
    // TPDU is 3 octets shorter than announced.
    QTest::newRow("short number under a 13-digit address length")
        << QByteArray("0011000D91680180F60008A70400480069") << 19 << QStringLiteral("length");
    QTest::newRow("deliver type, not submit")
        << QByteArray("0004000D91683189674523F10008A70400480069") << 19 << QStringLiteral("first octet");
    QTest::newRow("user data shorter than TP-UDL")
        << QByteArray("0011000D91683189674523F10008A7060048006900") << 20 << QStringLiteral("TP-UD");
    QTest::newRow("ucs2 longer than one message")
        << QByteArray("0011000D91683189674523F10008A78E") + QByteArray(142 * 2, '0') << 157
        << QStringLiteral("TP-UDL");
    QTest::newRow("cut inside the address")
        << QByteArray("0011000D9168318967") << 8 << QStringLiteral("TP-DA");
    QTest::newRow("centre length beyond the data") << QByteArray("0891") << 0
                                                   << QStringLiteral("service-centre");
    QTest::newRow("header longer than user data")
        << QByteArray("0051000D91683189674523F10008A7020900") << 17 << QStringLiteral("header");
}

void SimPduCodec::submitRefused()
{
    QFETCH(QByteArray, pduHex);
    QFETCH(int, length);
    QFETCH(QString, field);
    QString why;
    QVERIFY(!DecodeSubmit(*FromHex(pduHex), length, &why));
    QVERIFY2(why.contains(field), qPrintable(why));
}

void SimPduCodec::truncatedDeliverIsRefused()
{
    const QByteArray full = *FromHex("0891683100000000F0040D91683189674523F100081160032143652306006100620063");
    for (qsizetype n = 0; n < full.size(); ++n)
        QVERIFY2(!DecodeDeliver(full.left(n)), qPrintable(QString::number(n)));
    QVERIFY(!FromHex("0G"));
    QVERIFY(!FromHex("123"));
}

QTEST_APPLESS_MAIN(SimPduCodec)
#include "tst_sim_pdu_codec.moc"
