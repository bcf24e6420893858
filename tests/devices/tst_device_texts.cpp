// What the user reads about devices: the port list's tool tip, the lines added to the 8002 and
// 8010 open-failure texts, and `quillon --list-ports`, for a fixed device list.

#include "devices/DeviceTexts.h"
#include "support/FixedDevices.h"

#include <QTest>

using namespace quillon;
using quillon::test::UsbModem;

Q_DECLARE_METATYPE(quillon::PortTarget)
Q_DECLARE_METATYPE(quillon::SerialDevice)
Q_DECLARE_METATYPE(quillon::PortHolder)

namespace {

const QString kById = QStringLiteral("/dev/serial/by-id/usb-Quectel_EC25-if02-port0");
const QString kModemLine = QStringLiteral("/dev/ttyACM0（EC25 LTE module，Quectel，序列号 0123456789，USB 2c7c:0125）");

SerialDevice BareSerial(const QString &path)
{
    SerialDevice d;
    d.path = path;
    return d;
}

} // namespace

class DeviceTextsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void toolTip_data()
    {
        QTest::addColumn<QList<SerialDevice>>("devices");
        QTest::addColumn<PortTarget>("target");
        QTest::addColumn<QString>("expected");
        const QList<SerialDevice> modem{UsbModem(QStringLiteral("/dev/ttyACM0"), kById)};
        const QString details = QStringLiteral("描述：EC25 LTE module\n厂商：Quectel\n序列号：0123456789\nUSB：2c7c:0125");
        QTest::newRow("mapped node present: what the system reports, and its stable name")
            << modem << PortTarget{QStringLiteral("/dev/ttyACM0"), false}
            << QStringLiteral("COM 2 → /dev/ttyACM0\n") + details + QStringLiteral("\n稳定名称：") + kById;
        QTest::newRow("mapped by its by-id name")
            << modem << PortTarget{kById, false}
            << QStringLiteral("COM 2 → ") + kById + QLatin1Char('\n') + details;
        QTest::newRow("device without USB facts")
            << QList<SerialDevice>{BareSerial(QStringLiteral("/dev/ttyS0"))} << PortTarget{QStringLiteral("/dev/ttyS0"), false}
            << QStringLiteral("COM 2 → /dev/ttyS0\n描述：（无）\n厂商：（无）\n序列号：（无）\nUSB：（无）");
        QTest::newRow("default node absent, a modem elsewhere: listed with the line to map it")
            << modem << PortTarget{QStringLiteral("/dev/ttyUSB1"), false}
            << QStringLiteral("COM 2 → /dev/ttyUSB1\n未找到设备\n现有设备：\n  ") + kModemLine
                   + QStringLiteral("\n在设置文件 [Ports] 节中映射，例如 COM2=") + kById;
        QTest::newRow("nothing present")
            << QList<SerialDevice>{} << PortTarget{QStringLiteral("/dev/ttyUSB1"), false}
            << QStringLiteral("COM 2 → /dev/ttyUSB1\n未找到设备\n现有设备：无");
        QTest::newRow("simulator") << modem << PortTarget{QString(), true} << QStringLiteral("模拟GSM模块 (simulator)");
    }
    void toolTip()
    {
        QFETCH(QList<SerialDevice>, devices);
        QFETCH(PortTarget, target);
        QFETCH(QString, expected);
        QCOMPARE(PortToolTip(QStringLiteral("COM 2"), 2, target, devices), expected);
    }

    void absentDetail_data()
    {
        QTest::addColumn<QList<SerialDevice>>("devices");
        QTest::addColumn<QString>("expected");
        QTest::newRow("devices present: listed, and how to map one")
            << QList<SerialDevice>{UsbModem(QStringLiteral("/dev/ttyACM0")), BareSerial(QStringLiteral("/dev/ttyS0"))}
            << QStringLiteral("\r\n\r\n现有的串口设备：\r\n  ") + kModemLine
                   + QStringLiteral("\r\n  /dev/ttyS0\r\n要使用其中一个，在设置文件 /home/u/.config/quillon/quillon.ini 的 [Ports] 节中写入例如 COM3=/dev/ttyACM0，下次打开端口时生效。");
        QTest::newRow("none present")
            << QList<SerialDevice>{}
            << QStringLiteral("\r\n\r\n未找到任何串口设备：请检查设备是否已连接、驱动是否已加载。");
    }
    void absentDetail()
    {
        QFETCH(QList<SerialDevice>, devices);
        QFETCH(QString, expected);
        QCOMPARE(AbsentDeviceDetail(3, devices, QStringLiteral("/home/u/.config/quillon/quillon.ini")), expected);
    }

    void busyDetail_data()
    {
        QTest::addColumn<QList<PortHolder>>("holders");
        QTest::addColumn<QList<PortHolder>>("modemManagers");
        QTest::addColumn<QString>("expected");
        const QString keepOff = QStringLiteral(
            "\r\n系统的调制解调器管理程序 ModemManager 会探测每个新接入的调制解调器。要让它不再占用这个设备：把“2c7c:0125”写入 "
            "/etc/quillon/modem-manager-ignore（每行一个），然后运行 sudo udevadm control --reload && sudo udevadm trigger，再重新插拔设备。");
        const PortHolder mm{812, QStringLiteral("ModemManager")};
        QTest::newRow("another program: named with its PID")
            << QList<PortHolder>{{4711, QStringLiteral("minicom")}} << QList<PortHolder>{mm}
            << QStringLiteral("\r\n\r\n占用该端口的进程：minicom（PID 4711）。");
        QTest::newRow("the modem manager: named, and how to keep it off")
            << QList<PortHolder>{mm} << QList<PortHolder>{mm}
            << QStringLiteral("\r\n\r\n占用该端口的进程：ModemManager（PID 812）。") + keepOff;
        QTest::newRow("holder hidden, modem manager running: suspected")
            << QList<PortHolder>{} << QList<PortHolder>{mm}
            << QStringLiteral("\r\n\r\n看不到占用该端口的进程；系统的调制解调器管理程序 ModemManager（PID 812）正在运行，很可能是它。") + keepOff;
        QTest::newRow("nobody to name")
            << QList<PortHolder>{} << QList<PortHolder>{}
            << QStringLiteral("\r\n\r\n无法查明占用该端口的进程（可用 sudo fuser -v /dev/ttyACM0 查看）。");
    }
    void busyDetail()
    {
        QFETCH(QList<PortHolder>, holders);
        QFETCH(QList<PortHolder>, modemManagers);
        QFETCH(QString, expected);
        const QList<SerialDevice> devices{UsbModem(QStringLiteral("/dev/ttyACM0"))};
        QCOMPARE(BusyDeviceDetail(QStringLiteral("/dev/ttyACM0"), holders, modemManagers, devices), expected);
    }

    void listPorts_data()
    {
        QTest::addColumn<QList<SerialDevice>>("devices");
        QTest::addColumn<QString>("expected");
        QTest::newRow("modem with a stable name and a bare port")
            << QList<SerialDevice>{UsbModem(QStringLiteral("/dev/ttyACM0"), kById), BareSerial(QStringLiteral("/dev/ttyS0"))}
            << QStringLiteral("Serial devices found: 2\n\n/dev/ttyACM0\n"
                              "  by-id:        /dev/serial/by-id/usb-Quectel_EC25-if02-port0\n"
                              "  description:  EC25 LTE module\n"
                              "  manufacturer: Quectel\n"
                              "  serial:       0123456789\n"
                              "  usb id:       2c7c:0125\n"
                              "\n/dev/ttyS0\n"
                              "\nPaste into the [Ports] section of /x/quillon.ini:\n[Ports]\n"
                              "COM1=/dev/serial/by-id/usb-Quectel_EC25-if02-port0\nCOM2=/dev/ttyS0\n");
        QTest::newRow("none") << QList<SerialDevice>{}
                              << QStringLiteral("No serial devices found. Is the modem plugged in and its driver loaded?\n");
    }
    void listPorts()
    {
        QFETCH(QList<SerialDevice>, devices);
        QFETCH(QString, expected);
        QCOMPARE(ListPortsReport(devices, QStringLiteral("/x/quillon.ini")), expected);
    }

    void listPortsOffersOnlySixEntries()
    {
        QList<SerialDevice> devices;
        for (int i = 0; i < 7; ++i)
            devices.append(BareSerial(QStringLiteral("/dev/ttyUSB%1").arg(i)));
        const QString report = ListPortsReport(devices, QStringLiteral("/x/quillon.ini"));
        QVERIFY(report.endsWith(QStringLiteral("COM6=/dev/ttyUSB5\n;COM6=/dev/ttyUSB6\n")));
    }
};

QTEST_GUILESS_MAIN(DeviceTextsTest)
#include "tst_device_texts.moc"
