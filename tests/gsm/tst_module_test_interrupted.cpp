// A module test with the port closed does nothing; a run the user interrupts by closing the
// port or the window runs out without sending anything more, without a crash or a hang.

#include "serial/Speeds.h"
#include "ModuleTestRun.h"

#include "app/PublicMod.h"
#include "gsm/ModuleTest.h"
#include "terminal/WindowGate.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>

using namespace quillon;
using namespace quillon::testing;

namespace {

enum class Interruption { ClosePort, CloseWindow };

} // namespace

Q_DECLARE_METATYPE(Interruption)

class ModuleTestInterruptedTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void closedPortDoesNothing()
    {
        ModuleFixture m;
        const int speedBefore = m.Window().ComboSpeed->currentIndex();
        const QString settingsBefore = m.f.comm->Settings();
        m.Window().Received().SetText(QStringLiteral("OK"));

        m.Window().ComVersion->click();

        QVERIFY(m.f.comm->Writes().empty());
        QVERIFY(m.f.messages.messages.isEmpty());
        QCOMPARE(m.Window().ComboSpeed->currentIndex(), speedBefore);
        QCOMPARE(m.f.comm->Settings(), settingsBefore);
        QCOMPARE(m.Received(), QStringLiteral("OK"));
    }

    void interruptedRunEndsWithoutSendingMore_data()
    {
        QTest::addColumn<Interruption>("interruption");
        QTest::addColumn<int>("writes");
        QTest::addColumn<bool>("windowEnabled");

        // The pause after the search's first "AT&F".
        QTest::newRow("port closed during a pause") << Interruption::ClosePort << 1 << true;
        // The wait of step 6's command.
        QTest::newRow("port closed during a command's wait") << Interruption::ClosePort << 4 << false;
        // The pause after step 6.
        QTest::newRow("window closed during a pause") << Interruption::CloseWindow << 4 << true;
        QTest::newRow("window closed during a command's wait")
            << Interruption::CloseWindow << 2 << false;
    }

    void interruptedRunEndsWithoutSendingMore()
    {
        QFETCH(Interruption, interruption);
        QFETCH(int, writes);
        QFETCH(bool, windowEnabled);
        ModuleFixture m;
        Quillon &w = m.Window();
        m.f.Show();
        m.f.Open();
        QSignalSpy closing(&w, &Quillon::Closing);
        m.ActWhen(size_t(writes), windowEnabled, [&] {
            if (interruption == Interruption::ClosePort)
                w.ComStartStop->click();
            else
                w.close();
        });

        w.ComVersion->click();

        QVERIFY(m.acted);
        QCOMPARE(m.f.comm->Writes().size(), size_t(writes));
        QCOMPARE(m.ModuleLines(), ModuleTestSequence().mid(0, writes));
        QVERIFY(!m.f.comm->PortOpen());
        QVERIFY(!m.Received().contains(QStringLiteral("测试通过")));
        QVERIFY(w.Gate().IsWindowEnabled());
        if (interruption == Interruption::ClosePort) {
            // The remaining checks read what the receive area still holds: no PIN state.
            QCOMPARE(m.f.messages.information, QStringList{kNoTimelyReplyText});
            QVERIFY(!w.PortIsOpen());
            QCOMPARE(closing.count(), 0);
        } else {
            QCOMPARE(closing.count(), 1);
            QCOMPARE(ReadIniInt(QStringLiteral("QuillonSet"), QStringLiteral("Speed")),
                     kModuleTestSpeedIndex);
            QVERIFY(!w.isVisible());
        }
    }
};

QTEST_MAIN(ModuleTestInterruptedTest)
#include "tst_module_test_interrupted.moc"
