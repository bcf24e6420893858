// Opening, closing and changing the speed of the port, as the window shows it.

#include "WindowFixture.h"

#include "base/AppInfo.h"
#include "support/ScriptedPeer.h"
#include "connection/LineLabel.h"
#include "connection/ModemLines.h"
#include "connection/PortConnection.h"
#include "terminal/Widgets.h"

#include <QComboBox>
#include <QPushButton>

using namespace quillon;
using namespace quillon::testing;

namespace {
QStringList LabelTexts(Quillon &w)
{
    return {w.LabelDTR->text(), w.LabelRTS->text(), w.LabelDSR->text(), w.LabelCTS->text(),
            w.LabelCD->text()};
}
QList<QColor> LabelColors(Quillon &w)
{
    return {w.LabelDTR->Background(), w.LabelRTS->Background(), w.LabelDSR->Background(),
            w.LabelCTS->Background(), w.LabelCD->Background()};
}
const QList<QColor> kAllNeutral(5, kLineNeutral);
} // namespace

class PortConnectionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsClosedWithStartUpLook()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer);
        Quillon &w = *f.window;
        QVERIFY(!w.PortIsOpen());
        QCOMPARE(w.ComStartStop->text(), QStringLiteral("打 开 端 口"));
        QVERIFY(w.ComboPort->isEnabled());
        QVERIFY(w.ComboSpeed->isEnabled());
        QVERIFY(!w.TextOut->isEnabled());
        QCOMPARE(w.TextOut->Text(), QStringLiteral("请先打开端口!"));
        QVERIFY(!w.Connection().TimerRead().isActive());
        QCOMPARE(LabelTexts(w), (QStringList{"  DTR", "  RTS", "  DSR", "  CTS", "  CD"}));
        QCOMPARE(LabelColors(w), kAllNeutral);
        QCOMPARE(w.windowTitle(), QStringLiteral("Korvel电子测试程序  版本 V%1.%2%3")
                                      .arg(VersionMajor())
                                      .arg(VersionMinor())
                                      .arg(VersionRevision()));
    }

    void openCloseReopenFollowTheStateTable()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer);
        Quillon &w = *f.window;
        f.SelectSpeed(QStringLiteral("9600bps"));
        w.ComStartStop->click();

        QVERIFY(w.PortIsOpen());
        QVERIFY(f.comm->PortOpen());
        QCOMPARE(f.comm->Settings(), QStringLiteral("9600,N,8,1"));
        QCOMPARE(f.comm->CommPort(), 1);
        QVERIFY(f.comm->RTSEnable());
        QCOMPARE(w.ComStartStop->text(), QStringLiteral("关 闭 端 口"));
        QVERIFY(!w.ComboPort->isEnabled());
        QVERIFY(w.ComboSpeed->isEnabled());
        QVERIFY(w.TextOut->isEnabled());
        QCOMPARE(w.TextOut->Text(), QString());
        QVERIFY(w.Connection().TimerRead().isActive());
        QCOMPARE(w.Connection().TimerRead().interval(), 5);
        QCOMPARE(w.LabelRTS->text(), QStringLiteral("RTS=0 Enable"));
        QCOMPARE(w.LabelRTS->Background(), kLineAsserted);
        QCOMPARE(w.windowTitle(), QStringLiteral("Korvel电子-连接 COM 1 状态9600"));

        // A send cut short by the close must not survive into the next opening.
        w.Exchange().State().SendInProgress = true;
        w.Exchange().State().SentCount = 3;
        w.Exchange().State().SendLength = 9;
        w.ComStartStop->click();

        QVERIFY(!w.PortIsOpen());
        QVERIFY(!f.comm->PortOpen());
        QCOMPARE(w.ComStartStop->text(), QStringLiteral("打 开 端 口"));
        QVERIFY(w.ComboPort->isEnabled());
        QVERIFY(w.ComboSpeed->isEnabled());
        QVERIFY(!w.TextOut->isEnabled());
        QCOMPARE(w.TextOut->Text(), QStringLiteral("请先打开端口!"));
        QVERIFY(!w.Connection().TimerRead().isActive());
        QCOMPARE(LabelTexts(w), (QStringList{"DTR", "RTS", "DSR", "CTS", "CD"}));
        QCOMPARE(LabelColors(w), kAllNeutral);
        QCOMPARE(w.windowTitle(), QStringLiteral("Korvel电子设备测试程序 "));

        w.ComboPort->setCurrentIndex(2);
        w.ComStartStop->click();
        QVERIFY(w.PortIsOpen());
        QCOMPARE(f.comm->CommPort(), 3);
        QCOMPARE(w.TextOut->Text(), QString());
        QCOMPARE(w.Exchange().State().SendInProgress, false);
        QCOMPARE(w.Exchange().State().SentCount, 0);
        QCOMPARE(w.Exchange().State().SendLength, 0);
        QCOMPARE(w.windowTitle(), QStringLiteral("Korvel电子-连接 COM 3 状态9600"));
    }

    void openFailureShowsTheMessageAndChangesNothing_data()
    {
        QTest::addColumn<int>("error");
        QTest::newRow("port absent") << int(CommErrorNumber::PortAbsent);
        QTest::newRow("port busy") << int(CommErrorNumber::PortBusy);
        QTest::newRow("permission denied") << int(CommErrorNumber::PermissionDenied);
    }
    void openFailureShowsTheMessageAndChangesNothing()
    {
        QFETCH(int, error);
        ScriptedPeer peer;
        WindowFixture f(&peer);
        Quillon &w = *f.window;
        w.ComboPort->setCurrentIndex(5);
        f.SelectSpeed(QStringLiteral("9600bps"));
        const QString titleBefore = w.windowTitle();
        f.comm->SetOpenFailure(error);

        w.ComStartStop->click();

        QCOMPARE(f.messages.plain.size(), 1);
        QCOMPARE(f.messages.plain.first(), QStringLiteral("串口不能被打开:COM 6 9600,N,8,1\r\n") +
                                               StandardErrorText(error));
        QVERIFY(f.messages.information.isEmpty());
        QVERIFY(!w.PortIsOpen());
        QVERIFY(!f.comm->PortOpen());
        QCOMPARE(w.windowTitle(), titleBefore);
        QCOMPARE(w.ComStartStop->text(), QStringLiteral("打 开 端 口"));
        QVERIFY(w.ComboPort->isEnabled());
        QVERIFY(!w.TextOut->isEnabled());
        QCOMPARE(w.TextOut->Text(), QStringLiteral("请先打开端口!"));
        QCOMPARE(w.LabelDTR->text(), QStringLiteral("  DTR"));
        QVERIFY(!w.Connection().TimerRead().isActive());
    }

    void speedChangeTitleOnlyWhileOpen()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer);
        Quillon &w = *f.window;
        const QString startTitle = w.windowTitle();
        f.SelectSpeed(QStringLiteral("4800bps"));
        QCOMPARE(w.windowTitle(), startTitle);
        QCOMPARE(f.comm->Settings(), QStringLiteral("4800,N,8,1"));

        w.ComboPort->setCurrentIndex(1);
        w.ComStartStop->click();
        QCOMPARE(peer.HostBaud(), 4800);
        f.SelectSpeed(QStringLiteral("115200bps"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Korvel电子测试中连接 COM 2 状态115200,N,8,1 ......"));
        QCOMPARE(f.comm->Settings(), QStringLiteral("115200,N,8,1"));
    }

    void selectingTheHeldEntryRunsTheHandlerAgain()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer);
        f.Open(QStringLiteral("115200bps"));
        f.comm->SetSettings(QStringLiteral("9600,N,8,1"));
        f.window->setWindowTitle(QStringLiteral("x"));
        f.window->Connection().SelectSpeed(f.window->ComboSpeed->currentIndex());
        QCOMPARE(f.comm->Settings(), QStringLiteral("115200,N,8,1"));
        QCOMPARE(f.window->windowTitle(),
                 QStringLiteral("Korvel电子测试中连接 COM 1 状态115200,N,8,1 ......"));
    }

    void rejectedSpeedLeavesTitleAndPortSpeed()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer);
        Quillon &w = *f.window;
        f.Open(QStringLiteral("9600bps"));
        const QString title = w.windowTitle();
        w.ComboSpeed->addItem(QStringLiteral("12345bps"));
        w.Connection().SelectSpeed(w.ComboSpeed->count() - 1);
        QCOMPARE(w.windowTitle(), title);
        QCOMPARE(f.comm->Settings(), QStringLiteral("9600,N,8,1"));
        QVERIFY(f.messages.messages.isEmpty());
    }

    void dtrLabelClickedTwiceReturnsToItsState()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer);
        Quillon &w = *f.window;
        f.comm->SetDTREnable(true);
        f.Open();
        QCOMPARE(w.LabelDTR->text(), QStringLiteral("DTR=0 Enable"));
        QCOMPARE(w.LabelDTR->Background(), kLineAsserted);

        QTest::mouseClick(w.LabelDTR, Qt::LeftButton);
        QCOMPARE(w.LabelDTR->text(), QStringLiteral("DTR=1 Disable"));
        QCOMPARE(w.LabelDTR->Background(), kLineNotAsserted);
        QVERIFY(!f.comm->DTREnable());
        QVERIFY(!peer.HostDtr());

        QTest::mouseClick(w.LabelDTR, Qt::LeftButton);
        QCOMPARE(w.LabelDTR->text(), QStringLiteral("DTR=0 Enable"));
        QCOMPARE(w.LabelDTR->Background(), kLineAsserted);
        QVERIFY(peer.HostDtr());

        QTest::mouseClick(w.LabelRTS, Qt::LeftButton);
        QCOMPARE(w.LabelRTS->text(), QStringLiteral("RTS=1 Disable"));
        QVERIFY(!peer.HostRts());
    }

    void neutralLabelClickAssertsTheLine()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer);
        f.comm->SetDTREnable(false);
        QTest::mouseClick(f.window->LabelDTR, Qt::LeftButton);
        QVERIFY(f.comm->DTREnable());
        QCOMPARE(f.window->LabelDTR->text(), QStringLiteral("DTR=0 Enable"));
    }

    void inputLinesShowWithinOneTick()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer);
        Quillon &w = *f.window;
        f.Open();
        QCOMPARE(w.LabelDSR->text(), QStringLiteral("DSR=1 False"));
        QCOMPARE(w.LabelCD->Background(), kLineNotAsserted);

        peer.SetLines({true, true, true});
        QTRY_COMPARE_WITH_TIMEOUT(w.LabelCD->text(), QStringLiteral("CD=0 ON"), 1000);
        QCOMPARE(w.LabelDSR->text(), QStringLiteral("DSR=0 True"));
        QCOMPARE(w.LabelCTS->text(), QStringLiteral("CTS=0 True"));
        QCOMPARE(w.LabelCTS->Background(), kLineAsserted);

        peer.SetLines({false, true, false});
        QTRY_COMPARE_WITH_TIMEOUT(w.LabelDSR->text(), QStringLiteral("DSR=1 False"), 1000);
        QCOMPARE(w.LabelCD->text(), QStringLiteral("CD=1 OFF"));
    }

    void vanishedDeviceRunsTheCloseSteps()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer);
        Quillon &w = *f.window;
        f.Open();
        w.Exchange().State().SendInProgress = true; // a send the vanished device will never finish
        w.TextSend->SetColor(kLampGreen);
        f.comm->SimulateDeviceLost();
        QTRY_VERIFY_WITH_TIMEOUT(!w.PortIsOpen(), 1000);
        QVERIFY(!w.Exchange().State().SendInProgress);
        QCOMPARE(w.TextSend->Color(), kLampYellow);
        QCOMPARE(w.ComStartStop->text(), QStringLiteral("打 开 端 口"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Korvel电子设备测试程序 "));
        QVERIFY(!w.Connection().TimerRead().isActive());
        QCOMPARE(w.TextOut->Text(), QStringLiteral("请先打开端口!"));
        // The next press opens again.
        w.ComStartStop->click();
        QVERIFY(w.PortIsOpen());
    }
};

QTEST_MAIN(PortConnectionTest)
#include "tst_port_connection.moc"
