#include "Probes.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QFile>

#include <algorithm>
#include <chrono>

#include <cstdio>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

namespace quillon::bench {

namespace {

class StampedEvent : public QEvent {
public:
    explicit StampedEvent(qint64 postedNs) : QEvent(QEvent::User), postedNs(postedNs) {}
    qint64 postedNs;
};

qint64 SteadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

qint64 StatusKib(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

double ProcessCpuSeconds()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
        + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double OtherProcessCpuSeconds(qint64 pid)
{
    if (pid <= 0)
        return -1;
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = f.readAll();
    // Fields after the command name, which is in parentheses and may hold blanks.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    // utime and stime are fields 14 and 15 of the whole line, 12 and 13 after the name.
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(::sysconf(_SC_CLK_TCK));
}

qint64 RssKib() { return StatusKib("VmRSS"); }
qint64 PeakRssKib() { return StatusKib("VmHWM"); }

qint64 HeapInUseKib()
{
    // glibc's per-arena figures reach us only through malloc_stats(), which prints to stderr:
    // send stderr to a scratch file for the call and read the last "in use bytes" (the total).
    std::fflush(stderr);
    FILE *scratch = std::tmpfile();
    if (!scratch)
        return -1;
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(::fileno(scratch), STDERR_FILENO);
    ::malloc_stats();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    std::rewind(scratch);
    QByteArray text;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, scratch)) > 0;)
        text.append(chunk, qsizetype(n));
    std::fclose(scratch);
    const qsizetype at = text.lastIndexOf("in use bytes");
    const qsizetype equals = text.indexOf('=', at);
    if (at < 0 || equals < 0)
        return -1;
    return text.mid(equals + 1).trimmed().split('\n').value(0).trimmed().toLongLong() / 1024;
}

qint64 XServerPid() { return qEnvironmentVariableIntValue("QUILLON_BENCH_XSERVER_PID"); }

void CpuMeter::Start()
{
    m_cpu = ProcessCpuSeconds();
    m_xCpu = OtherProcessCpuSeconds(XServerPid());
    m_wall.start();
}

double CpuMeter::Percent() const
{
    return 100.0 * (ProcessCpuSeconds() - m_cpu) / WallSeconds();
}

double CpuMeter::XServerPercent() const
{
    const double now = OtherProcessCpuSeconds(XServerPid());
    if (now < 0 || m_xCpu < 0)
        return -1;
    return 100.0 * (now - m_xCpu) / WallSeconds();
}

Summary Summarize(std::vector<double> values)
{
    Summary s;
    s.count = values.size();
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    s.min = values.front();
    s.max = values.back();
    s.median = values[values.size() / 2];
    s.p99 = values[std::min(values.size() - 1, size_t(values.size() * 0.99))];
    return s;
}

LatencyProbe::~LatencyProbe() { Stop(); }

void LatencyProbe::Start()
{
    Stop();
    m_latencies.clear();
    m_running = true;
    m_poster = std::thread([this] {
        while (m_running) {
            QCoreApplication::postEvent(this, new StampedEvent(SteadyNs()));
            std::this_thread::sleep_for(std::chrono::milliseconds(m_periodMs));
        }
    });
}

void LatencyProbe::Stop()
{
    m_running = false;
    if (m_poster.joinable())
        m_poster.join();
}

void LatencyProbe::customEvent(QEvent *event)
{
    if (event->type() != QEvent::User || !m_running)
        return;
    const auto *stamped = static_cast<StampedEvent *>(event);
    m_latencies.push_back((SteadyNs() - stamped->postedNs) / 1e6);
}

void RunFor(int ms)
{
    // A real event loop, as the window runs in, rather than repeated processEvents calls.
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

CpuFigures MeasureCpu(int totalMs, int windowMs)
{
    CpuMeter whole;
    whole.Start();
    std::vector<double> windows;
    for (int done = 0; done < totalMs; done += windowMs) {
        CpuMeter window;
        window.Start();
        RunFor(qMin(windowMs, totalMs - done));
        windows.push_back(window.Percent());
    }
    CpuFigures f;
    f.overall = whole.Percent();
    f.xServer = whole.XServerPercent();
    f.seconds = whole.WallSeconds();
    const Summary s = Summarize(windows);
    f.median = s.median;
    f.lowest = s.min;
    return f;
}

} // namespace quillon::bench
