// The QSerialPort backend on a pseudo-terminal: open failures, speeds, byte transparency,
// a device without modem lines, and a device that disappears while open.
#include "support/PtyPair.h"
#include "serial/QtSerialComm.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <unistd.h>

using namespace quillon;
using namespace quillon::test;

namespace {

int OpenErrorNumber(SerialComm &port)
{
    try {
        port.SetPortOpen(true);
    } catch (const CommError &e) {
        return e.number();
    }
    return 0;
}

QByteArray AllByteValues(int repeat)
{
    QByteArray bytes;
    for (int r = 0; r < repeat; ++r) {
        for (int v = 0; v < 256; ++v)
            bytes.append(char(v));
    }
    return bytes;
}

} // namespace

class QtPortOnPtyTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void openFailures_data();
    void openFailures();
    void secondOpenOfSameDeviceIsBusy();
    void deviceIsAskedAtEveryOpen();
    void everyListSpeedReachesDevice_data();
    void everyListSpeedReachesDevice();
    void bytesToDeviceArriveUnchanged_data();
    void bytesToDeviceArriveUnchanged();
    void bytesFromDeviceArriveUnchanged_data();
    void bytesFromDeviceArriveUnchanged();
    void waitingBytesSeenWithoutEventLoop();
    void missingModemLinesReadFalseQuietly();
    void deviceLossIsReportedOnce_data();
    void deviceLossIsReportedOnce();

private:
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<QtSerialComm> m_port;
};

void QtPortOnPtyTest::init()
{
    m_pty = std::make_unique<PtyPair>();
    if (!m_pty->Valid())
        QSKIP(qPrintable(QStringLiteral("no pseudo-terminal: ") + m_pty->Error()));
    const QString slave = m_pty->SlavePath();
    m_port = std::make_unique<QtSerialComm>([slave](int) { return slave; });
}

void QtPortOnPtyTest::cleanup()
{
    m_port.reset();
    m_pty.reset();
}

void QtPortOnPtyTest::openFailures_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("number");
    QTest::newRow("no such device") << "/dev/ttyQuillonMissing7" << CommErrorNumber::PortAbsent;
    QTest::newRow("no such directory") << "/nonexistent/ttyUSB0" << CommErrorNumber::PortAbsent;
    QTest::newRow("not a serial device") << "/dev/null" << CommErrorNumber::OpenFailed;
}

void QtPortOnPtyTest::openFailures()
{
    QFETCH(QString, device);
    QFETCH(int, number);
    QtSerialComm port([device](int) { return device; });
    QCOMPARE(OpenErrorNumber(port), number);
    QVERIFY(!port.PortOpen());
    QCOMPARE(port.DeviceName(), device);
    QCOMPARE(port.DSRHolding(), false);
}

void QtPortOnPtyTest::secondOpenOfSameDeviceIsBusy()
{
    m_port->SetPortOpen(true);
    const QString slave = m_pty->SlavePath();
    QtSerialComm other([slave](int) { return slave; });
    QCOMPARE(OpenErrorNumber(other), CommErrorNumber::PortBusy);
    m_port->SetPortOpen(false);
    other.SetPortOpen(true);
    QVERIFY(other.PortOpen());
}

void QtPortOnPtyTest::deviceIsAskedAtEveryOpen()
{
    QList<int> asked;
    QString device = QStringLiteral("/dev/ttyQuillonMissing7");
    QtSerialComm port([&](int n) {
        asked.append(n);
        return device;
    });
    port.SetCommPort(3);
    QCOMPARE(OpenErrorNumber(port), CommErrorNumber::PortAbsent);
    device = m_pty->SlavePath();
    port.SetCommPort(4);
    port.SetPortOpen(true);
    QCOMPARE(asked, QList<int>({3, 4}));
    QCOMPARE(port.DeviceName(), m_pty->SlavePath());
}

void QtPortOnPtyTest::everyListSpeedReachesDevice_data()
{
    QTest::addColumn<int>("speed");
    const int list[] = {50,    75,    110,   150,   300,    600,    1200,   2400,  4800,
                        9600,  14400, 19200, 28800, 38400, 57600, 115200, 128000, 256000};
    for (const int speed : list)
        QTest::addRow("%d", speed) << speed;
}

void QtPortOnPtyTest::everyListSpeedReachesDevice()
{
    QFETCH(int, speed);
    const QString settings = QStringLiteral("%1,N,8,1").arg(speed);
    // Held while closed and applied at open...
    m_port->SetSettings(settings);
    m_port->SetPortOpen(true);
    QCOMPARE(m_pty->SlaveSpeed(), speed);
    // ...and applied at once while open.
    m_port->SetSettings(QStringLiteral("9600,N,8,1"));
    QCOMPARE(m_pty->SlaveSpeed(), 9600);
    m_port->SetSettings(settings);
    QCOMPARE(m_pty->SlaveSpeed(), speed);
    QCOMPARE(m_port->Settings(), settings);
}

void QtPortOnPtyTest::bytesToDeviceArriveUnchanged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("every byte value") << AllByteValues(1);
    QTest::newRow("16 KB of every byte value") << AllByteValues(64);
    QTest::newRow("line ends and controls kept") << QByteArray("AT\r\n\n\r\x1a\x1b\x00\x11\x13", 11);
}

