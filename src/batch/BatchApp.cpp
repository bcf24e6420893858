#include "batch/BatchApp.h"

#include "app/IniLocation.h"
#include "app/PublicMod.h"
#include "base/CommandLine.h"
#include "batch/Console.h"
#include "batch/JUnitReport.h"
#include "batch/PortStation.h"
#include "batch/RecordWriter.h"
#include "records/RecordCodec.h"
#include "sessionlog/LogFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSet>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

#include <unistd.h>

namespace quillon::batch {

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int number)
{
    const char byte = char(number);
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}


int SetupError(const QString &text)
{
    std::fprintf(stderr, "quillon-batch: %s\n", qPrintable(text));
    return 2;
}

} // namespace

int RunBatch(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillon-batch"));

    QCommandLineParser parser;
    const QCommandLineOption pace(QStringLiteral("pace"),
                                  QStringLiteral("reply (default): a command ends at its final result; fixed: the window's 300 ms waits."),
                                  QStringLiteral("reply|fixed"), QStringLiteral("reply"));
    const QCommandLineOption watch(QStringLiteral("watch"),
                                   QStringLiteral("Station mode: test each module as it is seated, until Ctrl-C."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("One JSON object per run on standard output; progress goes to standard error."));
    const QCommandLineOption junit(QStringLiteral("junit"), QStringLiteral("Write a JUnit XML report to <file>."),
                                   QStringLiteral("file"));
    const QCommandLineOption settings(QStringLiteral("settings"),
                                      QStringLiteral("The window's settings file ([Ports], [Log], [Records])."),
                                      QStringLiteral("file"));
    const CommandLineOutcome outcome = ParseCommandLine(
        parser, {pace, watch, json, junit, settings}, app.arguments(),
        {QStringLiteral("quillon-batch"),
         QStringLiteral("the module test on several ports at once. PORT: a device path, COM1..COM6 "
                        "(the settings file's [Ports]), sim or sim:OPTION=VALUE,... (quillon-sim's options)"),
         QStringLiteral("PORT...")});
    if (outcome.finished)
        return Report(outcome);

    const QStringList arguments = parser.positionalArguments();
    if (arguments.isEmpty())
        return SetupError(QStringLiteral("name at least one port (a device path, COM1..COM6 or sim)\n"
                                         "Try 'quillon-batch --help' for the options."));
    StationOptions options;
    if (parser.value(pace) == QLatin1String("fixed"))
        options.pace = Pace::Fixed;
    else if (parser.value(pace) != QLatin1String("reply"))
        return SetupError(QStringLiteral("--pace takes reply or fixed, not \"%1\"").arg(parser.value(pace)));
    options.watch = parser.isSet(watch);

    const QString settingsFile = parser.isSet(settings)
        ? parser.value(settings)
        : QFileInfo(DefaultSettingsFile()).dir().filePath(QStringLiteral("quillon.ini"));
    SetIniFilePath(settingsFile);
    if (ReadIniSetting(QStringLiteral("Log"), QStringLiteral("Enabled")) != QLatin1String("0"))
        options.logFolder = ResolveLogFolder(ReadIniSetting(QStringLiteral("Log"), QStringLiteral("Folder")), settingsFile);
    const QString recordFolder =
        ResolveLogFolder(ReadIniSetting(QStringLiteral("Log"), QStringLiteral("Folder")), settingsFile);
    const QString centralUrl = ReadIniSetting(QStringLiteral("Records"), QStringLiteral("Database"));

    QList<PortSpec> ports;
    for (const QString &argument : arguments) {
        QString error;
        const auto port = ParsePortArgument(
            argument, [](int entry) { return ReadIniString(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(entry)); },
            &error);
        if (!port)
            return SetupError(QStringLiteral("%1: %2").arg(argument, error));
        for (const PortSpec &other : ports)
            if (!port->simulator && !other.simulator && QFileInfo(port->device).canonicalFilePath() ==
                    QFileInfo(other.device).canonicalFilePath() && QFileInfo::exists(port->device))
                return SetupError(QStringLiteral("%1 and %2 lead to the same device %3")
                                      .arg(other.argument, argument, port->device));
        ports.append(*port);
    }

    // Entries keep their number (COM3 logs as COM3); the others take the first free numbers.
    QSet<int> taken;
    for (const PortSpec &port : ports)
        if (port.entry > 0)
            taken.insert(port.entry);
    std::vector<std::unique_ptr<PortStation>> stations;
    int next = 1;
    for (const PortSpec &port : ports) {
        int number = port.entry;
        if (number == 0) {
            while (taken.contains(next))
                ++next;
            number = next;
            taken.insert(number);
        }
        stations.push_back(std::make_unique<PortStation>(port, number, options));
    }
    QStringList failures;
    for (auto &station : stations) {
        const QString failure = station->Open();
        if (!failure.isEmpty())
            failures.append(failure);
    }
    if (!failures.isEmpty()) {
        for (const QString &failure : failures)
            std::fprintf(stderr, "quillon-batch: %s\n", qPrintable(failure));
        return SetupError(QStringLiteral("no unit was tested: every port must open first"));
    }

    FILE *human = parser.isSet(json) ? stderr : stdout;
    Console console(human, ::isatty(::fileno(human)) == 1);
    RecordWriter writer(recordFolder, centralUrl);
    QObject::connect(&writer, &RecordWriter::Problem, &console, &Console::Message);

    const QDateTime startedAt = QDateTime::currentDateTimeUtc();
    QList<records::RunRecord> runs;
    bool anyNotPassed = false;
    auto writeJUnit = [&] {
        QString error;
        if (parser.isSet(junit) && !WriteJUnit(parser.value(junit), runs, startedAt, &error))
            console.Message(QStringLiteral("quillon-batch: ") + error);
    };
    int running = int(stations.size());
    for (auto &station : stations) {
        console.Watch(station.get());
        QObject::connect(station.get(), &PortStation::RunRecorded, &app, [&](const records::RunRecord &record) {
            writer.Store(record);
            runs.append(record);
            anyNotPassed = anyNotPassed || record.outcome != records::Outcome::Passed;
            if (parser.isSet(json)) {
                const QByteArray line = QJsonDocument(records::ToJson(record)).toJson(QJsonDocument::Compact) + '\n';
                std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
                std::fflush(stdout);
            }
            if (options.watch)
                writeJUnit(); // a station runs until Ctrl-C: the report is complete after every unit
        });
        QObject::connect(station.get(), &PortStation::Finished, &app, [&] {
            if (--running == 0)
                QCoreApplication::quit();
        });
    }

    if (::pipe(g_signalPipe) != 0)
        return SetupError(QStringLiteral("cannot create a pipe for the signals"));
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGINT, SIGTERM})
        sigaction(s, &action, nullptr);
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
        char number = 0;
        if (::read(g_signalPipe[0], &number, 1) != 1)
            return;
        for (auto &station : stations)
            station->Stop(number == SIGINT ? QStringLiteral("interrupted (Ctrl-C)") : QStringLiteral("terminated"));
    });

    for (auto &station : stations)
        station->Begin();
    if (running > 0)
        QCoreApplication::exec();

    console.Finish();
    writer.Drain();
    QCoreApplication::sendPostedEvents(&writer); // the writer's last problem messages
    writeJUnit();
    int passed = 0;
    for (const records::RunRecord &r : runs)
        passed += r.outcome == records::Outcome::Passed;
    console.Message(QStringLiteral("%1 unit(s): %2 passed, %3 not passed").arg(runs.size()).arg(passed).arg(runs.size() - passed));
    return anyNotPassed ? 1 : 0;
}

} // namespace quillon::batch
