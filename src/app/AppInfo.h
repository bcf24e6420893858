#pragma once
// The program's name, maker and version, shared by the main window, the message boxes and the
// About dialog. The version numbers come from the project version in CMake.

#include <QString>

namespace quillon {

inline constexpr int kVersionMajor = QUILLON_VERSION_MAJOR;
inline constexpr int kVersionMinor = QUILLON_VERSION_MINOR;
inline constexpr int kVersionRevision = QUILLON_VERSION_PATCH;

/// Caption of every message box and the About dialog's title line.
inline QString AppTitle() { return QStringLiteral("Quillon"); }

/// The vendor's web address shown by the link label (scheme and trailing slash included).
inline QString VendorUrl() { return QStringLiteral("http://www.korvel.example/"); }
/// The same address without its scheme.
inline QString VendorHost() { return QStringLiteral("www.korvel.example"); }

/// "1.1.0" style: major.minor.revision, plain decimals.
inline QString VersionDotted()
{
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

} // namespace quillon
