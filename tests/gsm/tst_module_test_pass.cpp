// Passing module test runs: a module at the first speed tried, and one the search has to find.

#include "serial/Speeds.h"
#include "ModuleTestRun.h"

#include "gsm/ModuleTest.h"
#include "terminal/Widgets.h"
#include "terminal/WindowGate.h"

#include <QComboBox>
#include <QPushButton>

using namespace quillon;
using namespace quillon::testing;

class ModuleTestPassTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void moduleAt115200PassesAfterOneAttempt()
    {
        ModuleFixture m;
        m.module.SetImei(QStringLiteral("490154203237518"));
        m.f.Open(QStringLiteral("9600bps"));

        m.Window().ComVersion->click();

        QVERIFY(m.f.messages.messages.isEmpty());
        QCOMPARE(m.ModuleLines(), ModuleTestSequence());
        // The search itself never changed the speed: every byte went out at 115200 bps.
        QCOMPARE(m.tap.BaudsOfLines("AT&F"), QList<int>{115200});
        for (int baud : m.tap.BaudPerByte())
            QCOMPARE(baud, 115200);
        QCOMPARE(m.Window().ComboSpeed->currentIndex(), kModuleTestSpeedIndex);
        QCOMPARE(m.f.comm->Settings(), QStringLiteral("115200,N,8,1"));
        QCOMPARE(m.Received(), PassedRunText(QStringLiteral("490154203237518")));
        QTRY_VERIFY_WITH_TIMEOUT(m.Window().RTextBuf->toPlainText().endsWith(QStringLiteral("测试通过")), 2000);
        QVERIFY(m.Window().Gate().IsWindowEnabled());
    }

    void runKeepsItsPaceCommandByCommand()
    {
        ModuleFixture m;
        m.f.Open();
        const qint64 start = m.f.pacing.NowMs();
        m.Window().ComVersion->click();

        // Each command's 300 ms wait plus the pause after it: the search's 200 ms, Delays of
        // 50, 10 and 100 + 1 ms, the two blocking 50 ms sleeps.
        QList<qint64> gaps;
        const auto &writes = m.f.comm->Writes();
        for (size_t i = 1; i < writes.size(); ++i)
            gaps.append(writes[i].atMs - writes[i - 1].atMs);
        QCOMPARE(gaps, (QList<qint64>{500, 300, 300, 350, 310, 401, 300, 300, 300, 350, 350}));
        QCOMPARE(m.f.pacing.NowMs() - start, 4061);
    }

    void moduleAt9600IsFoundAtTheSeventhAttempt()
    {
        ModuleFixture m;
        m.module.SetBaud(9600);
        m.f.Open();

        m.Window().ComVersion->click();

        QVERIFY(m.f.messages.messages.isEmpty());
        QCOMPARE(m.tap.BaudsOfLines("AT&F"), UnansweredSearchSpeeds().mid(0, 7));
        // The module answered at 9600 bps and, back in its factory profile, detects the speed
        // of every later line: the list's entry 15 again.
        QCOMPARE(m.ModuleLines(), ModuleTestSequence());
        QList<int> expectedBauds(ModuleTestSequence().size(), 115200);
        expectedBauds[0] = 9600;
        QCOMPARE(m.ModuleLineBauds(), expectedBauds);
        QCOMPARE(m.Window().ComboSpeed->currentIndex(), kModuleTestSpeedIndex);
        QCOMPARE(m.f.comm->Settings(), QStringLiteral("115200,N,8,1"));
        QCOMPARE(m.Received(), PassedRunText(m.module.Imei()));
    }
};

QTEST_MAIN(ModuleTestPassTest)
#include "tst_module_test_pass.moc"
