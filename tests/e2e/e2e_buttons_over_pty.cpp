// The SIM and signal buttons with the real serial backend against quillon-sim on a
// pseudo-terminal, checked in the simulator's log and in the receive area.

#include "PtyWindow.h"

#include <QLineEdit>

using namespace quillon;
using namespace quillon::testing;

class E2eButtonsOverPty : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void simButtonEntersThePinThenSignalShowsRegistration()
    {
        PtyWindow p({QStringLiteral("--sim"), QStringLiteral("pin"), QStringLiteral("--pin"),
                     QStringLiteral("8642"), QStringLiteral("--csq"), QStringLiteral("17,0")});
        QVERIFY(p.Ready());
        p.Open(QStringLiteral("115200bps"));
        QVERIFY(p.window->PortIsOpen());
        QCOMPARE(p.window->TextPIN->text(), QStringLiteral("8642"));

        p.window->ComPIN->click();
        QCOMPARE(p.window->Received().Text(), QStringLiteral("AT+CPIN=8642\r\n\r\nOK\r\n"));

        p.window->ComSignal->click();
        // Registered now that the SIM is unlocked.
        QCOMPARE(p.window->Received().Text(),
                 QStringLiteral("AT+CSQ+CREG?\r\n\r\n+CSQ: 17,0\r\n\r\n+CREG: 0,1\r\n\r\nOK\r\n"));
        QVERIFY(p.messages.messages.isEmpty());

        p.window->ComStartStop->click();
        QCOMPARE(p.StopSim(), 0);
        const QList<std::pair<int, QString>> expected{{115200, QStringLiteral("AT+CPIN?")},
                                                      {115200, QStringLiteral("AT+CPIN=8642")},
                                                      {115200, QStringLiteral("AT+CSQ+CREG?")}};
        QCOMPARE(p.CommandLines(), expected);
    }
};

QTEST_MAIN(E2eButtonsOverPty)
#include "e2e_buttons_over_pty.moc"
