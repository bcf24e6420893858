#pragma once
// The serial devices the system reports, behind a small interface so that tests can offer any
// set of devices. SystemDevices asks QSerialPortInfo and adds the stable /dev/serial/by-id name.

#include <QList>
#include <QString>

#include <optional>

namespace quillon {

struct SerialDevice {
    QString path;         ///< the device node, e.g. /dev/ttyACM0
    QString byId;         ///< its /dev/serial/by-id link, empty when there is none
    QString description;  ///< what the driver or USB descriptor says; may be empty
    QString manufacturer;
    QString serialNumber;
    std::optional<quint16> vendorId;  ///< USB ids, when the device is on USB
    std::optional<quint16> productId;
};

class DeviceSource {
public:
    virtual ~DeviceSource() = default;
    /// The devices present now, sorted by path. Never throws; an unreadable system gives none.
    virtual QList<SerialDevice> Devices() const = 0;
};

class SystemDevices : public DeviceSource {
public:
    /// `byIdFolder`: where the stable links live (changed by tests only).
    explicit SystemDevices(QString byIdFolder = QStringLiteral("/dev/serial/by-id"));
    QList<SerialDevice> Devices() const override;

private:
    QString m_byIdFolder;
};

/// The device `path` names: its node, its by-id link, or anything that resolves to the same
/// node. nullopt when none of `devices` is meant.
std::optional<SerialDevice> FindDevice(const QList<SerialDevice> &devices, const QString &path);

/// "2c7c:0125", or empty without USB ids.
QString UsbIds(const SerialDevice &device);

} // namespace quillon
