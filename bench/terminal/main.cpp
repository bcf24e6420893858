// The main window measured on a pseudo-terminal through QtSerialComm, shown on a display (run it
// under Xvfb). A feeder process writes a checkable byte pattern; after every receive tick the
// text the tick appended to the receive text is checked against the pattern's rendering, so
// "no byte lost" means every byte arrived in the exact receive text, in order, rendered right;
// at the end of each feed the receive area is also compared with the receive text.
//
// --baseline FILE  figures of quillon-bench-poll-baseline from the same run, printed alongside
// --results FILE   where to write this program's figures
// --only A,B       runs only the parts named (idle, rate-text, rate-hex, rate-binary-text,
//                  rate-binary-hex, flood-text, flood-hex, flood-binary-text, flood-binary-hex,
//                  wait), e.g. to profile one
// --log off        the same run with the session log off (it is on by default)
// QUILLON_BENCH_SCALE scales every measuring period (default 1).

#include "BenchPty.h"
#include "Pattern.h"
#include "Probes.h"
#include "Results.h"

#include "app/PublicMod.h"
#include "app/Quillon.h"
#include "serial/QtSerialComm.h"
#include "connection/ModemLines.h"
#include "connection/PortConnection.h"
#include "terminal/CommandExchange.h"
#include "support/RecordingMessageSink.h"
#include "terminal/ReceiveMonitor.h"
#include "terminal/Widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <utility>

#include <malloc.h>

using namespace quillon;
using namespace quillon::bench;

namespace {

constexpr int kRate = 25600;
constexpr int kSendCommandRuns = 20;

int Ms(double seconds)
{
    static const double scale = qEnvironmentVariableIsSet("QUILLON_BENCH_SCALE")
        ? qEnvironmentVariable("QUILLON_BENCH_SCALE").toDouble()
        : 1.0;
    return qMax(200, int(seconds * scale * 1000));
}

QString Arg(const QStringList &args, const QString &name)
{
    const qsizetype i = args.indexOf(name);
    return i > 0 ? args.value(i + 1) : QString();
}

/// Runs after every receive tick (connected after the window's own handler): checks what the
/// tick appended to the receive text, and times the ticks.
class TickWatch {
public:
    TickWatch(Quillon &window) : m_window(window), m_text(window.Received())
    {
        m_clock.start();
        QObject::connect(&window.Connection().TimerRead(), &QTimer::timeout, [this] { AfterTick(); });
    }

    /// Starts checking from the receive text as it stands.
    void SetChecking(bool on)
    {
        m_checking = on;
        Sync();
    }
    /// Display form for the next ticks (applied right after a tick, so the checker knows the
    /// exact byte from which it holds) and the kind of the bytes that come next (set it only
    /// while nothing is on the way).
    void SetHex(bool hex, PatternKind kind)
    {
        m_wantHex = hex;
        m_checker.SetKind(kind);
    }
    const RenderingChecker &Checker() const { return m_checker; }

    void ResetTicks()
    {
        m_ticks = 0;
        m_largestAppend = 0;
        m_gaps.clear();
        m_lastTickNs = -1;
    }
    quint64 Ticks() const { return m_ticks; }
    /// The most characters one tick appended since ResetTicks.
    qsizetype LargestAppend() const { return m_largestAppend; }
    Summary Gaps() const { return Summarize(m_gaps); }

    /// Runs the loop until the checker has seen `written` bytes (or failed, or time is up).
    bool DrainTo(quint64 written, int limitMs)
    {
        for (int waited = 0; m_checker.Count() < written && !m_checker.Failed() && waited < limitMs; waited += 20)
            RunFor(20);
        return m_checker.Count() == written && !m_checker.Failed();
    }

