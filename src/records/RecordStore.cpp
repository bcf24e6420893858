#include "records/RecordStore.h"

#include "records/RecordCodec.h"
#include "records/RecordSchema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QUrl>
#include <QUrlQuery>

#include <atomic>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace quillon::records {

namespace {

// A writer waits this long for another program's transaction (the tool's sync) before it
// counts the database as locked: longer than any one write takes, short for the window.
constexpr int kBusyTimeoutMs = 250;
constexpr int kConnectTimeoutS = 3;
constexpr int kSendBatch = 500;

std::atomic<int> g_connectionCounter {0};

QString NewConnectionName(const char *kind)
{
    return QStringLiteral("quillon-records-%1-%2").arg(QLatin1String(kind)).arg(++g_connectionCounter);
}

// Qt binds a null QString as SQL NULL; the text columns hold '' for "nothing".
QVariant Text(const QString &s) { return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s); }
QVariant UsbId(int id) { return id < 0 ? QVariant(QMetaType(QMetaType::Int)) : QVariant(id); }

void BindRun(QSqlQuery &q, const RunRecord &r)
{
    q.addBindValue(RunIdText(r.runId));
    q.addBindValue(Text(TimeText(r.startedAt)));
    q.addBindValue(Text(TimeText(r.endedAt)));
    q.addBindValue(r.durationMs);
    q.addBindValue(Text(r.bench));
    q.addBindValue(Text(r.portEntry));
    q.addBindValue(Text(r.devicePath));
    q.addBindValue(UsbId(r.usbVendorId));
    q.addBindValue(UsbId(r.usbProductId));
    q.addBindValue(Text(r.manufacturer));
    q.addBindValue(Text(r.serialNumber));
    q.addBindValue(r.answeredSpeed);
    q.addBindValue(r.searchAttempts);
    q.addBindValue(Text(r.imei));
    q.addBindValue(ImeiCheckName(r.imeiCheck));
    q.addBindValue(Text(r.warning));
    q.addBindValue(Text(r.identification));
    q.addBindValue(OutcomeName(r.outcome));
    q.addBindValue(Text(r.diagnosis));
    q.addBindValue(r.endStep);
}

// Reads the columns of RecordSelectList() from the current row.
RunRecord RecordFromRow(const QSqlQuery &q)
{
    RunRecord r;
    r.runId = QUuid::fromString(q.value(0).toString());
    r.startedAt = TimeFromText(q.value(1).toString());
    r.endedAt = TimeFromText(q.value(2).toString());
    r.durationMs = q.value(3).toLongLong();
    r.bench = q.value(4).toString();
    r.portEntry = q.value(5).toString();
    r.devicePath = q.value(6).toString();
    r.usbVendorId = q.value(7).isNull() ? -1 : q.value(7).toInt();
    r.usbProductId = q.value(8).isNull() ? -1 : q.value(8).toInt();
    r.manufacturer = q.value(9).toString();
    r.serialNumber = q.value(10).toString();
    r.answeredSpeed = q.value(11).toInt();
    r.searchAttempts = q.value(12).toInt();
    r.imei = q.value(13).toString();
    ImeiCheckFromName(q.value(14).toString(), &r.imeiCheck);
    r.warning = q.value(15).toString();
    r.identification = q.value(16).toString();
    OutcomeFromName(q.value(17).toString(), &r.outcome);
    r.diagnosis = q.value(18).toString();
    r.endStep = q.value(19).toInt();
    r.transcript = q.value(20).toString();
    return r;
}

QString Placeholders(int n)
{
    QStringList marks;
    for (int i = 0; i < n; ++i)
        marks.append(QStringLiteral("?"));
    return marks.join(QStringLiteral(", "));
}

// Why a write did not land, worded for the technician.
struct Problem {
    QString kind; // same kind twice in a row is reported once
    QString text;
};

