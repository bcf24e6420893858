#include "sessionlog/LogFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quillon {

QString ResolveLogFolder(const QString &configured, const QString &settingsFile)
{
    const QDir beside = QFileInfo(settingsFile).absoluteDir();
    const QString value = configured.section(QLatin1Char(';'), 0, 0).trimmed();
    if (!value.isEmpty())
        return QDir::cleanPath(beside.absoluteFilePath(value));
    const QFileInfo logs(beside.filePath(QStringLiteral("logs")));
    const bool writable = logs.exists() ? logs.isDir() && logs.isWritable()
                                        : QFileInfo(beside.absolutePath()).isWritable();
    if (writable)
        return logs.absoluteFilePath();
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
        .filePath(QStringLiteral("logs"));
}

} // namespace quillon
