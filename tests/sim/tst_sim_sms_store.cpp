// The module's message store: the preloaded PDUs checked field by field against vectors worked
// out by hand from 3GPP TS 23.040, and AT+CMGR / AT+CMGD in both message formats.
#include "ModuleBench.h"

#include <QtTest>

using namespace quillon::sim;
using namespace quillon::sim::test;

namespace {

// Every preloaded message, worked by hand. Common pieces:
//   centre "+8613800210500": 13 digits -> 7 octets 68 31 08 20 01 05 F0 (pairs swapped, F
//   filler), length octet counts type + digits = 08, type 91 (international): 0891683108200105F0.
//   time stamps: each of yy MM dd hh mm ss swapped ("20" -> 02); zone +32 quarter hours (UTC+8)
//   is tens 3 in the low nibble, units 2 in the high nibble: 23.
const char *const kMessage1 = // first octet 04 (DELIVER, no more messages)
    "0891683108200105F0" "04"
    // sender: 13 digits, type 91, 86 13 91 23 45 67 8F swapped
    "0D" "91" "683119325476F8"
    "00" "08" // PID plain, DCS UCS-2
    "42500290510323" // 24/05/20 09:15:30 +32
    "2A" // 21 UTF-16 units = 42 octets: 你好，这是一条测试短信。Hello 123
    "4F60597DFF0C8FD9662F4E0067616D4B8BD577ED4FE13002"
    "00480065006C006C006F0020003100320033";
const char *const kMessage2 = "0891683108200105F0" "04"
    // sender 10086: 5 digits, type A1 (national), 01 80 F6
    "05" "A1" "0180F6" "00" "08"
    "42509181005023" // 24/05/19 18:00:05 +32
    "28" // 20 units: 尊敬的客户，您的话费余额为50.00元。
    "5C0A656C76845BA26237FF0C60A876848BDD8D394F59989D4E3A"
    "00350030002E0030003051433002";
const char *const kMessage3 = "0891683108200105F0" "04"
    "0D" "91" "683189674523F1" // +8613987654321
    "00" "00" // DCS GSM 7-bit
    "42508170540023" // 24/05/18 07:45:00 +32
    "0A" "E8329BFD4697D9EC37"; // 10 septets "hellohello", the published packing
const char *const kMessage4 = "0891683108200105F0"
    "44" // TP-UDHI (0x40) set
    "0D" "91" "683119325476F8" "00" "08"
    "42500201000023" // 24/05/20 10:00:00 +32
    "1C" // 6 header octets + 11 units (22 octets) = 28
    "0500032A0201" // UDHL 5; IEI 00 concatenation, length 3, reference 2A, 2 parts, part 1
    "7B2C4E0090E852060020007000610072007400200031"; // 第一部分 part 1
const char *const kMessage5 = // the published example, centre +27381000015 (not +86 13...)
    "07917283010010F5" "04" "0BC87238880900F1" "0000" "99309251619580" "0A" "E8329BFD4697D9EC37";
const char *const kMessage6 =
    // centre +85290288000: 11 digits -> 58 92 20 88 00 F0, length 07
    "07915892208800F0" "04"
    "0B" "91" "5862214365F7" // +85261234567
    "00" "08" "42507102030023" // 24/05/17 20:30:00 +32
    "0A" "99996E2F002000480069"; // 香港 Hi

} // namespace

class SimSmsStore : public QObject {
    Q_OBJECT
private slots:
    void preloadedPdus_data();
    void preloadedPdus();
    void readPduMode_data();
    void readPduMode();
    void readTextMode_data();
    void readTextMode();
    void readingMarksUnreadAsRead();
    void readErrors_data();
    void readErrors();
    void deleteByIndexAndFlag_data();
    void deleteByIndexAndFlag();
};

