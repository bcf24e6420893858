#include "batch/PortArgument.h"

#include "serial/PortMap.h"
#include "serial/Speeds.h"

#include <QRegularExpression>

namespace quillon::batch {

std::optional<PortSpec> ParsePortArgument(const QString &argument,
                                          const std::function<QString(int entry)> &mappedValue,
                                          QString *error)
{
    PortSpec spec;
    spec.argument = argument;
    spec.label = argument;
    if (argument.trimmed().isEmpty()) {
        *error = QStringLiteral("an empty port argument");
        return std::nullopt;
    }
    if (argument == QLatin1String("sim") || argument.startsWith(QLatin1String("sim:"))) {
        spec.simulator = true;
        const auto options = sim::ParseStartOptionList(argument.mid(4), error);
        if (!options)
            return std::nullopt;
        spec.simOptions = *options;
        return spec;
    }
    static const QRegularExpression entryPattern(QStringLiteral("^COM([1-9][0-9]*)$"),
                                                 QRegularExpression::CaseInsensitiveOption);
    const auto match = entryPattern.match(argument);
    if (match.hasMatch() && match.captured(1).toInt() <= kPortCount) {
        spec.entry = match.captured(1).toInt();
        spec.label = QStringLiteral("COM%1").arg(spec.entry);
        // A ";" starts a comment, as the window reads the file; device paths never hold one.
        const PortTarget target =
            PortTargetFromValue(spec.entry, mappedValue(spec.entry).section(QLatin1Char(';'), 0, 0).trimmed());
        spec.simulator = target.simulator;
        spec.device = target.device;
        return spec;
    }
    spec.device = argument;
    return spec;
}

} // namespace quillon::batch
