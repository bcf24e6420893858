// quillon-records as other tools and people use it: export read back by a CSV reader and a JSON
// parser gives the stored values, list filters, summary figures, and command-line mistakes.

#include "records/RecordCodec.h"
#include "records/RecordStore.h"
#include "records/SampleRecords.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace quillon::records;
using quillon::test::SampleRecords;

namespace {

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

// A reader written from RFC 4180 alone: quoted fields, doubled quotes, CR LF inside quotes.
QList<QStringList> ReadCsv(const QByteArray &bytes)
{
    QList<QStringList> rows;
    QStringList row;
    QByteArray field;
    bool quoted = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quoted) {
            if (c == '"' && i + 1 < bytes.size() && bytes[i + 1] == '"')
                field += bytes[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.append(QString::fromUtf8(field));
            field.clear();
        } else if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            row.append(QString::fromUtf8(field));
            field.clear();
            rows.append(row);
            row.clear();
            ++i;
        } else {
            field += c;
        }
    }
    return rows;
}

} // namespace

class RecordsTool : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void csvExportReadsBackAsStored();
    void jsonExportReadsBackAsStored();
    void listFilters_data();
    void listFilters();
    void summaryFigures();
    void showFindsRunByPrefix();
    void settingsFileNamesTheLogFolder();
    void commandLineMistakes_data();
    void commandLineMistakes();

private:
    ToolRun Run(const QStringList &arguments);
    QTemporaryDir m_dir;
    QString m_db;
};

ToolRun RecordsTool::Run(const QStringList &arguments)
{
    QProcess tool;
    tool.start(QStringLiteral(QUILLON_RECORDS_PROGRAM), arguments);
    ToolRun run;
    if (!tool.waitForFinished(60000))
        return run;
    run.exitCode = tool.exitCode();
    run.out = tool.readAllStandardOutput();
    run.err = QString::fromUtf8(tool.readAllStandardError());
    return run;
}

void RecordsTool::initTestCase()
{
    m_db = m_dir.filePath(QStringLiteral("logs/") + QLatin1String(kDatabaseFileName));
    RecordStore store(m_db);
    QVERIFY(store.StoreAll(SampleRecords()).stored);
}

void RecordsTool::csvExportReadsBackAsStored()
{
    const ToolRun run = Run({QStringLiteral("export"), QStringLiteral("--csv"), QStringLiteral("--db"), m_db});
    QCOMPARE(run.exitCode, 0);
    const QList<QStringList> rows = ReadCsv(run.out);
    const QList<RunRecord> samples = SampleRecords();
    QCOMPARE(rows.size(), samples.size() + 1);
    QCOMPARE(rows[0], ColumnNames());
    for (qsizetype i = 0; i < samples.size(); ++i) {
        QCOMPARE(rows[i + 1], ToFields(samples[i]));
        QCOMPARE(FromFields(rows[i + 1]), samples[i]);
    }
}

void RecordsTool::jsonExportReadsBackAsStored()
{
    const ToolRun run = Run({QStringLiteral("export"), QStringLiteral("--json"), QStringLiteral("--db"), m_db,
                             QStringLiteral("--result"), QStringLiteral("fail")});
    QCOMPARE(run.exitCode, 0);
    QJsonParseError error;
    const QJsonArray array = QJsonDocument::fromJson(run.out, &error).array();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QList<RunRecord> failed;
    for (const RunRecord &r : SampleRecords())
        if (r.outcome == Outcome::Failed)
            failed.append(r);
    QCOMPARE(array.size(), failed.size());
    for (qsizetype i = 0; i < failed.size(); ++i) {
        QCOMPARE(array[i].toObject().keys().size(), ColumnNames().size());
        QCOMPARE(FromJson(array[i].toObject()), failed[i]);
    }
}

