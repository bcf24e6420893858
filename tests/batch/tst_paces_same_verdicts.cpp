// Both paces reach the same verdict for every diagnosis of the module test, and the same one
// the plan gives: every module state below runs under both paces at once, each on its own
// simulated port, in one event loop (as the batch runs them).
#include "batch/ModuleRun.h"
#include "gsm/plan/ModuleTestPlan.h"
#include "serial/SimSerialComm.h"
#include "sim/GsmModule.h"
#include "sim/StartOptions.h"

#include <QtTest>

#include <memory>
#include <vector>

using namespace quillon;
using namespace quillon::batch;
using Outcome = moduletest::RunResult::Outcome;

namespace {

struct Case {
    const char *name;
    const char *simOptions;
    Outcome outcome;
    QString diagnosis;
    int endedAtStep;
    int answeredBaud;
};

const std::vector<Case> &Cases()
{
    using namespace moduletest;
    static const std::vector<Case> cases = {
        {"passing", "", Outcome::Passed, {}, 15, 115200},
        {"answering only at 9600 bps", "baud=9600", Outcome::Passed, {}, 15, 9600},
        {"SIM PIN asked", "sim=pin", Outcome::Failed, kNoTimelyReply, 8, 115200},
        {"SIM absent (error)", "sim=absent", Outcome::Failed, kSimError, 8, 115200},
        {"registration searching", "creg=0,2", Outcome::Failed, kRegistering, 9, 115200},
        {"registration not searching", "creg=0,0", Outcome::Failed, kRegistering, 9, 115200},
        {"registration denied", "creg=0,3", Outcome::Failed, kSuspended, 9, 115200},
        {"roaming passes", "creg=0,5", Outcome::Passed, {}, 15, 115200},
        {"no +CREG line passes", "creg=none", Outcome::Passed, {}, 15, 115200},
        {"echo off", "echo=off", Outcome::Failed, kImeiError, 11, 115200},
        {"no answer", "power=off", Outcome::Failed, kNoAnswer, 3, 0},
    };
    return cases;
}

struct Bench {
    sim::GsmModule module;
    SimSerialComm port{&module};
    std::unique_ptr<ModuleRun> run;
};

} // namespace

class PacesSameVerdicts : public QObject {
    Q_OBJECT
private slots:
    void everyDiagnosisBothPaces()
    {
        std::vector<std::unique_ptr<Bench>> benches;
        int running = 0;
        for (Pace pace : {Pace::Fixed, Pace::Reply}) {
            for (const Case &c : Cases()) {
                auto bench = std::make_unique<Bench>();
                QString error;
                const auto options = sim::ParseStartOptionList(QString::fromLatin1(c.simOptions), &error);
                QVERIFY2(options, qPrintable(error));
                QVERIFY(!sim::ApplyStartOptions(bench->module, *options));
                bench->port.SetPortOpen(true);
                bench->run = std::make_unique<ModuleRun>(bench->port, pace);
                connect(bench->run.get(), &ModuleRun::Finished, this, [&running] { --running; });
                ++running;
                benches.push_back(std::move(bench));
            }
        }
        for (auto &bench : benches)
            bench->run->Start();
        QTRY_COMPARE_WITH_TIMEOUT(running, 0, 60000);

        const size_t n = Cases().size();
        for (size_t i = 0; i < benches.size(); ++i) {
            const Case &c = Cases()[i % n];
            const auto &result = benches[i]->run->Result();
            const QByteArray where = QByteArray(c.name) + (i < n ? " (fixed)" : " (reply)");
            QVERIFY2(result.outcome == c.outcome, where.constData());
            QVERIFY2(result.diagnosis == c.diagnosis, (where + ": " + result.diagnosis.toUtf8()).constData());
            QVERIFY2(result.endedAtStep == c.endedAtStep, where.constData());
            QVERIFY2(result.answeredBaud == c.answeredBaud, where.constData());
            if (c.outcome == Outcome::Passed) {
                QVERIFY2(result.imei == QLatin1String("352099001761481"), where.constData());
                QVERIFY2(result.identification.contains(QLatin1String("QS900")), where.constData());
                QVERIFY2(benches[i]->run->Received().Text().endsWith(moduletest::kPassedTail), where.constData());
                QVERIFY2(benches[i]->port.Settings().startsWith(QLatin1String("115200,")), where.constData());
            }
            if (c.outcome == Outcome::Failed && c.endedAtStep == 3)
                QCOMPARE(result.attempts, 18);
        }
    }

    void cutShortSendsNothingMore()
    {
        sim::GsmModule module;
        SimSerialComm port(&module);
        port.SetPortOpen(true);
        ModuleRun run(port, Pace::Fixed);
        run.Start();
        QTRY_COMPARE_WITH_TIMEOUT(run.CurrentStep(), 5, 5000);
        run.CutShort(QStringLiteral("device lost"));
        QVERIFY(!run.Running());
        QCOMPARE(run.Result().outcome, Outcome::CutShort);
        QCOMPARE(run.Result().cutReason, QStringLiteral("device lost"));
        QCOMPARE(run.Result().endedAtStep, 5);
        const qsizetype lines = module.ReceivedCommandLines().size();
        QTest::qWait(700);
        QCOMPARE(module.ReceivedCommandLines().size(), lines);
    }
};

QTEST_GUILESS_MAIN(PacesSameVerdicts)
#include "tst_paces_same_verdicts.moc"