void QtPortOnPtyTest::bytesToDeviceArriveUnchanged()
{
    QFETCH(QByteArray, bytes);
    m_port->SetSettings(QStringLiteral("115200,N,8,1"));
    m_port->SetPortOpen(true);
    // Sent in the window's chunk size.
    for (qsizetype at = 0; at < bytes.size(); at += SerialComm::kOutBufferSize)
        m_port->Output(bytes.mid(at, SerialComm::kOutBufferSize));

    QByteArray received;
    for (int i = 0; i < 2000 && received.size() < bytes.size(); ++i) {
        m_port->OutBufferCount();
        QTest::qWait(1);
        received += m_pty->ReadAvailable();
    }
    QCOMPARE(received.size(), bytes.size());
    QCOMPARE(received, bytes);
    QTRY_COMPARE(m_port->OutBufferCount(), 0);
}

void QtPortOnPtyTest::bytesFromDeviceArriveUnchanged_data() { bytesToDeviceArriveUnchanged_data(); }

void QtPortOnPtyTest::bytesFromDeviceArriveUnchanged()
{
    QFETCH(QByteArray, bytes);
    m_port->SetPortOpen(true);
    QByteArray received;
    for (qsizetype at = 0; at < bytes.size(); at += 1000) {
        m_pty->Write(bytes.mid(at, 1000));
        // The window polls Input every 5 ms with the event loop running in between.
        QTest::qWait(1);
        received += m_port->Input();
    }
    for (int i = 0; i < 2000 && received.size() < bytes.size(); ++i) {
        QTest::qWait(1);
        received += m_port->Input();
    }
    QCOMPARE(received.size(), bytes.size());
    QCOMPARE(received, bytes);
    QCOMPARE(m_port->InBufferCount(), 0);
}

void QtPortOnPtyTest::waitingBytesSeenWithoutEventLoop()
{
    m_port->SetPortOpen(true);
    m_pty->Write("+CMTI: \"SM\",1\r\n");
    // No event loop runs here, so only the port's own fetching can find the bytes.
    int count = 0;
    for (int i = 0; i < 500 && count < 15; ++i) {
        QThread::msleep(2);
        count = m_port->InBufferCount();
    }
    QCOMPARE(count, 15);
    QCOMPARE(m_port->InBufferCount(), 15);
    m_pty->Write("OK");
    for (int i = 0; i < 500 && count < 17; ++i) {
        QThread::msleep(2);
        count = m_port->InBufferCount();
    }
    QCOMPARE(m_port->Input(), QByteArray("+CMTI: \"SM\",1\r\nOK"));
}

void QtPortOnPtyTest::missingModemLinesReadFalseQuietly()
{
    m_port->SetDTREnable(true);
    m_port->SetRTSEnable(true);
    m_port->SetPortOpen(true);
    QSignalSpy events(m_port.get(), &SerialComm::OnComm);
    for (int tick = 0; tick < 200; ++tick) {
        QCOMPARE(m_port->DSRHolding(), false);
        QCOMPARE(m_port->CTSHolding(), false);
        QCOMPARE(m_port->CDHolding(), false);
    }
    // Setting the output lines on a device without them is no error either.
    m_port->SetDTREnable(false);
    m_port->SetRTSEnable(false);
    QCOMPARE(m_port->DTREnable(), false);
    QTest::qWait(10);
    QCOMPARE(events.count(), 0);
    QVERIFY(m_port->PortOpen());
    m_port->Output("AT\r");

    QByteArray got;
    for (int i = 0; i < 400 && got.size() < 3; ++i) {
        QTest::qWait(5);
        got += m_pty->ReadAvailable();
    }
    QCOMPARE(got, QByteArray("AT\r"));
}

void QtPortOnPtyTest::deviceLossIsReportedOnce_data()
{
    QTest::addColumn<QString>("noticedBy");
    QTest::newRow("event loop") << "events";
    QTest::newRow("Input poll") << "Input";
    QTest::newRow("InBufferCount poll") << "InBufferCount";
    QTest::newRow("Output then OutBufferCount") << "Output";
    QTest::newRow("line reads and Input") << "lines";
}

void QtPortOnPtyTest::deviceLossIsReportedOnce()
{
    QFETCH(QString, noticedBy);
    m_port->SetPortOpen(true);
    m_pty->Write("last words");
    QTRY_COMPARE(m_port->InBufferCount(), 10);
    QSignalSpy events(m_port.get(), &SerialComm::OnComm);

    m_pty->CloseMaster();

    if (noticedBy == QLatin1String("events")) {
        QVERIFY(events.wait(2000));
    } else {
        // No event loop between the calls: the port must notice by itself.
        for (int i = 0; i < 100 && m_port->PortOpen(); ++i) {
            try {
                if (noticedBy == QLatin1String("Input")) {
                    m_port->Input();
                } else if (noticedBy == QLatin1String("InBufferCount")) {
                    m_port->InBufferCount();
                } else if (noticedBy == QLatin1String("Output")) {
                    m_port->Output("AT\r\n");
                    m_port->OutBufferCount();
                } else {
                    m_port->CTSHolding();
                    m_port->Input();
                }
            } catch (const CommError &) {
                // An error raised on the way is fine; what counts is the port ending closed.
            }
            QThread::msleep(1);
        }
        QVERIFY(!m_port->PortOpen());
        QCOMPARE(m_port->CommEvent(), CommEventCode::DeviceLost);
        QCOMPARE(events.count(), 0); // delivered from the event loop, not from inside a call
        QVERIFY(events.wait(2000));
    }
    QTest::qWait(20);
    QCOMPARE(events.count(), 1);
    QVERIFY(!m_port->PortOpen());
    QCOMPARE(m_port->CommEvent(), CommEventCode::DeviceLost);
    QVERIFY_THROWS_EXCEPTION(CommError, m_port->Output("x"));
    m_port->SetPortOpen(false); // the window's close steps
    QVERIFY(!m_port->PortOpen());
}

QTEST_GUILESS_MAIN(QtPortOnPtyTest)
#include "qt_port_on_pty.moc"
