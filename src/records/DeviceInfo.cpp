#include "records/DeviceInfo.h"

#include <QFileInfo>
#include <QSerialPortInfo>

namespace quillon::records {

void FillDeviceInfo(RunRecord &record, const QString &devicePath)
{
    const QString wanted = QFileInfo(devicePath).canonicalFilePath();
    for (const QSerialPortInfo &port : QSerialPortInfo::availablePorts()) {
        const QString location = port.systemLocation();
        if (location != devicePath && (wanted.isEmpty() || QFileInfo(location).canonicalFilePath() != wanted))
            continue;
        if (port.hasVendorIdentifier())
            record.usbVendorId = port.vendorIdentifier();
        if (port.hasProductIdentifier())
            record.usbProductId = port.productIdentifier();
        if (!port.manufacturer().isEmpty())
            record.manufacturer = port.manufacturer();
        if (!port.serialNumber().isEmpty())
            record.serialNumber = port.serialNumber();
        return;
    }
}

} // namespace quillon::records
