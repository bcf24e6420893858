// Every command of the module with its reply bytes, on a default module with echo off.
#include "ModuleBench.h"

#include <QtTest>

using namespace quillon::sim;
using namespace quillon::sim::test;

class SimCommandReplies : public QObject {
    Q_OBJECT
private slots:
    void reply_data();
    void reply();
    void factoryProfileRestoresEcho();
    void storedProfileSurvivesReset();
    void clockRunsWithModelTime();
    void imeiIsFifteenDigitsWithLuhnCheck();
};

void SimCommandReplies::reply_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("reply");
    const QByteArray ok = "\r\nOK\r\n";
    auto info = [&](const QByteArray &text) { return "\r\n" + text + "\r\n" + ok; };

    QTest::newRow("AT") << QByteArray("AT") << ok;
    QTest::newRow("ATI identification") << QByteArray("ATI")
                                        << info("QUILLON\r\nQS900\r\nREVISION 01.001");
    QTest::newRow("ATI0") << QByteArray("ATI0") << info("QUILLON\r\nQS900\r\nREVISION 01.001");
    QTest::newRow("AT+CGMI") << QByteArray("AT+CGMI") << info("QUILLON");
    QTest::newRow("AT+CGMM") << QByteArray("AT+CGMM") << info("QS900");
    QTest::newRow("AT+CGMR") << QByteArray("AT+CGMR") << info("REVISION 01.001");
    QTest::newRow("AT+CGSN") << QByteArray("AT+CGSN") << info("352099001761481");
    QTest::newRow("AT&F") << QByteArray("AT&F") << ok;
    QTest::newRow("AT&F0") << QByteArray("AT&F0") << ok;
    QTest::newRow("AT&W") << QByteArray("AT&W") << ok;
    QTest::newRow("ATZ") << QByteArray("ATZ") << ok;
    QTest::newRow("AT^SBC=0^SBC?") << QByteArray("AT^SBC=0^SBC?") << info("^SBC: 0,0,0");
    QTest::newRow("AT^SBC=? ") << QByteArray("AT^SBC=?") << info("^SBC: (0-5),(0-100),(0-5000)");
    QTest::newRow("AT^SNFD") << QByteArray("AT^SNFD") << ok;
    QTest::newRow("AT^SNFS=4 then query") << QByteArray("AT^SNFS=4;^SNFS?") << info("^SNFS: 4");
    QTest::newRow("AT^SNFS=7 out of range") << QByteArray("AT^SNFS=7") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("AT^SSYNC=1 then query") << QByteArray("AT^SSYNC=1^SSYNC?") << info("^SSYNC: 1");
    QTest::newRow("AT+CRC=1 then query") << QByteArray("AT+CRC=1+CRC?") << info("+CRC: 1");
    QTest::newRow("AT+CRC=?") << QByteArray("AT+CRC=?") << info("+CRC: (0,1)");
    QTest::newRow("AT+CLIP?") << QByteArray("AT+CLIP?") << info("+CLIP: 0,1");
    QTest::newRow("AT+CLIP=1 then query") << QByteArray("AT+CLIP=1+CLIP?") << info("+CLIP: 1,1");
    QTest::newRow("AT&D0") << QByteArray("AT&D0") << ok;
    QTest::newRow("AT&D3 out of range") << QByteArray("AT&D3") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("ATX4") << QByteArray("ATX4") << ok;
    QTest::newRow("ATX5 out of range") << QByteArray("ATX5") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("AT+IPR?") << QByteArray("AT+IPR?") << info("+IPR: 115200");
    QTest::newRow("AT+IPR=0 then query") << QByteArray("AT+IPR=0+IPR?") << info("+IPR: 0");
    QTest::newRow("AT+IPR=?") << QByteArray("AT+IPR=?")
                              << info("+IPR: (0,300,600,1200,2400,4800,9600,14400,19200,28800,38400,"
                                      "57600,115200,230400)");
    QTest::newRow("AT+IPR=12345 unsupported") << QByteArray("AT+IPR=12345") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("AT+CCLK?") << QByteArray("AT+CCLK?") << info("+CCLK: \"24/05/20,08:30:00+32\"");
    QTest::newRow("AT+CCLK= then query")
        << QByteArray("AT+CCLK=\"11/06/30,12:34:56+32\";+CCLK?") << info("+CCLK: \"11/06/30,12:34:56+32\"");
    QTest::newRow("AT+CCLK= malformed") << QByteArray("AT+CCLK=\"11/13/30,12:34:56+32\"")
                                        << QByteArray("\r\n+CME ERROR: 3\r\n");
    QTest::newRow("AT+CPIN?") << QByteArray("AT+CPIN?") << info("+CPIN: READY");
    QTest::newRow("AT+CREG?") << QByteArray("AT+CREG?") << info("+CREG: 0,1");
    QTest::newRow("AT+CREG=2 then query")
        << QByteArray("AT+CREG=2;+CREG?") << info("+CREG: 2,1,\"1A2B\",\"3C4D\"");
    QTest::newRow("AT+CREG=?") << QByteArray("AT+CREG=?") << info("+CREG: (0-2)");
    QTest::newRow("AT+CSQ") << QByteArray("AT+CSQ") << info("+CSQ: 20,0");
    QTest::newRow("AT+CSQ=?") << QByteArray("AT+CSQ=?") << info("+CSQ: (0-31,99),(0-7,99)");
    QTest::newRow("AT+COPS?") << QByteArray("AT+COPS?") << info("+COPS: 0,0,\"CHINA MOBILE\"");
    QTest::newRow("AT+COPS=0") << QByteArray("AT+COPS=0") << ok;
    QTest::newRow("AT+CIMI") << QByteArray("AT+CIMI") << info("460001357924680");
    QTest::newRow("AT+CLCC without call") << QByteArray("AT+CLCC") << ok;
    QTest::newRow("ATA without call") << QByteArray("ATA") << QByteArray("\r\nNO CARRIER\r\n");
    QTest::newRow("ATH without call") << QByteArray("ATH") << ok;
    QTest::newRow("ATD voice call") << QByteArray("ATD10086;") << ok;
    QTest::newRow("ATD data call") << QByteArray("ATD10086") << QByteArray("\r\nNO CARRIER\r\n");
    QTest::newRow("ATD*#06# shows the IMEI") << QByteArray("ATD*#06#") << info("352099001761481");
    QTest::newRow("ATD with letters") << QByteArray("ATDxyz;") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("AT+VTS without call") << QByteArray("AT+VTS=1") << QByteArray("\r\n+CME ERROR: 3\r\n");
    QTest::newRow("AT+VTS= empty") << QByteArray("AT+VTS=") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("AT+VTS during a call") << QByteArray("ATD10086;+VTS=123") << ok;
    QTest::newRow("AT+VTS bad tone during a call") << QByteArray("ATD10086;+VTS=x")
                                                   << QByteArray("\r\nERROR\r\n");
    QTest::newRow("AT+CFUN?") << QByteArray("AT+CFUN?") << info("+CFUN: 1");
    QTest::newRow("AT+CFUN=?") << QByteArray("AT+CFUN=?") << info("+CFUN: (0,1,4),(0,1)");
    QTest::newRow("AT+CFUN=4 radio off deregisters")
        << QByteArray("AT+CFUN=4;+CREG?") << info("+CREG: 0,0");
    QTest::newRow("AT+CFUN=5") << QByteArray("AT+CFUN=5") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("AT+CNMI=2,1 then query") << QByteArray("AT+CNMI=2,1;+CNMI?") << info("+CNMI: 2,1,0,0,0");
    QTest::newRow("AT+CNMI=?") << QByteArray("AT+CNMI=?") << info("+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)");
    QTest::newRow("AT+CNMI=9") << QByteArray("AT+CNMI=9") << QByteArray("\r\n+CMS ERROR: 303\r\n");
    QTest::newRow("AT+CMGF?") << QByteArray("AT+CMGF?") << info("+CMGF: 0");
    QTest::newRow("AT+CMGF=1 then query") << QByteArray("AT+CMGF=1+CMGF?") << info("+CMGF: 1");
    QTest::newRow("AT+CMGF=?") << QByteArray("AT+CMGF=?") << info("+CMGF: (0,1)");
    QTest::newRow("AT+CMGF=2") << QByteArray("AT+CMGF=2") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("AT+CSCA?") << QByteArray("AT+CSCA?") << info("+CSCA: \"+8613800210500\",145");
    QTest::newRow("AT+CMEE?") << QByteArray("AT+CMEE?") << info("+CMEE: 1");
    QTest::newRow("AT+CMEE=2 verbose error")
        << QByteArray("AT+CMEE=2;+VTS=1") << QByteArray("\r\n+CME ERROR: operation not allowed\r\n");
    QTest::newRow("AT+CMEE=0 plain error") << QByteArray("AT+CMEE=0;+VTS=1") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("AT^SMSO=?") << QByteArray("AT^SMSO=?") << ok;
}

