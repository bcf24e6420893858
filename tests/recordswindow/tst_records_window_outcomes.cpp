// Every module test run the window makes is kept as exactly one record: a pass, each diagnosis,
// an unanswered search, with the speed that answered, the IMEI and its check, the
// identification, the step at which the run ended and the run's own traffic as transcript.

#include "WindowRecordsCheck.h"
#include "gsm/ModuleTestRun.h"

#include <QPushButton>

#include <functional>

using namespace quillon;
using namespace quillon::testing;
using records::ImeiCheck;
using records::Outcome;
using sim::Registration;
using sim::SimState;

using ModuleSetUp = std::function<void(sim::GsmModule &)>;
Q_DECLARE_METATYPE(ModuleSetUp)
Q_DECLARE_METATYPE(quillon::records::Outcome)
Q_DECLARE_METATYPE(quillon::records::ImeiCheck)

namespace {
const QString kIdentification = QStringLiteral("QUILLON\nQS900\nREVISION 01.001");
const QString kWrongCheckDigitImei = QStringLiteral("490154203237519"); // 8 is right
}

class RecordsWindowOutcomesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void eachRunIsOneRecord_data()
    {
        QTest::addColumn<ModuleSetUp>("setUp");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("diagnosis");
        QTest::addColumn<int>("endStep");
        QTest::addColumn<int>("attempts");
        QTest::addColumn<int>("answeredSpeed");
        QTest::addColumn<ImeiCheck>("imeiCheck");

        const auto sim = [](SimState s) { return ModuleSetUp([s](sim::GsmModule &g) { g.SetSimState(s); }); };
        const auto registration = [](int n, int stat) {
            return ModuleSetUp([=](sim::GsmModule &g) { g.SetRegistration(Registration{n, stat}); });
        };

        QTest::newRow("passes at 115200 bps") << ModuleSetUp([](sim::GsmModule &) {})
            << Outcome::Passed << QString() << 15 << 1 << 115200 << ImeiCheck::Valid;
        QTest::newRow("passes at 9600 bps, IMEI with a wrong check digit")
            << ModuleSetUp([](sim::GsmModule &g) {
                   g.SetBaud(9600);
                   g.SetImei(kWrongCheckDigitImei);
               })
            << Outcome::Passed << QString() << 15 << 7 << 9600 << ImeiCheck::WrongCheckDigit;
        QTest::newRow("no answer at any speed") << ModuleSetUp([](sim::GsmModule &g) { g.SetPowered(false); })
            << Outcome::Failed << kNoResponseText << 3 << 18 << 0 << ImeiCheck::None;
        QTest::newRow("SIM asks for its PIN") << sim(SimState::WaitingPin)
            << Outcome::Failed << kNoTimelyReplyText << 8 << 1 << 115200 << ImeiCheck::None;
        QTest::newRow("SIM absent") << sim(SimState::Absent)
            << Outcome::Failed << kSimErrorText << 8 << 1 << 115200 << ImeiCheck::None;
        QTest::newRow("searching 0,2") << registration(0, 2)
            << Outcome::Failed << kRegisteringText << 9 << 1 << 115200 << ImeiCheck::None;
        QTest::newRow("denied 0,3") << registration(0, 3)
            << Outcome::Failed << kDeniedText << 9 << 1 << 115200 << ImeiCheck::None;
        QTest::newRow("echo off, no IMEI") << ModuleSetUp([](sim::GsmModule &g) { g.SetEcho(false); })
            << Outcome::Failed << kImeiErrorText << 11 << 1 << 115200 << ImeiCheck::None;
    }

    void eachRunIsOneRecord()
    {
        QFETCH(ModuleSetUp, setUp);
        QFETCH(Outcome, outcome);
        QFETCH(QString, diagnosis);
        QFETCH(int, endStep);
        QFETCH(int, attempts);
        QFETCH(int, answeredSpeed);
        QFETCH(ImeiCheck, imeiCheck);
        ModuleFixture m;
        setUp(m.module);
        m.f.Open();

        m.Window().ComVersion->click();

        // The record only observes: the window shows what the test decided, nothing more.
        QCOMPARE(m.f.messages.information, diagnosis.isEmpty() ? QStringList() : QStringList{diagnosis});
        QVERIFY(m.f.messages.plain.isEmpty());
        const QList<records::RunRecord> kept = WindowRunRecords(m.Window());
        QCOMPARE(kept.size(), 1);
        const records::RunRecord &r = kept.first();
        QCOMPARE(r.outcome, outcome);
        QCOMPARE(r.diagnosis, diagnosis);
        QCOMPARE(r.endStep, endStep);
        QCOMPARE(r.searchAttempts, attempts);
        QCOMPARE(r.answeredSpeed, answeredSpeed);
        QCOMPARE(r.imeiCheck, imeiCheck);
        QCOMPARE(r.imei, imeiCheck == ImeiCheck::None ? QString() : m.module.Imei());
        QCOMPARE(r.warning.isEmpty(), imeiCheck != ImeiCheck::WrongCheckDigit);
        QCOMPARE(r.identification, outcome == Outcome::Passed ? kIdentification : QString());
        QCOMPARE(r.portEntry, QStringLiteral("COM 1"));
        QCOMPARE(r.devicePath, QStringLiteral("simulator"));
        QVERIFY(r.startedAt <= r.endedAt);
        QCOMPARE(TranscriptSent(r), m.f.comm->AllWritten());
        // Replies come with their explanations: "+CREG: 0,1" is followed by an annotation line.
        const qsizetype creg = r.transcript.indexOf(QStringLiteral("< +CREG: 0,1"));
        QCOMPARE(creg >= 0 && r.transcript.indexOf(QStringLiteral("\n# "), creg) > creg, endStep > 9);
    }

    void runsInARowKeepARecordEach()
    {
        ModuleFixture m;
        m.f.Open();
        m.Window().ComVersion->click();
        m.module.SetSimState(SimState::Absent);
        m.Window().ComVersion->click();

        const QList<records::RunRecord> kept = WindowRunRecords(m.Window());
        QCOMPARE(kept.size(), 2);
        QCOMPARE(kept.at(0).outcome, Outcome::Failed);
        QCOMPARE(kept.at(1).outcome, Outcome::Passed);
        // Each transcript holds its own run only: one search command each.
        QCOMPARE(TranscriptSent(kept.at(0)).count("AT&F\r\n"), 1);
        QCOMPARE(TranscriptSent(kept.at(1)).count("AT&F\r\n"), 1);
    }
};

QTEST_MAIN(RecordsWindowOutcomesTest)
#include "tst_records_window_outcomes.moc"