// SQLite result codes (sqlite3.h) that tell the technician what to fix.
Problem LocalProblem(const QString &file, const QSqlError &error)
{
    const int code = error.nativeErrorCode().toInt();
    const QString detail = error.text();
    switch (code) {
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return {QStringLiteral("locked"),
                QStringLiteral("测试记录数据库 %1 正被另一个程序占用：请关闭正在使用它的程序（例如正在运行的 "
                               "quillon-records）。")
                    .arg(file)};
    case 11: // SQLITE_CORRUPT
    case 26: // SQLITE_NOTADB
        return {QStringLiteral("corrupt"),
                QStringLiteral("测试记录数据库 %1 已损坏或不是数据库文件：请把它移到别处保留（程序随后新建一个），"
                               "或用 sqlite3 的 .recover 修复。")
                    .arg(file)};
    case 13: // SQLITE_FULL
        return {QStringLiteral("full"),
                QStringLiteral("磁盘已满，无法写入测试记录数据库 %1：请腾出磁盘空间。").arg(file)};
    default:
        return {QStringLiteral("unwritable:%1").arg(code),
                QStringLiteral("无法写入测试记录数据库 %1（%2）：请检查该文件和所在文件夹是否存在、可写，"
                               "磁盘是否已满；也可在设置文件 [Log] 节的 Folder= 中换一个文件夹。")
                    .arg(file, detail)};
    }
}

} // namespace

std::optional<CentralAddress> ParseCentralUrl(const QString &url)
{
    const QUrl parsed(url, QUrl::StrictMode);
    if (!parsed.isValid()
        || (parsed.scheme() != QLatin1String("postgresql") && parsed.scheme() != QLatin1String("postgres")))
        return std::nullopt;
    CentralAddress address;
    address.user = parsed.userName();
    address.password = parsed.password();
    address.host = parsed.host();
    address.port = parsed.port(-1);
    address.database = parsed.path().mid(1);
    const QUrlQuery query(parsed);
    if (query.hasQueryItem(QStringLiteral("host")))
        address.host = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
    if (query.hasQueryItem(QStringLiteral("port")))
        address.port = query.queryItemValue(QStringLiteral("port")).toInt();
    if (address.database.isEmpty() || address.database.contains(QLatin1Char('/')))
        return std::nullopt;
    return address;
}

class RecordStore::Impl
{
public:
    Impl(const QString &file, const QString &centralUrl)
        : m_file(file), m_side(file + QLatin1String(kSideFileSuffix)), m_centralUrl(centralUrl),
          m_localName(NewConnectionName("local")), m_centralName(NewConnectionName("central"))
    {
    }

    ~Impl()
    {
        CloseLocal();
        CloseCentral();
    }

    bool HasCentral() const { return !m_centralUrl.isEmpty(); }

