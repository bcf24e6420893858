#pragma once
// A record as text for other tools and for the side file: one fixed list of column names shared
// by the database, CSV and JSON, so the names stay stable across all three.
//
// Columns (in this order): run_id, started_at, ended_at (ISO 8601 UTC with milliseconds,
// "2026-12-09T14:41:00.123Z"), duration_ms, bench, port_entry, device_path, usb_vendor_id,
// usb_product_id (four lower-case hex digits, empty/null when unknown), manufacturer,
// serial_number, answered_speed (bps, 0 = none answered), search_attempts, imei, imei_check
// (none|valid|wrong-check-digit|malformed), warning, identification, outcome (pass|fail|cut),
// diagnosis, end_step, transcript.

#include "records/RunRecord.h"

#include <QJsonObject>
#include <QStringList>

#include <optional>

namespace quillon::records {

const QStringList &ColumnNames();

/// The time as stored: UTC, milliseconds, "Z".
QString TimeText(const QDateTime &time);
QDateTime TimeFromText(const QString &text);

/// The run id as stored: lower-case, without braces.
QString RunIdText(const QUuid &id);

/// Every column as its text, in ColumnNames() order (what CSV carries).
QStringList ToFields(const RunRecord &record);

/// The record from fields in ColumnNames() order; nullopt (and *error) when a field cannot be
/// read back (wrong count, bad time, bad number, unknown outcome).
std::optional<RunRecord> FromFields(const QStringList &fields, QString *error = nullptr);

/// The record as one JSON object keyed by ColumnNames(); numbers as numbers, unknown USB ids
/// as null.
QJsonObject ToJson(const RunRecord &record);
std::optional<RunRecord> FromJson(const QJsonObject &object, QString *error = nullptr);

/// One CSV line (RFC 4180): fields joined by commas, a field quoted when it holds a comma, a
/// quote, CR or LF, quotes doubled; ends with CR LF.
QByteArray CsvLine(const QStringList &fields);

} // namespace quillon::records
