#include "app/PortSettings.h"

#include "app/PublicMod.h"

namespace quillon {

PortTarget PortTargetFromSettings(int port)
{
    return PortTargetFromValue(
        port, ReadIniString(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(port)));
}

QString DescribePortTarget(int port)
{
    const PortTarget target = PortTargetFromSettings(port);
    return target.simulator ? QStringLiteral("模拟GSM模块 (simulator)") : target.device;
}

} // namespace quillon
