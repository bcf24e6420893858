// BuildSubmitPdu: the exact PDU and AT+CMGS length for the numbers and messages a technician
// sends, and length fields that agree with what is written for every allowed number length.

#include "sms/SmsPdu.h"

#include <QTest>

using namespace quillon;

class TestSubmitPdu : public QObject {
    Q_OBJECT

private slots:
    void swapSemiOctets_data();
    void swapSemiOctets();
    void buildSubmitPdu_data();
    void buildSubmitPdu();
    void lengthFieldsAgreeWithPdu_data();
    void lengthFieldsAgreeWithPdu();
};

void TestSubmitPdu::swapSemiOctets_data()
{
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("swapped");

    QTest::newRow("odd count gets F filler") << "13987654321" << "3189674523F1";
    QTest::newRow("five-digit service number") << "10086" << "0180F6";
    QTest::newRow("even count has no filler") << "1398765432" << "3189674523";
    QTest::newRow("single digit") << "7" << "F7";
    QTest::newRow("empty") << "" << "";
}

void TestSubmitPdu::swapSemiOctets()
{
    QFETCH(QString, digits);
    QFETCH(QString, swapped);
    QCOMPARE(SwapSemiOctets(digits), swapped);
}

void TestSubmitPdu::buildSubmitPdu_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("pdu");
    QTest::addColumn<int>("tpduLength");

    const QString head = QStringLiteral("0011000D91683189674523F10008A7");

    QTest::newRow("11 digits, Latin text, byte for byte the classic layout")
        << "13987654321" << "Hi" << "0011000D91683189674523F10008A70400480069" << 19;
    QTest::newRow("Chinese text in UCS-2") << "13987654321" << QStringLiteral("你好")
                                           << head + "044F60597D" << 19;
    QTest::newRow("empty message ends in the zero length") << "13987654321" << ""
                                                           << "0011000D91683189674523F10008A700" << 15;
    QTest::newRow("70 Chinese characters fill one message")
        << "13987654321" << QString(70, QChar(0x4E2D)) << head + "8C" + QString("4E2D").repeated(70)
        << 155;
    QTest::newRow("line break is CR LF in the user data")
        << "13987654321" << "a\r\nb" << head + "080061000D000A0062" << 23;
    QTest::newRow("surrogate pair counts as two code units")
        << "13987654321" << QString::fromUtf16(u"\U0001F600") << head + "04D83DDE00" << 19;
    QTest::newRow("five-digit number: 7 address digits, TPDU length 16")
        << "10086" << "Hi" << "0011000791680180F60008A70400480069" << 16;
    QTest::newRow("ten-digit number: no filler, 12 address digits")
        << "1398765432" << "Hi" << "0011000C916831896745230008A70400480069" << 18;
    QTest::newRow("18 digits: the longest address, 20 digits")
        << "123456789012345678" << "" << "0011001491682143658709214365870008A700" << 18;

    // Our layout worked out by hand, octet by octet, from TS 23.040 9.2.2.2 (first octet 11: submit,
    // relative validity; TP-MR 00; TP-DA: digit count, type 91, "86" and the number as semi-octets
    // with F filler; TP-PID 00; TP-DCS 08 = UCS-2 per TS 23.038 clause 4; TP-VP A7 = 12 h + (0xA7 -
    // 143) * 30 min = 24 h; TP-UDL in octets; TP-UD big-endian UCS-2).
    QTest::newRow("工作愉快！ to 13902433649, the tutorial's message with our validity")
        << "13902433649" << QStringLiteral("工作愉快！")
        << "0011000D91683109423346F90008A70A5DE54F5C61095FEBFF01" << 25;
    QTest::newRow("hello to 13421839693, the manual's user data")
        << "13421839693" << "hello" << "0011000D91683124819396F30008A70A00680065006C006C006F" << 25;
    QTest::newRow("华为 to 13901000453") << "13901000453" << QStringLiteral("华为")
                                        << "0011000D91683109010054F30008A704534E4E3A" << 19;
    QTest::newRow("abc to 10086: seven address digits")
        << "10086" << "abc" << "0011000791680180F60008A706006100620063" << 18;
    QTest::newRow("empty message to a ten-digit number")
        << "1398765432" << "" << "0011000C916831896745230008A700" << 14;
}

void TestSubmitPdu::buildSubmitPdu()
{
    QFETCH(QString, number);
    QFETCH(QString, message);
    QFETCH(QString, pdu);
    QFETCH(int, tpduLength);

    const SubmitPdu submit = BuildSubmitPdu(number, message);
    QCOMPARE(submit.pdu, pdu);
    QCOMPARE(submit.tpduLength, tpduLength);
}

void TestSubmitPdu::lengthFieldsAgreeWithPdu_data()
{
    QTest::addColumn<int>("numberLength");
    QTest::addColumn<int>("messageLength");

    for (int digits = 1; digits <= kMaxPduNumberDigits; ++digits) {
        for (int units : {0, 1, 35, kMaxPduMessageUnits}) {
            QTest::addRow("%d digits, %d code units", digits, units) << digits << units;
        }
    }
}

void TestSubmitPdu::lengthFieldsAgreeWithPdu()
{
    QFETCH(int, numberLength);
    QFETCH(int, messageLength);

    QString number;
    for (int i = 0; i < numberLength; ++i)
        number += QChar(u'0' + (i * 7 + 3) % 10);
    const SubmitPdu submit = BuildSubmitPdu(number, QString(messageLength, QChar(0x00E9)));

    QCOMPARE(submit.pdu.size() % 2, 0);
    QCOMPARE(submit.tpduLength, submit.pdu.size() / 2 - 1);
    bool ok = false;
    QCOMPARE(submit.pdu.mid(6, 2).toInt(&ok, 16), numberLength + 2);
    QVERIFY(ok);
    const int addressChars = (numberLength + 2 + 1) / 2 * 2;
    const int udlAt = 10 + addressChars + 6;
    QCOMPARE(submit.pdu.mid(udlAt, 2).toInt(&ok, 16), 2 * messageLength);
    QCOMPARE(submit.pdu.size(), udlAt + 2 + 4 * messageLength);
}

QTEST_GUILESS_MAIN(TestSubmitPdu)
#include "tst_submit_pdu.moc"