    // Opens the local database and brings its schema up to date; nullopt when it is usable.
    std::optional<Problem> OpenLocal()
    {
        if (m_localOpen)
            return std::nullopt;
        const QFileInfo info(m_file);
        if (!QDir().mkpath(info.absolutePath()))
            return Problem {QStringLiteral("folder"),
                            QStringLiteral("无法建立测试记录文件夹 %1：请检查路径和权限，或在设置文件 [Log] 节的 "
                                           "Folder= 中换一个文件夹。")
                                .arg(info.absolutePath())};
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_localName);
        db.setDatabaseName(m_file);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        std::optional<Problem> problem;
        if (!db.open()) {
            problem = LocalProblem(m_file, db.lastError());
        } else {
            QSqlQuery q(db);
            // WAL: a commit appends to the log and readers (the tool) never block the writer;
            // FULL syncs each commit, so a power loss keeps every record the caller was told of.
            // A small page cache: a writer touches the last pages of the table and its index,
            // and a scan is served by the system's file cache; SQLite's default 2 MB would
            // fill over a station's first thousand runs and read as growth.
            if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL"))
                || !q.exec(QStringLiteral("PRAGMA synchronous=FULL"))
                || !q.exec(QStringLiteral("PRAGMA cache_size=-256"))) {
                problem = LocalProblem(m_file, q.lastError());
            } else {
                const SchemaCheck check = Migrate(db, Dialect::Sqlite);
                if (check.newer)
                    problem = Problem {QStringLiteral("newer"),
                                       QStringLiteral("测试记录数据库 %1 由更新版本的 Quillon 建立（结构版本 %2）："
                                                      "请使用新版本，或把该文件移到别处。")
                                           .arg(m_file)
                                           .arg(check.found)};
                else if (!check.ok)
                    problem = LocalProblem(m_file, check.sqlError);
            }
        }
        if (problem) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_localName);
            return problem;
        }
        m_localOpen = true;
        return std::nullopt;
    }

    void CloseLocal()
    {
        if (!m_localOpen)
            return;
        m_insertRun.reset();
        m_insertTranscript.reset();
        m_insertOutbox.reset();
        QSqlDatabase::database(m_localName, false).close();
        QSqlDatabase::removeDatabase(m_localName);
        m_localOpen = false;
    }

    QSqlDatabase Local() const { return QSqlDatabase::database(m_localName, false); }

    // Writes `records` in one transaction; a run id already stored is left as it is.
    std::optional<QSqlError> WriteLocal(const QList<RunRecord> &records)
    {
        QSqlDatabase db = Local();
        if (!m_insertRun) {
            m_insertRun.emplace(db);
            m_insertTranscript.emplace(db);
            m_insertOutbox.emplace(db);
            if (!m_insertRun->prepare(QStringLiteral("INSERT INTO runs (%1) VALUES (%2) ON CONFLICT (run_id) DO NOTHING")
                                          .arg(RunColumnList(), Placeholders(ColumnNames().size() - 1)))
                || !m_insertTranscript->prepare(QStringLiteral(
                    "INSERT INTO transcripts (run_id, transcript) VALUES (?, ?) ON CONFLICT (run_id) DO NOTHING"))
                || !m_insertOutbox->prepare(
                    QStringLiteral("INSERT INTO outbox (run_id) VALUES (?) ON CONFLICT (run_id) DO NOTHING"))) {
                const QSqlError error = m_insertRun->lastError().isValid() ? m_insertRun->lastError()
                    : m_insertTranscript->lastError().isValid()            ? m_insertTranscript->lastError()
                                                                           : m_insertOutbox->lastError();
                m_insertRun.reset();
                return error;
            }
        }
        QSqlQuery control(db);
        if (!control.exec(QStringLiteral("BEGIN IMMEDIATE")))
            return control.lastError();
        for (const RunRecord &r : records) {
            BindRun(*m_insertRun, r);
            if (!m_insertRun->exec())
                return Rollback(control, m_insertRun->lastError());
            const bool inserted = m_insertRun->numRowsAffected() > 0;
            m_insertTranscript->addBindValue(RunIdText(r.runId));
            m_insertTranscript->addBindValue(Text(r.transcript));
            if (!m_insertTranscript->exec())
                return Rollback(control, m_insertTranscript->lastError());
            if (inserted && HasCentral()) {
                m_insertOutbox->addBindValue(RunIdText(r.runId));
                if (!m_insertOutbox->exec())
                    return Rollback(control, m_insertOutbox->lastError());
            }
        }
        if (!control.exec(QStringLiteral("COMMIT")))
            return Rollback(control, control.lastError());
        return std::nullopt;
    }

    static QSqlError Rollback(QSqlQuery &control, const QSqlError &error)
    {
        control.exec(QStringLiteral("ROLLBACK"));
        return error;
    }

    // Appends to the side file and syncs it; false when the file cannot be written.
    bool AppendSide(const RunRecord &record)
    {
        QFile f(m_side);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
            return false;
        const QByteArray line = QJsonDocument(ToJson(record)).toJson(QJsonDocument::Compact) + '\n';
        bool ok = f.write(line) == line.size() && f.flush();
#ifdef Q_OS_UNIX
        ok = ok && ::fsync(f.handle()) == 0;
#endif
        return ok;
    }

    // Takes the side file into the database. It is renamed first, so a record another program
    // appends meanwhile goes to a new side file instead of being removed unread.
    int ImportSide(QString *error)
    {
        const QString importing = m_side + QLatin1String(".importing");
        if (!QFileInfo::exists(importing)) {
            if (!QFileInfo::exists(m_side) || !QFile::rename(m_side, importing))
                return 0;
        }
        QFile f(importing);
        if (!f.open(QIODevice::ReadOnly)) {
            *error = f.errorString();
            return 0;
        }
        QList<RunRecord> records;
        int unreadable = 0;
        while (!f.atEnd()) {
            const QByteArray line = f.readLine().trimmed();
            if (line.isEmpty())
                continue;
            const std::optional<RunRecord> record = FromJson(QJsonDocument::fromJson(line).object());
            if (record)
                records.append(*record);
            else
                ++unreadable; // a line cut short by a crash during its append
        }
        f.close();
        if (const std::optional<QSqlError> failed = WriteLocal(records)) {
            *error = failed->text();
            return 0;
        }
        QFile::remove(importing);
        if (unreadable > 0)
            *error = QStringLiteral("%1 unreadable line(s) in the side file were dropped").arg(unreadable);
        return int(records.size());
    }

    std::optional<Problem> OpenCentral()
    {
        if (m_centralOpen)
            return std::nullopt;
        const std::optional<CentralAddress> address = ParseCentralUrl(m_centralUrl);
        if (!address)
            return Problem {QStringLiteral("central-address"),
                            QStringLiteral("设置文件 [Records] 节的 Database=%1 不是可用的地址：应写成 "
                                           "postgresql://用户@主机:端口/数据库名。记录只保存在本机。")
                                .arg(m_centralUrl)};
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_centralName);
        db.setHostName(address->host);
        if (address->port > 0)
            db.setPort(address->port);
        db.setUserName(address->user);
        db.setPassword(address->password);
        db.setDatabaseName(address->database);
        db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(kConnectTimeoutS));
        std::optional<Problem> problem;
        auto unreachable = [this](const QString &detail) { return CentralProblem(detail); };
        if (!db.open()) {
            problem = unreachable(db.lastError().text());
        } else {
            const SchemaCheck check = Migrate(db, Dialect::Postgres);
            if (check.newer)
                problem = unreachable(QStringLiteral("schema version %1 is newer than this build").arg(check.found));
            else if (!check.ok)
                problem = unreachable(check.sqlError.text());
        }
        if (problem) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_centralName);
            return problem;
        }
        m_centralOpen = true;
        return std::nullopt;
    }

    Problem CentralProblem(const QString &detail) const
    {
        return {QStringLiteral("central"),
                QStringLiteral("无法写入中心测试记录数据库 %1（%2）：请检查网络、数据库服务器，以及 "
                               "~/.pgpass 中的密码。记录已保存在本机，连接恢复后会自动补发，也可运行 "
                               "quillon-records sync。")
                    .arg(m_centralUrl, detail.trimmed())};
    }

    void CloseCentral()
    {
        if (!m_centralOpen)
            return;
        QSqlDatabase::database(m_centralName, false).close();
        QSqlDatabase::removeDatabase(m_centralName);
        m_centralOpen = false;
    }

    // Sends everything in the outbox, a batch per transaction on each side. A batch the server
    // committed but the outbox still lists (a crash in between) is sent again and ignored there.
    std::optional<Problem> SendOutbox(int *sent)
    {
        if (const std::optional<Problem> problem = OpenCentral())
            return problem;
        QSqlDatabase local = Local();
        QSqlDatabase central = QSqlDatabase::database(m_centralName, false);
        for (;;) {
            QList<RunRecord> batch;
            {
                QSqlQuery q(local);
                q.setForwardOnly(true);
                if (!q.exec(QStringLiteral("SELECT %1 FROM outbox o JOIN runs r ON r.run_id = o.run_id "
                                           "LEFT JOIN transcripts t ON t.run_id = o.run_id ORDER BY o.run_id LIMIT %2")
                                .arg(RecordSelectList())
                                .arg(kSendBatch)))
                    return LocalProblem(m_file, q.lastError());
                while (q.next())
                    batch.append(RecordFromRow(q));
            }
            if (batch.isEmpty())
                return std::nullopt;
            {
                QSqlQuery control(central);
                QSqlQuery run(central);
                QSqlQuery transcript(central);
                bool ok = control.exec(QStringLiteral("BEGIN"))
                    && run.prepare(QStringLiteral("INSERT INTO runs (%1) VALUES (%2) ON CONFLICT (run_id) DO NOTHING")
                                       .arg(RunColumnList(), Placeholders(ColumnNames().size() - 1)))
                    && transcript.prepare(QStringLiteral("INSERT INTO transcripts (run_id, transcript) VALUES (?, ?) "
                                                         "ON CONFLICT (run_id) DO NOTHING"));
                for (qsizetype i = 0; ok && i < batch.size(); ++i) {
                    BindRun(run, batch[i]);
                    transcript.addBindValue(RunIdText(batch[i].runId));
                    transcript.addBindValue(Text(batch[i].transcript));
                    ok = run.exec() && transcript.exec();
                }
                ok = ok && control.exec(QStringLiteral("COMMIT"));
                if (!ok) {
                    QSqlError error = run.lastError().isValid() ? run.lastError()
                        : transcript.lastError().isValid()      ? transcript.lastError()
                                                                : control.lastError();
                    if (!error.isValid())
                        error = central.lastError();
                    control.exec(QStringLiteral("ROLLBACK"));
                    const Problem problem = CentralProblem(error.text());
                    run = QSqlQuery();
                    transcript = QSqlQuery();
                    control = QSqlQuery();
                    central = QSqlDatabase();
                    CloseCentral();
                    return problem;
                }
            }
            QSqlQuery done(local);
            QSqlQuery remove(local);
            bool ok = done.exec(QStringLiteral("BEGIN IMMEDIATE"))
                && remove.prepare(QStringLiteral("DELETE FROM outbox WHERE run_id = ?"));
            for (qsizetype i = 0; ok && i < batch.size(); ++i) {
                remove.addBindValue(RunIdText(batch[i].runId));
                ok = remove.exec();
            }
            if (!ok || !done.exec(QStringLiteral("COMMIT"))) {
                const QSqlError error = done.lastError();
                done.exec(QStringLiteral("ROLLBACK"));
                return LocalProblem(m_file, error);
            }
            *sent += int(batch.size());
        }
    }

    int Waiting()
    {
        if (!HasCentral() || OpenLocal())
            return 0;
        QSqlQuery q(Local());
        return q.exec(QStringLiteral("SELECT COUNT(*) FROM outbox")) && q.next() ? q.value(0).toInt() : 0;
    }

    QString m_file;
    QString m_side;
    QString m_centralUrl;
    QString m_localName;
    QString m_centralName;
    bool m_localOpen = false;
    bool m_centralOpen = false;
    std::optional<QSqlQuery> m_insertRun;
    std::optional<QSqlQuery> m_insertTranscript;
    std::optional<QSqlQuery> m_insertOutbox;
    QString m_localProblem;    // kind of the local problem last reported, empty once it is over
    QString m_centralProblem;
    QList<RunRecord> m_unkept; // records neither the database nor the side file could take
};

