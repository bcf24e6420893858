// The local records database: every field read back as stored, one record per run, a writer
// killed mid-write leaves no partial record, and a database that cannot be written sends the
// record to the side file (or memory) with one message, imported exactly once afterwards.

#include "records/RecordCodec.h"
#include "records/RecordStore.h"
#include "records/SampleRecords.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace quillon::records;
using quillon::test::SampleRecord;
using quillon::test::SampleRecords;

namespace {

// Set in the environment of the child process that writes until it is killed.
constexpr char kWriterFolderVariable[] = "QUILLON_TEST_RECORDS_WRITER";
constexpr char kWriterFirstVariable[] = "QUILLON_TEST_RECORDS_FIRST";

// Big enough that a kill most likely lands inside a write.
RunRecord CrashRecord(int n)
{
    RunRecord r = SampleRecord(n, Outcome::Passed, {}, QStringLiteral("490154203237518"));
    r.transcript = QString(512 * 1024, QChar(u'a' + n % 26));
    return r;
}

int RunWriter(const QString &folder, int first)
{
    const std::unique_ptr<RecordStore> store = RecordStore::Open(folder);
    QFile out;
    if (!out.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered))
        return 1;
    for (int n = first; n < first + 1000; ++n) {
        if (!store->Store(CrashRecord(n)).stored)
            return 1;
        out.write("stored\n");
    }
    return 0;
}

// A second connection to the same file, for what another program would do to it.
class OtherConnection
{
public:
    explicit OtherConnection(const QString &file)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(file);
        db.open();
    }
    ~OtherConnection() { QSqlDatabase::removeDatabase(m_name); }
    QSqlQuery Exec(const QString &sql)
    {
        QSqlQuery q(QSqlDatabase::database(m_name));
        q.exec(sql);
        return q;
    }
    qint64 Count(const QString &sql)
    {
        QSqlQuery q = Exec(sql);
        return q.next() ? q.value(0).toLongLong() : -1;
    }

private:
    QString m_name = QUuid::createUuid().toString();
};

enum class Fault { Locked, Corrupt, FolderIsAFile };

} // namespace

Q_DECLARE_METATYPE(Fault)

class RecordStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void everyFieldReadBack();
    void oneRecordPerRun();
    void filtersAndSummary();
    void killedWriterLeavesNoPartialRecord();
    void faultKeepsRecordAsideAndImportsOnce_data();
    void faultKeepsRecordAsideAndImportsOnce();
    void newerSchemaIsLeftAlone();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString Folder() const { return m_dir->filePath(QStringLiteral("logs")); }
    QString File() const { return QDir(Folder()).filePath(QLatin1String(kDatabaseFileName)); }
};

void RecordStoreTest::init() { m_dir = std::make_unique<QTemporaryDir>(); }

void RecordStoreTest::everyFieldReadBack()
{
    const QList<RunRecord> samples = SampleRecords();
    {
        const std::unique_ptr<RecordStore> store = RecordStore::Open(Folder());
        for (const RunRecord &r : samples) {
            const StoreResult result = store->Store(r);
            QVERIFY(result.stored && !result.keptAside && !result.sent);
            QVERIFY(result.message.isEmpty());
        }
    }
    RecordStore reopened(File());
    for (const RunRecord &r : samples) {
        const std::optional<RunRecord> back = reopened.Find(RunIdText(r.runId).left(13));
        QVERIFY(back);
        QCOMPARE(ToFields(*back), ToFields(r));
        QCOMPARE(*back, r);
    }
    QCOMPARE(reopened.List({}).size(), samples.size());
}

void RecordStoreTest::oneRecordPerRun()
{
    const std::unique_ptr<RecordStore> store = RecordStore::Open(Folder());
    RunRecord run = SampleRecord(1, Outcome::Passed, {}, QStringLiteral("490154203237518"));
    run.bench.clear();
    QVERIFY(store->Store(run).stored);
    RunRecord again = run;
    again.outcome = Outcome::Failed;
    QVERIFY(store->Store(again).stored); // the same run id twice: the first one stands
    QVERIFY(store->Store(RunRecord::Begin()).stored);

    const QList<RunRecord> all = store->List({});
    QCOMPARE(all.size(), 2);
    const std::optional<RunRecord> kept = store->Find(RunIdText(run.runId));
    QVERIFY(kept);
    QCOMPARE(kept->outcome, Outcome::Passed);
    QVERIFY(!kept->bench.isEmpty());
}