    /// Brings the receive area up to date and checks that it shows the receive text as it
    /// should: line ends as single breaks, at most the last ReceiveArea::kShownAtMost characters.
    bool ViewMatchesText()
    {
        m_window.RTextBuf->RefreshNow();
        const QString &exact = m_text.Text();
        QString expected;
        bool lastWasCR = false;
        for (const QChar c : QStringView(exact).right(qMin(exact.size(), ReceiveArea::kShownAtMost))) {
            if (c != QLatin1Char('\n') || !lastWasCR)
                expected += c == QLatin1Char('\r') ? QLatin1Char('\n') : c;
            lastWasCR = c == QLatin1Char('\r');
        }
        // The document's plain-text export turns a no-break space into a space.
        expected.replace(QChar(0xA0), QLatin1Char(' '));
        const QString shown = m_window.RTextBuf->toPlainText();
        if (shown != expected) {
            qsizetype i = 0;
            while (i < qMin(shown.size(), expected.size()) && shown[i] == expected[i])
                ++i;
            PrintLine(QStringLiteral("    the receive area differs from the receive text at %1 of %2/%3: \"%4\" / \"%5\"")
                          .arg(i).arg(shown.size()).arg(expected.size())
                          .arg(shown.mid(i, 20).toHtmlEscaped(), expected.mid(i, 20).toHtmlEscaped()));
        }
        return shown == expected;
    }

private:
    void Sync() { m_end = m_text.Dropped() + m_text.Text().size(); }

    void AfterTick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        if (m_lastTickNs >= 0)
            m_gaps.push_back((now - m_lastTickNs) / 1e6);
        m_lastTickNs = now;
        ++m_ticks;
        if (m_checking) {
            // What came since the last tick starts where the text ended then, whatever was cut
            // from its front in between.
            const QStringView appended = QStringView(m_text.Text()).mid(qsizetype(m_end - m_text.Dropped()));
            m_largestAppend = qMax(m_largestAppend, appended.size());
            m_checker.Feed(appended);
        }
        Sync();
        if (m_wantHex != m_window.CheckDisplay->isChecked()) {
            m_window.CheckDisplay->setChecked(m_wantHex);
            m_checker.SetHex(m_wantHex);
        }
    }

    Quillon &m_window;
    const ReceiveText &m_text;
    RenderingChecker m_checker;
    bool m_checking = false;
    bool m_wantHex = false;
    qint64 m_end = 0; ///< where the receive text ended after the last tick
    qsizetype m_largestAppend = 0;
    QElapsedTimer m_clock;
    qint64 m_lastTickNs = -1;
    quint64 m_ticks = 0;
    std::vector<double> m_gaps;
};

/// Counts the paint events of a widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    quint64 Take() { return std::exchange(m_paints, 0); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_paints;
        return QObject::eventFilter(watched, event);
    }

private:
    quint64 m_paints = 0;
};

QString YesNo(bool b) { return b ? QStringLiteral("yes") : QStringLiteral("NO"); }

QString Met(bool b) { return b ? QStringLiteral("met") : QStringLiteral("MISSED"); }

} // namespace

