// SIM states, PIN entry and network registration as the module reports them.
#include "ModuleBench.h"

#include <QtTest>

using namespace quillon::sim;
using namespace quillon::sim::test;

Q_DECLARE_METATYPE(quillon::sim::SimState)

class SimSimAndRegistration : public QObject {
    Q_OBJECT
private slots:
    void simState_data();
    void simState();
    void pinEntry_data();
    void pinEntry();
    void threeWrongPinsBlockUntilPuk();
    void unlockedPinIsAskedAgainAfterReset();
    void registration_data();
    void registration();
    void registrationChangeIsReportedWhenEnabled();
};

void SimSimAndRegistration::simState_data()
{
    QTest::addColumn<SimState>("state");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("reply");
    const QByteArray cpin = "AT+CPIN?";
    QTest::newRow("ready") << SimState::Ready << cpin << QByteArray("\r\n+CPIN: READY\r\n\r\nOK\r\n");
    QTest::newRow("waiting for PIN") << SimState::WaitingPin << cpin
                                     << QByteArray("\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n");
    QTest::newRow("waiting for PIN2") << SimState::WaitingPin2 << cpin
                                      << QByteArray("\r\n+CPIN: SIM PIN2\r\n\r\nOK\r\n");
    QTest::newRow("waiting for PUK") << SimState::WaitingPuk << cpin
                                     << QByteArray("\r\n+CPIN: SIM PUK\r\n\r\nOK\r\n");
    QTest::newRow("absent") << SimState::Absent << cpin << QByteArray("\r\n+CME ERROR: 10\r\n");
    QTest::newRow("absent, plain errors") << SimState::Absent << QByteArray("AT+CMEE=0;+CPIN?")
                                          << QByteArray("\r\nERROR\r\n");
    QTest::newRow("IMSI needs the PIN") << SimState::WaitingPin << QByteArray("AT+CIMI")
                                        << QByteArray("\r\n+CME ERROR: 11\r\n");
    QTest::newRow("IMSI needs a SIM") << SimState::Absent << QByteArray("AT+CIMI")
                                      << QByteArray("\r\n+CME ERROR: 10\r\n");
    QTest::newRow("IMSI with PUK pending") << SimState::WaitingPuk << QByteArray("AT+CIMI")
                                           << QByteArray("\r\n+CME ERROR: 12\r\n");
    QTest::newRow("IMSI readable while PIN2 pending") << SimState::WaitingPin2 << QByteArray("AT+CIMI")
                                                      << QByteArray("\r\n460001357924680\r\n\r\nOK\r\n");
    QTest::newRow("message read needs the PIN") << SimState::WaitingPin << QByteArray("AT+CMGR=1")
                                                << QByteArray("\r\n+CMS ERROR: 311\r\n");
    QTest::newRow("message send needs a SIM") << SimState::Absent << QByteArray("AT+CMGS=19")
                                              << QByteArray("\r\n+CMS ERROR: 310\r\n");
    QTest::newRow("locked SIM is not registered") << SimState::WaitingPin << QByteArray("AT+CREG?")
                                                  << QByteArray("\r\n+CREG: 0,0\r\n\r\nOK\r\n");
    QTest::newRow("no operator without SIM") << SimState::Absent << QByteArray("AT+COPS?")
                                             << QByteArray("\r\n+COPS: 0\r\n\r\nOK\r\n");
    QTest::newRow("IMEI needs no SIM") << SimState::Absent << QByteArray("ATD*#06#")
                                       << QByteArray("\r\n352099001761481\r\n\r\nOK\r\n");
    QTest::newRow("voice call needs the PIN") << SimState::WaitingPin << QByteArray("ATD10086;")
                                              << QByteArray("\r\n+CME ERROR: 11\r\n");
}

void SimSimAndRegistration::simState()
{
    QFETCH(SimState, state);
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, reply);
    ModuleBench bench;
    bench.Quiet();
    bench.module.SetSimState(state);
    QCOMPARE(bench.Exchange(line + "\r\n"), reply);
}

void SimSimAndRegistration::pinEntry_data()
{
    QTest::addColumn<SimState>("state");
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("cpinAfter");
    QTest::newRow("right PIN") << SimState::WaitingPin << QByteArray("AT+CPIN=8642")
                               << QByteArray("\r\nOK\r\n") << QByteArray("READY");
    QTest::newRow("right PIN quoted") << SimState::WaitingPin << QByteArray("AT+CPIN=\"8642\"")
                                      << QByteArray("\r\nOK\r\n") << QByteArray("READY");
    QTest::newRow("wrong PIN") << SimState::WaitingPin << QByteArray("AT+CPIN=1111")
                               << QByteArray("\r\n+CME ERROR: 16\r\n") << QByteArray("SIM PIN");
    QTest::newRow("PIN too short") << SimState::WaitingPin << QByteArray("AT+CPIN=864")
                                   << QByteArray("\r\nERROR\r\n") << QByteArray("SIM PIN");
    QTest::newRow("PIN when none is asked") << SimState::Ready << QByteArray("AT+CPIN=8642")
                                            << QByteArray("\r\n+CME ERROR: 3\r\n") << QByteArray("READY");
    QTest::newRow("right PIN2") << SimState::WaitingPin2 << QByteArray("AT+CPIN=5678")
                                << QByteArray("\r\nOK\r\n") << QByteArray("READY");
    QTest::newRow("PIN given for PIN2") << SimState::WaitingPin2 << QByteArray("AT+CPIN=8642")
                                        << QByteArray("\r\n+CME ERROR: 16\r\n") << QByteArray("SIM PIN2");
    QTest::newRow("PUK and new PIN") << SimState::WaitingPuk << QByteArray("AT+CPIN=12345678,4321")
                                     << QByteArray("\r\nOK\r\n") << QByteArray("READY");
    QTest::newRow("PIN where PUK is asked") << SimState::WaitingPuk << QByteArray("AT+CPIN=8642")
                                            << QByteArray("\r\n+CME ERROR: 16\r\n") << QByteArray("SIM PUK");
}

