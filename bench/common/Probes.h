#pragma once
// Measuring probes: process CPU time, another process's CPU time (the X server), resident
// memory, and the latency of events posted to the event loop.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <thread>
#include <vector>

namespace quillon::bench {

/// User + system CPU seconds of this process (all threads).
double ProcessCpuSeconds();
/// User + system CPU seconds of process `pid` from /proc; -1 when unreadable.
double OtherProcessCpuSeconds(qint64 pid);
/// Current and peak resident size of this process, in KiB.
qint64 RssKib();
qint64 PeakRssKib();
/// Bytes the allocator has handed out and not got back, over every arena, in KiB: what the
/// program holds, apart from what the allocator keeps free (fragments, per-thread arenas).
qint64 HeapInUseKib();

/// The X server's pid from QUILLON_BENCH_XSERVER_PID, or 0.
qint64 XServerPid();

/// CPU used over a stretch of wall time, as a percentage of one core, for this process and,
/// when known, the X server.
class CpuMeter {
public:
    void Start();
    double Percent() const;
    double XServerPercent() const; ///< -1 when the X server is unknown
    double WallSeconds() const { return m_wall.nsecsElapsed() / 1e9; }

private:
    QElapsedTimer m_wall;
    double m_cpu = 0;
    double m_xCpu = -1;
};

struct Summary {
    double median = 0;
    double p99 = 0;
    double min = 0;
    double max = 0;
    size_t count = 0;
};
Summary Summarize(std::vector<double> values);

/// Posts an event to itself every `periodMs` from a thread of its own, as input arriving from
/// the display would, and records how long each waited before the event loop delivered it (ms).
/// A loop blocked by a long handler shows up as long waits.
class LatencyProbe : public QObject {
public:
    explicit LatencyProbe(int periodMs = 20) : m_periodMs(periodMs) {}
    ~LatencyProbe() override;
    void Start();
    void Stop();
    Summary Result() const { return Summarize(m_latencies); }

protected:
    void customEvent(QEvent *event) override;

private:
    int m_periodMs;
    std::atomic<bool> m_running{false};
    std::thread m_poster;
    std::vector<double> m_latencies;
};

/// Runs the event loop for `ms` milliseconds.
void RunFor(int ms);

/// CPU over a stretch, whole and cut into windows: on a shared machine the quietest window is
/// the closest to the program's own cost, the median the typical one.
struct CpuFigures {
    double overall = 0;   ///< % of a core over the whole stretch
    double median = 0;    ///< median of the windows
    double lowest = 0;    ///< lowest window
    double xServer = -1;  ///< the X server over the whole stretch, -1 when unknown
    double seconds = 0;
};
/// Runs the event loop for `totalMs`, measuring in windows of `windowMs`.
CpuFigures MeasureCpu(int totalMs, int windowMs = 2000);

} // namespace quillon::bench
