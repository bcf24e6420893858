#pragma once
// Where the session logs go, from the [Log] section of the settings file.

#include <QString>

namespace quillon {

/// The log folder for a "Folder=" value (a ";" comment after it ignored): an absolute path as
/// given; a relative one below the settings file's folder; none: "logs" beside the settings
/// file when that folder exists and can be written, or can be created there; otherwise "logs"
/// in the per-user data folder (QStandardPaths::AppLocalDataLocation).
QString ResolveLogFolder(const QString &configured, const QString &settingsFile);

} // namespace quillon
