// Start-up from the settings file, shutdown writing it back, the port mapping's tool tip and the
// window's own reactions (link label, double-click on the background).

#include "WindowFixture.h"

#include "app/PortSettings.h"
#include "support/ScriptedPeer.h"
#include "connection/LineLabel.h"
#include "terminal/Widgets.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QLabel>
#include <QPlainTextEdit>

using namespace quillon;
using namespace quillon::testing;

namespace {
QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}
/// The key names of the file, in the order they stand, with section headers.
QStringList Layout(const QByteArray &ini)
{
    QStringList out;
    for (QByteArray line : ini.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        const int eq = line.indexOf('=');
        out << QString::fromLatin1(eq < 0 ? line : line.left(eq));
    }
    return out;
}
} // namespace

class StartupShutdownTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstRunWithoutSettingsFile()
    {
        ScriptedPeer peer;
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("quillon.ini"));
        {
            WindowFixture f(&peer, ini);
            Quillon &w = *f.window;
            QCOMPARE(w.ComboPort->currentText(), QStringLiteral("COM 1"));
            QCOMPARE(w.ComboSpeed->currentText(), QStringLiteral("1200bps"));
            QCOMPARE(f.comm->Settings(), QStringLiteral("1200,N,8,1"));
            QVERIFY(w.windowTitle().startsWith(QStringLiteral("Korvel电子测试程序  版本 V")));
            QCOMPARE(w.TextOut->Text(), QStringLiteral("请先打开端口!"));
            QVERIFY(!w.TextOut->isEnabled());
            QCOMPARE(w.LabelCD->text(), QStringLiteral("  CD"));
            QCOMPARE(w.LabelCD->Background(), kLineNeutral);
            QCOMPARE(w.SEND->toPlainText(), QStringLiteral("www.korvel.example/ Korvel电子 KORVELCO "));
            QCOMPARE(w.Received().Text(), QString());
            QVERIFY(!QFile::exists(ini));
            w.close();
        }
        const QByteArray written = ReadFile(ini);
        QCOMPARE(Layout(written), (QStringList{"[QuillonSet]", "Port", "Speed", "[Point]", "Top", "Left",
                                               "Width", "Height", "WindowState"}));
        QVERIFY(written.contains("Port=0"));
        QVERIFY(written.contains("Speed=6"));
        QVERIFY(written.contains("WindowState=0"));
    }

    void storedPositionsAreClamped_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("speed");
        QTest::newRow("speed 17") << QByteArray("[QuillonSet]\r\nPort=2\r\nSpeed=17\r\n") << "COM 3" << "256000bps";
        QTest::newRow("speed 18") << QByteArray("[QuillonSet]\r\nPort=5\r\nSpeed=18\r\n") << "COM 6" << "1200bps";
        QTest::newRow("port 6") << QByteArray("[QuillonSet]\r\nPort=6\r\nSpeed=9\r\n") << "COM 1" << "9600bps";
        QTest::newRow("below 0 selects the default") << QByteArray("[QuillonSet]\r\nPort=-1\r\nSpeed=-3\r\n") << "COM 1" << "1200bps";
        QTest::newRow("comment after the value") << QByteArray("[quillonset]\r\nport=3 ; bench B\r\nSPEED=15;x\r\n") << "COM 4" << "115200bps";
    }
    void storedPositionsAreClamped()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, port);
        QFETCH(QString, speed);
        ScriptedPeer peer;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("quillon.ini"));
        WriteFile(path, ini);
        WindowFixture f(&peer, path);
        QCOMPARE(f.window->ComboPort->currentText(), port);
        QCOMPARE(f.window->ComboSpeed->currentText(), speed);
    }

    void closingWithThePortOpenClosesItAndTheNextStartKeepsPortAndSpeed()
    {
        ScriptedPeer peer;
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("quillon.ini"));
        {
            WindowFixture f(&peer, ini);
            f.window->ComboPort->setCurrentIndex(3);
            f.Open(QStringLiteral("57600bps"));
            QVERIFY(f.comm->PortOpen());
            f.window->close();
            QVERIFY(!f.comm->PortOpen());
        }
        WindowFixture next(&peer, ini);
        QVERIFY(!next.window->PortIsOpen());
        QCOMPARE(next.window->ComboPort->currentText(), QStringLiteral("COM 4"));
        QCOMPARE(next.window->ComboSpeed->currentText(), QStringLiteral("57600bps"));
    }

    void closingWhileMinimizedWritesTheRestoredGeometry()
    {
        ScriptedPeer peer;
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("quillon.ini"));
        WindowFixture f(&peer, ini);
        f.Show();
        const QRect normal = f.window->frameGeometry();
        f.window->showMinimized();
        f.window->close();
        const QByteArray written = ReadFile(ini);
        QVERIFY2(written.contains("WindowState=1"), written.constData());
        QVERIFY(written.contains("Width=" + QByteArray::number(normal.width() * 15)));
        QVERIFY(written.contains("Height=" + QByteArray::number(normal.height() * 15)));
        QVERIFY(written.contains("Left=" + QByteArray::number(normal.left() * 15)));
    }

    void portMappingIsReadAtEveryLookup()
    {
        ScriptedPeer peer;
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("quillon.ini"));
        WindowFixture f(&peer, ini);
        QCOMPARE(PortTargetFromSettings(1).device, DefaultDeviceName(1));
        WriteFile(ini, "[Ports]\r\nCOM1=simulator   ; no hardware\r\ncom2 = /dev/ttyACM0\r\n");
        QVERIFY(PortTargetFromSettings(1).simulator);
        QCOMPARE(PortTargetFromSettings(2).device, QStringLiteral("/dev/ttyACM0"));
        QCOMPARE(PortTargetFromSettings(3).device, DefaultDeviceName(3));
        QVERIFY(DescribePortTarget(1).contains(QStringLiteral("simulator")));
        QCOMPARE(DescribePortTarget(2), QStringLiteral("/dev/ttyACM0"));
    }

    void doubleClickOnTheBackgroundOpensAbout()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer);
        f.Show();
        int opened = 0;
        f.window->SetShowAbout([&] { ++opened; });
        QTest::mouseDClick(f.window.get(), Qt::LeftButton, {}, QPoint(300, 580));
        QCOMPARE(opened, 1);
        QTest::mouseDClick(f.window->ComVersion, Qt::LeftButton);
        QCOMPARE(opened, 1);
    }

    void linkLightsUpOnItAndGoesBackOverTheBackground()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer);
        f.Show();
        QLabel *link = f.window->AT_OID;
        const auto color = [&] { return link->palette().color(QPalette::WindowText); };
        // Moves are sent straight to the widget under the pointer, as the window system would.
        const auto moveOver = [](QWidget *w, QPoint pos) {
            QMouseEvent move(QEvent::MouseMove, pos, w->mapToGlobal(pos), Qt::NoButton, {}, {});
            QApplication::sendEvent(w, &move);
        };
        QCOMPARE(color(), QColor(255, 128, 0));
        moveOver(link, QPoint(10, 10));
        QCOMPARE(color(), QColor(255, 255, 192));
        // Over another control it stays lit; over the bare background it goes back.
        moveOver(f.window->Label1, QPoint(5, 5));
        QCOMPARE(color(), QColor(255, 255, 192));
        moveOver(f.window.get(), QPoint(310, 576));
        QCOMPARE(color(), QColor(255, 128, 0));
    }

    void resizeIsRefused()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer);
        QCOMPARE(f.window->size(), QSize(507, 588));
        f.window->resize(800, 800);
        QCOMPARE(f.window->size(), QSize(507, 588));
    }
};

QTEST_MAIN(StartupShutdownTest)
#include "tst_startup_shutdown.moc"
