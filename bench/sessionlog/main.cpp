// The session log's cost, measured on the main window through the real serial backend on a
// pseudo-terminal fed by a child process: CPU at 25.6 kB/s received and per 300 ms SendCommand
// wait with the log off and on (alternating rounds, medians), and a flood whose every byte must
// be in the log. Runs headless unless a display is given. QUILLON_BENCH_SCALE scales the periods.

#include "BenchPty.h"
#include "Pattern.h"
#include "Probes.h"
#include "Results.h"

#include "app/PublicMod.h"
#include "app/Quillon.h"
#include "connection/PortConnection.h"
#include "serial/QtSerialComm.h"
#include "sessionlog/LogFormat.h"
#include "sessionlog/window/WindowLog.h"
#include "support/RecordingMessageSink.h"
#include "terminal/CommandExchange.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quillon;
using namespace quillon::bench;

namespace {

constexpr int kRate = 25600;
constexpr int kRounds = 3;
constexpr int kWaits = 20;

int Ms(double seconds)
{
    static const double scale = qEnvironmentVariableIsSet("QUILLON_BENCH_SCALE")
        ? qEnvironmentVariable("QUILLON_BENCH_SCALE").toDouble() : 1.0;
    return qMax(200, int(seconds * scale * 1000));
}

/// The main window on the feeder's device, with the log on or off, port open.
struct Session {
    Session(const QString &device, const QString &folder, bool logOn)
        : comm([device](int) { return device; })
    {
        QFile ini(folder + QStringLiteral("/quillon.ini"));
        if (ini.open(QIODevice::WriteOnly))
            ini.write(QByteArray("[Log]\r\nFolder=") + logs.path().toUtf8() + (logOn ? "\r\nEnabled=1\r\n" : "\r\nEnabled=0\r\n"));
        ini.close();
        SetIniFilePath(ini.fileName());
        window = std::make_unique<Quillon>(comm, messages);
        window->Form_Load();
        window->Connection().SelectSpeed(window->ComboSpeed->findText(QStringLiteral("115200bps")));
        window->ComStartStop->click();
    }
    ~Session()
    {
        if (window->PortIsOpen())
            window->ComStartStop->click();
    }
    bool Open() const { return window->PortIsOpen(); }
    /// Closes the port and returns what the log holds, every part decoded and joined.
    DecodedLog CloseAndRead()
    {
        window->ComStartStop->click();
        SessionLog *log = window->Logging().Log();
        if (!log)
            return {};
        log->Flush();
        DecodedLog all;
        QStringList parts = QDir(logs.path()).entryList({QStringLiteral("*.log")}, QDir::Files);
        // "<base>.log" first, then "<base>-2.log", "-3", ...
        std::sort(parts.begin(), parts.end(), [](const QString &a, const QString &b) {
            return std::make_pair(a.size(), a) < std::make_pair(b.size(), b);
        });
        for (const QString &name : parts) {
            QFile file(QDir(logs.path()).filePath(name));
            if (!file.open(QIODevice::ReadOnly))
                return {};
            const DecodedLog part = DecodeLog(file.readAll());
            all.errorLine = all.errorLine ? all.errorLine : part.errorLine;
            all.received += part.received;
        }
        return all;
    }
    QTemporaryDir logs;

    QtSerialComm comm;
    RecordingMessageSink messages;
    std::unique_ptr<Quillon> window;
};

double Median(std::vector<double> v) { return Summarize(std::move(v)).median; }

} // namespace

int main(int argc, char **argv)
{
    PtyFeeder feeder;
    QString error;
    if (!feeder.Start(&error)) {
        PrintLine(QStringLiteral("cannot make a pseudo-terminal: ") + error);
        return 1;
    }
    if (!qEnvironmentVariableIsSet("DISPLAY") && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir scratch;
    const QString device = feeder.SlavePath();

    PrintHeading(QStringLiteral("25.6 kB/s received (ASCII lines), CPU %% of one core, %1 rounds").arg(kRounds));
    std::vector<double> cpu[2];
    for (int round = 0; round < kRounds; ++round) {
        for (int on = 0; on < 2; ++on) {
            Session s(device, scratch.path(), on);
            if (!s.Open()) {
                PrintLine(QStringLiteral("cannot open ") + device);
                return 1;
            }
            feeder.Rate(PatternKind::Lines, kRate);
            QTest::qWait(Ms(0.5));
            CpuMeter meter;
            meter.Start();
            QTest::qWait(Ms(3));
            cpu[on].push_back(meter.Percent());
            feeder.Pause();
            QTest::qWait(200);
        }
    }
    const double rateOff = Median(cpu[0]), rateOn = Median(cpu[1]);
    PrintFigure(QStringLiteral("log off, median"), rateOff, QStringLiteral("%"));
    PrintFigure(QStringLiteral("log on, median"), rateOn, QStringLiteral("%"));
    PrintFigure(QStringLiteral("added by the log"), rateOn - rateOff, QStringLiteral("% of a core"), QStringLiteral("goal <= 1"));

    PrintHeading(QStringLiteral("Flood (ASCII lines, then all byte values), log on"));
    for (PatternKind kind : {PatternKind::Lines, PatternKind::Binary}) {
        Session s(device, scratch.path(), true);
        QTest::qWait(300); // what waited in the line since the last round
        const quint64 start = feeder.Pause();
        feeder.Flood(kind);
        QElapsedTimer clock;
        clock.start();
        QTest::qWait(Ms(3));
        const quint64 end = feeder.Pause();
        const double seconds = clock.nsecsElapsed() / 1e9;
        QTest::qWait(1000);
        const DecodedLog log = s.CloseAndRead();
        QByteArray expected(qsizetype(end - start), Qt::Uninitialized);
        FillPattern(kind, expected.data(), expected.size(), start);
        const bool intact = log.errorLine == 0 && log.received.endsWith(expected);
        PrintFigure(PatternName(kind) + QStringLiteral(": fed"), (end - start) / seconds / 1e6, QStringLiteral("MB/s"));
        PrintFigure(PatternName(kind) + QStringLiteral(": every byte in the log"), intact ? 1 : 0, QString(),
                    intact ? QStringLiteral("yes") : QStringLiteral("NO: %1 of %2 bytes").arg(log.received.size()).arg(expected.size()));
    }

    PrintHeading(QStringLiteral("SendCommand wait (the far end answers OK), CPU per wait, %1 waits each").arg(kWaits));
    feeder.Respond(true);
    std::vector<double> waits[2];
    for (int round = 0; round < 2; ++round) {
        for (int on = 0; on < 2; ++on) {
            Session s(device, scratch.path(), on);
            QTest::qWait(200);
            for (int i = 0; i < kWaits / 2; ++i) {
                const double before = ProcessCpuSeconds();
                s.window->Exchange().SendCommand(QStringLiteral("AT"));
                waits[on].push_back((ProcessCpuSeconds() - before) * 1000);
            }
        }
    }
    feeder.Respond(false);
    const double waitOff = Median(waits[0]), waitOn = Median(waits[1]);
    PrintFigure(QStringLiteral("log off, median"), waitOff, QStringLiteral("ms"));
    PrintFigure(QStringLiteral("log on, median"), waitOn, QStringLiteral("ms"));
    PrintFigure(QStringLiteral("added by the log"), waitOn - waitOff, QStringLiteral("ms"), QStringLiteral("goal <= 0.5"));
    SetIniFilePath(QString());
    return 0;
}
