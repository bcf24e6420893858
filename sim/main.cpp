// quillon-sim: the simulated GSM module on a pseudo-terminal.
//
// Prints the slave's path as its first line of output, then logs every command line it hears
// (with the time and the speed it came at) until SIGINT or SIGTERM. SIGUSR1 stands in for the
// DTR power-on pulse, SIGUSR2 starts an incoming call. See docs/notes/sim.md.

#include "base/CommandLine.h"
#include "sim/CommandArgs.h"
#include "sim/GsmModule.h"
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

struct Failure {
    QString text;
};

bool OnOff(const QString &value, const QString &option)
{
    if (value == QLatin1String("on"))
        return true;
    if (value == QLatin1String("off"))
        return false;
    throw Failure{QStringLiteral("--%1 takes on or off, not \"%2\"").arg(option, value)};
}

QList<int> IntPair(const QString &value, const QString &option)
{
    const QStringList parts = value.split(QLatin1Char(','));
    bool ok1 = false;
    bool ok2 = false;
    const int a = parts.value(0).toInt(&ok1);
    const int b = parts.value(1).toInt(&ok2);
    if (parts.size() != 2 || !ok1 || !ok2)
        throw Failure{QStringLiteral("--%1 takes two numbers like 0,1, not \"%2\"").arg(option, value)};
    return {a, b};
}

PduTimestamp LocalClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    return PduTimestamp{now.date().year() % 100, now.date().month(), now.date().day(),
                        now.time().hour(), now.time().minute(), now.time().second(),
                        now.offsetFromUtc() / 900};
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
    qint64 callAfterMs = -1;
    try {
        bool ok = false;
        const int speed = parser.value(baud).toInt(&ok);
        bool known = speed == 0;
        for (int s : GsmModule::kSpeeds)
            known = known || s == speed;
        if (!ok || !known)
            throw Failure{QStringLiteral("--baud: %1 is not a speed the module supports").arg(parser.value(baud))};
        module.SetBaud(speed);
        module.SetEcho(OnOff(parser.value(echo), QStringLiteral("echo")));
        const QString simState = parser.value(sim);
        if (simState == QLatin1String("ready")) module.SetSimState(SimState::Ready);
        else if (simState == QLatin1String("pin")) module.SetSimState(SimState::WaitingPin);
        else if (simState == QLatin1String("pin2")) module.SetSimState(SimState::WaitingPin2);
        else if (simState == QLatin1String("puk")) module.SetSimState(SimState::WaitingPuk);
        else if (simState == QLatin1String("absent")) module.SetSimState(SimState::Absent);
        else throw Failure{QStringLiteral("--sim: unknown state \"%1\"").arg(simState)};
        module.SetPin(parser.value(pin).toLatin1());
        module.SetPin2(parser.value(pin2).toLatin1());
        module.SetPuk(parser.value(puk).toLatin1());
        if (parser.value(creg) == QLatin1String("none")) {
            module.SetRegistration(std::nullopt);
        } else {
            const QList<int> r = IntPair(parser.value(creg), QStringLiteral("creg"));
            module.SetRegistration(Registration{r[0], r[1]});
        }
        const QList<int> q = IntPair(parser.value(csq), QStringLiteral("csq"));
        module.SetSignalQuality(q[0], q[1]);
        module.SetReplyDelayMs(parser.value(delay).toInt());
        module.SetInputLines(OnOff(parser.value(dsr), QStringLiteral("dsr")),
                             OnOff(parser.value(cts), QStringLiteral("cts")));
        if (parser.isSet(imei))
            module.SetImei(parser.value(imei));
        if (parser.isSet(clock)) {
            const auto t = ParseClock(parser.value(clock).toLatin1());
            if (!t)
                throw Failure{QStringLiteral("--clock: expected yy/MM/dd,hh:mm:ss+zz")};
            module.SetClock(*t);
        } else {
            module.SetClock(LocalClock());
        }
        if (parser.isSet(empty))
            module.ClearStoredMessages();
        if (parser.isSet(callAfter))
            callAfterMs = qMax(0, parser.value(callAfter).toInt());
        if (!OnOff(parser.value(power), QStringLiteral("power")))
            module.SetPowered(false);
    } catch (const Failure &f) {
        fprintf(stderr, "quillon-sim: %s\n", qPrintable(f.text));
        return 2;
    }

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