RecordStore::RecordStore(const QString &databaseFile, const QString &centralUrl)
    : m_impl(std::make_unique<Impl>(databaseFile, centralUrl)), m_file(databaseFile)
{
}

RecordStore::~RecordStore() = default;

std::unique_ptr<RecordStore> RecordStore::Open(const QString &folder, const QString &centralUrl)
{
    return std::make_unique<RecordStore>(QDir(folder).filePath(QLatin1String(kDatabaseFileName)),
                                         centralUrl);
}

StoreResult RecordStore::Store(const RunRecord &record) { return StoreAll({record}); }

StoreResult RecordStore::StoreAll(const QList<RunRecord> &given)
{
    Impl &d = *m_impl;
    StoreResult result;
    QList<RunRecord> fresh = given;
    for (RunRecord &r : fresh)
        if (r.bench.isEmpty())
            r.bench = QSysInfo::machineHostName();

    QList<RunRecord> records = d.m_unkept + fresh;
    std::optional<Problem> problem = d.OpenLocal();
    if (!problem) {
        if (const std::optional<QSqlError> error = d.WriteLocal(records)) {
            problem = LocalProblem(d.m_file, *error);
            d.CloseLocal();
        }
    }
    QStringList messages;
    if (!problem) {
        result.stored = true;
        d.m_unkept.clear();
        d.m_localProblem.clear();
        QString ignored; // a side file that cannot be imported now is tried again next time
        d.ImportSide(&ignored);
    } else {
        result.keptAside = true;
        bool aside = true;
        for (const RunRecord &r : fresh) {
            if (!d.AppendSide(r)) {
                aside = false;
                d.m_unkept.append(r);
            }
        }
        if (problem->kind != d.m_localProblem) {
            d.m_localProblem = problem->kind;
            messages.append(problem->text
                            + (aside ? QStringLiteral("本次及之后的记录暂存在 %1，数据库恢复可写后自动导入。").arg(SideFile())
                                     : QStringLiteral("记录也无法暂存到 %1，暂时只保存在内存中：请在关闭程序前排除问题。")
                                           .arg(SideFile())));
        }
    }

    if (result.stored && d.HasCentral()) {
        int sent = 0;
        if (const std::optional<Problem> central = d.SendOutbox(&sent)) {
            if (central->kind != d.m_centralProblem) {
                d.m_centralProblem = central->kind;
                messages.append(central->text);
            }
        } else {
            result.sent = true;
            d.m_centralProblem.clear();
        }
    }
    result.message = messages.join(QLatin1Char('\n'));
    return result;
}

