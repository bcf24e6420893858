// With the hexadecimal display on, the module's "OK" never appears as text: the search runs out
// although the module answers, and the run ends with the no-response message.

#include "serial/Speeds.h"
#include "ModuleTestRun.h"

#include "gsm/ModuleTest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

using namespace quillon;
using namespace quillon::testing;

class ModuleTestHexDisplayTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void answeringModuleIsNotRecognised()
    {
        ModuleFixture m;
        m.f.Open();
        m.Window().CheckDisplay->setChecked(true);

        m.Window().ComVersion->click();

        QCOMPARE(m.f.messages.information, QStringList{kNoResponseText});
        QCOMPARE(m.f.comm->AllWritten(), QByteArray("AT&F\r\n").repeated(18));
        QCOMPARE(m.Window().ComboSpeed->currentIndex(), kModuleTestSpeedIndex);
        m.Pass(10000);
        QCOMPARE(m.tap.AllSent().size(), qsizetype(6 * 18));
        QCOMPARE(m.tap.BaudsOfLines("AT&F"), UnansweredSearchSpeeds());
        // The module did answer (the first attempt reached it), only never in plain text.
        QVERIFY(!m.ModuleLines().isEmpty());
        QCOMPARE(m.ModuleLines().first(), QStringLiteral("AT&F"));
        QVERIFY(!m.ModuleLines().contains(QStringLiteral("AT+CPIN?")));
    }
};

QTEST_MAIN(ModuleTestHexDisplayTest)
#include "tst_module_test_hex_display.moc"
