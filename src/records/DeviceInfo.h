#pragma once
// What the system reports about the serial device a run used.

#include "records/RunRecord.h"

namespace quillon::records {

/// Fills the record's USB vendor/product id, manufacturer and serial number from the system's
/// list of serial ports (QSerialPortInfo), matching `devicePath` by its path or the device it
/// links to (/dev/serial/by-id/...). Leaves them as they are when the device is not listed or
/// the system reports nothing (pseudo-terminals, the simulator).
void FillDeviceInfo(RunRecord &record, const QString &devicePath);

} // namespace quillon::records
