#pragma once
// A device list the test sets: stands in for the system's serial devices.

#include "devices/DeviceList.h"

namespace quillon::test {

class FixedDevices : public DeviceSource {
public:
    QList<SerialDevice> Devices() const override { return list; }
    QList<SerialDevice> list;
};

/// A USB modem as the system would report it.
inline SerialDevice UsbModem(const QString &path, const QString &byId = {})
{
    SerialDevice d;
    d.path = path;
    d.byId = byId;
    d.description = QStringLiteral("EC25 LTE module");
    d.manufacturer = QStringLiteral("Quectel");
    d.serialNumber = QStringLiteral("0123456789");
    d.vendorId = 0x2c7c;
    d.productId = 0x0125;
    return d;
}

} // namespace quillon::test