SyncResult RecordStore::Sync()
{
    Impl &d = *m_impl;
    SyncResult result;
    if (const std::optional<Problem> problem = d.OpenLocal()) {
        result.error = problem->text;
        return result;
    }
    if (!d.m_unkept.isEmpty() && !d.WriteLocal(d.m_unkept)) {
        result.imported += int(d.m_unkept.size());
        d.m_unkept.clear();
    }
    QString importError;
    result.imported += d.ImportSide(&importError);
    if (d.HasCentral()) {
        if (const std::optional<Problem> problem = d.SendOutbox(&result.sent))
            result.error = problem->text;
        result.waiting = d.Waiting();
    }
    if (result.error.isEmpty())
        result.error = importError;
    return result;
}

int RecordStore::Waiting() { return m_impl->Waiting(); }

namespace {

QString WhereClause(const RecordFilter &filter, QVariantList *binds)
{
    QStringList conditions;
    if (filter.since.isValid()) {
        conditions.append(QStringLiteral("r.started_at >= ?"));
        binds->append(TimeText(filter.since));
    }
    if (filter.until.isValid()) {
        conditions.append(QStringLiteral("r.started_at < ?"));
        binds->append(TimeText(filter.until));
    }
    if (filter.outcome) {
        conditions.append(QStringLiteral("r.outcome = ?"));
        binds->append(OutcomeName(*filter.outcome));
    }
    if (!filter.imei.isEmpty()) {
        conditions.append(QStringLiteral("r.imei = ?"));
        binds->append(filter.imei);
    }
    return conditions.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
}

bool Exec(QSqlQuery &q, const QString &sql, const QVariantList &binds, QString *error)
{
    q.setForwardOnly(true);
    bool ok = q.prepare(sql);
    for (const QVariant &b : binds)
        q.addBindValue(b);
    ok = ok && q.exec();
    if (!ok && error)
        *error = q.lastError().text();
    return ok;
}

} // namespace

