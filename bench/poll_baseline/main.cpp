// The bare 5 ms poll: what a Qt program without any widget pays to watch a serial port, measured
// on the same kind of pseudo-terminal and feeder as the window. Prints its figures and, with
// --results FILE, writes them for the window benchmark to print alongside its own.

#include "BenchPty.h"
#include "Pattern.h"
#include "Probes.h"
#include "Results.h"

#include <QCoreApplication>
#include <QSerialPort>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace quillon::bench;

namespace {

constexpr int kRate = 25600;

int Seconds(double s)
{
    static const double scale = qEnvironmentVariableIsSet("QUILLON_BENCH_SCALE")
        ? qEnvironmentVariable("QUILLON_BENCH_SCALE").toDouble()
        : 1.0;
    return qMax(200, int(s * scale * 1000));
}

/// Runs the loop until the checker has seen `written` bytes or `limitMs` passed.
bool Drain(const ByteChecker &checker, quint64 written, int limitMs)
{
    for (int waited = 0; checker.Count() < written && !checker.Failed() && waited < limitMs; waited += 20)
        RunFor(20);
    return checker.Count() == written && !checker.Failed();
}

/// A read loop on the raw slave: the most the pseudo-terminal gives.
double BareReadLoop(PtyFeeder &feeder, ByteChecker &checker, int ms, bool *intact)
{
    const int fd = ::open(feeder.SlavePath().toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    static char buffer[65536];
    feeder.Flood(PatternKind::Lines);
    QElapsedTimer clock;
    clock.start();
    const quint64 start = checker.Count();
    while (clock.elapsed() < ms) {
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, 50);
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            checker.Feed(buffer, n);
    }
    const double mbPerSecond = (checker.Count() - start) / 1e6 / (clock.nsecsElapsed() / 1e9);
    const quint64 written = feeder.Pause();
    for (int idle = 0; checker.Count() < written && idle < 40; ++idle) {
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, 50);
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            checker.Feed(buffer, n);
    }
    *intact = checker.Count() == written && !checker.Failed();
    ::close(fd);
    return mbPerSecond;
}

} // namespace

int main(int argc, char **argv)
{
    PtyFeeder feeder;
    QString error;
    if (!feeder.Start(&error)) {
        PrintLine(QStringLiteral("cannot make a pseudo-terminal: ") + error);
        return 1;
    }
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString resultsPath = args.indexOf(QStringLiteral("--results")) > 0
        ? args.value(args.indexOf(QStringLiteral("--results")) + 1)
        : QString();

    QSerialPort port(feeder.SlavePath());
    port.setBaudRate(115200);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    if (!port.open(QIODevice::ReadWrite)) {
        PrintLine(QStringLiteral("cannot open %1: %2").arg(feeder.SlavePath(), port.errorString()));
        return 1;
    }

    ByteChecker checker;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (port.bytesAvailable() > 0) {
            const QByteArray bytes = port.readAll();
            checker.Feed(bytes.constData(), bytes.size());
        }
    });
    poll.start();

    Results results;
    PrintHeading(QStringLiteral("Baseline: bare QSerialPort poll every 5 ms, no widget (%1)").arg(feeder.SlavePath()));

    const auto printCpu = [&results](const QString &key, const QString &label, const CpuFigures &f) {
        results.Set(key, f.median);
        results.Set(key + QStringLiteral("_lowest"), f.lowest);
        results.Set(key + QStringLiteral("_overall"), f.overall);
        PrintFigure(label, f.median, QStringLiteral("% of a core"),
                    QStringLiteral("(median of 2 s windows; lowest %1 %, whole %2 s %3 %)")
                        .arg(f.lowest, 0, 'f', 2).arg(f.seconds, 0, 'f', 0).arg(f.overall, 0, 'f', 2));
    };

    RunFor(1000);
    printCpu(QStringLiteral("idle_cpu"), QStringLiteral("idle CPU, port open"), MeasureCpu(Seconds(10)));

    feeder.Rate(PatternKind::Lines, kRate);
    RunFor(1000);
    printCpu(QStringLiteral("rate_cpu"), QStringLiteral("CPU at 25.6 kB/s"), MeasureCpu(Seconds(10)));
    bool intact = Drain(checker, feeder.Pause(), 2000);
    results.Set(QStringLiteral("rate_intact"), intact);
    PrintLine(QStringLiteral("  every byte read in order: %1").arg(intact ? "yes" : "NO"));

    LatencyProbe probe;
    feeder.Flood(PatternKind::Lines);
    RunFor(500);
    const quint64 floodStart = checker.Count();
    CpuMeter cpu;
    cpu.Start();
    probe.Start();
    RunFor(Seconds(5));
    const double flood = (checker.Count() - floodStart) / 1e6 / cpu.WallSeconds();
    const double floodCpu = cpu.Percent();
    probe.Stop();
    intact = Drain(checker, feeder.Pause(), 3000);
    results.Set(QStringLiteral("flood_mbps"), flood);
    results.Set(QStringLiteral("flood_cpu"), floodCpu);
    results.Set(QStringLiteral("flood_intact"), intact);
    results.Set(QStringLiteral("flood_latency_median"), probe.Result().median);
    results.Set(QStringLiteral("flood_latency_max"), probe.Result().max);
    PrintFigure(QStringLiteral("flood read"), flood, QStringLiteral("MB/s"),
                QStringLiteral("(%1 % CPU, every byte in order: %2)").arg(floodCpu, 0, 'f', 1).arg(intact ? "yes" : "NO"));
    PrintFigure(QStringLiteral("posted-event latency in flood, median"), probe.Result().median, QStringLiteral("ms"));
    PrintFigure(QStringLiteral("posted-event latency in flood, max"), probe.Result().max, QStringLiteral("ms"));
    results.Set(QStringLiteral("peak_rss_kib"), PeakRssKib());
    PrintFigure(QStringLiteral("peak resident size"), PeakRssKib() / 1024.0, QStringLiteral("MiB"));

    poll.stop();
    port.close();
    const double bare = BareReadLoop(feeder, checker, Seconds(3), &intact);
    results.Set(QStringLiteral("bare_read_mbps"), bare);
    PrintFigure(QStringLiteral("bare read loop on the pseudo-terminal"), bare, QStringLiteral("MB/s"),
                QStringLiteral("(every byte in order: %1)").arg(intact ? "yes" : "NO"));

    if (!resultsPath.isEmpty() && !results.Save(resultsPath))
        PrintLine(QStringLiteral("cannot write ") + resultsPath);
    return 0;
}
