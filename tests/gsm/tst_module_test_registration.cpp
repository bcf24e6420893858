// The module test goes on past the registration check for every reply but "searching", "not
// searching" and "denied" in report mode 0.

#include "ModuleTestRun.h"

#include <QPushButton>

#include <optional>

using namespace quillon;
using namespace quillon::testing;
using sim::Registration;

Q_DECLARE_METATYPE(std::optional<quillon::sim::Registration>)

class ModuleTestRegistrationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void runGoesOnPastRegistration_data()
    {
        QTest::addColumn<std::optional<Registration>>("registration");
        QTest::newRow("registered 0,1") << std::optional(Registration{0, 1});
        QTest::newRow("roaming 0,5") << std::optional(Registration{0, 5});
        QTest::newRow("searching in report mode 1: 1,2") << std::optional(Registration{1, 2});
        QTest::newRow("no +CREG line at all") << std::optional<Registration>();
    }

    void runGoesOnPastRegistration()
    {
        QFETCH(std::optional<Registration>, registration);
        ModuleFixture m;
        m.module.SetRegistration(registration);
        m.f.Open();

        m.Window().ComVersion->click();

        QVERIFY2(m.f.messages.messages.isEmpty(), qPrintable(m.f.messages.messages.join(u'|')));
        QCOMPARE(m.ModuleLines(), ModuleTestSequence());
        QCOMPARE(m.Received(), PassedRunText(m.module.Imei()));
    }
};

QTEST_MAIN(ModuleTestRegistrationTest)
#include "tst_module_test_registration.moc"