void SimCommandReplies::reply()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, reply);
    ModuleBench bench;
    bench.Quiet();
    QCOMPARE(bench.Exchange(line + "\r\n"), reply);
}

void SimCommandReplies::factoryProfileRestoresEcho()
{
    ModuleBench bench;
    QCOMPARE(bench.Exchange("ATE0\r"), QByteArray("ATE0\r\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("AT+CRC=1;&F\r"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("AT+CRC?\r"), QByteArray("AT+CRC?\r\r\n+CRC: 0\r\n\r\nOK\r\n"));
}

void SimCommandReplies::storedProfileSurvivesReset()
{
    ModuleBench bench;
    bench.Quiet();
    QCOMPARE(bench.Exchange("AT+CMGF=1;+CLIP=1;&W\r"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("AT+CMGF=0;+CFUN=1,1\r"), QByteArray("\r\nOK\r\n\r\n^SYSSTART\r\n"));
    QCOMPARE(bench.Exchange("AT+CMGF?;+CLIP?\r"),
             QByteArray("\r\n+CMGF: 1\r\n\r\n+CLIP: 1,1\r\n\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("AT+CMGF=0;Z;+CMGF?\r"), QByteArray("\r\n+CMGF: 1\r\n\r\nOK\r\n"));
}

void SimCommandReplies::clockRunsWithModelTime()
{
    ModuleBench bench;
    bench.Quiet();
    bench.Exchange("AT+CCLK=\"24/12/31,23:59:58+32\"\r");
    bench.Wait(2500);
    QCOMPARE(bench.Exchange("AT+CCLK?\r"), QByteArray("\r\n+CCLK: \"25/01/01,00:00:01+32\"\r\n\r\nOK\r\n"));
}

void SimCommandReplies::imeiIsFifteenDigitsWithLuhnCheck()
{
    GsmModule module;
    const QString imei = module.Imei();
    QCOMPARE(imei.size(), 15);
    // Luhn: from the right, every second digit doubled (minus 9 above 9); the sum ends in 0.
    int sum = 0;
    for (int i = 0; i < 15; ++i) {
        int d = imei.at(14 - i).digitValue();
        if (i % 2) {
            d *= 2;
            if (d > 9)
                d -= 9;
        }
        sum += d;
    }
    QCOMPARE(sum % 10, 0);
}

QTEST_APPLESS_MAIN(SimCommandReplies)
#include "tst_sim_command_replies.moc"
