// The module test's checks on reply texts, as both runners (window and batch) apply them.

#include "gsm/plan/ModuleTestPlan.h"

#include <QTest>

using namespace quillon::moduletest;

Q_DECLARE_METATYPE(Check)

class ModuleTestPlanTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void judge_data()
    {
        QTest::addColumn<Check>("check");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("diagnosis"); // empty: the run goes on
        const QString on;
        QTest::newRow("SIM ready") << Check::SimReady << "AT+CPIN?\r\r\n+CPIN: READY\r\n\r\nOK\r\n" << on;
        QTest::newRow("PIN asked is no answer in time")
            << Check::SimReady << "AT+CPIN?\r\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n" << kNoTimelyReply;
        QTest::newRow("SIM error") << Check::SimReady << "AT+CPIN?\r\r\n+CME ERROR: 10\r\n" << kSimError;
        QTest::newRow("silence") << Check::SimReady << "" << kNoTimelyReply;
        QTest::newRow("registered") << Check::Registration << "+CREG: 0,1\r\n\r\nOK\r\n" << on;
        QTest::newRow("roaming") << Check::Registration << "+CREG: 0,5\r\n" << on;
        QTest::newRow("other report mode") << Check::Registration << "+CREG: 1,2\r\n" << on;
        QTest::newRow("no status at all") << Check::Registration << "" << on;
        QTest::newRow("searching") << Check::Registration << "+CREG: 0,2\r\n" << kRegistering;
        QTest::newRow("not searching") << Check::Registration << "+CREG: 0,0\r\n" << kRegistering;
        QTest::newRow("denied") << Check::Registration << "+CREG: 0,3\r\n" << kSuspended;
        QTest::newRow("denied then searching: searching is tested first")
            << Check::Registration << "+CREG: 0,3\r\n+CREG: 0,2\r\n" << kRegistering;
        QTest::newRow("not searching then denied: denied is tested before not searching")
            << Check::Registration << "+CREG: 0,0\r\n+CREG: 0,3\r\n" << kSuspended;
        QTest::newRow("IMEI after its echo") << Check::Imei << "ATD*#06#\r\n490154203237518\r\n" << on;
        QTest::newRow("echo off") << Check::Imei << "490154203237518\r\n\r\nOK\r\n" << kImeiError;
    }
    void judge()
    {
        QFETCH(Check, check);
        QFETCH(QString, reply);
        QFETCH(QString, diagnosis);
        QCOMPARE(Judge(check, reply).value_or(QString()), diagnosis);
    }

    void imeiAndIdentificationTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("imei");
        QTest::addColumn<QString>("identification");
        QTest::newRow("CR LF after the echo")
            << "ATD*#06#\r\n490154203237518\r\n\r\nOK\r\n" << "IMEI: 490154203237518" << "";
        QTest::newRow("module's CR CR LF after the echo")
            << "ATD*#06#\r\r\n490154203237518\r\n" << "IMEI: 490154203237518" << "";
        QTest::newRow("text ends early") << "ATD*#06#\r\n4901" << "IMEI: 4901" << "";
        QTest::newRow("identification lines")
            << "ATI\r\r\nQuillon Sim\r\nREVISION 01.100\r\n\r\nOK\r\n" << ""
            << "Quillon Sim\nREVISION 01.100";
    }
    void imeiAndIdentificationTexts()
    {
        QFETCH(QString, text);
        QFETCH(QString, imei);
        QFETCH(QString, identification);
        QCOMPARE(ImeiTextFrom(text), imei);
        QCOMPARE(IdentificationFrom(text), identification);
    }
};

QTEST_GUILESS_MAIN(ModuleTestPlanTest)
#include "tst_module_test_plan.moc"
