// SendCommand, the receive monitor's tick and Delay, against a scripted far end.

#include "WindowFixture.h"

#include "support/ScriptedPeer.h"
#include "connection/PortConnection.h"
#include "terminal/ReceiveMonitor.h"
#include "terminal/Widgets.h"
#include "terminal/WindowGate.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

using namespace quillon;
using namespace quillon::testing;

class CommandExchangeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void closedPortLeavesEverythingAsItWas()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer);
        Quillon &w = *f.window;
        w.Received().SetText(QStringLiteral("old"));
        w.Exchange().SendCommand(QStringLiteral("AT"));
        QCOMPARE(w.Received().Text(), QStringLiteral("old"));
        QCOMPARE(w.TextOut->Text(), QStringLiteral("请先打开端口!"));
        QCOMPARE(w.TextSend->Color(), kLampYellow);
        QVERIFY(!w.Exchange().State().SendInProgress);
        QVERIFY(f.comm->Writes().empty());
    }

    void commandGoesOutWithCrLfAndTheReplyIsThereAfterTheWait()
    {
        ScriptedPeer peer;
        peer.AddReply("AT+CSQ", "AT+CSQ\r\r\n+CSQ: 20,0\r\n\r\nOK\r\n", 20);
        WindowFixture f(&peer);
        Quillon &w = *f.window;
        f.Open();
        w.Received().SetText(QStringLiteral("earlier text"));

        bool disabledDuringWait = false;
        QTimer::singleShot(100, [&] { disabledDuringWait = !w.Gate().IsWindowEnabled(); });
        QElapsedTimer clock;
        clock.start();
        w.Exchange().SendCommand(QStringLiteral("AT+CSQ"));
        const qint64 waited = clock.elapsed();

        QVERIFY2(waited >= 300, qPrintable(QString::number(waited)));
        QVERIFY(disabledDuringWait);
        QVERIFY(w.Gate().IsWindowEnabled());
        QCOMPARE(f.comm->AllWritten(), QByteArray("AT+CSQ\r\n"));
        QCOMPARE(w.Received().Text(), QStringLiteral("AT+CSQ\r\r\n+CSQ: 20,0\r\n\r\nOK\r\n"));
        // A short command has completed within the wait.
        QCOMPARE(w.TextOut->Text(), QString());
        QVERIFY(w.TextOut->isEnabled());
        QCOMPARE(w.TextSend->Color(), kLampYellow);
        QVERIFY(!w.Exchange().State().SendInProgress);
        QCOMPARE(w.Exchange().State().ChunkSize, 512);
    }

    void emptyCommandSendsBareLineEndAndStillWaits()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer);
        f.Open();
        f.window->Received().SetText(QStringLiteral("x"));
        QElapsedTimer clock;
        clock.start();
        f.window->Exchange().SendCommand(QString());
        QVERIFY(clock.elapsed() >= 300);
        QCOMPARE(f.comm->AllWritten(), QByteArray("\r\n"));
        QCOMPARE(f.window->Received().Text(), QString());
    }

    void bytesAlreadyWaitingComeFirst()
    {
        ScriptedPeer peer;
        peer.AddReply("ATI", "ATI\r\nOK\r\n", 10);
        WindowFixture f(&peer);
        f.Open();
        f.window->Connection().TimerRead().stop(); // keep the early bytes in the port's buffer
        peer.QueueForHost("RING\r\n", 0);
        f.window->Connection().TimerRead().start();
        f.window->Exchange().SendCommand(QStringLiteral("ATI"));
        QCOMPARE(f.window->Received().Text(), QStringLiteral("RING\r\nATI\r\nOK\r\n"));
    }

    void lateReplyArrivesAfterTheWaitAndStays()
    {
        ScriptedPeer peer;
        peer.AddReply("AT+COPS?", "\r\n+COPS: 0,0,\"TEST\"\r\n", 450);
        WindowFixture f(&peer);
        f.Open();
        f.window->Exchange().SendCommand(QStringLiteral("AT+COPS?"));
        QVERIFY(!f.window->Received().Text().contains(QStringLiteral("+COPS")));
        QTRY_VERIFY_WITH_TIMEOUT(f.window->Received().Text().contains(QStringLiteral("+COPS: 0,0")), 2000);
    }

    void longTextGoesOutInChunks()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer);
        Quillon &w = *f.window;
        f.Open(QStringLiteral("256000bps"));
        const QString text(998, QLatin1Char('7')); // 1000 characters with CR LF
        w.Exchange().SendCommand(text);

        const auto &writes = f.comm->Writes();
        QCOMPARE(writes.size(), size_t(2));
        QCOMPARE(writes[0].bytes.size(), 512);
        QCOMPARE(writes[1].bytes, QByteArray(486, '7') + "\r\n" + "\r");
        QVERIFY(writes[1].atMs >= writes[0].atMs);
        QTRY_VERIFY_WITH_TIMEOUT(!w.Exchange().State().SendInProgress, 2000);
        QCOMPARE(w.TextSend->Color(), kLampYellow);
        QCOMPARE(peer.AllReceived(), (text + QStringLiteral("\r\n\r")).toLatin1());
    }

    void hexDisplayHidesResultWords()
    {
        ScriptedPeer peer;
        peer.AddReply("AT", "OK\r\n", 5);
        WindowFixture f(&peer);
        f.Open();
        f.window->CheckDisplay->setChecked(true);
        f.window->Exchange().SendCommand(QStringLiteral("AT"));
        QCOMPARE(f.window->Received().Text(), QStringLiteral("[4F][4B][0D][0A]"));
        QVERIFY(!f.window->Received().Text().contains(QStringLiteral("OK")));
    }

    void commandFromAHandlerInsideDelayEmptiesTheArea()
    {
        ScriptedPeer peer;
        peer.AddReply("AT+CIMI", "460001234567890\r\nOK\r\n", 5);
        WindowFixture f(&peer);
        Quillon &w = *f.window;
        f.Open();
        w.Received().SetText(QStringLiteral("first operation's reply"));
        QTimer::singleShot(20, [&] { w.TC_ID->click(); });
        w.Exchange().Delay(100);
        QVERIFY(!w.Received().Text().contains(QStringLiteral("first operation")));
        QVERIFY(w.Received().Text().contains(QStringLiteral("460001234567890")));
    }

    void delayPausesOnAMonotonicClock()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer);
        bool handled = false;
        QTimer::singleShot(10, [&] { handled = true; });
        QElapsedTimer clock;
        clock.start();
        f.window->Exchange().Delay(60);
        QVERIFY(clock.elapsed() >= 60);
        QVERIFY(handled);
    }

    void writeFailureEndsTheSendAndIsReportedOnce()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer);
        Quillon &w = *f.window;
        f.Open();
        f.comm->SetOutputFailure(true);
        w.Exchange().SendCommand(QStringLiteral("AT"));
        w.Exchange().SendCommand(QStringLiteral("AT"));

        QVERIFY(!w.Exchange().State().SendInProgress);
        QVERIFY(w.Gate().IsWindowEnabled());
        QVERIFY(w.TextOut->isEnabled());
        QCOMPARE(w.TextOut->Text(), QString());
        QCOMPARE(w.TextSend->Color(), kLampYellow);
        QCOMPARE(f.messages.plain.size(), 1);
        QVERIFY(f.messages.plain.first().contains(QStringLiteral("COM 1")));
        QVERIFY(f.messages.plain.first().contains(StandardErrorText(CommErrorNumber::DeviceIoError)));

        f.comm->SetOutputFailure(false);
        w.Exchange().SendCommand(QStringLiteral("AT"));
        QCOMPARE(f.comm->AllWritten(), QByteArray("AT\r\n"));
    }
};

QTEST_MAIN(CommandExchangeTest)
#include "tst_command_exchange.moc"