QList<RunRecord> RecordStore::List(const RecordFilter &filter, QString *error)
{
    QList<RunRecord> records;
    if (const std::optional<Problem> problem = m_impl->OpenLocal()) {
        if (error)
            *error = problem->text;
        return records;
    }
    QVariantList binds;
    QString sql = QStringLiteral("SELECT %1 FROM runs r LEFT JOIN transcripts t ON t.run_id = r.run_id%2 "
                                 "ORDER BY r.started_at DESC, r.run_id")
                      .arg(RecordSelectList(), WhereClause(filter, &binds));
    if (filter.limit > 0)
        sql += QStringLiteral(" LIMIT %1").arg(filter.limit);
    QSqlQuery q(m_impl->Local());
    if (Exec(q, sql, binds, error))
        while (q.next())
            records.append(RecordFromRow(q));
    return records;
}

std::optional<RunRecord> RecordStore::Find(const QString &runIdOrPrefix, QString *error)
{
    if (const std::optional<Problem> problem = m_impl->OpenLocal()) {
        if (error)
            *error = problem->text;
        return std::nullopt;
    }
    QString prefix = runIdOrPrefix.trimmed().toLower();
    prefix.remove(QLatin1Char('{')).remove(QLatin1Char('}'));
    QSqlQuery q(m_impl->Local());
    // A prefix is matched by range rather than LIKE, so '_' and '%' mean nothing special.
    if (prefix.isEmpty()
        || !Exec(q,
                 QStringLiteral("SELECT %1 FROM runs r LEFT JOIN transcripts t ON t.run_id = r.run_id "
                                "WHERE r.run_id >= ? AND r.run_id < ? ORDER BY r.run_id LIMIT 2")
                     .arg(RecordSelectList()),
                 {prefix, prefix + QChar(0xffff)}, error)) {
        if (error && error->isEmpty())
            *error = QStringLiteral("no run id given");
        return std::nullopt;
    }
    if (!q.next()) {
        if (error)
            *error = QStringLiteral("no run %1").arg(runIdOrPrefix);
        return std::nullopt;
    }
    const RunRecord first = RecordFromRow(q);
    if (RunIdText(first.runId) != prefix && q.next()) {
        if (error)
            *error = QStringLiteral("%1 names more than one run; give more of the run id").arg(runIdOrPrefix);
        return std::nullopt;
    }
    return first;
}