void RecordStoreTest::filtersAndSummary()
{
    const std::unique_ptr<RecordStore> store = RecordStore::Open(Folder());
    QVERIFY(store->StoreAll(SampleRecords()).stored);

    RecordFilter failed;
    failed.outcome = Outcome::Failed;
    QCOMPARE(store->List(failed).size(), 3);
    RecordFilter imei;
    imei.imei = QStringLiteral("356938035643809");
    QCOMPARE(store->List(imei).size(), 2);
    RecordFilter window; // samples start one minute apart from 08:31
    window.since = QDateTime(QDate(2026, 12, 9), QTime(8, 33), Qt::UTC);
    window.until = QDateTime(QDate(2026, 12, 9), QTime(8, 36), Qt::UTC);
    window.limit = 2;
    const QList<RunRecord> latest = store->List(window);
    QCOMPARE(latest.size(), 2);
    QCOMPARE(latest[0].runId, SampleRecord(5, Outcome::CutShort, {}, {}).runId);

    const std::optional<Summary> s = store->Summarize({});
    QVERIFY(s);
    QCOMPARE(s->runs, 7);
    QCOMPARE(s->passed, 3);
    QCOMPARE(s->failed, 3);
    QCOMPARE(s->cutShort, 1);
    QCOMPARE(s->units, 3);
    QCOMPARE(s->unitsPassed, 3);
    QCOMPARE(s->withoutImei, 3);
    QCOMPARE(s->failures.size(), 2);
    QCOMPARE(s->failures[0].text, QStringLiteral("SIM卡读卡出错，请检查SIM卡"));
    QCOMPARE(s->failures[0].runs, 2);
    QCOMPARE(s->cuts.size(), 1);
    QCOMPARE(s->repeated.size(), 1);
    QCOMPARE(s->repeated[0].imei, QStringLiteral("356938035643809"));
    QCOMPARE(s->repeated[0].runs, 2);
    QCOMPARE(s->repeated[0].passed, 1);
    QCOMPARE(s->repeated[0].lastOutcome, QStringLiteral("fail"));
}

void RecordStoreTest::killedWriterLeavesNoPartialRecord()
{
    int reported = 0;
    for (int round = 0; round < 3; ++round) {
        QProcess writer;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kWriterFolderVariable, Folder());
        env.insert(kWriterFirstVariable, QString::number(round * 1000));
        writer.setProcessEnvironment(env);
        writer.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(writer.waitForStarted());
        // Killed (SIGKILL) after a few complete records, most likely in the middle of the next.
        const int before = reported;
        while (reported < before + 3) {
            QVERIFY(writer.waitForReadyRead(60000));
            reported += int(writer.readAll().count('\n'));
        }
        writer.kill();
        QVERIFY(writer.waitForFinished());
    }

    OtherConnection db(File());
    QSqlQuery check = db.Exec(QStringLiteral("PRAGMA integrity_check"));
    QVERIFY(check.next());
    QCOMPARE(check.value(0).toString(), QStringLiteral("ok"));
    QCOMPARE(db.Count(QStringLiteral("SELECT COUNT(*) FROM runs r LEFT JOIN transcripts t USING (run_id) "
                                     "WHERE t.run_id IS NULL")),
             0);
    RecordStore store(File());
    const QList<RunRecord> kept = store.List({});
    QVERIFY(kept.size() >= reported);
    QSet<QUuid> seen;
    for (const RunRecord &r : kept) {
        const int n = int(r.durationMs - 4081);
        QCOMPARE(r, CrashRecord(n));
        seen.insert(r.runId);
    }
    QCOMPARE(seen.size(), kept.size());
}

