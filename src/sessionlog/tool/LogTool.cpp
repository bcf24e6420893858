#include "LogTool.h"

#include "base/AppInfo.h"
#include "sessionlog/LogFormat.h"

#include <QFile>

namespace quillon {

namespace {

const char kUsage[] =
    "Usage: quillon-log --decode FILE [--direction sent|received]\n"
    "\n"
    "Writes the bytes a Quillon session log recorded, exactly as they crossed the port,\n"
    "to standard output: both directions in their order, or only those sent or received.\n"
    "\n"
    "  --decode FILE         the log to read\n"
    "  --direction WHICH     sent or received\n"
    "  --help                this text\n"
    "  --version             the program's version\n";

int Usage(FILE *err, const QString &problem)
{
    std::fprintf(err, "quillon-log: %s\n%s", qPrintable(problem), kUsage);
    return 2;
}

} // namespace

int RunLogTool(const QStringList &arguments, FILE *out, FILE *err)
{
    QString file, direction;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("--help")) {
            std::fputs(kUsage, out);
            return 0;
        }
        if (a == QLatin1String("--version")) {
            std::fprintf(out, "quillon-log %s\n", qPrintable(VersionDotted()));
            return 0;
        }
        if ((a == QLatin1String("--decode") || a == QLatin1String("--direction")) && i + 1 < arguments.size()) {
            (a == QLatin1String("--decode") ? file : direction) = arguments[++i];
            continue;
        }
        return Usage(err, QStringLiteral("unknown or incomplete option \"%1\"").arg(a));
    }
    if (file.isEmpty())
        return Usage(err, QStringLiteral("--decode FILE is required"));
    if (!direction.isEmpty() && direction != QLatin1String("sent") && direction != QLatin1String("received"))
        return Usage(err, QStringLiteral("--direction takes sent or received, not \"%1\"").arg(direction));

    QFile log(file);
    if (!log.open(QIODevice::ReadOnly)) {
        std::fprintf(err, "quillon-log: cannot read %s: %s\n", qPrintable(file), qPrintable(log.errorString()));
        return 1;
    }
    const DecodedLog decoded = DecodeLog(log.readAll());
    if (decoded.errorLine) {
        std::fprintf(err, "quillon-log: %s line %d is not a session log line\n", qPrintable(file),
                     decoded.errorLine);
        return 1;
    }
    for (const LogRecord &r : decoded.records) {
        if (r.kind == '*' || (direction == QLatin1String("sent") && r.kind != '>') ||
            (direction == QLatin1String("received") && r.kind != '<'))
            continue;
        std::fwrite(r.bytes.constData(), 1, size_t(r.bytes.size()), out);
    }
    return std::fflush(out) == 0 ? 0 : 1;
}

} // namespace quillon
