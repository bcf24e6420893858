#include "serial/PortMap.h"

namespace quillon {

QString DefaultDeviceName(int port)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    return QStringLiteral("/dev/ttyUSB%1").arg(port - 1);
#endif
}

PortTarget PortTargetFromValue(int port, const QString &mappedValue)
{
    const QString value = mappedValue.trimmed();
    if (value.isEmpty())
        return {DefaultDeviceName(port), false};
    if (value.compare(QLatin1String("simulator"), Qt::CaseInsensitive) == 0)
        return {QString(), true};
    return {value, false};
}

} // namespace quillon
