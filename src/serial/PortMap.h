#pragma once
// Where port number n of the window's list leads: a device path or the built-in simulated module.
// The settings file's [Ports] section may map a port; this is the one place that reads such a
// value.

#include <QString>

namespace quillon {

/// "COM<n>" on Windows, "/dev/ttyUSB<n-1>" on Linux and other Unix systems.
QString DefaultDeviceName(int port);

struct PortTarget {
    QString device;         ///< device path; empty when `simulator` is set
    bool simulator = false; ///< the port leads to the simulated module
};

/// `mappedValue` is the port's entry in [Ports], empty when absent. Empty or blank leads to the
/// default device; "simulator" (any case, blanks around ignored) to the simulated module; any
/// other value, trimmed, is the device path.
PortTarget PortTargetFromValue(int port, const QString &mappedValue);

} // namespace quillon
