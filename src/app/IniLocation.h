#pragma once
// Where the settings file lives. Run from a build folder (or any folder the user may write),
// the program keeps it beside the executable, named after it. Installed, the folder of the
// executable belongs to the system: the file is per user, in <config home>/quillon/, and a file
// found beside the executable is copied there on the first start.
//
// "Installed" means: the executable's folder is the install prefix's bin folder this build was
// configured for, or the user may not write into the executable's folder.

#include <QString>

namespace quillon {

/// Whether a program in `programDir` counts as installed (see above).
bool IsInstalledLocation(const QString &programDir, const QString &installBinDir);

/// The settings file of the program `programPath`: `programDir/<name>.ini`, or, installed,
/// `configHome/quillon/<name>.ini`.
QString SettingsFileFor(const QString &programPath, const QString &installBinDir, const QString &configHome);

/// The settings file of this program (needs a QCoreApplication).
QString DefaultSettingsFile();

/// Start-up of an installed program: makes the per-user folder, and copies the settings file
/// beside the executable there when the per-user file does not exist yet. Nothing for a program
/// run from a build folder. Failures leave the program with defaults, as a missing file does.
void AdoptSettingsFile();

} // namespace quillon
