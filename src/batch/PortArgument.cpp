#include "batch/PortArgument.h"

#include "serial/PortMap.h"
#include "serial/Speeds.h"

#include <QRegularExpression>

namespace quillon::batch {

std::optional<PortSpec> ParsePortArgument(const QString &argument,
                                          const std::function<QString(int entry)> &mappedValue,
                                          QString *error)
{
    PortSpec port;
    port.argument = argument;
    port.label = argument;
    if (argument.trimmed().isEmpty()) {
        *error = QStringLiteral("an empty port argument");
        return std::nullopt;
    }
    if (argument == QLatin1String("sim") || argument.startsWith(QLatin1String("sim:"))) {
        port.simulator = true;
        const auto options = sim::ParseStartOptionList(argument.mid(4), error);
        if (!options)
            return std::nullopt;
        port.simOptions = *options;
        return port;
    }
    static const QRegularExpression entryPattern(QStringLiteral("^COM([1-9][0-9]*)$"),
                                                 QRegularExpression::CaseInsensitiveOption);
    const auto match = entryPattern.match(argument);
    if (match.hasMatch() && match.captured(1).toInt() <= kPortCount) {
        port.entry = match.captured(1).toInt();
        port.label = QStringLiteral("COM%1").arg(port.entry);
        // A ";" starts a comment, as the window reads the file; device paths never hold one.
        const PortTarget target =
            PortTargetFromValue(port.entry, mappedValue(port.entry).section(QLatin1Char(';'), 0, 0).trimmed());
        port.simulator = target.simulator;
        port.device = target.device;
        return port;
    }
    port.device = argument;
    return port;
}

} // namespace quillon::batch
