#include "RecordsCommand.h"

#include "app/IniLocation.h"
#include "app/PublicMod.h"
#include "base/AppInfo.h"
#include "records/RecordCodec.h"
#include "records/RecordStore.h"
#include "sessionlog/LogFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QMap>

namespace quillon::records {

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kDefaultListLimit = 50;

const char kHelp[] = R"(Usage: quillon-records [OPTIONS] COMMAND [ARGUMENTS]

Every run of the module test is kept as a record (pass, fail or cut short) in
quillon-records.sqlite in the log folder. This tool reads and exports them.

Commands:
  list            The latest runs, newest first (50 unless --limit says otherwise):
                  start time, result, IMEI, port, speed, run id (first 8 characters)
                  and the diagnosis.
  show RUN        Every field of one run and its transcript. RUN is the run id or
                  any unique start of it, as list prints it.
  export --csv    All matching runs, oldest first, for other tools. --csv: a header
  export --json   line and one RFC 4180 line per run (UTF-8, CR LF); --json: one
                  array of objects. Columns, the same in both:
                    run_id, started_at, ended_at, duration_ms, bench, port_entry,
                    device_path, usb_vendor_id, usb_product_id, manufacturer,
                    serial_number, answered_speed, search_attempts, imei,
                    imei_check, warning, identification, outcome, diagnosis,
                    end_step, transcript
                  Times are ISO 8601 UTC with milliseconds; USB ids four hex digits
                  (empty or null when unknown); answered_speed in bps, 0 when no
                  speed answered; imei_check none|valid|wrong-check-digit|malformed;
                  outcome pass|fail|cut; diagnosis is the message the window showed
                  (fail) or why the run stopped (cut).
  summary         Runs and their results, pass yield, units tested (distinct IMEIs),
                  failures by diagnosis, runs cut short by reason, and the IMEIs
                  tested more than once.
  sync            Imports records kept aside while the database could not be
                  written, and sends waiting records to the central database named
                  in the settings file ([Records] Database=postgresql://...).

Filters (list, export, summary):
  --since DATE    Runs started on or after DATE (YYYY-MM-DD, local time, or an ISO
                  8601 date and time).
  --until DATE    Runs started before the end of DATE (or before that moment).
  --result R      pass, fail or cut.
  --imei IMEI     Runs of that IMEI.
  --limit N       At most N runs (list: 50 by default).

Where the records are:
  --db FILE       The records database file itself.
  --settings FILE The settings file (default: the window's quillon.ini, beside this
                  program, or in ~/.config/quillon/ when installed). The log folder
                  is its [Log] Folder= (relative to the settings file),
                  else "logs" beside the settings file, else "logs" in the per-user
                  data folder (~/.local/share/quillon/logs).

  --help          This text.     --version   The version.

Exit status: 0 done, 1 the records could not be read or sent, 2 a wrong command line.
)";

struct UsageError {
    QString text;
};

struct Options {
    QString command;
    QStringList arguments;
    QMap<QString, QString> values;
    QStringList flags;
};

const QStringList kValueOptions {"db", "settings", "since", "until", "result", "imei", "limit"};
const QStringList kFlagOptions {"csv", "json", "help", "version"};

Options Parse(const QStringList &args)
{
    Options o;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (!arg.startsWith(QLatin1String("--")) || arg == QLatin1String("--")) {
            if (arg == QLatin1String("-h")) {
                o.flags.append(QStringLiteral("help"));
                continue;
            }
            if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1)
                throw UsageError {QStringLiteral("unknown option %1").arg(arg)};
            (o.command.isEmpty() ? o.command : o.arguments.emplaceBack()) = arg;
            continue;
        }
        QString name = arg.mid(2);
        QString value;
        const qsizetype eq = name.indexOf(QLatin1Char('='));
        const bool inlineValue = eq >= 0;
        if (inlineValue) {
            value = name.mid(eq + 1);
            name.truncate(eq);
        }
        if (kFlagOptions.contains(name) && !inlineValue) {
            o.flags.append(name);
        } else if (kValueOptions.contains(name)) {
            if (!inlineValue) {
                if (++i >= args.size())
                    throw UsageError {QStringLiteral("--%1 needs a value").arg(name)};
                value = args[i];
            }
            o.values.insert(name, value);
        } else {
            throw UsageError {QStringLiteral("unknown option --%1").arg(name)};
        }
    }
    return o;
}

// Start of the day in local time for a plain date; `endOfDay` moves it to the next day.
QDateTime ParseDate(const QString &text, const QString &option, bool endOfDay)
{
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (date.isValid() && text.size() == 10)
        return QDateTime(endOfDay ? date.addDays(1) : date, QTime(0, 0)).toUTC();
    const QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (time.isValid())
        return time.toUTC();
    throw UsageError {QStringLiteral("--%1 takes a date like 2026-12-09 or 2026-12-09T14:30, not \"%2\"")
                          .arg(option, text)};
}

