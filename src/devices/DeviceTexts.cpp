#include "devices/DeviceTexts.h"

#include "serial/SerialComm.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace quillon {

namespace {

constexpr int kPortCount = 6;
const QString kCrLf = QStringLiteral("\r\n");

QString OrNone(const QString &value) { return value.isEmpty() ? QStringLiteral("（无）") : value; }

QString HolderList(const QList<PortHolder> &holders)
{
    QStringList parts;
    for (const PortHolder &h : holders)
        parts.append(QStringLiteral("%1（PID %2）").arg(h.name).arg(h.pid));
    return parts.join(QStringLiteral("、"));
}

bool IsModemManager(const PortHolder &h) { return h.name == ModemManagerName(); }

QString KeepModemManagerOff(const QString &device, const QList<SerialDevice> &devices)
{
    const std::optional<SerialDevice> found = FindDevice(devices, device);
    const QString ids = found ? UsbIds(*found) : QString();
    const QString entry = ids.isEmpty()
        ? QStringLiteral("设备的 USB 标识（vendor:product，可用 quillon --list-ports 查看）")
        : QStringLiteral("“%1”").arg(ids);
    return QStringLiteral("系统的调制解调器管理程序 ModemManager 会探测每个新接入的调制解调器。"
                          "要让它不再占用这个设备：把%1写入 %2（每行一个），然后运行 "
                          "sudo udevadm control --reload && sudo udevadm trigger，再重新插拔设备。")
        .arg(entry, ModemManagerIgnoreList());
}

} // namespace

QString MappingPath(const SerialDevice &device)
{
    return device.byId.isEmpty() ? device.path : device.byId;
}

QString DeviceLine(const SerialDevice &device)
{
    QStringList facts;
    if (!device.description.isEmpty())
        facts.append(device.description);
    if (!device.manufacturer.isEmpty())
        facts.append(device.manufacturer);
    if (!device.serialNumber.isEmpty())
        facts.append(QStringLiteral("序列号 %1").arg(device.serialNumber));
    if (!UsbIds(device).isEmpty())
        facts.append(QStringLiteral("USB %1").arg(UsbIds(device)));
    return facts.isEmpty() ? device.path
                           : QStringLiteral("%1（%2）").arg(device.path, facts.join(QStringLiteral("，")));
}

QString PortToolTip(const QString &entry, int port, const PortTarget &target,
                    const QList<SerialDevice> &devices)
{
    if (target.simulator)
        return QStringLiteral("模拟GSM模块 (simulator)");
    QStringList lines{QStringLiteral("%1 → %2").arg(entry, target.device)};
    if (const std::optional<SerialDevice> d = FindDevice(devices, target.device)) {
        lines << QStringLiteral("描述：%1").arg(OrNone(d->description))
              << QStringLiteral("厂商：%1").arg(OrNone(d->manufacturer))
              << QStringLiteral("序列号：%1").arg(OrNone(d->serialNumber))
              << QStringLiteral("USB：%1").arg(OrNone(UsbIds(*d)));
        if (!d->byId.isEmpty() && d->byId != target.device)
            lines << QStringLiteral("稳定名称：%1").arg(d->byId);
        return lines.join(QLatin1Char('\n'));
    }
    if (QFileInfo::exists(target.device)) {
        // A pseudo-terminal or a link the system does not list as a serial port.
        lines << QStringLiteral("系统没有报告该设备的详细信息");
        return lines.join(QLatin1Char('\n'));
    }
    lines << QStringLiteral("未找到设备");
    if (devices.isEmpty()) {
        lines << QStringLiteral("现有设备：无");
    } else {
        lines << QStringLiteral("现有设备：");
        for (const SerialDevice &d : devices)
            lines << QStringLiteral("  ") + DeviceLine(d);
        lines << QStringLiteral("在设置文件 [Ports] 节中映射，例如 COM%1=%2").arg(port).arg(MappingPath(devices.front()));
    }
    return lines.join(QLatin1Char('\n'));
}

QString AbsentDeviceDetail(int port, const QList<SerialDevice> &devices, const QString &settingsFile)
{
    if (devices.isEmpty())
        return kCrLf + kCrLf + QStringLiteral("未找到任何串口设备：请检查设备是否已连接、驱动是否已加载。");
    QString text = kCrLf + kCrLf + QStringLiteral("现有的串口设备：");
    for (const SerialDevice &d : devices)
        text += kCrLf + QStringLiteral("  ") + DeviceLine(d);
    text += kCrLf + QStringLiteral("要使用其中一个，在设置文件 %1 的 [Ports] 节中写入例如 COM%2=%3，下次打开端口时生效。")
                        .arg(settingsFile)
                        .arg(port)
                        .arg(MappingPath(devices.front()));
    return text;
}

QString BusyDeviceDetail(const QString &device, const QList<PortHolder> &holders,
                         const QList<PortHolder> &modemManagers, const QList<SerialDevice> &devices)
{
    QString text = kCrLf + kCrLf;
    bool modemManager = false;
    if (!holders.isEmpty()) {
        text += QStringLiteral("占用该端口的进程：%1。").arg(HolderList(holders));
        modemManager = std::any_of(holders.begin(), holders.end(), IsModemManager);
    } else if (!modemManagers.isEmpty()) {
        // Its open files are hidden from an ordinary user, but it is the usual holder.
        text += QStringLiteral("看不到占用该端口的进程；系统的调制解调器管理程序 %1正在运行，很可能是它。")
                    .arg(HolderList(modemManagers));
        modemManager = true;
    } else {
        text += QStringLiteral("无法查明占用该端口的进程（可用 sudo fuser -v %1 查看）。").arg(device);
    }
    if (modemManager)
        text += kCrLf + KeepModemManagerOff(device, devices);
    return text;
}

QString OpenFailureDetail(int number, int port, const QString &device, const DeviceSource &source,
                          const QString &settingsFile)
{
    switch (number) {
    case CommErrorNumber::PortAbsent:
        return AbsentDeviceDetail(port, source.Devices(), settingsFile);
    case CommErrorNumber::PortBusy:
        return BusyDeviceDetail(device, FindPortHolders(device), FindProcessesNamed(ModemManagerName()),
                                source.Devices());
    default:
        return QString();
    }
}

QString ListPortsReport(const QList<SerialDevice> &devices, const QString &settingsFile)
{
    QString out;
    if (devices.isEmpty()) {
        out += QStringLiteral("No serial devices found. Is the modem plugged in and its driver loaded?\n");
        return out;
    }
    out += QStringLiteral("Serial devices found: %1\n").arg(devices.size());
    for (const SerialDevice &d : devices) {
        out += QStringLiteral("\n%1\n").arg(d.path);
        const auto field = [&out](const char *label, const QString &value) {
            if (!value.isEmpty())
                out += QStringLiteral("  %1 %2\n").arg(QLatin1String(label), value);
        };
        field("by-id:       ", d.byId);
        field("description: ", d.description);
        field("manufacturer:", d.manufacturer);
        field("serial:      ", d.serialNumber);
        field("usb id:      ", UsbIds(d));
    }
    out += QStringLiteral("\nPaste into the [Ports] section of %1:\n[Ports]\n").arg(settingsFile);
    for (qsizetype i = 0; i < devices.size(); ++i) {
        // Only six entries fit the port list; the rest are offered commented out.
        const QString line = QStringLiteral("COM%1=%2\n").arg(qMin<qsizetype>(i + 1, kPortCount)).arg(MappingPath(devices[i]));
        out += i < kPortCount ? line : QStringLiteral(";") + line;
    }
    return out;
}

} // namespace quillon
