// quillon-sim: the simulated GSM module on a pseudo-terminal.
//
// Prints the slave's path as its first line of output, then logs every command line it hears
// (with the time and the speed it came at) until SIGINT or SIGTERM. SIGUSR1 stands in for the
// DTR power-on pulse, SIGUSR2 starts an incoming call. Options: quillon-sim --help.

#include "base/CommandLine.h"
#include "sim/GsmModule.h"
#include "sim/StartOptions.h"
#include "PtyHost.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace quillon::sim;
using quillon::CommandLineOutcome;

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int number)
{
    const char byte = char(number);
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

QString KindMark(LogEvent::Kind kind)
{
    switch (kind) {
    case LogEvent::Kind::CommandLine: return QStringLiteral(">");
    case LogEvent::Kind::MessageBody: return QStringLiteral("> body");
    case LogEvent::Kind::Ignored: return QStringLiteral("x");
    case LogEvent::Kind::State: return QStringLiteral("--");
    }
    return QString();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillon-sim"));

    QCommandLineParser parser;
    const QCommandLineOption link(QStringLiteral("link"), QStringLiteral("Make a symbolic link <path> to the device."), QStringLiteral("path"));
    const QCommandLineOption log(QStringLiteral("log"), QStringLiteral("Log to <file> instead of standard output."), QStringLiteral("file"));
    const QCommandLineOption baud(QStringLiteral("baud"), QStringLiteral("Module speed; 0 = automatic detection (default 115200)."), QStringLiteral("bps"), QStringLiteral("115200"));
    const QCommandLineOption echo(QStringLiteral("echo"), QStringLiteral("Command echo: on or off (default on)."), QStringLiteral("on|off"), QStringLiteral("on"));
    const QCommandLineOption sim(QStringLiteral("sim"), QStringLiteral("SIM state: ready, pin, pin2, puk or absent (default ready)."), QStringLiteral("state"), QStringLiteral("ready"));
    const QCommandLineOption pin(QStringLiteral("pin"), QStringLiteral("The correct PIN (default 1234)."), QStringLiteral("pin"), QStringLiteral("1234"));
    const QCommandLineOption pin2(QStringLiteral("pin2"), QStringLiteral("The correct PIN2 (default 5678)."), QStringLiteral("pin2"), QStringLiteral("5678"));
    const QCommandLineOption puk(QStringLiteral("puk"), QStringLiteral("The correct PUK (default 12345678)."), QStringLiteral("puk"), QStringLiteral("12345678"));
    const QCommandLineOption creg(QStringLiteral("creg"), QStringLiteral("Registration n,stat (default 0,1), or none for no +CREG line."), QStringLiteral("n,stat|none"), QStringLiteral("0,1"));
    const QCommandLineOption csq(QStringLiteral("csq"), QStringLiteral("Signal quality rssi,ber (default 20,0)."), QStringLiteral("rssi,ber"), QStringLiteral("20,0"));
    const QCommandLineOption power(QStringLiteral("power"), QStringLiteral("Start switched on or off (default on)."), QStringLiteral("on|off"), QStringLiteral("on"));
    const QCommandLineOption delay(QStringLiteral("reply-delay"), QStringLiteral("Milliseconds from a line's end to its reply (default 5)."), QStringLiteral("ms"), QString::number(GsmModule::kDefaultReplyDelayMs));
    const QCommandLineOption call(QStringLiteral("call"), QStringLiteral("Caller for incoming calls (SIGUSR2, --call-after)."), QStringLiteral("number"), QStringLiteral("13912345678"));
    const QCommandLineOption callAfter(QStringLiteral("call-after"), QStringLiteral("Start an incoming call <ms> after start."), QStringLiteral("ms"));
    const QCommandLineOption dsr(QStringLiteral("dsr"), QStringLiteral("DSR while switched on (default on)."), QStringLiteral("on|off"), QStringLiteral("on"));
    const QCommandLineOption cts(QStringLiteral("cts"), QStringLiteral("CTS while switched on (default on)."), QStringLiteral("on|off"), QStringLiteral("on"));
    const QCommandLineOption imei(QStringLiteral("imei"), QStringLiteral("The IMEI (default 352099001761481)."), QStringLiteral("digits"));
    const QCommandLineOption clock(QStringLiteral("clock"), QStringLiteral("Clock start \"yy/MM/dd,hh:mm:ss+zz\" (default: this computer's time)."), QStringLiteral("time"));
    const QCommandLineOption empty(QStringLiteral("no-messages"), QStringLiteral("Start with an empty message store."));
    const CommandLineOutcome outcome = quillon::ParseCommandLine(
        parser,
        {link, log, baud, echo, sim, pin, pin2, puk, creg, csq, power, delay, call, callAfter, dsr,
         cts, imei, clock, empty},
        app.arguments(),
        {QStringLiteral("quillon-sim"),
         QStringLiteral("simulated GSM module on a pseudo-terminal; prints the device path first "
                        "(SIGUSR1 = DTR power-on pulse, SIGUSR2 = incoming call, SIGINT/SIGTERM = end)")});
    if (outcome.finished)
        return quillon::Report(outcome);

    GsmModule module;
    QList<StartOption> startOptions;
    for (const QCommandLineOption &option : {baud, echo, sim, pin, pin2, puk, creg, csq, power, delay, dsr, cts, imei, clock, empty})
        if (parser.isSet(option))
            startOptions.append({option.names().constFirst(), option.valueName().isEmpty() ? QString() : parser.value(option)});
    if (const auto problem = ApplyStartOptions(module, startOptions)) {
        fprintf(stderr, "quillon-sim: %s\n", qPrintable(*problem));
        return 2;
    }
    const qint64 callAfterMs = parser.isSet(callAfter) ? qMax(0, parser.value(callAfter).toInt()) : -1;

    QFile logFile;
    if (parser.isSet(log)) {
        logFile.setFileName(parser.value(log));
        if (!logFile.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
            fprintf(stderr, "quillon-sim: cannot write %s: %s\n", qPrintable(parser.value(log)),
                    qPrintable(logFile.errorString()));
            return 2;
        }
    } else {
        logFile.open(stdout, QIODevice::WriteOnly | QIODevice::Text);
    }
    QTextStream logOut(&logFile);
    module.SetLogHook([&logOut](const LogEvent &e) {
        logOut << QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"))
               << ' ' << (e.baud > 0 ? QStringLiteral("%1 bps").arg(e.baud, 6) : QStringLiteral("          "))
               << ' ' << KindMark(e.kind) << ' ' << e.text << Qt::endl;
    });

    PtyHost host(module);
    QString error;
    if (!host.Open(module.Baud() > 0 ? module.Baud() : GsmModule::kDefaultBaud, &error)) {
        fprintf(stderr, "quillon-sim: %s\n", qPrintable(error));
        return 1;
    }
    QString linkPath;
    if (parser.isSet(link)) {
        linkPath = parser.value(link);
        const QFileInfo existing(linkPath);
        if (existing.exists() && !existing.isSymLink()) {
            fprintf(stderr, "quillon-sim: %s exists and is not a symbolic link\n", qPrintable(linkPath));
            return 1;
        }
        QFile::remove(linkPath);
        if (!QFile::link(host.SlavePath(), linkPath)) {
            fprintf(stderr, "quillon-sim: cannot make the link %s\n", qPrintable(linkPath));
            return 1;
        }
    }

    // The first line says the device is ready, link included.
    fprintf(stdout, "%s\n", qPrintable(host.SlavePath()));
    fflush(stdout);

    if (::pipe(g_signalPipe) != 0) {
        fprintf(stderr, "quillon-sim: cannot create a pipe\n");
        return 1;
    }
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGINT, SIGTERM, SIGUSR1, SIGUSR2})
        sigaction(s, &action, nullptr);
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
        char number = 0;
        if (::read(g_signalPipe[0], &number, 1) != 1)
            return;
        if (number == SIGUSR1)
            module.SetPowered(true);
        else if (number == SIGUSR2)
            module.StartIncomingCall(parser.value(call));
        else
            app.quit();
    });

    if (callAfterMs >= 0)
        QTimer::singleShot(callAfterMs, &app, [&] { module.StartIncomingCall(parser.value(call)); });

    host.Start();
    const int result = app.exec();
    if (!linkPath.isEmpty())
        QFile::remove(linkPath);
    logOut.flush();
    return result;
}
