#include "app/IniLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace quillon {

namespace {

QString BesideProgram(const QString &programPath)
{
    // completeBaseName: only the last extension goes, as with "name.exe" on Windows.
    const QFileInfo program(programPath);
    return program.absolutePath() + QLatin1Char('/') + program.completeBaseName() + QLatin1String(".ini");
}

QString ConfigHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

} // namespace

bool IsInstalledLocation(const QString &programDir, const QString &installBinDir)
{
    const QString dir = QDir::cleanPath(QFileInfo(programDir).absoluteFilePath());
    if (!installBinDir.isEmpty() && dir == QDir::cleanPath(installBinDir))
        return true;
    return !QFileInfo(dir).isWritable();
}

QString SettingsFileFor(const QString &programPath, const QString &installBinDir, const QString &configHome)
{
    const QFileInfo program(programPath);
    if (!IsInstalledLocation(program.absolutePath(), installBinDir))
        return BesideProgram(programPath);
    return configHome + QStringLiteral("/quillon/") + program.completeBaseName() + QLatin1String(".ini");
}

QString DefaultSettingsFile()
{
    return SettingsFileFor(QCoreApplication::applicationFilePath(), QStringLiteral(QUILLON_INSTALL_BINDIR),
                           ConfigHome());
}

void AdoptSettingsFile()
{
    const QString programPath = QCoreApplication::applicationFilePath();
    const QString file = DefaultSettingsFile();
    const QString beside = BesideProgram(programPath);
    if (file == beside)
        return;
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (!QFileInfo::exists(file) && QFileInfo::exists(beside))
        QFile::copy(beside, file);
}

} // namespace quillon
