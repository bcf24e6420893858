// The one-click command buttons against the simulated module: the exact bytes each one sends,
// what the receive area holds afterwards, and that a closed port makes them do nothing.

#include "ModuleFixture.h"

#include "gsm/QuickCommands.h"
#include "terminal/Widgets.h"

#include <QPushButton>

using namespace quillon;
using namespace quillon::testing;

namespace {

QPushButton *ButtonNamed(Quillon &w, const QString &name)
{
    return w.findChild<QPushButton *>(name);
}

} // namespace

class QuickCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void buttonSendsItsCommandAndTheReplyShows_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("reply"); // what follows the echo of the command and its CR LF

        QTest::newRow("reset") << "AT_CFUN" << "AT+CFUN=1,1"
                               << "\r\nOK\r\n\r\n^SYSSTART\r\n";
        QTest::newRow("power off") << "AT_SOMO" << "AT^SMSO" << "\r\n^SMSO: MS OFF\r\n\r\nOK\r\n";
        QTest::newRow("subscriber identity")
            << "TC_ID" << "AT+CIMI" << "\r\n460001357924680\r\n\r\nOK\r\n";
        QTest::newRow("operator") << "Comcops" << "AT+COPS?"
                                  << "\r\n+COPS: 0,0,\"CHINA MOBILE\"\r\n\r\nOK\r\n";
        QTest::newRow("signal and registration in one line")
            << "ComSignal" << "AT+CSQ+CREG?" << "\r\n+CSQ: 20,0\r\n\r\n+CREG: 0,1\r\n\r\nOK\r\n";
        QTest::newRow("current calls, none") << "ComCallID" << "AT+CLCC" << "\r\nOK\r\n";
        QTest::newRow("DTMF without a call") << "ComDial" << "AT+VTS=1"
                                             << "\r\n+CME ERROR: 3\r\n";
        QTest::newRow("answer with nobody calling") << "Command2" << "ATA" << "\r\nNO CARRIER\r\n";
        QTest::newRow("hang up") << "ComHandOff" << "ATH" << "\r\nOK\r\n";
        QTest::newRow("dial test, default number") << "Command3" << "ATD10086;" << "\r\nOK\r\n";
    }

    void buttonSendsItsCommandAndTheReplyShows()
    {
        QFETCH(QString, button);
        QFETCH(QString, command);
        QFETCH(QString, reply);
        ModuleFixture m;
        m.f.Open();
        m.Window().Received().SetText(QStringLiteral("earlier reply"));

        ButtonNamed(m.Window(), button)->click();

        QCOMPARE(m.f.comm->AllWritten(), (command + QStringLiteral("\r\n")).toLatin1());
        QCOMPARE(m.ModuleLines(), QStringList{command});
        // A reset's start-up line follows its reply by the module's boot time.
        m.Pass(2000);
        QCOMPARE(m.Received(), command + QStringLiteral("\r\n") + reply);
        QCOMPARE(m.Window().TextOut->Text(), QString());
        QVERIFY(m.f.messages.messages.isEmpty());
    }

    void closedPortSendsNothingAndLeavesBothAreas_data()
    {
        QTest::addColumn<QString>("button");
        for (const char *name : {"AT_CFUN", "AT_SOMO", "TC_ID", "Comcops", "ComSignal", "ComCallID",
                                 "ComDial", "Command2", "ComHandOff", "Command3"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void closedPortSendsNothingAndLeavesBothAreas()
    {
        QFETCH(QString, button);
        ModuleFixture m;
        Quillon &w = m.Window();
        w.Received().SetText(QStringLiteral("earlier reply"));
        const QString commandArea = w.TextOut->Text();

        ButtonNamed(w, button)->click();

        QVERIFY(m.f.comm->Writes().empty());
        QVERIFY(m.tap.sent.isEmpty());
        QCOMPARE(w.Received().Text(), QStringLiteral("earlier reply"));
        QCOMPARE(w.TextOut->Text(), commandArea);
        QCOMPARE(w.TextNumber->text(), QStringLiteral("10086"));
        QVERIFY(m.f.messages.messages.isEmpty());
    }

    void dialTestNumber_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("boxAfter");
        QTest::newRow("empty box falls back") << "" << "ATD10086;" << "10086";
        QTest::newRow("one digit falls back") << "7" << "ATD10086;" << "10086";
        QTest::newRow("two digits as typed") << "12" << "ATD12;" << "12";
        QTest::newRow("twenty digits as typed")
            << "13987654321098765432" << "ATD13987654321098765432;" << "13987654321098765432";
    }

    void dialTestNumber()
    {
        QFETCH(QString, typed);
        QFETCH(QString, command);
        QFETCH(QString, boxAfter);
        ModuleFixture m;
        m.f.Open();
        m.Window().TextNumber->setText(typed);

        m.Window().Command3->click();

        QCOMPARE(m.Window().TextNumber->text(), boxAfter);
        QCOMPARE(m.f.comm->AllWritten(), (command + QStringLiteral("\r\n")).toLatin1());
        QCOMPARE(m.ModuleLines(), QStringList{command});
    }

    void dialTestFallbackAppliesWithThePortClosed()
    {
        ModuleFixture m;
        m.Window().TextNumber->setText(QStringLiteral("5"));
        m.Window().Command3->click();
        QCOMPARE(m.Window().TextNumber->text(), QStringLiteral("10086"));
        QVERIFY(m.f.comm->Writes().empty());
    }

    void dtmfTones_data()
    {
        QTest::addColumn<QString>("tones");
        QTest::addColumn<QString>("command");
        QTest::newRow("one tone") << "5" << "AT+VTS=5";
        QTest::newRow("several tones in one command") << "123#*A" << "AT+VTS=123#*A";
        QTest::newRow("empty box, bare command") << "" << "AT+VTS=";
    }

    void dtmfTones()
    {
        QFETCH(QString, tones);
        QFETCH(QString, command);
        ModuleFixture m;
        m.f.Open();
        m.Window().dtmf->setText(tones);

        m.Window().ComDial->click();

        QCOMPARE(m.f.comm->AllWritten(), (command + QStringLiteral("\r\n")).toLatin1());
        QCOMPARE(m.ModuleLines(), QStringList{command});
        QCOMPARE(m.Window().dtmf->text(), tones);
    }

    void dtmfDuringACallIsAccepted()
    {
        ModuleFixture m;
        m.f.Open();
        m.Window().Command3->click(); // the call is being set up
        m.Window().dtmf->setText(QStringLiteral("12"));
        m.Window().ComDial->click();
        QCOMPARE(m.Received(), QStringLiteral("AT+VTS=12\r\n\r\nOK\r\n"));
    }
};

QTEST_MAIN(QuickCommandsTest)
#include "tst_quick_commands.moc"