RecordFilter FilterFrom(const Options &o, int defaultLimit)
{
    RecordFilter f;
    if (o.values.contains("since"))
        f.since = ParseDate(o.values["since"], "since", false);
    if (o.values.contains("until"))
        f.until = ParseDate(o.values["until"], "until", true);
    if (o.values.contains("result")) {
        Outcome outcome;
        if (!OutcomeFromName(o.values["result"], &outcome))
            throw UsageError {QStringLiteral("--result takes pass, fail or cut, not \"%1\"").arg(o.values["result"])};
        f.outcome = outcome;
    }
    f.imei = o.values.value("imei");
    f.limit = defaultLimit;
    if (o.values.contains("limit")) {
        bool ok = false;
        f.limit = o.values["limit"].toInt(&ok);
        if (!ok || f.limit < 0)
            throw UsageError {QStringLiteral("--limit takes a number, not \"%1\"").arg(o.values["limit"])};
    }
    return f;
}


struct Place {
    QString file;
    QString centralUrl;
};

Place Locate(const Options &o)
{
    // The window's settings file: where this program's own would be (beside it, or per user when
    // installed), under the window's name.
    const QString settings = o.values.contains("settings")
        ? o.values["settings"]
        : QFileInfo(DefaultSettingsFile()).dir().filePath(QStringLiteral("quillon.ini"));
    SetIniFilePath(settings);
    Place place;
    place.centralUrl = ReadIniSetting(QStringLiteral("Records"), QStringLiteral("Database"));
    if (o.values.contains("db")) {
        place.file = o.values["db"];
        return place;
    }
    place.file = QDir(ResolveLogFolder(ReadIniSetting(QStringLiteral("Log"), QStringLiteral("Folder")), settings))
                     .filePath(QLatin1String(kDatabaseFileName));
    return place;
}

class Printer
{
public:
    explicit Printer(FILE *f) : m_f(f) {}
    void Line(const QString &text = {}) { Raw((text + QLatin1Char('\n')).toUtf8()); }
    void Raw(const QByteArray &bytes) { std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_f); }

private:
    FILE *m_f;
};

