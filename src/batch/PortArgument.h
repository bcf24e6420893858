#pragma once
// What a PORT argument of quillon-batch names: a device path, a port entry COM1..COM6 resolved
// through the settings file's [Ports] section (as the window resolves it, "simulator"
// included), or "sim" / "sim:OPTION=VALUE,..." for an in-process simulated module started as
// quillon-sim would be with those options.

#include "sim/StartOptions.h"

#include <QString>

#include <functional>
#include <optional>

namespace quillon::batch {

struct PortSpec {
    QString argument;  ///< as given
    QString label;     ///< what the table and the record show: "COM3", the path, "sim"
    QString device;    ///< the device path; empty for a simulated module
    bool simulator = false;
    QList<sim::StartOption> simOptions;
    int entry = 0;     ///< 1..6 for a port entry, else 0
};

/// `mappedValue(n)`: the [Ports] COMn value of the settings file (empty when missing). On
/// Windows "COMn" beyond the six entries is a device name. nullopt and *error for a malformed
/// sim option list or an empty argument.
std::optional<PortSpec> ParsePortArgument(const QString &argument,
                                          const std::function<QString(int entry)> &mappedValue,
                                          QString *error);

} // namespace quillon::batch
