#pragma once
// The tables of a records database, the same on SQLite and PostgreSQL, and the steps that bring
// an older database up to the version this build writes.

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

namespace quillon::records {

enum class Dialect { Sqlite, Postgres };

struct SchemaCheck {
    bool ok = false;
    int found = 0;         // version the database held before
    bool newer = false;    // made by a later build: not touched
    QSqlError sqlError;    // when a statement failed
};

/// Brings `db` to kSchemaVersion in one transaction (serialised between benches on PostgreSQL).
SchemaCheck Migrate(QSqlDatabase &db, Dialect dialect);

/// The columns of table runs, in ColumnNames() order without the transcript.
QString RunColumnList();
/// SELECT list giving every column of ColumnNames() for "runs r LEFT JOIN transcripts t".
QString RecordSelectList();

} // namespace quillon::records
