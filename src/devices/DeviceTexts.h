#pragma once
// What the program tells the user about devices: the port list's tool tip, the extra lines of
// the open-failure message for a missing (8002) or busy (8010) device, and the report of
// `quillon --list-ports`. Window texts are Chinese, message-box line ends CR LF; the
// command-line report is English, like the other command-line output.

#include "devices/DeviceList.h"
#include "devices/PortHolders.h"
#include "serial/PortMap.h"

namespace quillon {

/// The file listing the devices the shipped udev rule hides from the modem manager.
inline QString ModemManagerIgnoreList() { return QStringLiteral("/etc/quillon/modem-manager-ignore"); }

/// The path to write into [Ports] for `device`: its by-id link when it has one (stable across
/// re-plugging), else its node.
QString MappingPath(const SerialDevice &device);

/// One line about a device: "/dev/ttyACM0（EC25，Quectel，序列号 0123，USB 2c7c:0125）".
QString DeviceLine(const SerialDevice &device);

/// The port list's tool tip for `entry` ("COM 2", port number `port`) leading to `target`.
QString PortToolTip(const QString &entry, int port, const PortTarget &target,
                    const QList<SerialDevice> &devices);

/// Lines added to the 8002 text: the devices present and how to map one to `port`.
QString AbsentDeviceDetail(int port, const QList<SerialDevice> &devices, const QString &settingsFile);

/// Lines added to the 8010 text: who holds `device` (`holders`), or, when no holder could be
/// seen, the modem manager if it runs (`modemManagers`); for the modem manager, how to keep it
/// off this device.
QString BusyDeviceDetail(const QString &device, const QList<PortHolder> &holders,
                         const QList<PortHolder> &modemManagers, const QList<SerialDevice> &devices);

/// The extra lines for an open failure with error `number` on `device` (port `port`); empty for
/// other numbers. Looks at the system (device list, /proc) now.
QString OpenFailureDetail(int number, int port, const QString &device, const DeviceSource &source,
                          const QString &settingsFile);

/// `quillon --list-ports`: every device with its details, then [Ports] lines to paste.
QString ListPortsReport(const QList<SerialDevice> &devices, const QString &settingsFile);

} // namespace quillon
