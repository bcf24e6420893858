// The power-on button: a DTR pulse the module can see, not a command.

#include "ModuleFixture.h"

#include "gsm/QuickCommands.h"
#include "connection/LineLabel.h"

#include <QPushButton>

using namespace quillon;
using namespace quillon::testing;

class PowerOnPulseTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void moduleSeesDtrDropAndComeBack()
    {
        ModuleFixture m;
        m.f.comm->SetDTREnable(true);
        m.f.Open();
        m.tap.lines.clear();

        m.Window().AT_DSR->click();

        QCOMPARE(m.tap.lines.size(), 2);
        QVERIFY(!m.tap.lines[0].dtr);
        QVERIFY(m.tap.lines[1].dtr);
        const qint64 lowMs = m.tap.lines[1].atMs - m.tap.lines[0].atMs;
        QVERIFY2(lowMs >= QuickCommands::kDtrPulseMs, qPrintable(QString::number(lowMs)));
        QVERIFY(m.tap.lines[0].rts && m.tap.lines[1].rts);
        QVERIFY(m.f.comm->DTREnable());
        QVERIFY(m.f.comm->Writes().empty());
        QVERIFY(m.f.messages.messages.isEmpty());
    }

    void pulseSwitchesAPoweredOffModuleOn()
    {
        ModuleFixture m;
        m.module.SetPowered(false);
        m.f.comm->SetDTREnable(true);
        m.f.Open();

        m.Window().AT_DSR->click();

        QVERIFY(m.module.Powered());
        // The module boots and announces itself; the receive monitor shows it.
        m.Pass(3000);
        QVERIFY(m.Received().contains(QStringLiteral("^SYSSTART")));
        m.Window().TC_ID->click();
        QCOMPARE(m.Received(), QStringLiteral("AT+CIMI\r\n\r\n460001357924680\r\n\r\nOK\r\n"));
    }

    void closedPortLeavesDtrEnabledForTheNextOpen()
    {
        ModuleFixture m;
        m.f.comm->SetDTREnable(false);

        m.Window().AT_DSR->click();

        QVERIFY(m.f.comm->DTREnable());
        QVERIFY(m.tap.lines.isEmpty());
        m.f.Open();
        QVERIFY(!m.tap.lines.isEmpty());
        QVERIFY(m.tap.lines.last().dtr);
    }

    void dtrDisabledByItsLabelEndsEnabled()
    {
        ModuleFixture m;
        m.f.comm->SetDTREnable(true);
        m.f.Open();
        QTest::mouseClick(m.Window().LabelDTR, Qt::LeftButton);
        QVERIFY(!m.f.comm->DTREnable());
        QVERIFY(!m.tap.lines.last().dtr);

        m.Window().AT_DSR->click();

        QVERIFY(m.f.comm->DTREnable());
        QVERIFY(m.tap.lines.last().dtr);
        // The labels follow at the next poll of the receive monitor.
        m.Pass(100);
        QCOMPARE(m.Window().LabelDTR->text(), QStringLiteral("DTR=0 Enable"));
    }
};

QTEST_MAIN(PowerOnPulseTest)
#include "tst_power_on_pulse.moc"
