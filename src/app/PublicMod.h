#pragma once
// The program's settings file: the routines start-up and shutdown use to keep the chosen port and
// speed (and the window placement) from one run to the next. Names and values are converted to
// and from the local 8-bit encoding; the file itself is handled by ProfileFile.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace quillon {

/// What ReadIniInt gives for a missing file or key; out of range for both the port and the
/// speed list on purpose, so that their defaults apply.
inline constexpr int kIniMissingInt = 50;

/// The size of the buffer WriteIniString reads the current value into: at most one byte less
/// of the value is seen, so a longer comment is cut when the value is rewritten.
inline constexpr int kIniValueBuffer = 300;

/// The settings file: the path given to SetIniFilePath, or else DefaultSettingsFile() (beside
/// the executable, named after it; per user when installed, see IniLocation.h). The default
/// needs a QCoreApplication.
QString IniFilePath();

/// Points every routine below at `path` (tests, tools); an empty path restores the default.
void SetIniFilePath(const QString &path);

/// The signed number at the start of the key's value (a ";" comment after it is ignored);
/// kIniMissingInt when the file, the key or its value is missing.
int ReadIniInt(const QString &section, const QString &key);

/// The key's whole value (blanks around it dropped, a trailing ";" comment included, one pair
/// of enclosing quotes removed); `defaultValue` when the file or the key is missing.
QString ReadIniString(const QString &section, const QString &key,
                      const QString &defaultValue = {});

/// A setting of the newer sections ([Log], [Records], ...): the value without a trailing
/// " ;" comment, blanks trimmed; empty when missing.
QString ReadIniSetting(const QString &section, const QString &key);

/// Stores `value` for the key, keeping a ";" comment of the current value (see
/// ValueKeepingComment). Failures are not reported: the file then keeps its previous content.
void WriteIniString(const QString &section, const QString &key, const QString &value);

/// The text WriteIniString stores when the key currently holds `current` (as read through a
/// kIniValueBuffer-byte buffer, trailing blanks dropped): `newValue` alone when `current` has no
/// ";"; otherwise `newValue`, n blanks and `current` from its first ";" on, where n keeps the ";"
/// in its column (p - length(newValue) - 1 for the ";" at 1-based byte position p) but is at
/// least 4.
QByteArray ValueKeepingComment(QByteArrayView current, QByteArrayView newValue);

} // namespace quillon
