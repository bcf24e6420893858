// The window over the real serial backend on a pseudo-terminal: an exchange, and the device
// vanishing under an open port (as an unplugged USB adapter does).

#include "WindowFixture.h"

#include "support/PtyPair.h"
#include "serial/QtSerialComm.h"
#include "terminal/Widgets.h"
#include "terminal/WindowGate.h"

#include <QTimer>

using namespace quillon;
using namespace quillon::testing;

namespace {

/// A window like WindowFixture's, but on the QSerialPort backend with port 1 on the pty.
struct RealPortWindow {
    explicit RealPortWindow(const QString &device)
        : comm([device](int) { return device; })
    {
        SetIniFilePath(dir.filePath(QStringLiteral("quillon.ini")));
        window = std::make_unique<Quillon>(comm, messages);
        window->Form_Load();
        window->Connection().SelectSpeed(window->ComboSpeed->findText(QStringLiteral("115200bps")));
        window->ComStartStop->click();
    }
    ~RealPortWindow()
    {
        window.reset();
        SetIniFilePath(QString());
    }
    QTemporaryDir dir;
    RecordingMessageSink messages;
    QtSerialComm comm;
    std::unique_ptr<Quillon> window;
};

} // namespace

class RealPortOnPtyTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void exchangeOverThePty()
    {
        test::PtyPair pty;
        if (!pty.Valid())
            QSKIP(qPrintable(pty.Error()));
        RealPortWindow r(pty.SlavePath());
        QVERIFY(r.window->PortIsOpen());
        QTimer answer;
        QByteArray seen;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            seen += pty.ReadAvailable();
            if (seen.endsWith("\r\n")) {
                pty.Write(seen + "\r\nOK\r\n");
                seen.clear();
            }
        });
        answer.start(2);
        r.window->Exchange().SendCommand(QStringLiteral("ATI"));
        QCOMPARE(r.window->Received().Text(), QStringLiteral("ATI\r\n\r\nOK\r\n"));
        QVERIFY(!r.window->Exchange().State().SendInProgress);
    }

    void vanishedDeviceClosesThePortAndLeavesTheWindowUsable()
    {
        test::PtyPair pty;
        if (!pty.Valid())
            QSKIP(qPrintable(pty.Error()));
        RealPortWindow r(pty.SlavePath());
        Quillon &w = *r.window;
        QVERIFY(w.PortIsOpen());
        pty.CloseMaster();
        // Whether the next write fails first or the loss is noticed first, the send must end.
        w.Exchange().SendCommand(QStringLiteral("AT+CSQ"));
        QTRY_VERIFY_WITH_TIMEOUT(!w.PortIsOpen(), 3000);
        QVERIFY(!w.Exchange().State().SendInProgress);
        QVERIFY(w.Gate().IsWindowEnabled());
        QCOMPARE(w.TextSend->Color(), kLampYellow);
        QCOMPARE(w.ComStartStop->text(), QStringLiteral("打 开 端 口"));
        QCOMPARE(w.TextOut->Text(), QStringLiteral("请先打开端口!"));
        QVERIFY(!w.Connection().TimerRead().isActive());
        QVERIFY(r.messages.plain.size() <= 1);
        // Nothing more happens on later commands.
        w.Exchange().SendCommand(QStringLiteral("AT"));
        QVERIFY(r.messages.plain.size() <= 1);
    }
};

QTEST_MAIN(RealPortOnPtyTest)
#include "tst_real_port_on_pty.moc"
