#include "devices/DeviceList.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

#include <algorithm>

namespace quillon {

SystemDevices::SystemDevices(QString byIdFolder) : m_byIdFolder(std::move(byIdFolder)) {}

QList<SerialDevice> SystemDevices::Devices() const
{
    // udev keeps one link per device there, named after maker, model and serial number: the
    // name survives re-plugging and a changed enumeration order, the node name does not.
    QHash<QString, QString> byIdOfNode;
    const QFileInfoList links = QDir(m_byIdFolder).entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &link : links) {
        const QString node = link.canonicalFilePath();
        if (!node.isEmpty() && !byIdOfNode.contains(node))
            byIdOfNode.insert(node, link.absoluteFilePath());
    }

    QList<SerialDevice> devices;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        SerialDevice d;
        d.path = info.systemLocation();
        d.byId = byIdOfNode.value(QFileInfo(d.path).canonicalFilePath());
        d.description = info.description();
        d.manufacturer = info.manufacturer();
        d.serialNumber = info.serialNumber();
        if (info.hasVendorIdentifier())
            d.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier())
            d.productId = info.productIdentifier();
        devices.append(d);
    }
    std::sort(devices.begin(), devices.end(),
              [](const SerialDevice &a, const SerialDevice &b) { return a.path < b.path; });
    return devices;
}

std::optional<SerialDevice> FindDevice(const QList<SerialDevice> &devices, const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    for (const SerialDevice &d : devices) {
        if (d.path == path || (!d.byId.isEmpty() && d.byId == path))
            return d;
    }
    const QString node = QFileInfo(path).canonicalFilePath();
    if (node.isEmpty())
        return std::nullopt;
    for (const SerialDevice &d : devices) {
        if (QFileInfo(d.path).canonicalFilePath() == node)
            return d;
    }
    return std::nullopt;
}

QString UsbIds(const SerialDevice &device)
{
    if (!device.vendorId || !device.productId)
        return QString();
    return QStringLiteral("%1:%2")
        .arg(*device.vendorId, 4, 16, QLatin1Char('0'))
        .arg(*device.productId, 4, 16, QLatin1Char('0'));
}

} // namespace quillon