int main(int argc, char **argv)
{
    PtyFeeder feeder;
    QString error;
    if (!feeder.Start(&error)) {
        PrintLine(QStringLiteral("cannot make a pseudo-terminal: ") + error);
        return 1;
    }
    QApplication app(argc, argv);
    const Results baseline = Results::Load(Arg(app.arguments(), QStringLiteral("--baseline")));
    const QString resultsPath = Arg(app.arguments(), QStringLiteral("--results"));
    const QString only = Arg(app.arguments(), QStringLiteral("--only"));
    const auto wants = [&only](const QString &part) {
        return only.isEmpty() || only.split(QLatin1Char(',')).contains(part);
    };

    QTemporaryDir scratch;
    SetIniFilePath(scratch.filePath(QStringLiteral("quillon.ini")));
    // The session log is on by default; "--log off" gives the same run without it.
    const bool logOff = Arg(app.arguments(), QStringLiteral("--log")) == QLatin1String("off");
    if (logOff) {
        QFile ini(IniFilePath());
        if (!ini.open(QIODevice::WriteOnly) || ini.write("[Log]\r\nEnabled=0\r\n") < 0)
            PrintLine(QStringLiteral("warning: cannot turn the session log off"));
    }
    const QString device = feeder.SlavePath();
    QtSerialComm comm([device](int) { return device; });
    RecordingMessageSink messages;
    Quillon window(comm, messages);
    window.Form_Load();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        PrintLine(QStringLiteral("warning: the window was not exposed (no display?)"));

    // 256000 bps is the line rate the feed stands for; a pseudo-terminal ignores the speed.
    for (const char *speed : {"256000bps", "115200bps"}) {
        window.Connection().SelectSpeed(window.ComboSpeed->findText(QLatin1String(speed)));
        if (!window.PortIsOpen())
            window.ComStartStop->click();
        if (window.PortIsOpen())
            break;
    }
    if (!window.PortIsOpen()) {
        PrintLine(QStringLiteral("cannot open %1: %2").arg(device, messages.messages.join(QLatin1Char(' '))));
        return 1;
    }

    TickWatch watch(window);
    PaintCounter paints(window.RTextBuf->viewport());
    Results results;
    PrintHeading(QStringLiteral("Quillon main window, %1 on %2, platform %3, session log %4")
                     .arg(QStringLiteral("QtSerialComm"), device, QGuiApplication::platformName(),
                          logOff ? QStringLiteral("off") : QStringLiteral("on")));
    if (XServerPid() > 0)
        PrintLine(QStringLiteral("  (X server CPU, pid %1, shown in brackets)").arg(XServerPid()));

    const auto cpuNote = [](const CpuMeter &m) {
        return m.XServerPercent() >= 0 ? QStringLiteral("[X server %1 %]").arg(m.XServerPercent(), 0, 'f', 1)
                                       : QString();
    };

    const auto printCpu = [&results](const QString &key, const QString &label, const CpuFigures &f,
                                     const QString &after) {
        results.Set(key, f.median);
        results.Set(key + QStringLiteral("_lowest"), f.lowest);
        results.Set(key + QStringLiteral("_overall"), f.overall);
        PrintFigure(label, f.median, QStringLiteral("% of a core"),
                    QStringLiteral("(lowest 2 s window %1 %, whole %2 %%3)")
                        .arg(f.lowest, 0, 'f', 2).arg(f.overall, 0, 'f', 2)
                        .arg(f.xServer >= 0 ? QStringLiteral("; X server %1 %").arg(f.xServer, 0, 'f', 1) : QString())
                        + after);
    };

    // Idle: port open, nothing coming; the tick runs and the line labels are refreshed.
    RunFor(1000);
    if (wants(QStringLiteral("idle"))) {
        watch.ResetTicks();
        const CpuFigures idle = MeasureCpu(Ms(10));
        results.Set(QStringLiteral("idle_ticks_per_s"), watch.Ticks() / idle.seconds);
        printCpu(QStringLiteral("idle_cpu"), QStringLiteral("idle CPU, port open"), idle,
                 QStringLiteral(" %1 ticks/s").arg(watch.Ticks() / idle.seconds, 0, 'f', 0));

        // Where an idle tick's time goes: the steps called directly, many times over.
        const auto microseconds = [](const std::function<void()> &step) {
            constexpr int kCalls = 2000;
            const double cpu0 = ProcessCpuSeconds();
            for (int i = 0; i < kCalls; ++i)
                step();
            return (ProcessCpuSeconds() - cpu0) * 1e6 / kCalls;
        };
        const double tick = microseconds([&] { window.Monitor().TimerRead_Timer(); });
        const double waiting = microseconds([&] { (void)comm.InBufferCount(); });
        const double lines = microseconds([&] { window.Lines().ShowLineStates(); });
        results.Set(QStringLiteral("idle_tick_us"), tick);
        PrintFigure(QStringLiteral("  one idle tick, called directly"), tick, QStringLiteral("us CPU"),
                    QStringLiteral("(of which InBufferCount %1 us, ShowLineStates %2 us)")
                        .arg(waiting, 0, 'f', 1).arg(lines, 0, 'f', 1));
    }

    // A fixed 25.6 kB/s feed, text then hexadecimal display; modem-like lines first, then every
    // byte value (shorter, a check more than a figure).
    watch.SetChecking(true);
    struct RateRun {
        PatternKind kind;
        bool hex;
        double seconds;
    };
    for (const RateRun run : {RateRun{PatternKind::Lines, false, 10}, RateRun{PatternKind::Lines, true, 10},
                              RateRun{PatternKind::Binary, false, 5}, RateRun{PatternKind::Binary, true, 5}}) {
        const QString form = run.hex ? QStringLiteral("hex") : QStringLiteral("text");
        const QString key = (run.kind == PatternKind::Lines ? QString() : QStringLiteral("binary_")) + form;
        if (!wants(QStringLiteral("rate-") + QString(key).replace(QLatin1Char('_'), QLatin1Char('-'))))
            continue;
        watch.SetHex(run.hex, run.kind);
        RunFor(50);
        feeder.Rate(run.kind, kRate);
        RunFor(1000);
        paints.Take();
        const CpuFigures f = MeasureCpu(Ms(run.seconds));
        const double paintRate = paints.Take() / f.seconds;
        const bool intact = watch.DrainTo(feeder.Pause(), 3000) && watch.ViewMatchesText();
        results.Set(QStringLiteral("rate_intact_") + key, intact);
        results.Set(QStringLiteral("rate_paints_") + key, paintRate);
        printCpu(QStringLiteral("rate_cpu_") + key,
                 QStringLiteral("CPU at 25.6 kB/s, %1 display, %2").arg(form, PatternName(run.kind)), f,
                 QStringLiteral("; %1 paints/s; all in order, view right: %2").arg(paintRate, 0, 'f', 0).arg(YesNo(intact)));
        if (!intact)
            PrintLine(QStringLiteral("    ") + watch.Checker().FailureText());
    }

    // Flood: as fast as the pseudo-terminal and the window take it, in four stretches (lines and
    // every byte value, each in text and hexadecimal display). The resident size is sampled
    // throughout and must stay flat.
    LatencyProbe probe;
    CpuMeter cpu;
    std::vector<double> rssSamples;
    std::vector<double> stretchEnds;
    std::vector<double> heapEnds; // what the allocator has handed out, as against resident
    QTimer rssTimer;
    QObject::connect(&rssTimer, &QTimer::timeout, [&] { rssSamples.push_back(RssKib() / 1024.0); });
    QElapsedTimer floodClock;
    for (const RateRun run : {RateRun{PatternKind::Lines, false, 6}, RateRun{PatternKind::Lines, true, 6},
                              RateRun{PatternKind::Binary, false, 6}, RateRun{PatternKind::Binary, true, 6}}) {
        const QString form = run.hex ? QStringLiteral("hex") : QStringLiteral("text");
        const QString key = (run.kind == PatternKind::Lines ? QString() : QStringLiteral("binary_")) + form;
        if (!wants(QStringLiteral("flood-") + QString(key).replace(QLatin1Char('_'), QLatin1Char('-'))))
            continue;
        watch.SetHex(run.hex, run.kind);
        RunFor(50);
        feeder.Flood(run.kind);
        RunFor(500);
        if (!floodClock.isValid()) {
            floodClock.start();
            rssSamples.push_back(RssKib() / 1024.0);
            rssTimer.start(500);
        }
        const quint64 start = watch.Checker().Count();
        watch.ResetTicks();
        probe.Start();
        cpu.Start();
        paints.Take();
        RunFor(Ms(run.seconds));
        const double mbps = (watch.Checker().Count() - start) / 1e6 / cpu.WallSeconds();
        const double percent = cpu.Percent();
        const QString note = cpuNote(cpu) + QStringLiteral(" [%1 paints/s]").arg(paints.Take() / cpu.WallSeconds(), 0, 'f', 0);
        const double ticks = watch.Ticks() / cpu.WallSeconds();
        probe.Stop();
        const bool intact = watch.DrainTo(feeder.Pause(), 5000) && watch.ViewMatchesText();
        const qsizetype largest = watch.LargestAppend(); // the drain included
        stretchEnds.push_back(RssKib() / 1024.0);
        heapEnds.push_back(HeapInUseKib() / 1024.0);
        const Summary latency = probe.Result();
        const Summary gaps = watch.Gaps();
        results.Set(QStringLiteral("flood_mbps_") + key, mbps);
        results.Set(QStringLiteral("flood_cpu_") + key, percent);
        results.Set(QStringLiteral("flood_intact_") + key, intact);
        results.Set(QStringLiteral("flood_latency_median_") + key, latency.median);
        results.Set(QStringLiteral("flood_latency_p99_") + key, latency.p99);
        results.Set(QStringLiteral("flood_latency_max_") + key, latency.max);
        results.Set(QStringLiteral("flood_tick_gap_max_") + key, gaps.max);
        results.Set(QStringLiteral("flood_largest_append_") + key, double(largest));
        PrintFigure(QStringLiteral("flood rendered, %1 display, %2").arg(form, PatternName(run.kind)), mbps,
                    QStringLiteral("MB/s"),
                    QStringLiteral("(%1 % CPU %2) all in order, view right: %3").arg(percent, 0, 'f', 1).arg(note, YesNo(intact)));
        if (!intact)
            PrintLine(QStringLiteral("    ") + watch.Checker().FailureText());
        PrintFigure(QStringLiteral("  ticks per second"), ticks, QStringLiteral("/s"),
                    QStringLiteral("(gap median %1 ms, max %2 ms; one tick appended up to %3 characters)")
                        .arg(gaps.median, 0, 'f', 1).arg(gaps.max, 0, 'f', 1).arg(largest));
        PrintFigure(QStringLiteral("  posted-event wait, median"), latency.median, QStringLiteral("ms"),
                    QStringLiteral("p99 %1 ms, max %2 ms (%3 events)").arg(latency.p99, 0, 'f', 2).arg(latency.max, 0, 'f', 2).arg(latency.count));
    }
    if (!rssSamples.empty()) {
        rssTimer.stop();
        rssSamples.push_back(RssKib() / 1024.0);
        const double first = rssSamples.front();
        const double last = rssSamples.back();
        const double highest = *std::max_element(rssSamples.begin(), rssSamples.end());
        results.Set(QStringLiteral("flood_rss_first_mib"), first);
        results.Set(QStringLiteral("flood_rss_last_mib"), last);
        // Flat: the second half of the flood never went more than 10 % above the first half's
        // highest sample (the first samples are the warm-up of the first stretch).
        const auto half = rssSamples.begin() + qsizetype(rssSamples.size() / 2);
        const double firstHalf = *std::max_element(rssSamples.begin(), half);
        const double secondHalf = *std::max_element(half, rssSamples.end());
        results.Set(QStringLiteral("flood_rss_second_half_growth"), (secondHalf / firstHalf - 1) * 100);
        results.Set(QStringLiteral("flood_rss_highest_mib"), highest);
        results.Set(QStringLiteral("flood_seconds"), floodClock.elapsed() / 1000.0);
        results.Set(QStringLiteral("flood_checked_mb"), watch.Checker().Count() / 1e6);
        PrintFigure(QStringLiteral("resident size over %1 s of flood: first").arg(floodClock.elapsed() / 1000.0, 0, 'f', 0),
                    first, QStringLiteral("MiB"),
                    QStringLiteral("last %1 MiB, highest sample %2 MiB (%3 samples, %4 MB checked since start)")
                        .arg(last, 0, 'f', 2).arg(highest, 0, 'f', 2).arg(rssSamples.size())
                        .arg(watch.Checker().Count() / 1e6, 0, 'f', 1));
        QStringList ends;
        for (const double mib : stretchEnds)
            ends << QString::number(mib, 'f', 1);
        QStringList heaps;
        for (const double mib : heapEnds)
            heaps << QString::number(mib, 'f', 1);
        PrintLine(QStringLiteral("    at the end of each stretch: %1 MiB (heap in use %2 MiB)")
                      .arg(ends.join(QStringLiteral(", ")), heaps.join(QStringLiteral(", "))));
        // What the allocator keeps after the large blocks of a flood were freed, as opposed to
        // memory still in use.
        ::malloc_trim(0);
        results.Set(QStringLiteral("flood_rss_trimmed_mib"), RssKib() / 1024.0);
        PrintFigure(QStringLiteral("  resident size once the allocator returned free memory"), RssKib() / 1024.0,
                    QStringLiteral("MiB"));
    }
    results.Set(QStringLiteral("peak_rss_mib"), PeakRssKib() / 1024.0);

    // SendCommand's fixed wait, the far end answering OK.
    watch.SetChecking(false);
    watch.SetHex(false, PatternKind::Lines);
    feeder.Respond(true);
    RunFor(100);
    std::vector<double> waits;
    std::vector<double> waitCpu;
    int answered = 0;
    for (int i = 0; i < (wants(QStringLiteral("wait")) ? kSendCommandRuns : 0); ++i) {
        QElapsedTimer wall;
        const double cpu0 = ProcessCpuSeconds();
        wall.start();
        window.Exchange().SendCommand(QStringLiteral("AT"));
        waits.push_back(wall.nsecsElapsed() / 1e6);
        waitCpu.push_back((ProcessCpuSeconds() - cpu0) * 1000);
        answered += window.Received().Text().contains(QLatin1String("OK"));
    }
    feeder.Respond(false);
    const Summary wait = Summarize(waits);
    const Summary waitCost = Summarize(waitCpu);
    results.Set(QStringLiteral("wait_min_ms"), wait.min);
    results.Set(QStringLiteral("wait_median_overshoot_ms"), wait.median - CommandExchange::kReplyWaitMs);
    results.Set(QStringLiteral("wait_max_ms"), wait.max);
    results.Set(QStringLiteral("wait_cpu_median_ms"), waitCost.median);
    results.Set(QStringLiteral("wait_cpu_max_ms"), waitCost.max);
    PrintFigure(QStringLiteral("SendCommand wait, shortest of %1").arg(kSendCommandRuns), wait.min, QStringLiteral("ms"),
                QStringLiteral("(median %1 ms, longest %2 ms; %3 of %4 found \"OK\")")
                    .arg(wait.median, 0, 'f', 2).arg(wait.max, 0, 'f', 2).arg(answered).arg(kSendCommandRuns));
    PrintFigure(QStringLiteral("SendCommand CPU per wait, median"), waitCost.median, QStringLiteral("ms"),
                QStringLiteral("(max %1 ms)").arg(waitCost.max, 0, 'f', 2));

    // Side by side with the baseline and the goals. CPU shows the median of the 2 s windows and,
    // in brackets, the quietest one.
    const auto number = [](double value, int decimals) { return QString::number(value, 'f', decimals); };
    const auto cpuOf = [&number](const Results &r, const QString &key) {
        if (!r.Has(key))
            return QStringLiteral("-");
        return QStringLiteral("%1 (%2)").arg(number(r.Get(key), 1), number(r.Get(key + QStringLiteral("_lowest")), 1));
    };
    const auto valueOf = [&number](const Results &r, const QString &key, int decimals) {
        return r.Has(key) ? number(r.Get(key), decimals) : QStringLiteral("-");
    };
    // A figure that was not measured (--only) gets no verdict.
    const auto row = [](const QString &what, const QString &goal, const QString &value,
                        const QString &baselineValue, bool met) {
        PrintLine(QStringLiteral("  %1 %2 %3 %4 %5").arg(what, -40).arg(goal, -8).arg(value, 13)
                      .arg(baselineValue, 13).arg(value == QLatin1String("-") ? QString() : Met(met)));
    };
    bool allIntact = true;
    double worstLatency = 0;
    for (const QString &key : {QStringLiteral("text"), QStringLiteral("hex"), QStringLiteral("binary_text"),
                               QStringLiteral("binary_hex")}) {
        for (const QString &figure : {QStringLiteral("rate_intact_"), QStringLiteral("flood_intact_")})
            allIntact = allIntact && results.Get(figure + key, 1) > 0;
        worstLatency = qMax(worstLatency, results.Get(QStringLiteral("flood_latency_max_") + key, 0));
    }
    const double rssGrowth = results.Get(QStringLiteral("flood_rss_second_half_growth"), 0);
    const bool flooded = results.Has(QStringLiteral("flood_rss_first_mib"));
    results.Set(QStringLiteral("wait_min_cpu_ms"), waitCost.min);
    const auto cpuRow = [&](const QString &what, const QString &goal, const QString &key, const QString &baseKey, double limit) {
        row(what, goal, cpuOf(results, key), cpuOf(baseline, baseKey), results.Get(key) <= limit);
    };
    const auto floodRow = [&](const QString &what, const QString &goal, const QString &key, double limit) {
        row(what, goal, valueOf(results, key, 2), valueOf(baseline, QStringLiteral("flood_mbps"), 2),
            results.Get(key) >= limit);
    };

    PrintHeading(QStringLiteral("Summary"));
    PrintLine(QStringLiteral("  %1 %2 %3 %4").arg(QStringLiteral("figure"), -40).arg(QStringLiteral("goal"), -8)
                  .arg(QStringLiteral("Quillon"), 13).arg(QStringLiteral("baseline"), 13));
    cpuRow(QStringLiteral("idle CPU (% of a core)"), QStringLiteral("<= 2"), QStringLiteral("idle_cpu"), QStringLiteral("idle_cpu"), 2);
    cpuRow(QStringLiteral("25.6 kB/s, text (% of a core)"), QStringLiteral("<= 8"), QStringLiteral("rate_cpu_text"), QStringLiteral("rate_cpu"), 8);
    cpuRow(QStringLiteral("25.6 kB/s, hex (% of a core)"), QStringLiteral("<= 10"), QStringLiteral("rate_cpu_hex"), QStringLiteral("rate_cpu"), 10);
    cpuRow(QStringLiteral("25.6 kB/s, all bytes, text"), QStringLiteral("<= 8"), QStringLiteral("rate_cpu_binary_text"), QStringLiteral("rate_cpu"), 8);
    cpuRow(QStringLiteral("25.6 kB/s, all bytes, hex"), QStringLiteral("<= 10"), QStringLiteral("rate_cpu_binary_hex"), QStringLiteral("rate_cpu"), 10);
    floodRow(QStringLiteral("flood, text (MB/s)"), QStringLiteral(">= 2"), QStringLiteral("flood_mbps_text"), 2);
    floodRow(QStringLiteral("flood, hex (MB/s)"), QStringLiteral(">= 1"), QStringLiteral("flood_mbps_hex"), 1);
    floodRow(QStringLiteral("flood, all bytes, text (MB/s)"), QStringLiteral(">= 2"), QStringLiteral("flood_mbps_binary_text"), 2);
    floodRow(QStringLiteral("flood, all bytes, hex (MB/s)"), QStringLiteral(">= 1"), QStringLiteral("flood_mbps_binary_hex"), 1);
    row(QStringLiteral("no byte lost (every feed)"), QStringLiteral("yes"), results.Has(QStringLiteral("rate_intact_text")) || flooded ? YesNo(allIntact) : QStringLiteral("-"),
        baseline.Has(QStringLiteral("flood_intact")) ? YesNo(baseline.Get(QStringLiteral("flood_intact")) > 0 && baseline.Get(QStringLiteral("rate_intact")) > 0) : QStringLiteral("-"),
        allIntact);
    const auto waitFigure = [&](double value) { return waits.empty() ? QStringLiteral("-") : number(value, 2); };
    row(QStringLiteral("SendCommand: shortest wait (ms)"), QStringLiteral(">= 300"), waitFigure(wait.min), QStringLiteral("-"), wait.min >= 300);
    row(QStringLiteral("SendCommand: median overshoot (ms)"), QStringLiteral("< 10"), waitFigure(wait.median - 300),
        QStringLiteral("-"), wait.median - 300 < 10);
    // 300 ms of the bare poll costs the baseline's idle share of 300 ms.
    row(QStringLiteral("SendCommand: CPU per wait (ms)"), QStringLiteral("< 5"),
        waits.empty() ? QStringLiteral("-") : QStringLiteral("%1 (%2)").arg(number(waitCost.median, 2), number(waitCost.min, 2)),
        baseline.Has(QStringLiteral("idle_cpu"))
            ? QStringLiteral("%1 (%2)").arg(number(baseline.Get(QStringLiteral("idle_cpu")) * 3, 2),
                                            number(baseline.Get(QStringLiteral("idle_cpu_lowest")) * 3, 2))
            : QStringLiteral("-"),
        waitCost.median < 5);
    row(QStringLiteral("flood: peak, 2nd half above 1st (%)"), QStringLiteral("< 10"),
        flooded ? number(rssGrowth, 1) : QStringLiteral("-"), QStringLiteral("-"), rssGrowth < 10);
    const double inUseGrowth = results.Get(QStringLiteral("flood_rss_trimmed_mib"), 0) - results.Get(QStringLiteral("flood_rss_first_mib"), 0);
    row(QStringLiteral("flood: in use after it, above start (MiB)"), QStringLiteral("< 5"),
        flooded ? number(inUseGrowth, 1) : QStringLiteral("-"), QStringLiteral("-"), inUseGrowth < 5);
    row(QStringLiteral("flood: longest posted-event wait (ms)"), QStringLiteral("< 100"), flooded ? number(worstLatency, 1) : QStringLiteral("-"),
        valueOf(baseline, QStringLiteral("flood_latency_max"), 1), worstLatency < 100);
    PrintLine(QStringLiteral("  (CPU: median of 2 s windows, the quietest in brackets; baseline of a wait: 300 ms of bare"));
    PrintLine(QStringLiteral("   polling; peak: highest resident sample of the flood's second half against its first;"));
    PrintLine(QStringLiteral("   in use: resident size once the allocator gave back free memory, against the first sample;"));
    PrintLine(QStringLiteral("   peak resident size %1 MiB, baseline %2 MiB)")
                  .arg(number(results.Get(QStringLiteral("peak_rss_mib")), 1))
                  .arg(baseline.Has(QStringLiteral("peak_rss_kib")) ? number(baseline.Get(QStringLiteral("peak_rss_kib")) / 1024.0, 1) : QStringLiteral("-")));

    if (!resultsPath.isEmpty() && !results.Save(resultsPath))
        PrintLine(QStringLiteral("cannot write ") + resultsPath);
    window.close();
    return 0;
}
