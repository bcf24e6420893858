#pragma once
// Portable INI ("profile") file routines with the behaviour of the Windows profile API that the
// settings code relies on. The file is byte text in the local 8-bit encoding: names and values
// are passed as bytes, and every byte the caller does not change is written back unchanged.
//
// Format as read:
// - Lines end in LF or CR LF; the last line may have no line end. A UTF-8 byte-order mark before
//   the first line is skipped.
// - A line whose first non-blank byte is "[" and that holds a "]" starts a section; its name is
//   the text between "[" and the first "]", blanks around it dropped.
// - A line whose first non-blank byte is ";" is a comment.
// - Any other line with a "=" is a key line: the name is the text before the first "=", the value
//   the text after it, blanks around both dropped. A ";" inside a value is part of the value.
// - Anything else (garbage, binary bytes, lines before the first section) is kept but never read.
// - Names compare without regard to ASCII letter case. With a name repeated, the first section
//   and, inside it, the first key line count.
// Blanks are space, tab, CR, vertical tab and form feed.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace quillon {

/// The value of `key` in `section` of the INI text `text`, with one pair of enclosing quotes
/// ("..." or '...') removed; nullopt when the section or the key is missing.
std::optional<QByteArray> ProfileFindValue(QByteArrayView text, QByteArrayView section,
                                           QByteArrayView key);

/// The number at the start of a value: optional blanks, an optional "+" or "-", then decimal
/// digits up to the first other byte. No digits gives 0; beyond the int range it saturates.
int ProfileValueToInt(QByteArrayView value);

/// True when `section`, `key` and `value` can be stored and read back as given: no CR, LF or NUL
/// in any of them, a non-empty key without "=" that does not start a comment or a section, and a
/// section name without "]".
bool ProfileEntryIsWritable(QByteArrayView section, QByteArrayView key, QByteArrayView value);

/// `text` with `key`=`value` set in `section`. An existing key line is replaced (the file's
/// spelling of the name kept, its line end kept); a missing key is added after the last non-blank
/// line of the section; a missing section is added at the end of the text. Every other byte is
/// unchanged. New lines use the text's line end (that of its first line), CR LF for a text with
/// none. nullopt when the entry is not writable (see ProfileEntryIsWritable).
std::optional<QByteArray> ProfileSetValue(QByteArrayView text, QByteArrayView section,
                                          QByteArrayView key, QByteArrayView value);

/// Like GetPrivateProfileInt: the number at the start of the key's value in the file `fileName`
/// (see ProfileValueToInt); `defaultValue` when the file cannot be read, or the key is missing or
/// has an empty value.
int ProfileReadInt(QByteArrayView section, QByteArrayView key, int defaultValue,
                   const QString &fileName);

/// Like GetPrivateProfileString with a buffer of `bufferSize` bytes: the key's value, or
/// `defaultValue` with its trailing blanks dropped when the file cannot be read or the key is
/// missing, cut to at most `bufferSize` - 1 bytes (empty when `bufferSize` < 1).
QByteArray ProfileReadString(QByteArrayView section, QByteArrayView key,
                             QByteArrayView defaultValue, int bufferSize,
                             const QString &fileName);

/// Like WritePrivateProfileString: sets the key in the file `fileName` (see ProfileSetValue),
/// creating the file if it does not exist. The new content goes to a temporary file in the same
/// directory, is flushed to disk and then renamed over the old file, so a failure or a crash at
/// any point leaves either the old or the new file, never a partial one. Returns false, leaving
/// the file untouched, when the entry is not writable, when an existing file cannot be read, or
/// when writing or renaming fails.
bool ProfileWriteString(QByteArrayView section, QByteArrayView key, QByteArrayView value,
                        const QString &fileName);

} // namespace quillon
