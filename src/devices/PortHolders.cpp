#include "devices/PortHolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace quillon {

namespace {

QList<qint64> ProcessIds(const QString &procRoot)
{
    QList<qint64> pids;
    const QStringList entries = QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (ok && pid > 0)
            pids.append(pid);
    }
    std::sort(pids.begin(), pids.end());
    return pids;
}

QString ProcessName(const QString &procRoot, qint64 pid)
{
    QFile comm(QStringLiteral("%1/%2/comm").arg(procRoot).arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

} // namespace

QList<PortHolder> FindPortHolders(const QString &device, const QString &procRoot)
{
    QList<PortHolder> holders;
#ifdef Q_OS_LINUX
    const QString node = QFileInfo(device).canonicalFilePath();
    if (node.isEmpty())
        return holders;
    const qint64 self = QCoreApplication::applicationPid();
    for (const qint64 pid : ProcessIds(procRoot)) {
        if (pid == self)
            continue;
        // Unreadable for other users' processes: those stay unseen, as the header says.
        const QFileInfoList fds = QDir(QStringLiteral("%1/%2/fd").arg(procRoot).arg(pid))
                                      .entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        const bool holds = std::any_of(fds.begin(), fds.end(), [&node](const QFileInfo &fd) {
            return fd.symLinkTarget() == node;
        });
        if (holds)
            holders.append({pid, ProcessName(procRoot, pid)});
    }
#else
    Q_UNUSED(device);
    Q_UNUSED(procRoot);
#endif
    return holders;
}

QList<PortHolder> FindProcessesNamed(const QString &name, const QString &procRoot)
{
    QList<PortHolder> found;
#ifdef Q_OS_LINUX
    for (const qint64 pid : ProcessIds(procRoot)) {
        if (ProcessName(procRoot, pid) == name)
            found.append({pid, name});
    }
#else
    Q_UNUSED(name);
    Q_UNUSED(procRoot);
#endif
    return found;
}

} // namespace quillon
