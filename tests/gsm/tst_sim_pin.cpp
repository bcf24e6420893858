// The SIM button: asks for the PIN state and enters the PIN box only when the SIM waits for a
// PIN and the box holds four characters.

#include "ModuleFixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

using namespace quillon;
using namespace quillon::testing;
using sim::SimState;

Q_DECLARE_METATYPE(quillon::sim::SimState)

class SimPinTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pinEnteredOnlyWhenAskedFor_data()
    {
        QTest::addColumn<SimState>("state");
        QTest::addColumn<QString>("pinBox");
        QTest::addColumn<bool>("hexDisplay");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("receivedAfter");
        QTest::addColumn<SimState>("stateAfter");

        const QString cpin = QStringLiteral("AT+CPIN?");
        const QString enter = QStringLiteral("AT+CPIN=8642");
        const QString entered = QStringLiteral("AT+CPIN=8642\r\n\r\nOK\r\n");
        const auto asked = [](const char *reply) {
            return QStringLiteral("AT+CPIN?\r\n\r\n+CPIN: %1\r\n\r\nOK\r\n").arg(QLatin1String(reply));
        };

        QTest::newRow("ready: nothing more")
            << SimState::Ready << "8642" << false << QStringList{cpin} << asked("READY")
            << SimState::Ready;
        QTest::newRow("PIN asked: the box is entered and the SIM unlocks")
            << SimState::WaitingPin << "8642" << false << QStringList{cpin, enter} << entered
            << SimState::Ready;
        QTest::newRow("PIN2 asked: contains SIM PIN, entered as well")
            << SimState::WaitingPin2 << "8642" << false << QStringList{cpin, enter} << entered
            << SimState::Ready;
        QTest::newRow("PUK asked: nothing more")
            << SimState::WaitingPuk << "8642" << false << QStringList{cpin} << asked("SIM PUK")
            << SimState::WaitingPuk;
        QTest::newRow("three digits in the box: nothing more")
            << SimState::WaitingPin << "864" << false << QStringList{cpin} << asked("SIM PIN")
            << SimState::WaitingPin;
        QTest::newRow("empty box: nothing more")
            << SimState::WaitingPin << "" << false << QStringList{cpin} << asked("SIM PIN")
            << SimState::WaitingPin;
        QTest::newRow("wrong PIN is sent like a right one")
            << SimState::WaitingPin << "1111" << false
            << QStringList{cpin, QStringLiteral("AT+CPIN=1111")}
            << QStringLiteral("AT+CPIN=1111\r\n\r\n+CME ERROR: 16\r\n") << SimState::WaitingPin;
        QTest::newRow("hexadecimal display hides the request")
            << SimState::WaitingPin << "8642" << true << QStringList{cpin}
            << "[41][54][2B][43][50][49][4E][3F][0D][0A][0D][0A][2B][43][50][49][4E][3A][20][53]"
               "[49][4D][20][50][49][4E][0D][0A][0D][0A][4F][4B][0D][0A]"
            << SimState::WaitingPin;
    }

    void pinEnteredOnlyWhenAskedFor()
    {
        QFETCH(SimState, state);
        QFETCH(QString, pinBox);
        QFETCH(bool, hexDisplay);
        QFETCH(QStringList, lines);
        QFETCH(QString, receivedAfter);
        QFETCH(SimState, stateAfter);
        ModuleFixture m;
        m.module.SetPin("8642");
        m.module.SetPin2("8642");
        m.module.SetSimState(state);
        m.f.Open();
        m.Window().TextPIN->setText(pinBox);
        m.Window().CheckDisplay->setChecked(hexDisplay);

        m.Window().ComPIN->click();

        QCOMPARE(m.ModuleLines(), lines);
        QCOMPARE(QString::fromLatin1(m.f.comm->AllWritten()), lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
        QCOMPARE(m.Received(), receivedAfter);
        QCOMPARE(m.module.CurrentSimState(), stateAfter);
        QVERIFY(m.f.messages.messages.isEmpty());
    }

    void closedPortDoesNothing()
    {
        ModuleFixture m;
        m.module.SetSimState(SimState::WaitingPin);
        m.Window().Received().SetText(QStringLiteral("+CPIN: SIM PIN"));
        m.Window().ComPIN->click();
        QVERIFY(m.f.comm->Writes().empty());
        QCOMPARE(m.Received(), QStringLiteral("+CPIN: SIM PIN"));
        QCOMPARE(m.module.CurrentSimState(), SimState::WaitingPin);
        QVERIFY(m.f.messages.messages.isEmpty());
    }
};

QTEST_MAIN(SimPinTest)
#include "tst_sim_pin.moc"
