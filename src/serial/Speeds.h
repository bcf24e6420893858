#pragma once
// The eighteen speeds of the speed list and the six port entries: the one table the window, the
// component and the operations share, with the list positions they start from.

#include <QString>

#include <array>

namespace quillon {

/// Speeds in bits per second, in list order ("50bps" first).
inline constexpr std::array<int, 18> kSpeeds = {50,    75,    110,   150,    300,    600,
                                                1200,  2400,  4800,  9600,   14400,  19200,
                                                28800, 38400, 57600, 115200, 128000, 256000};
inline constexpr int kSpeedCount = int(kSpeeds.size());
/// 1200bps: selected when the stored position is out of range.
inline constexpr int kDefaultSpeedIndex = 6;
/// 115200bps: where the module test's speed search starts and ends.
inline constexpr int kModuleTestSpeedIndex = 15;

/// "COM 1" … "COM 6".
inline constexpr int kPortCount = 6;

/// The list entry at `index` ("115200bps"); empty outside the list.
inline QString SpeedEntryText(int index)
{
    if (index < 0 || index >= kSpeedCount)
        return QString();
    return QString::number(kSpeeds[size_t(index)]) + QLatin1String("bps");
}

/// The port list entry of port number `port` ("COM 1" for 1).
inline QString PortEntryText(int port) { return QStringLiteral("COM %1").arg(port); }

} // namespace quillon
