#pragma once
// Where module test records are kept: an SQLite database in the log folder, and optionally a
// PostgreSQL database shared by a line of benches.
//
// Every record is written to the local database first, in one transaction. When a central
// database is named, the record is then sent there; records the server did not take wait in the
// local outbox and go at the next Store or Sync, keyed by run id so none arrives twice. When the
// local database cannot be written (locked, corrupt, unwritable, made by a newer version), the
// record is appended to a side file of JSON lines beside it and imported at the next successful
// write or Sync. The store lives on one thread (the one that made it).

#include "records/RunRecord.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace quillon::records {

inline constexpr char kDatabaseFileName[] = "quillon-records.sqlite";
inline constexpr char kSideFileSuffix[] = ".pending.jsonl";

/// The schema version this build writes; a database with a higher one is left alone.
inline constexpr int kSchemaVersion = 1;

struct StoreResult {
    bool stored = false;    // in the local database
    bool keptAside = false; // not in the database: in the side file (or, failing that, memory)
    bool sent = false;      // in the central database (false when none is named)
    /// For the user, once per problem: set when writing first fails in a new way, empty while
    /// the same problem persists and after it is over. Says what to fix and where the record went.
    QString message;
};

struct SyncResult {
    int imported = 0; // records taken from the side file into the local database
    int sent = 0;     // records the central database received now
    int waiting = 0;  // records still waiting for the central database
    QString error;    // empty when everything went where it should
};

struct RecordFilter {
    QDateTime since; // started at or after (invalid: no bound)
    QDateTime until; // started before
    std::optional<Outcome> outcome;
    QString imei;
    int limit = 0; // 0: all
};

struct Summary {
    struct Count {
        QString text;
        qint64 runs = 0;
    };
    struct RepeatedImei {
        QString imei;
        qint64 runs = 0;
        qint64 passed = 0;
        QString lastOutcome;
    };
    qint64 runs = 0;
    qint64 passed = 0;
    qint64 failed = 0;
    qint64 cutShort = 0;
    qint64 units = 0;       // distinct IMEIs
    qint64 unitsPassed = 0; // distinct IMEIs with at least one passing run
    qint64 withoutImei = 0; // runs that ended before the IMEI was read
    QList<Count> failures;  // by diagnosis, most frequent first
    QList<Count> cuts;      // cut-short runs by reason
    QList<RepeatedImei> repeated;
};

class RecordStore
{
public:
    /// `databaseFile`: the SQLite file (created with its folder when missing). `centralUrl`:
    /// "postgresql://user@host:port/dbname" (also "?host=/socket/dir"), empty for none. Nothing
    /// is opened yet: problems show at the first Store, Sync or query.
    explicit RecordStore(const QString &databaseFile, const QString &centralUrl = {});
    ~RecordStore();
    RecordStore(const RecordStore &) = delete;
    RecordStore &operator=(const RecordStore &) = delete;

    /// The store of the log folder `folder` (file kDatabaseFileName in it).
    static std::unique_ptr<RecordStore> Open(const QString &folder, const QString &centralUrl = {});

    QString DatabaseFile() const { return m_file; }
    QString SideFile() const { return m_file + QLatin1String(kSideFileSuffix); }

    /// Keeps one record. Never throws; the record is lost only if neither the database, the
    /// side file nor memory can take it. An empty bench is filled with the host name.
    StoreResult Store(const RunRecord &record);
    /// Keeps several records in one transaction (a fixture of modules finishing together, an
    /// import); otherwise as Store.
    StoreResult StoreAll(const QList<RunRecord> &records);

    /// Imports the side file and sends what waits for the central database.
    SyncResult Sync();

    /// Queries of the local database, newest first. On failure: empty, and *error set.
    QList<RunRecord> List(const RecordFilter &filter, QString *error = nullptr);
    std::optional<RunRecord> Find(const QString &runIdOrPrefix, QString *error = nullptr);
    /// Calls `each` for every matching record, oldest first, without holding them all.
    bool ForEach(const RecordFilter &filter, const std::function<void(const RunRecord &)> &each,
                 QString *error = nullptr);
    std::optional<Summary> Summarize(const RecordFilter &filter, QString *error = nullptr);

    /// Records waiting for the central database.
    int Waiting();

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
    QString m_file;
};

/// Parts of a central database address; nullopt for anything but postgresql:// or postgres://
/// with a database name.
struct CentralAddress {
    QString user;
    QString password; // only when written in the address; ~/.pgpass is read by libpq otherwise
    QString host;     // name, address or socket folder
    int port = -1;
    QString database;
};
std::optional<CentralAddress> ParseCentralUrl(const QString &url);

} // namespace quillon::records
