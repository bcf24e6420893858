#pragma once
// Where each entry of the port list leads, from the settings file's "Ports" section
// (keys COM1..COM6). Read at every open, so an edit applies at the next open.

#include "serial/PortMap.h"

namespace quillon {

/// The target of port `port` (1..6): the mapped device, the simulator, or the platform default.
PortTarget PortTargetFromSettings(int port);

/// What the port list's tool tip says about port `port`.
QString DescribePortTarget(int port);

} // namespace quillon
