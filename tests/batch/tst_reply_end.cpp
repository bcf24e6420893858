// When the reply pace ends a command: final result codes end it, the echo and information
// lines do not, whichever way the bytes are cut into pieces; low speeds wait for the wire.
#include "batch/PortArgument.h"
#include "batch/ReplyEnd.h"

#include <QtTest>

using namespace quillon::batch;

class ReplyEndTest : public QObject {
    Q_OBJECT
private slots:
    void watcher_data()
    {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<bool>("final");
        QTest::newRow("ok after echo") << QByteArray("AT&F\r\r\nOK\r\n") << true;
        QTest::newRow("echo alone") << QByteArray("AT+CPIN?\r") << false;
        QTest::newRow("information line alone") << QByteArray("AT+CPIN?\r\r\n+CPIN: READY\r\n") << false;
        QTest::newRow("OK without its line end yet") << QByteArray("AT\r\r\nOK") << false;
        QTest::newRow("imei then OK") << QByteArray("ATD*#06#\r\r\n352099001761481\r\n\r\nOK\r\n") << true;
        QTest::newRow("imei without OK") << QByteArray("ATD*#06#\r\r\n352099001761481\r\n") << false;
        QTest::newRow("plain ERROR") << QByteArray("\r\nERROR\r\n") << true;
        QTest::newRow("+CME ERROR numeric") << QByteArray("\r\n+CME ERROR: 10\r\n") << true;
        QTest::newRow("+CMS ERROR") << QByteArray("\r\n+CMS ERROR: 310\r\n") << true;
        QTest::newRow("NO CARRIER") << QByteArray("\r\nNO CARRIER\r\n") << true;
        QTest::newRow("BUSY") << QByteArray("\r\nBUSY\r\n") << true;
        QTest::newRow("NO ANSWER") << QByteArray("\r\nNO ANSWER\r\n") << true;
        QTest::newRow("NO DIALTONE") << QByteArray("\r\nNO DIALTONE\r\n") << true;
        QTest::newRow("CONNECT with speed") << QByteArray("\r\nCONNECT 9600\r\n") << true;
        QTest::newRow("OK inside a line") << QByteArray("\r\nBOOK\r\n") << false;
        QTest::newRow("identification with OK in a word") << QByteArray("ATI\r\r\nOKTEL\r\n") << false;
        QTest::newRow("noise bytes") << QByteArray("\x80\xFE\xFF\x81", 4) << false;
        QTest::newRow("overlong line ending in OK") << QByteArray(300, 'x') + "OK\r\n" << false;
    }
    void watcher()
    {
        QFETCH(QByteArray, received);
        QFETCH(bool, final);
        // Whole, and one byte at a time: the poll cuts a reply anywhere.
        FinalResultWatcher whole;
        QCOMPARE(whole.Feed(received), final);
        FinalResultWatcher bytewise;
        bool seen = false;
        for (char c : received)
            seen = bytewise.Feed(QByteArrayView(&c, 1));
        QCOMPARE(seen, final);
        bytewise.Reset();
        QVERIFY(!bytewise.Seen());
    }

    void ceiling_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("expected");
        // "AT&F": 6 bytes out, 11 back.
        QTest::newRow("115200: the fixed wait") << 115200 << 300;
        QTest::newRow("1200: still the fixed wait") << 1200 << 300;
        QTest::newRow("300: the wire needs more") << 300 << 567 + kWireMarginMs;
        QTest::newRow("50: seconds on the wire") << 50 << 3400 + kWireMarginMs;
    }
    void ceiling()
    {
        QFETCH(int, baud);
        QFETCH(int, expected);
        QCOMPARE(ReplyCeilingMs(4, baud, 300), expected);
    }

    void portArguments_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("mapped"); // [Ports] value of the entry
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("simulator");
        QTest::addColumn<QString>("simOptions"); // name=value;... or "!" for a refusal
        QTest::newRow("device path") << "/dev/ttyUSB3" << "" << "/dev/ttyUSB3" << "/dev/ttyUSB3" << false << "";
        QTest::newRow("entry, default device") << "COM2" << "" << "COM2" << "/dev/ttyUSB1" << false << "";
        QTest::newRow("entry mapped, comment cut") << "com4" << "/dev/ttyACM0 ; bench 4" << "COM4" << "/dev/ttyACM0" << false << "";
        QTest::newRow("entry mapped to the simulator") << "COM1" << "simulator" << "COM1" << "" << true << "";
        QTest::newRow("entry beyond the list is a device") << "COM9" << "" << "COM9" << "COM9" << false << "";
        QTest::newRow("sim") << "sim" << "" << "sim" << "" << true << "";
        QTest::newRow("sim with states") << "sim:echo=off,creg=0,3,no-messages" << "" << "sim:echo=off,creg=0,3,no-messages"
                                         << "" << true << "echo=off;creg=0,3;no-messages=";
        QTest::newRow("sim unknown option") << "sim:colour=red" << "" << "" << "" << true << "!";
        QTest::newRow("sim option without value") << "sim:echo" << "" << "" << "" << true << "!";
    }
    void portArguments()
    {
        QFETCH(QString, argument);
        QFETCH(QString, mapped);
        QFETCH(QString, simOptions);
        QString error;
        const auto port = ParsePortArgument(argument, [&](int) { return mapped; }, &error);
        if (simOptions == QLatin1String("!")) {
            QVERIFY(!port);
            QVERIFY(!error.isEmpty());
            return;
        }
        QVERIFY2(port, qPrintable(error));
        QTEST(port->label, "label");
        QTEST(port->device, "device");
        QTEST(port->simulator, "simulator");
        QStringList options;
        for (const auto &o : port->simOptions)
            options.append(o.name + QLatin1Char('=') + o.value);
        QCOMPARE(options.join(QLatin1Char(';')), simOptions);
    }
};

QTEST_GUILESS_MAIN(ReplyEndTest)
#include "tst_reply_end.moc"
