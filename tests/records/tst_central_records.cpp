// A line of benches: records written while the central PostgreSQL server is down wait in the
// local database and arrive once it is back, exactly once, whether the next run or a sync
// sends them; a send repeated after a crash adds nothing.

#include "records/RecordCodec.h"
#include "records/RecordStore.h"
#include "records/SampleRecords.h"
#include "support/PostgresServer.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace quillon::records;
using quillon::test::PostgresServer;
using quillon::test::SampleRecord;
using quillon::test::SampleRecords;

namespace {

// Reads what a database holds, through a connection of its own.
class Reader
{
public:
    Reader(const QString &driver, const std::function<void(QSqlDatabase &)> &setUp)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, m_name);
        setUp(db);
        m_open = db.open();
        m_error = db.lastError().text();
    }
    ~Reader() { QSqlDatabase::removeDatabase(m_name); }
    bool Open() const { return m_open; }
    QString Error() const { return m_error; }

    // Run id -> how many times it is there.
    QMap<QString, int> RunIds(const QString &table)
    {
        QMap<QString, int> ids;
        QSqlQuery q(QSqlDatabase::database(m_name));
        q.exec(QStringLiteral("SELECT run_id FROM %1").arg(table));
        while (q.next())
            ++ids[q.value(0).toString()];
        return ids;
    }
    QString Transcript(const QUuid &id)
    {
        QSqlQuery q(QSqlDatabase::database(m_name));
        q.prepare(QStringLiteral("SELECT transcript FROM transcripts WHERE run_id = ?"));
        q.addBindValue(RunIdText(id));
        return q.exec() && q.next() ? q.value(0).toString() : QString();
    }
    void Exec(const QString &sql) { QSqlQuery(QSqlDatabase::database(m_name)).exec(sql); }

private:
    QString m_name = QUuid::createUuid().toString();
    bool m_open = false;
    QString m_error;
};

} // namespace

class CentralRecords : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void recordsWrittenWhileDownArriveOnce();

private:
    std::unique_ptr<PostgresServer> m_server;
    QTemporaryDir m_dir;
};

void CentralRecords::initTestCase()
{
    m_server = std::make_unique<PostgresServer>();
    QVERIFY2(m_server->Valid(), qPrintable(m_server->Error()));
}

void CentralRecords::recordsWrittenWhileDownArriveOnce()
{
    const QList<RunRecord> samples = SampleRecords();
    const std::unique_ptr<RecordStore> store = RecordStore::Open(m_dir.path(), m_server->Url());

    // Server down: kept locally, one message, waiting.
    for (int i = 0; i < 3; ++i) {
        const StoreResult result = store->Store(samples[i]);
        QVERIFY(result.stored && !result.sent);
        QCOMPARE(result.message.isEmpty(), i > 0);
        if (i == 0)
            QVERIFY2(result.message.contains(QStringLiteral("无法写入中心测试记录数据库")), qPrintable(result.message));
    }
    QCOMPARE(store->Waiting(), 3);

    // Back: the next run sends its own record and those that waited.
    QVERIFY2(m_server->Start(), qPrintable(m_server->Error()));
    const StoreResult back = store->Store(samples[3]);
    QVERIFY2(back.sent && back.message.isEmpty(), qPrintable(back.message + m_server->Log()));
    QCOMPARE(store->Waiting(), 0);

    // Down again mid-line, then a sync after it returns.
    QVERIFY(m_server->Stop());
    QVERIFY(!store->Store(samples[4]).sent);
    QVERIFY(!store->Store(samples[5]).sent);
    QVERIFY(m_server->Start());
    const SyncResult sync = store->Sync();
    QVERIFY2(sync.error.isEmpty(), qPrintable(sync.error));
    QCOMPARE(sync.sent, 2);
    QCOMPARE(sync.waiting, 0);

    // A crash after the server committed but before the outbox was emptied: sent again, ignored.
    Reader local(QStringLiteral("QSQLITE"),
                 [&](QSqlDatabase &db) { db.setDatabaseName(store->DatabaseFile()); });
    QVERIFY(local.Open());
    local.Exec(QStringLiteral("INSERT INTO outbox (run_id) SELECT run_id FROM runs"));
    QCOMPARE(store->Sync().sent, 6);

    Reader central(QStringLiteral("QPSQL"), [&](QSqlDatabase &db) {
        db.setHostName(m_server->SocketFolder());
        db.setPort(m_server->Port());
        db.setUserName(QStringLiteral("postgres"));
        db.setDatabaseName(QStringLiteral("postgres"));
    });
    QVERIFY2(central.Open(), qPrintable(central.Error()));
    QMap<QString, int> expected;
    for (int i = 0; i < 6; ++i)
        expected[RunIdText(samples[i].runId)] = 1;
    QCOMPARE(central.RunIds(QStringLiteral("runs")), expected);
    QCOMPARE(central.RunIds(QStringLiteral("transcripts")), expected);
    QCOMPARE(central.Transcript(samples[2].runId), samples[2].transcript);
    QCOMPARE(local.RunIds(QStringLiteral("runs")), expected);
}

QTEST_GUILESS_MAIN(CentralRecords)
#include "tst_central_records.moc"