void RecordsTool::listFilters_data()
{
    QTest::addColumn<QStringList>("filter");
    QTest::addColumn<int>("runs");
    QTest::newRow("all") << QStringList {} << 7;
    QTest::newRow("passed") << QStringList {"--result", "pass"} << 3;
    QTest::newRow("cut short") << QStringList {"--result=cut"} << 1;
    QTest::newRow("one IMEI") << QStringList {"--imei", "356938035643809"} << 2;
    QTest::newRow("limit") << QStringList {"--limit", "4"} << 4;
    QTest::newRow("from a moment") << QStringList {"--since", "2026-12-09T08:35:00Z"} << 3;
    QTest::newRow("up to a moment") << QStringList {"--until", "2026-12-09T08:35:00Z"} << 4;
    QTest::newRow("day before") << QStringList {"--until", "2026-12-07"} << 0;
    QTest::newRow("day after") << QStringList {"--since", "2026-12-11"} << 0;
}

void RecordsTool::listFilters()
{
    QFETCH(QStringList, filter);
    QFETCH(int, runs);
    const ToolRun run = Run(QStringList {QStringLiteral("list"), QStringLiteral("--db"), m_db} + filter);
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = QString::fromUtf8(run.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), runs + 1); // and a heading
}

void RecordsTool::summaryFigures()
{
    const ToolRun run = Run({QStringLiteral("summary"), QStringLiteral("--db"), m_db});
    QCOMPARE(run.exitCode, 0);
    const QString text = QString::fromUtf8(run.out);
    for (const QString &expected :
         {QStringLiteral("Runs:          7 (passed 3, failed 3, cut short 1)"), QStringLiteral("42.9 %"),
          QStringLiteral("3 distinct IMEIs"), QStringLiteral("        2  SIM卡读卡出错，请检查SIM卡"),
          QStringLiteral("        1  端口已关闭"), QStringLiteral("356938035643809  2 runs, 1 passed, last fail")})
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" not in:\n") + text));
}

void RecordsTool::showFindsRunByPrefix()
{
    const RunRecord sample = SampleRecords()[2];
    const ToolRun run = Run({QStringLiteral("show"), RunIdText(sample.runId).left(8), QStringLiteral("--db"), m_db});
    QCOMPARE(run.exitCode, 0);
    const QString text = QString::fromUtf8(run.out);
    QVERIFY(text.contains(sample.transcript));
    QVERIFY(text.contains(sample.warning));
    QCOMPARE(Run({QStringLiteral("show"), QStringLiteral("ffffffff"), QStringLiteral("--db"), m_db}).exitCode, 1);
}

void RecordsTool::settingsFileNamesTheLogFolder()
{
    const QString settings = m_dir.filePath(QStringLiteral("quillon.ini"));
    QFile ini(settings);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[QuillonSet]\r\nPort=1\r\n[Log]\r\nFolder=logs     ; beside the settings\r\n");
    ini.close();
    const ToolRun run = Run({QStringLiteral("list"), QStringLiteral("--settings"), settings});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QString::fromUtf8(run.out).count(QLatin1Char('\n')), 8);
}

void RecordsTool::commandLineMistakes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("says");
    QTest::newRow("unknown option") << QStringList {"list", "--colour"} << "unknown option --colour";
    QTest::newRow("no command") << QStringList {} << "no command";
    QTest::newRow("unknown command") << QStringList {"purge"} << "unknown command";
    QTest::newRow("export without format") << QStringList {"export"} << "--csv or --json";
    QTest::newRow("bad result") << QStringList {"list", "--result", "ok"} << "pass, fail or cut";
    QTest::newRow("bad date") << QStringList {"list", "--since", "yesterday"} << "--since takes a date";
    QTest::newRow("show without run") << QStringList {"show"} << "needs a run id";
}

void RecordsTool::commandLineMistakes()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, says);
    const ToolRun run = Run(arguments + QStringList {QStringLiteral("--db"), m_db});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(says) && run.err.contains(QLatin1String("--help")), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
}

QTEST_GUILESS_MAIN(RecordsTool)
#include "tst_records_tool.moc"