QString Local(const QDateTime &time) { return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

QString Percent(qint64 part, qint64 whole)
{
    return whole == 0 ? QStringLiteral("-") : QStringLiteral("%1 %").arg(100.0 * double(part) / double(whole), 0, 'f', 1);
}

void PrintList(Printer &p, const QList<RunRecord> &records)
{
    p.Line(QStringLiteral("%1  %2  %3  %4  %5  %6  %7")
               .arg("STARTED", -19).arg("RESULT", -6).arg("IMEI", -15).arg("PORT", -6).arg("SPEED", 6)
               .arg("RUN", -8).arg("DIAGNOSIS"));
    for (const RunRecord &r : records)
        p.Line(QStringLiteral("%1  %2  %3  %4  %5  %6  %7")
                   .arg(Local(r.startedAt), -19)
                   .arg(OutcomeName(r.outcome), -6)
                   .arg(r.imei.isEmpty() ? QStringLiteral("-") : r.imei, -15)
                   .arg(r.portEntry, -6)
                   .arg(r.answeredSpeed > 0 ? QString::number(r.answeredSpeed) : QStringLiteral("-"), 6)
                   .arg(RunIdText(r.runId).left(8), -8)
                   .arg(r.diagnosis + (r.warning.isEmpty() ? QString() : QStringLiteral(" [!] ") + r.warning))
                   .trimmed());
}

void PrintRecord(Printer &p, const RunRecord &r)
{
    const QStringList fields = ToFields(r);
    const QStringList &names = ColumnNames();
    for (qsizetype i = 0; i + 1 < names.size(); ++i)
        p.Line(QStringLiteral("%1 %2").arg(names[i] + QLatin1Char(':'), -17).arg(fields[i]));
    p.Line();
    p.Line(QStringLiteral("transcript:"));
    p.Line(r.transcript);
}

void PrintSummary(Printer &p, const Summary &s)
{
    p.Line(QStringLiteral("Runs:          %1 (passed %2, failed %3, cut short %4)")
               .arg(s.runs).arg(s.passed).arg(s.failed).arg(s.cutShort));
    p.Line(QStringLiteral("Pass yield:    %1 of runs").arg(Percent(s.passed, s.runs)));
    p.Line(QStringLiteral("Units tested:  %1 distinct IMEIs, %2 passed at least once (%3); %4 runs without IMEI")
               .arg(s.units).arg(s.unitsPassed).arg(Percent(s.unitsPassed, s.units)).arg(s.withoutImei));
    auto counts = [&p](const QString &title, const QList<Summary::Count> &list) {
        p.Line();
        p.Line(title);
        if (list.isEmpty())
            p.Line(QStringLiteral("  none"));
        for (const Summary::Count &c : list)
            p.Line(QStringLiteral("  %1  %2").arg(c.runs, 7).arg(c.text.isEmpty() ? QStringLiteral("(no text)") : c.text));
    };
    counts(QStringLiteral("Failures by diagnosis:"), s.failures);
    counts(QStringLiteral("Cut short:"), s.cuts);
    p.Line();
    p.Line(QStringLiteral("IMEIs tested more than once:"));
    if (s.repeated.isEmpty())
        p.Line(QStringLiteral("  none"));
    for (const Summary::RepeatedImei &r : s.repeated)
        p.Line(QStringLiteral("  %1  %2 runs, %3 passed, last %4").arg(r.imei).arg(r.runs).arg(r.passed).arg(r.lastOutcome));
}

void RequireArguments(const Options &o, int count, const QString &what)
{
    if (o.arguments.size() != count)
        throw UsageError {count == 0 ? QStringLiteral("%1 takes no argument (\"%2\")").arg(o.command, o.arguments.value(0))
                                     : QStringLiteral("%1 needs %2").arg(o.command, what)};
}

int Run(const Options &o, Printer &out, Printer &err)
{
    static const QStringList commands {"list", "show", "export", "summary", "sync"};
    if (o.command.isEmpty())
        throw UsageError {QStringLiteral("no command given")};
    if (!commands.contains(o.command))
        throw UsageError {QStringLiteral("unknown command \"%1\"").arg(o.command)};
    const bool csv = o.flags.contains("csv");
    const bool json = o.flags.contains("json");
    if (o.command == QLatin1String("export") ? csv == json : csv || json)
        throw UsageError {o.command == QLatin1String("export") ? QStringLiteral("export needs either --csv or --json")
                                                                : QStringLiteral("--csv and --json belong to export")};

    const RecordFilter filter = FilterFrom(o, o.command == QLatin1String("list") ? kDefaultListLimit : 0);
    const Place place = Locate(o);
    if (o.command != QLatin1String("sync") && !QFileInfo::exists(place.file)) {
        err.Line(QStringLiteral("quillon-records: no records at %1 (no module test has been recorded there; "
                                "--db names another file)").arg(place.file));
        return kExitFailure;
    }
    RecordStore store(place.file, place.centralUrl);
    QString error;

    if (o.command == QLatin1String("list")) {
        RequireArguments(o, 0, {});
        const QList<RunRecord> records = store.List(filter, &error);
        if (error.isEmpty())
            PrintList(out, records);
    } else if (o.command == QLatin1String("show")) {
        RequireArguments(o, 1, QStringLiteral("a run id (RUN)"));
        if (const std::optional<RunRecord> record = store.Find(o.arguments[0], &error))
            PrintRecord(out, *record);
    } else if (o.command == QLatin1String("export")) {
        RequireArguments(o, 0, {});
        bool first = true;
        if (csv)
            out.Raw(CsvLine(ColumnNames()));
        else
            out.Raw("[");
        store.ForEach(filter, [&](const RunRecord &r) {
            if (csv) {
                out.Raw(CsvLine(ToFields(r)));
            } else {
                out.Raw((first ? "\n" : ",\n") + QJsonDocument(ToJson(r)).toJson(QJsonDocument::Compact));
                first = false;
            }
        }, &error);
        if (json)
            out.Raw("\n]\n");
    } else if (o.command == QLatin1String("summary")) {
        RequireArguments(o, 0, {});
        if (const std::optional<Summary> summary = store.Summarize(filter, &error))
            PrintSummary(out, *summary);
    } else {
        RequireArguments(o, 0, {});
        const SyncResult result = store.Sync();
        out.Line(QStringLiteral("Imported from the side file: %1").arg(result.imported));
        if (!place.centralUrl.isEmpty())
            out.Line(QStringLiteral("Sent to %1: %2; still waiting: %3").arg(place.centralUrl).arg(result.sent).arg(result.waiting));
        error = result.error;
    }
    if (!error.isEmpty()) {
        err.Line(QStringLiteral("quillon-records: ") + error);
        return kExitFailure;
    }
    return 0;
}

} // namespace

int RunRecordsCommand(const QStringList &arguments, FILE *outFile, FILE *errFile)
{
    Printer out(outFile);
    Printer err(errFile);
    try {
        const Options o = Parse(arguments);
        if (o.flags.contains("help")) {
            out.Raw(kHelp);
            return 0;
        }
        if (o.flags.contains("version")) {
            out.Line(QStringLiteral("quillon-records ") + VersionDotted());
            return 0;
        }
        return Run(o, out, err);
    } catch (const UsageError &e) {
        err.Line(QStringLiteral("quillon-records: %1\nTry 'quillon-records --help'.").arg(e.text));
        return kExitUsage;
    }
}

} // namespace quillon::records