void RecordStoreTest::faultKeepsRecordAsideAndImportsOnce_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("messageSays");
    QTest::addColumn<bool>("sideFile");
    QTest::newRow("locked by another program") << Fault::Locked << QStringLiteral("占用") << true;
    QTest::newRow("not a database") << Fault::Corrupt << QStringLiteral("损坏") << true;
    QTest::newRow("folder cannot be made") << Fault::FolderIsAFile << QStringLiteral("文件夹") << false;
}

void RecordStoreTest::faultKeepsRecordAsideAndImportsOnce()
{
    QFETCH(Fault, fault);
    QFETCH(QString, messageSays);
    QFETCH(bool, sideFile);
    const QList<RunRecord> samples = SampleRecords();
    std::unique_ptr<RecordStore> store = RecordStore::Open(Folder());
    QVERIFY(store->Store(samples[0]).stored);

    std::optional<OtherConnection> holder;
    if (fault == Fault::Locked) {
        holder.emplace(File());
        QVERIFY(holder->Exec(QStringLiteral("BEGIN IMMEDIATE")).isActive());
    } else {
        store.reset(); // lets go of the file before it is replaced
        QVERIFY(QDir(Folder()).removeRecursively());
        if (fault == Fault::Corrupt)
            QVERIFY(QDir().mkpath(Folder()));
        QFile garbage(fault == Fault::Corrupt ? File() : Folder());
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(8192, 'x'));
        store = RecordStore::Open(Folder());
    }
    RecordStore &s = *store;

    const StoreResult first = s.Store(samples[1]);
    QVERIFY(!first.stored && first.keptAside);
    QVERIFY2(first.message.contains(messageSays), qPrintable(first.message));
    const StoreResult second = s.Store(samples[2]);
    QVERIFY(!second.stored && second.keptAside);
    QCOMPARE(second.message, QString()); // the same problem is told once
    QCOMPARE(QFile::exists(s.SideFile()), sideFile);

    // The technician fixes it.
    holder.reset();
    if (fault != Fault::Locked) {
        QVERIFY(QFile::remove(fault == Fault::Corrupt ? File() : Folder()));
        if (sideFile)
            QVERIFY(QFile::exists(s.SideFile()));
    }
    const StoreResult third = s.Store(samples[3]);
    QVERIFY(third.stored);
    QCOMPARE(third.message, QString());
    QVERIFY(!QFile::exists(s.SideFile()));

    QCOMPARE(s.Sync().imported, 0);
    QSet<QUuid> ids;
    for (const RunRecord &r : s.List({})) {
        QVERIFY(!ids.contains(r.runId));
        ids.insert(r.runId);
    }
    QSet<QUuid> expected {samples[1].runId, samples[2].runId, samples[3].runId};
    if (fault == Fault::Locked)
        expected.insert(samples[0].runId);
    QCOMPARE(ids, expected);
}

void RecordStoreTest::newerSchemaIsLeftAlone()
{
    {
        const std::unique_ptr<RecordStore> store = RecordStore::Open(Folder());
        QVERIFY(store->Store(SampleRecords()[0]).stored);
    }
    {
        OtherConnection db(File());
        db.Exec(QStringLiteral("UPDATE schema_version SET version = %1").arg(kSchemaVersion + 1));
    }
    const std::unique_ptr<RecordStore> store = RecordStore::Open(Folder());
    const StoreResult result = store->Store(SampleRecords()[1]);
    QVERIFY(!result.stored && result.keptAside);
    QVERIFY2(result.message.contains(QStringLiteral("更新版本")), qPrintable(result.message));
    OtherConnection db(File());
    QCOMPARE(db.Count(QStringLiteral("SELECT COUNT(*) FROM runs")), 1);
    QCOMPARE(db.Count(QStringLiteral("SELECT version FROM schema_version")), kSchemaVersion + 1);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kWriterFolderVariable))
        return RunWriter(qEnvironmentVariable(kWriterFolderVariable), qEnvironmentVariableIntValue(kWriterFirstVariable));
    RecordStoreTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_record_store.moc"
