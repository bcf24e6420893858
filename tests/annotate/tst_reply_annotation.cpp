// Reply annotations against the standards' lists: every numeric +CME code of 27.007 §9.2.1/9.2.2
// and every +CMS code of 27.005 §3.2.5 (with the 24.011 E.2 and 23.040 §9.2.3.22 causes it
// names) has a meaning, codes the lists leave out have none; reply lines give the expected notes.

#include "annotate/ReplyAnnotation.h"

#include <QTest>

using namespace quillon;

class ReplyAnnotationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void errorCodesFollowTheLists_data()
    {
        QTest::addColumn<bool>("cms");
        QTest::addColumn<QList<int>>("listed");
        QTest::addColumn<QList<int>>("unlisted");
        QTest::newRow("27.007 9.2.1 general") << false
            << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20, 21, 22, 23,
                          24, 25, 26, 27, 30, 31, 32, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 100}
            << QList<int>{8, 9, 19, 28, 29, 33, 39, 64, 99, 101, 300};
        QTest::newRow("27.007 9.2.2 GPRS") << false
            << QList<int>{103, 106, 107, 108, 111, 112, 113, 114, 115, 122, 125, 126, 127, 128, 129, 130,
                          131, 132, 133, 148, 149, 150}
            << QList<int>{102, 104, 105, 109, 110, 116, 151};
        QTest::newRow("27.005 3.2.5") << true
            << QList<int>{300, 301, 302, 303, 304, 305, 310, 311, 312, 313, 314, 315, 316, 317, 318,
                          320, 321, 322, 330, 331, 332, 340, 500}
            << QList<int>{306, 309, 319, 323, 333, 341, 400, 499, 501};
        QTest::newRow("24.011 E.2 RP causes") << true
            << QList<int>{1, 8, 10, 21, 27, 28, 29, 30, 38, 41, 42, 47, 50, 69, 81, 95, 96, 97, 98, 99,
                          111, 127}
            << QList<int>{0, 2, 9, 100, 126};
        QTest::newRow("23.040 9.2.3.22 TP causes") << true
            << QList<int>{128, 129, 130, 143, 144, 145, 159, 160, 161, 175, 176, 192, 193, 194, 195, 196,
                          197, 198, 199, 208, 209, 210, 211, 212, 213, 255}
            << QList<int>{131, 146, 177, 200, 214};
    }
    void errorCodesFollowTheLists()
    {
        QFETCH(bool, cms);
        QFETCH(QList<int>, listed);
        QFETCH(QList<int>, unlisted);
        const auto text = [cms](int code) { return cms ? CmsErrorText(code) : CmeErrorText(code); };
        for (int code : listed)
            QVERIFY2(!text(code).isEmpty(), qPrintable(QString::number(code)));
        for (int code : unlisted)
            QVERIFY2(text(code).isEmpty(), qPrintable(QString::number(code)));
    }

    void signalLevels_data()
    {
        QTest::addColumn<int>("rssi");
        QTest::addColumn<int>("dbm");
        QTest::addColumn<QString>("quality");
        QTest::newRow("0") << 0 << -113 << QStringLiteral("极弱");
        QTest::newRow("1") << 1 << -111 << QStringLiteral("极弱");
        QTest::newRow("2") << 2 << -109 << QStringLiteral("弱");
        QTest::newRow("10") << 10 << -93 << QStringLiteral("一般");
        QTest::newRow("15") << 15 << -83 << QStringLiteral("好");
        QTest::newRow("30") << 30 << -53 << QStringLiteral("很好");
        QTest::newRow("31") << 31 << -51 << QStringLiteral("很好");
        QTest::newRow("99 unknown") << 99 << 0 << QStringLiteral("未知");
        QTest::newRow("32 out of range") << 32 << 0 << QStringLiteral("未知");
    }
    void signalLevels()
    {
        QFETCH(int, rssi);
        QFETCH(int, dbm);
        QFETCH(QString, quality);
        QCOMPARE(RssiDbm(rssi), dbm);
        QCOMPARE(RssiQuality(rssi), quality);
    }

    void replyLines_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("notes");
        QTest::newRow("CSQ") << QByteArray("+CSQ: 21,0")
            << QStringList{QStringLiteral("信号强度 -71 dBm，很好；误码率低于 0.2%（RXQUAL 0）")};
        QTest::newRow("CSQ unknown") << QByteArray("+CSQ: 99,99")
            << QStringList{QStringLiteral("信号强度未知，未知；误码率未知")};
        QTest::newRow("CSQ 31 ber 7") << QByteArray("+CSQ: 31,7")
            << QStringList{QStringLiteral("信号强度 -51 dBm 或更强，很好；误码率高于 12.8%（RXQUAL 7）")};
        QTest::newRow("CREG read, roaming with cell") << QByteArray("+CREG: 0,5,\"1A2B\",\"01C3\"")
            << QStringList{QStringLiteral("网络注册状态 5：已注册，漫游"),
                           QStringLiteral("位置区 LAC 1A2B（十进制 6699），小区 CI 01C3（十进制 451）")};
        QTest::newRow("CREG unsolicited with cell") << QByteArray("+CREG: 1,\"1A2B\",\"3C4D\"")
            << QStringList{QStringLiteral("网络注册状态 1：已注册，本地网络"),
                           QStringLiteral("位置区 LAC 1A2B（十进制 6699），小区 CI 3C4D（十进制 15437）")};
        QTest::newRow("CREG unsolicited searching") << QByteArray("+CREG: 2")
            << QStringList{QStringLiteral("网络注册状态 2：未注册，正在搜索网络")};
        QTest::newRow("CGREG denied") << QByteArray("+CGREG: 0,3")
            << QStringList{QStringLiteral("网络注册状态 3：注册被拒绝")};
        QTest::newRow("CEREG tracking area") << QByteArray("+CEREG: 2,1,\"00C3\",\"0012AB01\",7")
            << QStringList{QStringLiteral("网络注册状态 1：已注册，本地网络"),
                           QStringLiteral("跟踪区 TAC 00C3（十进制 195），小区 CI 0012AB01（十进制 1223425）")};
        QTest::newRow("CME 10") << QByteArray("+CME ERROR: 10")
            << QStringList{QStringLiteral("设备错误 10：未插入 SIM 卡")};
        QTest::newRow("CME unlisted") << QByteArray("+CME ERROR: 765")
            << QStringList{QStringLiteral("设备错误 765：标准未列出的错误码（可能是厂商自定义）")};
        QTest::newRow("CMS 321") << QByteArray("+CMS ERROR: 321")
            << QStringList{QStringLiteral("短信错误 321：无效的存储索引")};
        QTest::newRow("CPIN SIM PIN") << QByteArray("+CPIN: SIM PIN")
            << QStringList{QStringLiteral("SIM 卡等待输入 PIN 码")};
        QTest::newRow("CPIN READY") << QByteArray("+CPIN: READY")
            << QStringList{QStringLiteral("SIM 卡已就绪，不需要密码")};
        QTest::newRow("CMGS") << QByteArray("+CMGS: 12") << QStringList{QStringLiteral("短信已发出，消息参考号 12")};
        QTest::newRow("CLIP national") << QByteArray("+CLIP: \"13800138000\",129")
            << QStringList{QStringLiteral("来电号码 13800138000，号码类型 129")};
        QTest::newRow("CLIP international") << QByteArray("+CLIP: \"+8613800138000\",145")
            << QStringList{QStringLiteral("来电号码 +8613800138000，国际格式（类型 145）")};
        QTest::newRow("RING with blanks") << QByteArray("  RING ") << QStringList{QStringLiteral("来电振铃")};
        QTest::newRow("NO CARRIER") << QByteArray("NO CARRIER") << QStringList{QStringLiteral("通话已断开或未能接通")};
        QTest::newRow("BUSY") << QByteArray("BUSY") << QStringList{QStringLiteral("对方忙")};
        QTest::newRow("NO ANSWER") << QByteArray("NO ANSWER") << QStringList{QStringLiteral("对方无人接听")};
        QTest::newRow("OK is not annotated") << QByteArray("OK") << QStringList{};
        QTest::newRow("echo is not annotated") << QByteArray("AT+CSQ") << QStringList{};
        QTest::newRow("CSQ unreadable") << QByteArray("+CSQ: x,0") << QStringList{};
        QTest::newRow("CREG unknown stat") << QByteArray("+CREG: 0,42") << QStringList{};
        QTest::newRow("unknown reply") << QByteArray("+COPS: 0,0,\"CHINA MOBILE\"") << QStringList{};
    }
    void replyLines()
    {
        QFETCH(QByteArray, line);
        QFETCH(QStringList, notes);
        QCOMPARE(AnnotateReply(line), notes);
    }
};

QTEST_APPLESS_MAIN(ReplyAnnotationTest)
#include "tst_reply_annotation.moc"
