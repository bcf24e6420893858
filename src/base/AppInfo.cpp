#include "base/AppInfo.h"

namespace quillon {

int VersionMajor() { return QUILLON_VERSION_MAJOR; }
int VersionMinor() { return QUILLON_VERSION_MINOR; }
int VersionRevision() { return QUILLON_VERSION_PATCH; }

QString VersionDotted()
{
    return QStringLiteral("%1.%2.%3").arg(VersionMajor()).arg(VersionMinor()).arg(VersionRevision());
}

} // namespace quillon
