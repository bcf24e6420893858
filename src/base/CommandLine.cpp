#include "base/CommandLine.h"

#include "base/AppInfo.h"

#include <algorithm>
#include <cstdio>

namespace quillon {

namespace {

QString OptionNames(const QCommandLineOption &option)
{
    QStringList names;
    for (const QString &name : option.names())
        names.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    QString text = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        text += QStringLiteral(" <%1>").arg(option.valueName());
    return text;
}

QString HelpText(const QList<QCommandLineOption> &options, const ProgramDescription &program)
{
    QList<QCommandLineOption> shown;
    std::copy_if(options.begin(), options.end(), std::back_inserter(shown), [](const QCommandLineOption &o) {
        return !o.flags().testFlag(QCommandLineOption::HiddenFromHelp);
    });
    qsizetype width = 0;
    for (const QCommandLineOption &o : shown)
        width = std::max(width, OptionNames(o).size());
    QString text = QStringLiteral("%1 %2 - %3\nUsage: %1 [options]%4\n\nOptions:\n")
                       .arg(program.name, VersionDotted(), program.summary,
                            program.positional.isEmpty() ? QString() : QLatin1Char(' ') + program.positional);
    for (const QCommandLineOption &o : shown)
        text += QStringLiteral("  %1  %2\n").arg(OptionNames(o), -int(width)).arg(o.description());
    return text;
}

} // namespace

CommandLineOutcome ParseCommandLine(QCommandLineParser &parser, const QList<QCommandLineOption> &options,
                                    const QStringList &arguments, const ProgramDescription &program)
{
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the name and version and exit."));
    const QList<QCommandLineOption> all = QList<QCommandLineOption>{help, version} + options;
    parser.addOptions(all);

    CommandLineOutcome outcome;
    const QString tryHelp = QStringLiteral("Try '%1 --help' for the options.\n").arg(program.name);
    if (!parser.parse(arguments)) {
        outcome = {true, 2, QString(), QStringLiteral("%1: %2\n").arg(program.name, parser.errorText()) + tryHelp};
    } else if (program.positional.isEmpty() && !parser.positionalArguments().isEmpty()) {
        outcome = {true, 2, QString(),
                   QStringLiteral("%1: unexpected argument '%2'\n").arg(program.name, parser.positionalArguments().constFirst()) + tryHelp};
    } else if (parser.isSet(help)) {
        outcome = {true, 0, HelpText(all, program), QString()};
    } else if (parser.isSet(version)) {
        outcome = {true, 0, QStringLiteral("%1 %2\n").arg(program.name, VersionDotted()), QString()};
    }
    return outcome;
}

QList<QCommandLineOption> ToolkitOptions()
{
    QList<QCommandLineOption> options;
    const char *const withValue[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                     "qmljsdebugger", "qwindowgeometry", "qwindowicon", "qwindowtitle",
                                     "session", "display", "geometry", "style", "stylesheet", "name",
                                     "title", "visual", "ncols", "cmap", "im", "inputstyle", "fn",
                                     "font", "bg", "background", "fg", "foreground", "btn", "button"};
    const char *const flags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};
    for (const char *name : withValue) {
        QCommandLineOption o(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        options.append(o);
    }
    for (const char *name : flags) {
        QCommandLineOption o(QString::fromLatin1(name));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        options.append(o);
    }
    return options;
}

int Report(const CommandLineOutcome &outcome)
{
    std::fputs(outcome.out.toLocal8Bit().constData(), stdout);
    std::fputs(outcome.err.toLocal8Bit().constData(), stderr);
    return outcome.status;
}

} // namespace quillon
