// quillon-sim on a pseudo-terminal, the real serial backend (QtSerialComm) on its slave side:
// a command at the module's speed is answered, one at another speed meets silence.
#include "serial/QtSerialComm.h"
#include "support/SimProcess.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace quillon;
using quillon::test::SimProcess;

namespace {

// Collects input until `until` is in it or `ms` have passed.
QByteArray ReadFor(SerialComm &port, int ms, const QByteArray &until = {})
{
    QByteArray got;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms && (until.isEmpty() || !got.contains(until))) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qSleep(5);
        got += port.Input();
    }
    return got;
}

} // namespace

class E2eSimOverPty : public QObject {
    Q_OBJECT
private slots:
    void exchange_data();
    void exchange();
    void reopenAndLink();
};

void E2eSimOverPty::exchange_data()
{
    QTest::addColumn<QString>("moduleBaud");
    QTest::addColumn<int>("portBaud");
    QTest::addColumn<QByteArray>("reply");
    const QByteArray answer = "AT+CSQ\r\n\r\n+CSQ: 20,0\r\n\r\nOK\r\n";
    QTest::newRow("9600 both") << QStringLiteral("9600") << 9600 << answer;
    QTest::newRow("115200 both") << QStringLiteral("115200") << 115200 << answer;
    QTest::newRow("module 9600, port 115200: silence") << QStringLiteral("9600") << 115200 << QByteArray();
    QTest::newRow("module 115200, port 19200: silence") << QStringLiteral("115200") << 19200 << QByteArray();
    QTest::newRow("automatic detection at 57600") << QStringLiteral("0") << 57600 << answer;
}

void E2eSimOverPty::exchange()
{
    QFETCH(QString, moduleBaud);
    QFETCH(int, portBaud);
    QFETCH(QByteArray, reply);
    SimProcess sim;
    QVERIFY(sim.Start(QStringLiteral(QUILLON_SIM_PROGRAM), {QStringLiteral("--baud"), moduleBaud}));

    const QString device = sim.Device();
    QtSerialComm port([device](int) { return device; });
    port.SetCommPort(1);
    port.SetSettings(QStringLiteral("%1,N,8,1").arg(portBaud));
    port.SetPortOpen(true);
    port.Output("AT+CSQ\r\n");
    // Silence needs a real wait; an answer ends the wait as soon as it is complete.
    const QByteArray got = ReadFor(port, reply.isEmpty() ? 600 : 5000, "OK\r\n");
    QCOMPARE(got, reply);
    port.SetPortOpen(false);

    QCOMPARE(sim.Stop(), 0);
    const QByteArray log = sim.Log();
    QVERIFY2(log.contains(QStringLiteral("%1 bps").arg(portBaud).toLatin1()), log.constData());
    QCOMPARE(log.contains("> AT+CSQ"), !reply.isEmpty());
}

void E2eSimOverPty::reopenAndLink()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("gsm0"));
    SimProcess sim;
    QVERIFY(sim.Start(QStringLiteral(QUILLON_SIM_PROGRAM), {QStringLiteral("--link"), link, QStringLiteral("--sim"), QStringLiteral("pin")}));
    QVERIFY(QFileInfo(link).isSymLink());

    QtSerialComm port([link](int) { return link; });
    port.SetCommPort(1);
    port.SetSettings(QStringLiteral("115200,N,8,1"));
    for (int round = 0; round < 2; ++round) {
        port.SetPortOpen(true);
        port.Output("AT+CPIN?\r\n");
        QCOMPARE(ReadFor(port, 5000, "OK\r\n"), QByteArray("AT+CPIN?\r\n\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n"));
        port.SetPortOpen(false);
    }
    QCOMPARE(sim.Stop(), 0);
    QVERIFY2(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink(), "the link outlives quillon-sim");
}

QTEST_GUILESS_MAIN(E2eSimOverPty)
#include "e2e_sim_over_pty.moc"
