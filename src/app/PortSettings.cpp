#include "app/PortSettings.h"

#include "app/PublicMod.h"

namespace quillon {

PortTarget PortTargetFromSettings(int port)
{
    // A ";" starts a comment, as in the rest of the file; device paths never hold one.
    const QString value = ReadIniString(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(port));
    return PortTargetFromValue(port, value.section(QLatin1Char(';'), 0, 0).trimmed());
}

QString DescribePortTarget(int port)
{
    const PortTarget target = PortTargetFromSettings(port);
    return target.simulator ? QStringLiteral("模拟GSM模块 (simulator)") : target.device;
}

} // namespace quillon
