// Cost of the test records on this machine: writing one record to SQLite (what a finished run
// costs the window's thread), and, over a generated database of 100 000 records, the summary
// and the list of the latest 50, through the store and through the quillon-records program.
// Prints the figures; asserts nothing.
//
// --records N     size of the generated database (default 100000)
// --results FILE  where to write the figures
// --keep DIR      generate into DIR and keep it (reused when it already holds the records)

#include "Results.h"

#include "records/RecordStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>

using namespace quillon::bench;
using namespace quillon::records;

namespace {

const QString kDiagnoses[] = {
    QStringLiteral("SIM卡读卡出错，请检查SIM卡"),
    QStringLiteral("模块没有及时回复，请重新测试下"),
    QStringLiteral("正在注册网络，请查检天线连接及SIM是否停机或等5S后再重新初始化"),
    QStringLiteral("SIM卡已停机或没有信号"),
    QStringLiteral("读取IMEI号出错"),
    QStringLiteral("设备没有反应,检查是否开机"),
};

QString Imei(quint64 serial)
{
    const QString body = QStringLiteral("35693803%1").arg(serial % 1000000, 6, 10, QLatin1Char('0'));
    return body + QString::number(LuhnCheckDigit(body));
}

// A run like the bench sees them: most pass, some units come back after a failure, transcripts
// of a passing run's size (about 2 kB).
RunRecord Generated(int n, QRandomGenerator &random, const QDateTime &start)
{
    RunRecord r;
    r.runId = QUuid::createUuid();
    r.startedAt = start.addSecs(qint64(n) * 7);
    r.durationMs = 4080 + random.bounded(200);
    r.endedAt = r.startedAt.addMSecs(r.durationMs);
    r.bench = QStringLiteral("bench-%1").arg(n % 4);
    r.portEntry = QStringLiteral("COM%1").arg(1 + n % 6);
    r.devicePath = QStringLiteral("/dev/ttyUSB%1").arg(n % 6);
    r.usbVendorId = 0x1a86;
    r.usbProductId = 0x7523;
    r.manufacturer = QStringLiteral("wch.cn");
    r.serialNumber = QString::number(100000 + n % 6);
    r.answeredSpeed = 115200;
    r.searchAttempts = 1;
    const int roll = int(random.bounded(100));
    const int unit = random.bounded(100) < 5 ? int(random.bounded(quint32(n + 1))) : n; // 5 % retested
    if (roll < 88) {
        r.SetImei(Imei(quint64(unit)));
        r.Finish(Outcome::Passed, {}, 15, r.endedAt);
    } else if (roll < 97) {
        const QString &diagnosis = kDiagnoses[random.bounded(6)];
        if (diagnosis == kDiagnoses[5]) {
            r.answeredSpeed = 0;
            r.searchAttempts = 18;
        }
        r.Finish(Outcome::Failed, diagnosis, diagnosis == kDiagnoses[5] ? 3 : 9, r.endedAt);
    } else {
        r.Finish(Outcome::CutShort, roll == 97 ? QStringLiteral("端口已关闭") : QStringLiteral("设备已断开"), 8,
                 r.endedAt);
    }
    r.identification = QStringLiteral("Manufacturer: KORVEL\r\nModel: MU509\r\nRevision: 11.810.09.00.00\r\n\r\nOK");
    QString transcript;
    for (int line = 0; line < 30; ++line)
        transcript += QStringLiteral("08:30:%1.123 > AT+CREG?\\r\\n  < +CREG: 0,1\\r\\n\\r\\nOK\\r\\n\n")
                          .arg(line, 2, 10, QLatin1Char('0'));
    r.transcript = transcript;
    return r;
}

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

double Percentile(QList<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[qMin(values.size() - 1, qsizetype(double(values.size()) * p))];
}

template <typename F>
QList<double> TimeMs(int times, F &&f)
{
    QList<double> ms;
    for (int i = 0; i < times; ++i) {
        QElapsedTimer timer;
        timer.start();
        f();
        ms.append(double(timer.nsecsElapsed()) / 1e6);
    }
    return ms;
}

// Wall time of one run of the quillon-records program, process start included.
double ToolMs(const QString &program, const QStringList &arguments)
{
    QProcess tool;
    QElapsedTimer timer;
    timer.start();
    tool.start(program, arguments);
    tool.waitForFinished(120000);
    tool.readAllStandardOutput();
    return tool.exitCode() == 0 ? double(timer.nsecsElapsed()) / 1e6 : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    auto option = [&](const QString &name, const QString &fallback) {
        const qsizetype i = args.indexOf(name);
        return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
    };
    const int records = option(QStringLiteral("--records"), QStringLiteral("100000")).toInt();
    QTemporaryDir scratch;
    const QString keep = option(QStringLiteral("--keep"), {});
    const QString folder = keep.isEmpty() ? scratch.path() : keep;
    Results results;
    QRandomGenerator random(13);

    PrintHeading(QStringLiteral("Test records (SQLite, WAL, synchronous=FULL)"));
    {
        QTemporaryDir one;
        const std::unique_ptr<RecordStore> store = RecordStore::Open(one.path());
        store->Store(Generated(0, random, QDateTime::currentDateTimeUtc())); // creates the schema
        int n = 1;
        const QList<double> ms = TimeMs(300, [&] {
            store->Store(Generated(n++, random, QDateTime::currentDateTimeUtc()));
        });
        PrintFigure(QStringLiteral("Write one record: median"), Median(ms), QStringLiteral("ms"), QStringLiteral("goal <= 5"));
        PrintFigure(QStringLiteral("Write one record: 90th percentile"), Percentile(ms, 0.9), QStringLiteral("ms"));
        PrintFigure(QStringLiteral("Write one record: longest of 300"), Percentile(ms, 1.0), QStringLiteral("ms"));
        results.Set(QStringLiteral("records.write_median_ms"), Median(ms));
    }

    const std::unique_ptr<RecordStore> store = RecordStore::Open(folder);
    const std::optional<Summary> existing = store->Summarize({});
    if (!existing || existing->runs < records) {
        const QDateTime start = QDateTime::currentDateTimeUtc().addSecs(-qint64(records) * 7);
        QElapsedTimer timer;
        timer.start();
        for (int n = int(existing ? existing->runs : 0); n < records;) {
            QList<RunRecord> batch;
            for (int i = 0; i < 5000 && n < records; ++i, ++n)
                batch.append(Generated(n, random, start));
            store->StoreAll(batch);
        }
        PrintFigure(QStringLiteral("Generated records"), records, QString(),
                    QStringLiteral("%1 s, %2 MB").arg(double(timer.elapsed()) / 1000, 0, 'f', 1)
                        .arg(double(QFileInfo(store->DatabaseFile()).size()) / 1e6, 0, 'f', 0));
    }

    const QList<double> summary = TimeMs(7, [&] { store->Summarize({}); });
    PrintFigure(QStringLiteral("Summary over %1 records: median of 7").arg(records), Median(summary), QStringLiteral("ms"),
                QStringLiteral("goal <= 300"));
    RecordFilter latest;
    latest.limit = 50;
    const QList<double> list = TimeMs(21, [&] { store->List(latest); });
    PrintFigure(QStringLiteral("Latest 50: median of 21"), Median(list), QStringLiteral("ms"), QStringLiteral("goal <= 50"));
    RecordFilter failed = latest;
    failed.outcome = Outcome::Failed;
    PrintFigure(QStringLiteral("Latest 50 failures: median of 21"), Median(TimeMs(21, [&] { store->List(failed); })),
                QStringLiteral("ms"));
    results.Set(QStringLiteral("records.summary_ms"), Median(summary));
    results.Set(QStringLiteral("records.list50_ms"), Median(list));

    const QString program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("quillon-records"));
    if (QFileInfo::exists(program)) {
        QList<double> toolSummary;
        QList<double> toolList;
        for (int i = 0; i < 5; ++i) {
            toolSummary.append(ToolMs(program, {QStringLiteral("summary"), QStringLiteral("--db"), store->DatabaseFile()}));
            toolList.append(ToolMs(program, {QStringLiteral("list"), QStringLiteral("--db"), store->DatabaseFile()}));
        }
        PrintFigure(QStringLiteral("quillon-records summary (process): median of 5"), Median(toolSummary),
                    QStringLiteral("ms"));
        PrintFigure(QStringLiteral("quillon-records list (process): median of 5"), Median(toolList), QStringLiteral("ms"));
        results.Set(QStringLiteral("records.tool_summary_ms"), Median(toolSummary));
        results.Set(QStringLiteral("records.tool_list_ms"), Median(toolList));
    }
    const QString resultsFile = option(QStringLiteral("--results"), {});
    if (!resultsFile.isEmpty())
        results.Save(resultsFile);
    return 0;
}