void SimSmsStore::preloadedPdus_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("pduHex");
    QTest::newRow("1: UCS-2 Chinese and ASCII from 11-digit number") << 1 << 0 << QByteArray(kMessage1);
    QTest::newRow("2: UCS-2 from short number 10086") << 2 << 1 << QByteArray(kMessage2);
    QTest::newRow("3: GSM 7-bit") << 3 << 1 << QByteArray(kMessage3);
    QTest::newRow("4: with user-data header") << 4 << 0 << QByteArray(kMessage4);
    QTest::newRow("5: centre abroad, 7-bit") << 5 << 1 << QByteArray(kMessage5);
    QTest::newRow("6: centre abroad, UCS-2") << 6 << 1 << QByteArray(kMessage6);
}

void SimSmsStore::preloadedPdus()
{
    QFETCH(int, index);
    QFETCH(int, status);
    QFETCH(QByteArray, pduHex);
    const QList<StoredMessage> stored = GsmModule().StoredMessages();
    QCOMPARE(stored.size(), 6);
    const StoredMessage &m = stored.at(index - 1);
    QCOMPARE(m.index, index);
    QCOMPARE(m.status, status);
    QCOMPARE(ToHex(m.pdu), pduHex);
}

void SimSmsStore::readPduMode_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("pduHex");
    // <length> counts the TPDU only, without the centre's octets.
    QTest::newRow("1") << 1 << QByteArray("+CMGR: 0,,62") << QByteArray(kMessage1);
    QTest::newRow("2") << 2 << QByteArray("+CMGR: 1,,56") << QByteArray(kMessage2);
    QTest::newRow("3") << 3 << QByteArray("+CMGR: 1,,29") << QByteArray(kMessage3);
    QTest::newRow("4") << 4 << QByteArray("+CMGR: 0,,48") << QByteArray(kMessage4);
    QTest::newRow("5") << 5 << QByteArray("+CMGR: 1,,28") << QByteArray(kMessage5);
    QTest::newRow("6") << 6 << QByteArray("+CMGR: 1,,29") << QByteArray(kMessage6);
}

void SimSmsStore::readPduMode()
{
    QFETCH(int, index);
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, pduHex);
    ModuleBench bench;
    QCOMPARE(bench.Exchange("AT+CMGF=0\r\n"), QByteArray("AT+CMGF=0\r\n\r\nOK\r\n"));
    const QByteArray command = "AT+CMGR=" + QByteArray::number(index) + "\r\n";
    QCOMPARE(bench.Exchange(command), command + "\r\n" + header + "\r\n" + pduHex + "\r\n\r\nOK\r\n");
}

void SimSmsStore::readTextMode_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("reply");
    // TS 27.005: GSM 7-bit text without header is shown as text; UCS-2 and any message with a
    // header as hexadecimal octets.
    QTest::newRow("1: UCS-2 as hex")
        << 1 << QByteArray("+CMGR: \"REC UNREAD\",\"+8613912345678\",,\"24/05/20,09:15:30+32\"\r\n"
                           "4F60597DFF0C8FD9662F4E0067616D4B8BD577ED4FE13002"
                           "00480065006C006C006F0020003100320033");
    QTest::newRow("2: national short number, no plus")
        << 2 << QByteArray("+CMGR: \"REC READ\",\"10086\",,\"24/05/19,18:00:05+32\"\r\n"
                           "5C0A656C76845BA26237FF0C60A876848BDD8D394F59989D4E3A"
                           "00350030002E0030003051433002");
    QTest::newRow("3: 7-bit as text")
        << 3 << QByteArray("+CMGR: \"REC READ\",\"+8613987654321\",,\"24/05/18,07:45:00+32\"\r\nhellohello");
    QTest::newRow("4: header makes it hex")
        << 4 << QByteArray("+CMGR: \"REC UNREAD\",\"+8613912345678\",,\"24/05/20,10:00:00+32\"\r\n"
                           "0500032A02017B2C4E0090E852060020007000610072007400200031");
    QTest::newRow("5: published example")
        << 5 << QByteArray("+CMGR: \"REC READ\",\"27838890001\",,\"99/03/29,15:16:59+08\"\r\nhellohello");
    QTest::newRow("6: abroad UCS-2")
        << 6 << QByteArray("+CMGR: \"REC READ\",\"+85261234567\",,\"24/05/17,20:30:00+32\"\r\n"
                           "99996E2F002000480069");
}

