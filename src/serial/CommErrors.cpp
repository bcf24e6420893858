#include "serial/SerialComm.h"
#include "serial/Speeds.h"

#include <array>

namespace quillon {

QString StandardErrorText(int number)
{
    // A technician reads these in the open-failure box: each names the cause and the fix.
    switch (number) {
    case CommErrorNumber::InvalidSettings:
        return QStringLiteral("端口参数无效：该端口不支持所选的速度。请在速度列表中另选一个速度后重试。");
    case CommErrorNumber::PortAlreadyOpen:
        return QStringLiteral("端口已经打开：请先关闭端口再重新打开。");
    case CommErrorNumber::PortAbsent:
        return QStringLiteral("端口不存在：请检查设备是否已连接，以及设置文件 [Ports] 节中该端口的设备映射是否正确。");
    case CommErrorNumber::PortBusy:
        return QStringLiteral("端口正被占用：另一个程序正在使用该端口，请先关闭那个程序。");
    case CommErrorNumber::PermissionDenied:
        return QStringLiteral("没有访问该端口的权限：请为当前用户授予串口设备的读写权限（例如把用户加入 dialout 组后重新登录）。");
    case CommErrorNumber::PortNotOpen:
        return QStringLiteral("端口未打开：请先打开端口。");
    case CommErrorNumber::DeviceIoError:
        return QStringLiteral("串口设备读写出错：设备可能已被拔出或断电，请检查连接后重新打开端口。");
    case CommErrorNumber::OpenFailed:
        return QStringLiteral("端口无法打开：请检查设备和驱动程序，以及设置文件 [Ports] 节中该端口的设备映射。");
    default:
        return QStringLiteral("串口发生未知错误（错误号 %1）：请关闭端口，检查设备连接后重试。").arg(number);
    }
}

int ParseSettingsSpeed(const QString &settings)
{
    const int comma = settings.indexOf(QLatin1Char(','));
    if (comma <= 0)
        return 0;
    const QStringView speedText = QStringView(settings).left(comma);
    const QStringView rest = QStringView(settings).mid(comma);
    if (rest != u",N,8,1" && rest != u",n,8,1")
        return 0;
    // A leading zero would make the same speed readable in two ways; the list never writes one.
    if (speedText.front() == QLatin1Char('0') || speedText.size() > 6)
        return 0;
    int speed = 0;
    for (const QChar c : speedText) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
        speed = speed * 10 + (c.unicode() - '0');
    }
    // The component accepts exactly the speeds of the list.
    for (const int listed : kSpeeds) {
        if (listed == speed)
            return speed;
    }
    return 0;
}

} // namespace quillon
