// Durations of the module test ("测试模块"), the window cabled to the in-process simulated module
// through SimSerialComm and shown on a display (run it under Xvfb): a passing run at 115200 bps
// (expected about 4.1 s: its 300 ms waits and pauses) and a search no module answers (expected
// N × 0.5 s for the N entries of the speed list). Prints the figures; asserts nothing.
//
// --results FILE  where to write the figures
// QUILLON_BENCH_SCALE below 1 makes fewer passing runs.

#include "Probes.h"
#include "Results.h"

#include "app/PublicMod.h"
#include "app/Quillon.h"
#include "gsm/ModuleTest.h"
#include "serial/SimSerialComm.h"
#include "connection/PortConnection.h"
#include "sim/GsmModule.h"
#include "support/RecordingMessageSink.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace quillon;
using namespace quillon::bench;

namespace {

struct Run {
    double seconds = 0;
    double cpuMs = 0;
    bool passed = false;
    QStringList messages;
};

Run TimeModuleTest(Quillon &window, RecordingMessageSink &messages)
{
    messages.messages.clear();
    messages.information.clear();
    Run run;
    const double cpu0 = ProcessCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    window.ComVersion->click();
    run.seconds = clock.nsecsElapsed() / 1e9;
    run.cpuMs = (ProcessCpuSeconds() - cpu0) * 1000;
    run.messages = messages.messages;
    run.passed = messages.messages.isEmpty() && window.Received().Text().endsWith(QStringLiteral("测试通过"));
    RunFor(100);
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype resultsAt = args.indexOf(QStringLiteral("--results"));
    const QString resultsPath = resultsAt > 0 ? args.value(resultsAt + 1) : QString();
    const double scale = qEnvironmentVariableIsSet("QUILLON_BENCH_SCALE")
        ? qEnvironmentVariable("QUILLON_BENCH_SCALE").toDouble()
        : 1.0;
    const int passingRuns = scale < 1 ? 1 : 3;

    QTemporaryDir scratch;
    SetIniFilePath(scratch.filePath(QStringLiteral("quillon.ini")));
    sim::GsmModule module;
    SimSerialComm comm(&module);
    RecordingMessageSink messages;
    Quillon window(comm, messages);
    window.Form_Load();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        PrintLine(QStringLiteral("warning: the window was not exposed (no display?)"));
    window.Connection().SelectSpeed(window.ComboSpeed->findText(QStringLiteral("115200bps")));
    window.ComStartStop->click();
    if (!window.PortIsOpen()) {
        PrintLine(QStringLiteral("cannot open the simulated port: ") + messages.messages.join(QLatin1Char(' ')));
        return 1;
    }
    RunFor(300);

    Results results;
    PrintHeading(QStringLiteral("Module test, window cabled to the simulated module (SimSerialComm), platform %1")
                     .arg(QGuiApplication::platformName()));

    std::vector<double> passing;
    std::vector<double> passingCpu;
    bool allPassed = true;
    for (int i = 0; i < passingRuns; ++i) {
        const Run run = TimeModuleTest(window, messages);
        passing.push_back(run.seconds);
        passingCpu.push_back(run.cpuMs);
        allPassed = allPassed && run.passed;
        if (!run.passed)
            PrintLine(QStringLiteral("  run %1 did not pass: %2").arg(i + 1).arg(run.messages.join(QStringLiteral(" | "))));
    }
    const Summary pass = Summarize(passing);
    const Summary passCpu = Summarize(passingCpu);
    results.Set(QStringLiteral("pass_seconds_median"), pass.median);
    results.Set(QStringLiteral("pass_seconds_min"), pass.min);
    results.Set(QStringLiteral("pass_seconds_max"), pass.max);
    results.Set(QStringLiteral("pass_cpu_ms_median"), passCpu.median);
    results.Set(QStringLiteral("pass_all_passed"), allPassed);
    PrintFigure(QStringLiteral("passing run at 115200 bps, median of %1").arg(passingRuns), pass.median, QStringLiteral("s"),
                QStringLiteral("(%1 to %2 s; about 4.1 s expected; CPU %3 ms; passed: %4)")
                    .arg(pass.min, 0, 'f', 3).arg(pass.max, 0, 'f', 3).arg(passCpu.median, 0, 'f', 0)
                    .arg(allPassed ? QStringLiteral("yes") : QStringLiteral("NO")));

    module.SetPowered(false);
    const int attempts = window.ComboSpeed->count();
    const Run silent = TimeModuleTest(window, messages);
    const bool told = silent.messages == QStringList{QStringLiteral("设备没有反应,检查是否开机")};
    results.Set(QStringLiteral("silent_seconds"), silent.seconds);
    results.Set(QStringLiteral("silent_expected_seconds"), attempts * 0.5);
    results.Set(QStringLiteral("silent_cpu_ms"), silent.cpuMs);
    results.Set(QStringLiteral("silent_message_shown"), told);
    PrintFigure(QStringLiteral("unanswered search, %1 attempts").arg(attempts), silent.seconds, QStringLiteral("s"),
                QStringLiteral("(%1 x 0.5 s = %2 s expected; CPU %3 ms; \"设备没有反应,检查是否开机\" shown: %4)")
                    .arg(attempts).arg(attempts * 0.5, 0, 'f', 1).arg(silent.cpuMs, 0, 'f', 0)
                    .arg(told ? QStringLiteral("yes") : QStringLiteral("NO")));

    if (!resultsPath.isEmpty() && !results.Save(resultsPath))
        PrintLine(QStringLiteral("cannot write ") + resultsPath);
    window.close();
    return 0;
}
