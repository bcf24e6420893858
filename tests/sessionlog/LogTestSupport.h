#pragma once
// What the session log tests share: events made by hand, time stamps masked, a log file read.

#include "sessionlog/LogFormat.h"
#include "support/Files.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

namespace quillon::testing {

/// An event of port 1 at `ms` on the monotonic clock; wall time 2024-05-20 08:30:00 + ms.
inline PortEvent MakeEvent(PortEventKind kind, qint64 ms, const QByteArray &bytes = {})
{
    PortEvent e;
    e.kind = kind;
    e.monotonicNs = ms * 1'000'000;
    e.wallTime = QDateTime(QDate(2024, 5, 20), QTime(8, 30)).addMSecs(ms);
    e.port = 1;
    e.bytes = bytes;
    if (kind == PortEventKind::Opened) {
        e.device = QStringLiteral("/dev/ttyUSB0");
        e.settings = QStringLiteral("115200,N,8,1");
    }
    e.state = true;
    return e;
}

/// The log's lines with every time stamp replaced by "T"; header lines left out.
inline QStringList MaskedLines(const QByteArray &log)
{
    static const QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} "));
    QStringList out;
    for (const QString &line : QString::fromUtf8(log).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1String("# ")) && !line.contains(stamp) && out.isEmpty())
            continue; // header, before the first record
        out << QString(line).replace(stamp, QStringLiteral("T "));
    }
    return out;
}

} // namespace quillon::testing
