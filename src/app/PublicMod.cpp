#include "app/PublicMod.h"

#include "app/IniLocation.h"
#include "app/ProfileFile.h"


#include <algorithm>
#include <climits>

namespace quillon {
namespace {

constexpr qsizetype kMinCommentGap = 4;

QString &IniFilePathOverride()
{
    static QString path;
    return path;
}

} // namespace

QString IniFilePath()
{
    if (!IniFilePathOverride().isEmpty())
        return IniFilePathOverride();
    return DefaultSettingsFile();
}

void SetIniFilePath(const QString &path)
{
    IniFilePathOverride() = path;
}

int ReadIniInt(const QString &section, const QString &key)
{
    return ProfileReadInt(section.toLocal8Bit(), key.toLocal8Bit(), kIniMissingInt,
                          IniFilePath());
}

QString ReadIniString(const QString &section, const QString &key, const QString &defaultValue)
{
    const QByteArray missing = defaultValue.toLocal8Bit();
    const QByteArray value = ProfileReadString(section.toLocal8Bit(), key.toLocal8Bit(), missing,
                                               INT_MAX, IniFilePath());
    return QString::fromLocal8Bit(value);
}

QString ReadIniSetting(const QString &section, const QString &key)
{
    QString value = ReadIniString(section, key);
    const qsizetype comment = value.indexOf(QLatin1String(" ;"));
    if (comment >= 0)
        value.truncate(comment);
    return value.trimmed();
}

QByteArray ValueKeepingComment(QByteArrayView current, QByteArrayView newValue)
{
    const qsizetype semicolon = current.indexOf(';');
    if (semicolon < 0)
        return newValue.toByteArray();
    // With the ";" at 1-based position p = semicolon + 1, p - length - 1 blanks keep its column.
    const qsizetype gap = std::max(kMinCommentGap, semicolon - newValue.size());
    QByteArray text = newValue.toByteArray();
    text.append(gap, ' ');
    text.append(current.sliced(semicolon));
    return text;
}

void WriteIniString(const QString &section, const QString &key, const QString &value)
{
    const QByteArray s = section.toLocal8Bit();
    const QByteArray k = key.toLocal8Bit();
    const QString file = IniFilePath();
    QByteArray current = ProfileReadString(s, k, "", kIniValueBuffer, file);
    while (current.endsWith(' '))
        current.chop(1);
    ProfileWriteString(s, k, ValueKeepingComment(current, value.toLocal8Bit()), file);
}

} // namespace quillon
