// A port another process holds: the open fails with 8010 and the added text names that process
// (name and PID, from /proc). The holder is this test program started again with --hold, which
// opens the pseudo-terminal through QSerialPort (taking its lock, as another serial program
// would) and keeps it until its standard input closes.

#include "devices/DeviceTexts.h"
#include "serial/QtSerialComm.h"
#include "support/FixedDevices.h"
#include "support/PtyPair.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTest>

#include <cstdio>
#include <unistd.h>

using namespace quillon;

namespace {

int HoldPort(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QSerialPort port(QString::fromLocal8Bit(argv[2]));
    if (!port.open(QIODevice::ReadWrite))
        return 1;
    std::puts("held");
    std::fflush(stdout);
    char c = 0;
    while (::read(0, &c, 1) > 0) {
    }
    return 0;
}

} // namespace

class BusyPortHolderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void busyOpenNamesTheHoldingProcess()
    {
        test::PtyPair pty;
        if (!pty.Valid())
            QSKIP(qPrintable(pty.Error()));
        QProcess holder;
        holder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold"), pty.SlavePath()});
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readAllStandardOutput().trimmed(), QByteArray("held"));

        QtSerialComm comm([&pty](int) { return pty.SlavePath(); });
        int number = 0;
        try {
            comm.SetPortOpen(true);
        } catch (const CommError &error) {
            number = error.number();
        }
        QCOMPARE(number, CommErrorNumber::PortBusy);

        const test::FixedDevices none;
        const QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName().left(15);
        QCOMPARE(OpenFailureDetail(number, 1, pty.SlavePath(), none, QString()),
                 QStringLiteral("\r\n\r\n占用该端口的进程：%1（PID %2）。").arg(name).arg(holder.processId()));

        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
        QVERIFY(FindPortHolders(pty.SlavePath()).isEmpty());
    }

    void ownOpenPortIsNotReportedAsHeldByAnother()
    {
        test::PtyPair pty;
        if (!pty.Valid())
            QSKIP(qPrintable(pty.Error()));
        QtSerialComm comm([&pty](int) { return pty.SlavePath(); });
        comm.SetPortOpen(true);
        QVERIFY(FindPortHolders(pty.SlavePath()).isEmpty());
        QVERIFY(FindPortHolders(QStringLiteral("/dev/no-such-device")).isEmpty());
    }
};

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--hold") == 0)
        return HoldPort(argc, argv);
    QCoreApplication app(argc, argv);
    BusyPortHolderTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_busy_port_holder.moc"