void SimSimAndRegistration::pinEntry()
{
    QFETCH(SimState, state);
    QFETCH(QByteArray, entry);
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, cpinAfter);
    ModuleBench bench;
    bench.Quiet();
    bench.module.SetPin("8642");
    bench.module.SetSimState(state);
    QCOMPARE(bench.Exchange(entry + "\r\n"), reply);
    QCOMPARE(bench.Exchange("AT+CPIN?\r\n"), "\r\n+CPIN: " + cpinAfter + "\r\n\r\nOK\r\n");
}

void SimSimAndRegistration::threeWrongPinsBlockUntilPuk()
{
    ModuleBench bench;
    bench.Quiet();
    bench.module.SetSimState(SimState::WaitingPin);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(bench.Exchange("AT+CPIN=0000\r"), QByteArray("\r\n+CME ERROR: 16\r\n"));
    QCOMPARE(bench.module.CurrentSimState(), SimState::WaitingPuk);
    QCOMPARE(bench.Exchange("AT+CPIN=1234\r"), QByteArray("\r\n+CME ERROR: 16\r\n"));
    QCOMPARE(bench.Exchange("AT+CPIN=12345678,2468\r"), QByteArray("\r\nOK\r\n"));
    // The new PIN is the one asked after the next start.
    bench.Exchange("AT+CFUN=1,1\r");
    QCOMPARE(bench.Exchange("AT+CPIN?\r"), QByteArray("\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("AT+CPIN=2468\r"), QByteArray("\r\nOK\r\n"));
}

void SimSimAndRegistration::unlockedPinIsAskedAgainAfterReset()
{
    ModuleBench bench;
    bench.Quiet();
    bench.module.SetSimState(SimState::WaitingPin);
    QCOMPARE(bench.Exchange("AT+CPIN=1234\r"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("AT+CREG?\r"), QByteArray("\r\n+CREG: 0,1\r\n\r\nOK\r\n"));
    bench.Exchange("AT+CFUN=1,1\r");
    QCOMPARE(bench.Exchange("AT+CPIN?\r"), QByteArray("\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n"));
}

void SimSimAndRegistration::registration_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("stat");
    QTest::addColumn<bool>("reported");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("not searching 0,0") << 0 << 0 << true << QByteArray("\r\n+CREG: 0,0\r\n\r\nOK\r\n");
    QTest::newRow("home 0,1") << 0 << 1 << true << QByteArray("\r\n+CREG: 0,1\r\n\r\nOK\r\n");
    QTest::newRow("searching 0,2") << 0 << 2 << true << QByteArray("\r\n+CREG: 0,2\r\n\r\nOK\r\n");
    QTest::newRow("denied 0,3") << 0 << 3 << true << QByteArray("\r\n+CREG: 0,3\r\n\r\nOK\r\n");
    QTest::newRow("roaming 0,5") << 0 << 5 << true << QByteArray("\r\n+CREG: 0,5\r\n\r\nOK\r\n");
    QTest::newRow("report mode 1, searching") << 1 << 2 << true << QByteArray("\r\n+CREG: 1,2\r\n\r\nOK\r\n");
    QTest::newRow("no +CREG line") << 0 << 1 << false << QByteArray("\r\nOK\r\n");
}

void SimSimAndRegistration::registration()
{
    QFETCH(int, n);
    QFETCH(int, stat);
    QFETCH(bool, reported);
    QFETCH(QByteArray, reply);
    ModuleBench bench;
    bench.Quiet();
    bench.module.SetRegistration(reported ? std::optional<Registration>(Registration{n, stat})
                                          : std::nullopt);
    bench.Wait(10);
    // The factory profile keeps the report mode, so the module test's AT&F does not hide it.
    QCOMPARE(bench.Exchange("AT&F;E0\r"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(bench.Exchange("AT+CREG?\r"), reply);
}

void SimSimAndRegistration::registrationChangeIsReportedWhenEnabled()
{
    ModuleBench bench;
    bench.Quiet();
    bench.module.SetRegistration(Registration{0, 2});
    QCOMPARE(bench.Wait(100), QByteArray());
    QCOMPARE(bench.Exchange("AT+CREG=1\r"), QByteArray("\r\nOK\r\n"));
    bench.module.SetRegistration(Registration{1, 1});
    QCOMPARE(bench.Wait(100), QByteArray("\r\n+CREG: 1\r\n"));
    bench.module.SetRegistration(Registration{1, 1});
    QCOMPARE(bench.Wait(100), QByteArray());
}

QTEST_APPLESS_MAIN(SimSimAndRegistration)
#include "tst_sim_sim_and_registration.moc"
