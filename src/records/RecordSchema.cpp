#include "records/RecordSchema.h"

#include "records/RecordCodec.h"
#include "records/RecordStore.h"

#include <QSqlError>
#include <QSqlQuery>

namespace quillon::records {

namespace {

struct Migration {
    int version;
    QList<const char *> statements;
};

// Each step moves a database from version - 1 to version; steps are never edited once released.
// Transcripts sit in a table of their own so scans of runs (summary, list) stay small.
const Migration kMigrations[] = {
    {1,
     {"CREATE TABLE runs ("
      " run_id TEXT PRIMARY KEY,"
      " started_at TEXT NOT NULL,"
      " ended_at TEXT NOT NULL,"
      " duration_ms BIGINT NOT NULL,"
      " bench TEXT NOT NULL,"
      " port_entry TEXT NOT NULL,"
      " device_path TEXT NOT NULL,"
      " usb_vendor_id INTEGER,"
      " usb_product_id INTEGER,"
      " manufacturer TEXT NOT NULL,"
      " serial_number TEXT NOT NULL,"
      " answered_speed INTEGER NOT NULL,"
      " search_attempts INTEGER NOT NULL,"
      " imei TEXT NOT NULL,"
      " imei_check TEXT NOT NULL,"
      " warning TEXT NOT NULL,"
      " identification TEXT NOT NULL,"
      " outcome TEXT NOT NULL,"
      " diagnosis TEXT NOT NULL,"
      " end_step INTEGER NOT NULL)",
      "CREATE TABLE transcripts (run_id TEXT PRIMARY KEY, transcript TEXT NOT NULL)",
      // Local only in use: run ids the central database has not confirmed yet.
      "CREATE TABLE outbox (run_id TEXT PRIMARY KEY)",
      "CREATE INDEX runs_started_at ON runs (started_at)",
      // Covers the summary's per-IMEI counts, so they never read the rows.
      "CREATE INDEX runs_imei ON runs (imei, outcome, started_at)",
      "CREATE INDEX runs_outcome ON runs (outcome, diagnosis)"}},
};

int ReadVersion(QSqlDatabase &db, bool *ok)
{
    QSqlQuery q(db);
    *ok = q.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) && q.next();
    return *ok ? q.value(0).toInt() : 0;
}

} // namespace

SchemaCheck Migrate(QSqlDatabase &db, Dialect dialect)
{
    SchemaCheck check;
    bool ok = false;
    check.found = ReadVersion(db, &ok);
    if (ok && check.found == kSchemaVersion) {
        check.ok = true;
        return check;
    }

    QSqlQuery q(db);
    auto run = [&](const QString &sql) {
        if (q.exec(sql))
            return true;
        check.sqlError = q.lastError();
        return false;
    };
    auto fail = [&] {
        q.exec(QStringLiteral("ROLLBACK"));
        return check;
    };
    if (!run(QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)")))
        return check;
    if (dialect == Dialect::Sqlite) {
        if (!run(QStringLiteral("BEGIN IMMEDIATE")))
            return check;
    } else if (!run(QStringLiteral("BEGIN"))
               || !run(QStringLiteral("SELECT pg_advisory_xact_lock(7142013)"))) {
        return fail();
    }
    // Read again under the lock: another bench may have migrated meanwhile.
    check.found = ReadVersion(db, &ok);
    if (!ok) {
        check.sqlError = db.lastError();
        return fail();
    }
    if (check.found > kSchemaVersion) {
        check.newer = true;
        return fail();
    }
    for (const Migration &m : kMigrations) {
        if (m.version <= check.found)
            continue;
        for (const char *statement : m.statements)
            if (!run(QString::fromLatin1(statement)))
                return fail();
    }
    if (!run(QStringLiteral("DELETE FROM schema_version"))
        || !run(QStringLiteral("INSERT INTO schema_version (version) VALUES (%1)").arg(kSchemaVersion))
        || !run(QStringLiteral("COMMIT")))
        return fail();
    check.ok = true;
    return check;
}

QString RunColumnList()
{
    QStringList names = ColumnNames();
    names.removeLast();
    return names.join(QStringLiteral(", "));
}

QString RecordSelectList()
{
    QStringList names = ColumnNames();
    for (QString &name : names)
        name = (name == QLatin1String("transcript") ? QStringLiteral("t.") : QStringLiteral("r."))
            + name;
    return names.join(QStringLiteral(", "));
}

} // namespace quillon::records
