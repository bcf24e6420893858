// Which settings strings the component accepts, and the error texts the window shows.
#include "serial/SerialComm.h"

#include <QSet>
#include <QTest>

using namespace quillon;

class SettingsParsingTest : public QObject {
    Q_OBJECT
private slots:
    void parsesSettings_data();
    void parsesSettings();
    void everyListSpeedIsAccepted();
    void errorTextsAreDistinctAndNamed();
    void unknownNumberGetsGenericText();
};

void SettingsParsingTest::parsesSettings_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("speed");

    QTest::newRow("9600 as the list builds it") << "9600,N,8,1" << 9600;
    QTest::newRow("lowest list speed") << "50,N,8,1" << 50;
    QTest::newRow("highest list speed") << "256000,N,8,1" << 256000;
    QTest::newRow("non-standard list speed 14400") << "14400,N,8,1" << 14400;
    QTest::newRow("lower-case parity letter") << "115200,n,8,1" << 115200;

    QTest::newRow("empty") << "" << 0;
    QTest::newRow("speed only") << "9600" << 0;
    QTest::newRow("no speed") << ",N,8,1" << 0;
    QTest::newRow("speed not in the list") << "9601,N,8,1" << 0;
    QTest::newRow("common speed missing from the list 230400") << "230400,N,8,1" << 0;
    QTest::newRow("zero speed") << "0,N,8,1" << 0;
    QTest::newRow("leading zero") << "09600,N,8,1" << 0;
    QTest::newRow("plus sign") << "+9600,N,8,1" << 0;
    QTest::newRow("minus sign") << "-9600,N,8,1" << 0;
    QTest::newRow("blank after comma") << "9600, N,8,1" << 0;
    QTest::newRow("leading blank") << " 9600,N,8,1" << 0;
    QTest::newRow("trailing blank") << "9600,N,8,1 " << 0;
    QTest::newRow("even parity") << "9600,E,8,1" << 0;
    QTest::newRow("7 data bits") << "9600,N,7,1" << 0;
    QTest::newRow("2 stop bits") << "9600,N,8,2" << 0;
    QTest::newRow("trailing text") << "9600,N,8,1,x" << 0;
    QTest::newRow("bps suffix of the list entry") << "9600bps,N,8,1" << 0;
    QTest::newRow("digits that overflow an int") << "99999999999999999999,N,8,1" << 0;
    QTest::newRow("full-width digits") << QString::fromUtf8("９６００,N,8,1") << 0;
}

void SettingsParsingTest::parsesSettings()
{
    QFETCH(QString, settings);
    QFETCH(int, speed);
    QCOMPARE(ParseSettingsSpeed(settings), speed);
}

void SettingsParsingTest::everyListSpeedIsAccepted()
{
    const int list[] = {50,    75,    110,   150,   300,    600,    1200,   2400,  4800,
                        9600,  14400, 19200, 28800, 38400, 57600, 115200, 128000, 256000};
    for (const int speed : list)
        QCOMPARE(ParseSettingsSpeed(QStringLiteral("%1,N,8,1").arg(speed)), speed);
}

void SettingsParsingTest::errorTextsAreDistinctAndNamed()
{
    const int numbers[] = {CommErrorNumber::InvalidSettings, CommErrorNumber::PortAlreadyOpen,
                           CommErrorNumber::PortAbsent,      CommErrorNumber::PortBusy,
                           CommErrorNumber::PermissionDenied, CommErrorNumber::PortNotOpen,
                           CommErrorNumber::DeviceIoError,   CommErrorNumber::OpenFailed};
    QSet<QString> seen;
    for (const int number : numbers) {
        const QString text = StandardErrorText(number);
        QVERIFY2(!text.isEmpty(), qPrintable(QString::number(number)));
        QVERIFY2(!seen.contains(text), qPrintable(QString::number(number)));
        seen.insert(text);
    }
    // The absent-port text must send the technician to the mapping in the settings file.
    QVERIFY(StandardErrorText(CommErrorNumber::PortAbsent).contains(QLatin1String("[Ports]")));
    QVERIFY(StandardErrorText(CommErrorNumber::PermissionDenied).contains(QLatin1String("dialout")));
}

void SettingsParsingTest::unknownNumberGetsGenericText()
{
    const QString text = StandardErrorText(12345);
    QVERIFY(!text.isEmpty());
    QVERIFY(text.contains(QLatin1String("12345")));
    QVERIFY(text != StandardErrorText(CommErrorNumber::OpenFailed));
}

QTEST_GUILESS_MAIN(SettingsParsingTest)
#include "serial_settings_parsing.moc"
