#pragma once
// Which processes hold a device open, found in /proc/<pid>/fd (Linux). Only processes whose file
// table we may read are seen: an ordinary user sees their own, root sees all.

#include <QList>
#include <QString>

namespace quillon {

struct PortHolder {
    qint64 pid = 0;
    QString name; ///< /proc/<pid>/comm: the program name, at most 15 characters
};

/// The processes other than this one with `device` open (compared by the node it resolves to),
/// by rising PID. Empty off Linux, for a missing device, or when nothing readable holds it.
QList<PortHolder> FindPortHolders(const QString &device, const QString &procRoot = QStringLiteral("/proc"));

/// Running processes named `name` (whole /proc/<pid>/comm), by rising PID. Everybody may read
/// a process's name, so this also finds a system daemon whose open files we cannot see.
QList<PortHolder> FindProcessesNamed(const QString &name, const QString &procRoot = QStringLiteral("/proc"));

/// The modem manager's process name.
inline QString ModemManagerName() { return QStringLiteral("ModemManager"); }

} // namespace quillon