void SimSmsStore::readTextMode()
{
    QFETCH(int, index);
    QFETCH(QByteArray, reply);
    ModuleBench bench;
    bench.Quiet();
    QCOMPARE(bench.Exchange("AT+CMGF=1\r\n"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("AT+CMGR=" + QByteArray::number(index) + "\r\n"),
             "\r\n" + reply + "\r\n\r\nOK\r\n");
}

void SimSmsStore::readingMarksUnreadAsRead()
{
    ModuleBench bench;
    bench.Quiet();
    QVERIFY(bench.Exchange("AT+CMGR=1\r").startsWith("\r\n+CMGR: 0,,62\r\n"));
    QVERIFY(bench.Exchange("AT+CMGR=1\r").startsWith("\r\n+CMGR: 1,,62\r\n"));
    QCOMPARE(bench.module.StoredMessages().constFirst().status, 1);
}

void SimSmsStore::readErrors_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("empty location reads as nothing") << QByteArray("AT+CMGR=7") << QByteArray("\r\nOK\r\n");
    QTest::newRow("index 0") << QByteArray("AT+CMGR=0") << QByteArray("\r\n+CMS ERROR: 321\r\n");
    QTest::newRow("index past the store") << QByteArray("AT+CMGR=21") << QByteArray("\r\n+CMS ERROR: 321\r\n");
    QTest::newRow("no index") << QByteArray("AT+CMGR=") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("index not a number") << QByteArray("AT+CMGR=a") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("test form") << QByteArray("AT+CMGR=?") << QByteArray("\r\nOK\r\n");
}

void SimSmsStore::readErrors()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, reply);
    ModuleBench bench;
    bench.Quiet();
    QCOMPARE(bench.Exchange(line + "\r\n"), reply);
}

void SimSmsStore::deleteByIndexAndFlag_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QList<int>>("left");
    QTest::newRow("index 1") << QByteArray("AT+CMGD=1") << QByteArray("\r\nOK\r\n") << QList<int>{2, 3, 4, 5, 6};
    QTest::newRow("empty location") << QByteArray("AT+CMGD=9") << QByteArray("\r\nOK\r\n")
                                    << QList<int>{1, 2, 3, 4, 5, 6};
    QTest::newRow("out of range") << QByteArray("AT+CMGD=99") << QByteArray("\r\n+CMS ERROR: 321\r\n")
                                  << QList<int>{1, 2, 3, 4, 5, 6};
    QTest::newRow("empty index") << QByteArray("AT+CMGD=") << QByteArray("\r\nERROR\r\n")
                                 << QList<int>{1, 2, 3, 4, 5, 6};
    QTest::newRow("all read messages") << QByteArray("AT+CMGD=1,1") << QByteArray("\r\nOK\r\n")
                                       << QList<int>{1, 4};
    QTest::newRow("everything") << QByteArray("AT+CMGD=1,4") << QByteArray("\r\nOK\r\n") << QList<int>{};
    QTest::newRow("bad flag") << QByteArray("AT+CMGD=1,5") << QByteArray("\r\nERROR\r\n")
                              << QList<int>{1, 2, 3, 4, 5, 6};
    QTest::newRow("test lists used locations") << QByteArray("AT+CMGD=?")
                                               << QByteArray("\r\n+CMGD: (1,2,3,4,5,6),(0-4)\r\n\r\nOK\r\n")
                                               << QList<int>{1, 2, 3, 4, 5, 6};
}

void SimSmsStore::deleteByIndexAndFlag()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, reply);
    QFETCH(QList<int>, left);
    ModuleBench bench;
    bench.Quiet();
    QCOMPARE(bench.Exchange(line + "\r\n"), reply);
    QList<int> indexes;
    for (const StoredMessage &m : bench.module.StoredMessages())
        indexes << m.index;
    QCOMPARE(indexes, left);
    if (!left.contains(1))
        QCOMPARE(bench.Exchange("AT+CMGR=1\r"), QByteArray("\r\nOK\r\n"));
}

QTEST_APPLESS_MAIN(SimSmsStore)
#include "tst_sim_sms_store.moc"
