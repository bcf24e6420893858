// Module test runs that stop at a failed check: the message box names the problem and no
// command after the failed step is sent.

#include "ModuleTestRun.h"

#include <QPushButton>

#include <functional>

using namespace quillon;
using namespace quillon::testing;
using sim::Registration;
using sim::SimState;

using ModuleSetUp = std::function<void(sim::GsmModule &)>;
Q_DECLARE_METATYPE(ModuleSetUp)

class ModuleTestDiagnosesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void runStopsWithItsDiagnosis_data()
    {
        QTest::addColumn<ModuleSetUp>("setUp");
        QTest::addColumn<QString>("lastCommand");
        QTest::addColumn<QString>("message");

        const QString cpin = QStringLiteral("AT+CPIN?");
        const QString creg = QStringLiteral("AT+CREG?");
        const auto sim = [](SimState s) { return ModuleSetUp([s](sim::GsmModule &g) { g.SetSimState(s); }); };
        const auto registration = [](int n, int stat) {
            return ModuleSetUp([=](sim::GsmModule &g) { g.SetRegistration(Registration{n, stat}); });
        };

        QTest::newRow("SIM asks for its PIN") << sim(SimState::WaitingPin) << cpin << kNoTimelyReplyText;
        QTest::newRow("SIM asks for its PUK") << sim(SimState::WaitingPuk) << cpin << kNoTimelyReplyText;
        QTest::newRow("SIM absent, +CME ERROR") << sim(SimState::Absent) << cpin << kSimErrorText;
        QTest::newRow("searching 0,2") << registration(0, 2) << creg << kRegisteringText;
        QTest::newRow("not searching 0,0") << registration(0, 0) << creg << kRegisteringText;
        QTest::newRow("denied 0,3") << registration(0, 3) << creg << kDeniedText;
        QTest::newRow("echo off, IMEI cannot be found")
            << ModuleSetUp([](sim::GsmModule &g) { g.SetEcho(false); })
            << QStringLiteral("ATD*#06#") << kImeiErrorText;
    }

    void runStopsWithItsDiagnosis()
    {
        QFETCH(ModuleSetUp, setUp);
        QFETCH(QString, lastCommand);
        QFETCH(QString, message);
        ModuleFixture m;
        setUp(m.module);
        m.f.Open();
        m.Window().Received().SetText(QString());

        m.Window().ComVersion->click();

        QCOMPARE(m.f.messages.information, QStringList{message});
        QCOMPARE(m.ModuleLines(), ModuleTestSequenceUpTo(lastCommand));
        QVERIFY(!m.Received().contains(QStringLiteral("测试通过")));
        QVERIFY(!m.Received().contains(QStringLiteral("IMEI: ")));
    }
};

QTEST_MAIN(ModuleTestDiagnosesTest)
#include "tst_module_test_diagnoses.moc"
