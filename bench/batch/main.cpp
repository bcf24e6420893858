// Figures of quillon-batch's test engine, on the real serial backend against quillon-sim on
// pseudo-terminals (one process per module): a passing run under the reply and the fixed pace,
// the floor the module's reply times, the wire and the plan's pauses add up to, six ports at
// once against one, CPU per port, the unanswered search per speed under both paces, and the
// resident memory over many station-mode runs (in-process modules switched off and on).
// Prints the figures; asserts nothing.
//
// --station-runs N        station-mode runs for the memory figure (default 1000)
// --station-no-records    the station pass without the record writer (to tell its share)
// --station-only          skip the timing sections
// --results FILE     where to write the figures

#include "Probes.h"
#include "Results.h"

#include "batch/ModuleRun.h"
#include "batch/PortStation.h"
#include "batch/RecordWriter.h"
#include "serial/QtSerialComm.h"
#include "serial/Speeds.h"
#include "sim/GsmModule.h"
#include "support/SimProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <malloc.h>
#include <memory>
#include <vector>

using namespace quillon;
using namespace quillon::batch;
using namespace quillon::bench;
using quillon::test::SimProcess;

namespace {

const QString kSim = QStringLiteral(QUILLON_SIM_PROGRAM);

// Counts the bytes of a run both ways, for the wire-time floor.
class ByteCounter : public PortListener {
public:
    void PortEventOccurred(const PortEvent &event) override
    {
        if (event.kind == PortEventKind::Sent)
            sent += event.bytes.size();
        else if (event.kind == PortEventKind::Received)
            received += event.bytes.size();
    }
    qint64 sent = 0;
    qint64 received = 0;
};

// Times each attempt of the speed search.
class AttemptClock : public moduletest::RunListener {
public:
    void AttemptStarted(int, int baud) override
    {
        if (!clock.isValid())
            clock.start();
        starts.append(clock.nsecsElapsed() / 1e6);
        bauds.append(baud);
    }
    void RunEnded(const moduletest::RunResult &) override { starts.append(clock.nsecsElapsed() / 1e6); }
    QElapsedTimer clock;
    QList<double> starts;
    QList<int> bauds;
};

struct Port {
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<QtSerialComm> comm;
    std::unique_ptr<ModuleRun> run;
    ByteCounter bytes;
};

std::unique_ptr<Port> MakePort(const QStringList &simArguments, Pace pace)
{
    auto port = std::make_unique<Port>();
    port->sim = std::make_unique<SimProcess>();
    if (!port->sim->Start(kSim, simArguments + QStringList{QStringLiteral("--log"), QStringLiteral("/dev/null")}))
        qFatal("quillon-sim did not start");
    const QString device = port->sim->Device();
    port->comm = std::make_unique<QtSerialComm>([device](int) { return device; });
    port->comm->SetSettings(QStringLiteral("115200,N,8,1"));
    port->comm->SetPortOpen(true);
    port->comm->Activity().AddListener(&port->bytes);
    port->run = std::make_unique<ModuleRun>(*port->comm, pace);
    return port;
}

// Runs every port's test at once; wall seconds until the last has ended.
double RunAll(const std::vector<std::unique_ptr<Port>> &ports)
{
    int running = int(ports.size());
    QEventLoop loop;
    std::vector<QMetaObject::Connection> connections;
    for (const auto &p : ports)
        connections.push_back(QObject::connect(p->run.get(), &ModuleRun::Finished, &loop, [&] {
            if (--running == 0)
                loop.quit();
        }));
    QElapsedTimer clock;
    clock.start();
    for (const auto &p : ports)
        p->run->Start();
    loop.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    for (const auto &c : connections)
        QObject::disconnect(c);
    RunFor(50); // the next run starts on a quiet line
    return seconds;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype runsAt = args.indexOf(QStringLiteral("--station-runs"));
    const int stationRuns = runsAt > 0 ? args.value(runsAt + 1).toInt() : 1000;
    const qsizetype resultsAt = args.indexOf(QStringLiteral("--results"));
    const bool stationOnly = args.contains(QStringLiteral("--station-only"));
    const bool withRecords = !args.contains(QStringLiteral("--station-no-records"));
    Results results;

    if (!stationOnly) {
        PrintHeading(QStringLiteral("Passing run, quillon-sim on a pseudo-terminal, 115200 bps"));
        for (Pace pace : {Pace::Reply, Pace::Fixed}) {
            const bool reply = pace == Pace::Reply;
            std::vector<std::unique_ptr<Port>> one;
            one.push_back(MakePort({}, pace));
            std::vector<double> times;
            for (int i = 0; i < (reply ? 10 : 3); ++i)
                times.push_back(RunAll(one));
            if (one[0]->run->Result().outcome != moduletest::RunResult::Outcome::Passed)
                PrintLine(QStringLiteral("  (the run did not pass: %1)").arg(one[0]->run->Result().diagnosis));
            const QString key = reply ? QStringLiteral("reply_pass_s") : QStringLiteral("fixed_pass_s");
            results.Set(key, Median(times));
            PrintFigure(reply ? QStringLiteral("reply pace, median of 10") : QStringLiteral("fixed pace, median of 3"),
                        Median(times), QStringLiteral("s"),
                        QStringLiteral("min %1 max %2").arg(*std::min_element(times.begin(), times.end()), 0, 'f', 3)
                            .arg(*std::max_element(times.begin(), times.end()), 0, 'f', 3));
            if (reply) {
                // The floor: the plan's pauses, the module's 5 ms reply delay per command, and every
                // byte of the last run on the wire one way or the other.
                const qint64 runs = qint64(times.size());
                const int pauses = moduletest::kSearchPauseMs + 261;
                const double wire = (WireMs(one[0]->bytes.sent / runs, 115200) + WireMs(one[0]->bytes.received / runs, 115200)) / 1000.0;
                const double floor = (pauses + 12 * sim::GsmModule::kDefaultReplyDelayMs) / 1000.0 + wire;
                PrintFigure(QStringLiteral("floor: pauses 0.461 + reply delays 0.060 + wire"), floor, QStringLiteral("s"),
                            QStringLiteral("wire %1 s for %2 + %3 bytes").arg(wire, 0, 'f', 3)
                                .arg(one[0]->bytes.sent / runs).arg(one[0]->bytes.received / runs));
                results.Set(QStringLiteral("reply_floor_s"), floor);
            } else {
                PrintFigure(QStringLiteral("fixed pace / window's 4.08 s"), Median(times) / 4.08, QStringLiteral("x"));
            }
        }

        PrintHeading(QStringLiteral("Six ports at once against one (reply pace, three rounds each)"));
        {
            std::vector<std::unique_ptr<Port>> six;
            for (int i = 0; i < 6; ++i)
                six.push_back(MakePort({}, Pace::Reply));
            std::vector<std::unique_ptr<Port>> one;
            one.push_back(std::move(six.back()));
            six.pop_back();
            six.push_back(MakePort({}, Pace::Reply));
            std::vector<double> oneTimes;
            std::vector<double> sixTimes;
            double sixCpu = 0;
            double sixWall = 0;
            for (int round = 0; round < 3; ++round) {
                oneTimes.push_back(RunAll(one));
                const double cpu0 = ProcessCpuSeconds();
                const double wall = RunAll(six);
                sixCpu += ProcessCpuSeconds() - cpu0;
                sixWall += wall;
                sixTimes.push_back(wall);
            }
            PrintFigure(QStringLiteral("one port"), Median(oneTimes), QStringLiteral("s"));
            PrintFigure(QStringLiteral("six ports"), Median(sixTimes), QStringLiteral("s"));
            PrintFigure(QStringLiteral("six / one"), Median(sixTimes) / Median(oneTimes), QStringLiteral("x"));
            PrintFigure(QStringLiteral("CPU per port during the runs"), 100.0 * sixCpu / sixWall / 6, QStringLiteral("% of a core"));
            results.Set(QStringLiteral("six_over_one"), Median(sixTimes) / Median(oneTimes));
            results.Set(QStringLiteral("cpu_per_port_pct"), 100.0 * sixCpu / sixWall / 6);
        }

        PrintHeading(QStringLiteral("Unanswered search (module switched off), per attempt"));
        {
            std::vector<std::unique_ptr<Port>> ports;
            ports.push_back(MakePort({QStringLiteral("--power"), QStringLiteral("off")}, Pace::Fixed));
            ports.push_back(MakePort({QStringLiteral("--power"), QStringLiteral("off")}, Pace::Reply));
            AttemptClock fixedClock;
            AttemptClock replyClock;
            ports[0]->run->AddListener(&fixedClock);
            ports[1]->run->AddListener(&replyClock);
            RunAll(ports);
            PrintLine(QStringLiteral("  attempt  speed (bps)  fixed (ms)  reply (ms)"));
            for (int i = 0; i + 1 < fixedClock.starts.size(); ++i)
                PrintLine(QStringLiteral("  %1  %2  %3  %4")
                              .arg(i + 1, 7)
                              .arg(fixedClock.bauds.value(i), 11)
                              .arg(fixedClock.starts[i + 1] - fixedClock.starts[i], 10, 'f', 0)
                              .arg(replyClock.starts.value(i + 1) - replyClock.starts.value(i), 10, 'f', 0));
            PrintFigure(QStringLiteral("total, fixed pace"), fixedClock.starts.last() / 1000, QStringLiteral("s"));
            PrintFigure(QStringLiteral("total, reply pace"), replyClock.starts.last() / 1000, QStringLiteral("s"));
            results.Set(QStringLiteral("search_fixed_s"), fixedClock.starts.last() / 1000);
            results.Set(QStringLiteral("search_reply_s"), replyClock.starts.last() / 1000);
        }
    }

    PrintHeading(QStringLiteral("Station mode: memory over %1 runs (six in-process modules%2)")
                     .arg(stationRuns)
                     .arg(withRecords ? QStringLiteral(", records written") : QStringLiteral(", no records")));
    {
        QTemporaryDir dir;
        std::unique_ptr<RecordWriter> writer;
        if (withRecords)
            writer = std::make_unique<RecordWriter>(dir.path(), QString());
        StationOptions options;
        options.watch = true;
        options.probeIntervalMs = 20;
        options.goneAfterMs = 60;
        options.logFolder = dir.path();
        std::vector<std::unique_ptr<PortStation>> stations;
        int runs = 0;
        // Samples after 100 runs and at each quarter: resident size and the heap in use.
        QList<int> sampleAt{100};
        for (int q = 1; q <= 4; ++q)
            if (!sampleAt.contains(stationRuns * q / 4))
                sampleAt << stationRuns * q / 4;
        std::sort(sampleAt.begin(), sampleAt.end());
        QList<std::pair<qint64, qint64>> samples;
        QEventLoop loop;
        for (int i = 0; i < 6; ++i) {
            PortSpec port;
            port.label = QStringLiteral("sim");
            port.simulator = true;
            auto station = std::make_unique<PortStation>(port, i + 1, options);
            station->Open();
            PortStation *s = station.get();
            QObject::connect(s, &PortStation::RunRecorded, &loop, [&, s](const records::RunRecord &record) {
                if (writer)
                    writer->Store(record);
                // The model keeps the last 10 000 command lines it heard (the probes among them):
                // its memory, not the tester's.
                s->SimModule()->ClearReceivedCommandLines();
                ++runs;
                if (sampleAt.contains(runs)) {
                    if (writer)
                        writer->Drain();
                    samples.append({RssKib(), HeapInUseKib()});
                }
                if (runs >= stationRuns)
                    loop.quit();
                // The unit leaves and the next one is seated.
                s->SimModule()->SetPowered(false);
                QTimer::singleShot(100, s, [s] { s->SimModule()->SetPowered(true); });
            });
            stations.push_back(std::move(station));
        }
        const qint64 rssStart = RssKib();
        const qint64 heapStart = HeapInUseKib();
        QElapsedTimer clock;
        clock.start();
        for (auto &s : stations)
            s->Begin();
        loop.exec();
        PrintFigure(QStringLiteral("runs"), runs, QString(), QStringLiteral("in %1 s").arg(clock.elapsed() / 1000));
        PrintLine(QStringLiteral("  after runs   resident (KiB)   heap in use (KiB)"));
        PrintLine(QStringLiteral("  %1  %2  %3").arg(0, 10).arg(rssStart, 15).arg(heapStart, 18));
        for (int i = 0; i < samples.size(); ++i)
            PrintLine(QStringLiteral("  %1  %2  %3").arg(sampleAt[i], 10).arg(samples[i].first, 15).arg(samples[i].second, 18));
        if (samples.size() == sampleAt.size()) {
            // From the half-way sample on: the first runs fill the caches that have a fixed ceiling.
            const qsizetype from = sampleAt.size() - 3;
            const double perRun = 1024.0 * double(samples.last().second - samples[from].second) /
                                  double(sampleAt.last() - sampleAt[from]);
            PrintFigure(QStringLiteral("heap growth per run after the first quarter"), perRun, QStringLiteral("bytes"));
            results.Set(QStringLiteral("station_heap_per_run_bytes"), perRun);
            results.Set(QStringLiteral("station_rss_100_kib"), double(samples[0].first));
            results.Set(QStringLiteral("station_rss_end_kib"), double(samples.last().first));
        }
        ::malloc_trim(0);
        PrintFigure(QStringLiteral("resident once the allocator returned free memory"), double(RssKib()), QStringLiteral("KiB"));
    }

    if (resultsAt > 0)
        results.Save(args.value(resultsAt + 1));
    return 0;
}
