#include "Results.h"

#include <QFile>
#include <QTextStream>

#include <cstdio>

namespace quillon::bench {

bool Results::Save(const QString &path) const
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream out(&f);
    for (auto it = m_values.cbegin(); it != m_values.cend(); ++it)
        out << it.key() << ' ' << QString::number(it.value(), 'g', 10) << '\n';
    return true;
}

Results Results::Load(const QString &path)
{
    Results r;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return r;
    for (const QByteArray &line : f.readAll().split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        bool ok = false;
        const double value = parts.value(1).toDouble(&ok);
        if (parts.size() == 2 && ok)
            r.Set(QString::fromUtf8(parts[0]), value);
    }
    return r;
}

void PrintFigure(const QString &label, double value, const QString &unit, const QString &note)
{
    QString line = QStringLiteral("  %1 %2 %3").arg(label, -46).arg(value, 10, 'f', 2).arg(unit);
    if (!note.isEmpty())
        line += QStringLiteral("  ") + note;
    PrintLine(line);
}

void PrintHeading(const QString &text) { PrintLine(QStringLiteral("\n== ") + text + QStringLiteral(" ==")); }

void PrintLine(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace quillon::bench
