#pragma once
// What the window kept of its module test runs, read back from the records database of its log
// folder as quillon-records would read it.

#include "app/Quillon.h"
#include "records/RecordStore.h"
#include "sessionlog/LogFormat.h"
#include "sessionlog/window/WindowLog.h"

#include <QTest>

namespace quillon::testing {

/// Every record of the window's log folder, newest first.
inline QList<records::RunRecord> WindowRunRecords(Quillon &window)
{
    QString error;
    const QList<records::RunRecord> list =
        records::RecordStore::Open(window.Logging().Folder())->List({}, &error);
    if (!error.isEmpty())
        qWarning("records unreadable: %s", qPrintable(error));
    return list;
}

/// The bytes a record's transcript says were sent, decoded as quillon-log decodes a log.
inline QByteArray TranscriptSent(const records::RunRecord &record)
{
    const DecodedLog log = DecodeLog(record.transcript.toUtf8());
    return log.errorLine == 0 ? log.sent : QByteArray("unreadable transcript");
}

} // namespace quillon::testing
