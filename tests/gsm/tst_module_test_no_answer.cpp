// A speed search that finds no answer: 18 attempts at falling speeds, then the no-response
// message, and nothing of the test sequence sent.

#include "serial/Speeds.h"
#include "ModuleTestRun.h"

#include "gsm/ModuleTest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

using namespace quillon;
using namespace quillon::testing;

namespace {

void CheckUnansweredSearch(ModuleFixture &m)
{
    const int attempts = m.Window().ComboSpeed->count();
    QCOMPARE(attempts, 18);
    QCOMPARE(m.f.messages.information, QStringList{kNoResponseText});
    QCOMPARE(m.f.comm->AllWritten(), QByteArray("AT&F\r\n").repeated(attempts));
    QCOMPARE(m.Window().ComboSpeed->currentIndex(), kModuleTestSpeedIndex);
    QCOMPARE(m.f.comm->Settings(), QStringLiteral("115200,N,8,1"));
    // The slowest attempts are still on the line when the search gives up.
    m.Pass(10000);
    QCOMPARE(m.tap.AllSent().size(), qsizetype(6 * attempts));
    QCOMPARE(m.tap.BaudsOfLines("AT&F"), UnansweredSearchSpeeds());
}

} // namespace

class ModuleTestNoAnswerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void switchedOffModule()
    {
        ModuleFixture m;
        m.module.SetPowered(false);
        m.f.Open();

        m.Window().ComVersion->click();

        CheckUnansweredSearch(m);
        QVERIFY(m.ModuleLines().isEmpty());
    }
};

QTEST_MAIN(ModuleTestNoAnswerTest)
#include "tst_module_test_no_answer.moc"
