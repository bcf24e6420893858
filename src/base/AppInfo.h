#pragma once
// The program's name, maker and version, shared by every program of the project (the window,
// the About dialog, the command-line tools). The version comes from the project version in CMake.

#include <QString>

namespace quillon {

int VersionMajor();
int VersionMinor();
int VersionRevision();

/// Caption of every message box and the About dialog's title line.
inline QString AppTitle() { return QStringLiteral("Quillon"); }

/// The vendor's web address shown by the link label (scheme and trailing slash included).
inline QString VendorUrl() { return QStringLiteral("http://www.korvel.example/"); }
/// The same address without its scheme.
inline QString VendorHost() { return QStringLiteral("www.korvel.example"); }

/// "1.1.0" style: major.minor.revision, plain decimals.
QString VersionDotted();

} // namespace quillon
