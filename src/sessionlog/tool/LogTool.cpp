#include "LogTool.h"

#include "base/CommandLine.h"
#include "sessionlog/LogFormat.h"

#include <QFile>

namespace quillon {

int RunLogTool(const QStringList &arguments, FILE *out, FILE *err)
{
    const QCommandLineOption decode(QStringLiteral("decode"), QStringLiteral("The session log to read."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption direction(QStringLiteral("direction"),
                                       QStringLiteral("Only the bytes sent or only those received."),
                                       QStringLiteral("sent|received"));
    QCommandLineParser parser;
    const CommandLineOutcome outcome = ParseCommandLine(
        parser, {decode, direction}, QStringList{QStringLiteral("quillon-log")} + arguments,
        {QStringLiteral("quillon-log"),
         QStringLiteral("Writes the bytes a session log recorded to standard output, exactly as they crossed "
                        "the port, both directions in their order or one of them.")});
    if (outcome.finished) {
        std::fputs(qPrintable(outcome.out), out);
        std::fputs(qPrintable(outcome.err), err);
        return outcome.status;
    }
    const QString file = parser.value(decode);
    const QString which = parser.value(direction);
    if (file.isEmpty() || (!which.isEmpty() && which != QLatin1String("sent") && which != QLatin1String("received"))) {
        std::fputs("quillon-log: give --decode FILE, and --direction only as sent or received; see --help\n", err);
        return 2;
    }

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
        if (r.kind == '*' || (which == QLatin1String("sent") && r.kind != '>') ||
            (which == QLatin1String("received") && r.kind != '<'))
            continue;
        std::fwrite(r.bytes.constData(), 1, size_t(r.bytes.size()), out);
    }
    return std::fflush(out) == 0 ? 0 : 1;
}

} // namespace quillon