bool RecordStore::ForEach(const RecordFilter &filter, const std::function<void(const RunRecord &)> &each,
                          QString *error)
{
    if (const std::optional<Problem> problem = m_impl->OpenLocal()) {
        if (error)
            *error = problem->text;
        return false;
    }
    QVariantList binds;
    QString sql = QStringLiteral("SELECT %1 FROM runs r LEFT JOIN transcripts t ON t.run_id = r.run_id%2 "
                                 "ORDER BY r.started_at, r.run_id")
                      .arg(RecordSelectList(), WhereClause(filter, &binds));
    if (filter.limit > 0)
        sql += QStringLiteral(" LIMIT %1").arg(filter.limit);
    QSqlQuery q(m_impl->Local());
    if (!Exec(q, sql, binds, error))
        return false;
    while (q.next())
        each(RecordFromRow(q));
    return true;
}

std::optional<Summary> RecordStore::Summarize(const RecordFilter &filter, QString *error)
{
    if (const std::optional<Problem> problem = m_impl->OpenLocal()) {
        if (error)
            *error = problem->text;
        return std::nullopt;
    }
    QVariantList binds;
    const QString where = WhereClause(filter, &binds);
    auto andWhere = [&](const QString &condition) {
        return where.isEmpty() ? QStringLiteral(" WHERE ") + condition : where + QStringLiteral(" AND ") + condition;
    };
    Summary s;
    QSqlQuery q(m_impl->Local());

    if (!Exec(q, QStringLiteral("SELECT r.outcome, COUNT(*), SUM(CASE WHEN r.imei = '' THEN 1 ELSE 0 END) "
                                "FROM runs r%1 GROUP BY r.outcome").arg(where),
              binds, error))
        return std::nullopt;
    while (q.next()) {
        Outcome outcome = Outcome::CutShort;
        OutcomeFromName(q.value(0).toString(), &outcome);
        const qint64 n = q.value(1).toLongLong();
        s.runs += n;
        s.withoutImei += q.value(2).toLongLong();
        (outcome == Outcome::Passed ? s.passed : outcome == Outcome::Failed ? s.failed : s.cutShort) += n;
    }

    if (!Exec(q, QStringLiteral("SELECT COUNT(DISTINCT r.imei) FROM runs r%1").arg(andWhere(QStringLiteral("r.imei <> ''"))),
              binds, error) || !q.next())
        return std::nullopt;
    s.units = q.value(0).toLongLong();
    if (!Exec(q, QStringLiteral("SELECT COUNT(DISTINCT r.imei) FROM runs r%1")
                     .arg(andWhere(QStringLiteral("r.imei <> '' AND r.outcome = 'pass'"))),
              binds, error) || !q.next())
        return std::nullopt;
    s.unitsPassed = q.value(0).toLongLong();

    if (!Exec(q, QStringLiteral("SELECT r.outcome, r.diagnosis, COUNT(*) AS n FROM runs r%1 "
                                "GROUP BY r.outcome, r.diagnosis ORDER BY n DESC, r.diagnosis")
                     .arg(andWhere(QStringLiteral("r.outcome <> 'pass'"))),
              binds, error))
        return std::nullopt;
    while (q.next())
        (q.value(0).toString() == QLatin1String("fail") ? s.failures : s.cuts)
            .append({q.value(1).toString(), q.value(2).toLongLong()});

    if (!Exec(q, QStringLiteral("SELECT r.imei, COUNT(*) AS n, SUM(CASE WHEN r.outcome = 'pass' THEN 1 ELSE 0 END), "
                                "MAX(r.started_at || ' ' || r.outcome) FROM runs r%1 "
                                "GROUP BY r.imei HAVING COUNT(*) > 1 ORDER BY n DESC, r.imei")
                     .arg(andWhere(QStringLiteral("r.imei <> ''"))),
              binds, error))
        return std::nullopt;
    while (q.next())
        s.repeated.append({q.value(0).toString(), q.value(1).toLongLong(), q.value(2).toLongLong(),
                           q.value(3).toString().section(QLatin1Char(' '), 1)});
    return s;
}

} // namespace quillon::records
