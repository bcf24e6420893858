#include "records/RecordCodec.h"

#include <QJsonValue>
#include <QSet>

namespace quillon::records {

namespace {

QString UsbIdText(int id)
{
    return id < 0 ? QString() : QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0'));
}

bool UsbIdFromText(const QString &text, int *id)
{
    if (text.isEmpty()) {
        *id = -1;
        return true;
    }
    bool ok = false;
    *id = text.toInt(&ok, 16);
    return ok && *id >= 0 && *id <= 0xffff;
}

struct Reader {
    QString error;

    void Fail(const QString &column, const QString &text)
    {
        if (error.isEmpty())
            error = QStringLiteral("column %1: cannot read \"%2\"").arg(column, text.left(40));
    }
};

} // namespace

const QStringList &ColumnNames()
{
    static const QStringList names {
        "run_id",         "started_at",   "ended_at",        "duration_ms",  "bench",
        "port_entry",     "device_path",  "usb_vendor_id",   "usb_product_id",
        "manufacturer",   "serial_number", "answered_speed", "search_attempts",
        "imei",           "imei_check",   "warning",         "identification",
        "outcome",        "diagnosis",    "end_step",        "transcript"};
    return names;
}

QString TimeText(const QDateTime &time)
{
    return time.isValid() ? time.toUTC().toString(Qt::ISODateWithMs) : QString();
}

QDateTime TimeFromText(const QString &text)
{
    return QDateTime::fromString(text, Qt::ISODateWithMs).toUTC();
}

QString RunIdText(const QUuid &id) { return id.toString(QUuid::WithoutBraces); }

QStringList ToFields(const RunRecord &r)
{
    return {RunIdText(r.runId),
            TimeText(r.startedAt),
            TimeText(r.endedAt),
            QString::number(r.durationMs),
            r.bench,
            r.portEntry,
            r.devicePath,
            UsbIdText(r.usbVendorId),
            UsbIdText(r.usbProductId),
            r.manufacturer,
            r.serialNumber,
            QString::number(r.answeredSpeed),
            QString::number(r.searchAttempts),
            r.imei,
            ImeiCheckName(r.imeiCheck),
            r.warning,
            r.identification,
            OutcomeName(r.outcome),
            r.diagnosis,
            QString::number(r.endStep),
            r.transcript};
}

std::optional<RunRecord> FromFields(const QStringList &f, QString *error)
{
    Reader reader;
    const QStringList &names = ColumnNames();
    if (f.size() != names.size()) {
        reader.error = QStringLiteral("%1 fields, %2 expected").arg(f.size()).arg(names.size());
    } else {
        auto time = [&](int i) {
            const QDateTime t = TimeFromText(f[i]);
            if (!t.isValid())
                reader.Fail(names[i], f[i]);
            return t;
        };
        auto number = [&](int i) {
            bool ok = false;
            const qint64 n = f[i].toLongLong(&ok);
            if (!ok)
                reader.Fail(names[i], f[i]);
            return n;
        };
        RunRecord r;
        r.runId = QUuid::fromString(f[0]);
        if (r.runId.isNull())
            reader.Fail(names[0], f[0]);
        r.startedAt = time(1);
        r.endedAt = time(2);
        r.durationMs = number(3);
        r.bench = f[4];
        r.portEntry = f[5];
        r.devicePath = f[6];
        if (!UsbIdFromText(f[7], &r.usbVendorId))
            reader.Fail(names[7], f[7]);
        if (!UsbIdFromText(f[8], &r.usbProductId))
            reader.Fail(names[8], f[8]);
        r.manufacturer = f[9];
        r.serialNumber = f[10];
        r.answeredSpeed = int(number(11));
        r.searchAttempts = int(number(12));
        r.imei = f[13];
        if (!ImeiCheckFromName(f[14], &r.imeiCheck))
            reader.Fail(names[14], f[14]);
        r.warning = f[15];
        r.identification = f[16];
        if (!OutcomeFromName(f[17], &r.outcome))
            reader.Fail(names[17], f[17]);
        r.diagnosis = f[18];
        r.endStep = int(number(19));
        r.transcript = f[20];
        if (reader.error.isEmpty())
            return r;
    }
    if (error)
        *error = reader.error;
    return std::nullopt;
}

QJsonObject ToJson(const RunRecord &record)
{
    static const QSet<QString> numeric {"duration_ms", "answered_speed", "search_attempts",
                                        "end_step"};
    const QStringList fields = ToFields(record);
    QJsonObject object;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QString &name = ColumnNames()[i];
        if (numeric.contains(name))
            object.insert(name, fields[i].toLongLong());
        else if (name.startsWith(QLatin1String("usb_")) && fields[i].isEmpty())
            object.insert(name, QJsonValue::Null);
        else
            object.insert(name, fields[i]);
    }
    return object;
}

std::optional<RunRecord> FromJson(const QJsonObject &object, QString *error)
{
    QStringList fields;
    for (const QString &name : ColumnNames()) {
        const QJsonValue value = object.value(name);
        if (value.isDouble())
            fields.append(QString::number(qint64(value.toDouble())));
        else
            fields.append(value.toString());
    }
    return FromFields(fields, error);
}

QByteArray CsvLine(const QStringList &fields)
{
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        const QByteArray text = fields[i].toUtf8();
        if (text.contains(',') || text.contains('"') || text.contains('\r') || text.contains('\n')) {
            QByteArray quoted = text;
            quoted.replace("\"", "\"\"");
            line += '"' + quoted + '"';
        } else {
            line += text;
        }
    }
    return line + "\r\n";
}

} // namespace quillon::records
