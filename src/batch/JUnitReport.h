#pragma once
// The runs as JUnit XML for test-management systems: one <testsuite> "quillon-batch", one
// <testcase> per unit (named by port and IMEI), <failure> for a failed check (the diagnosis as
// its message), <error> for a run cut short, the run's transcript as <system-out>.

#include "records/RunRecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>

namespace quillon::batch {

QByteArray JUnitXml(const QList<records::RunRecord> &runs, const QDateTime &startedAt);

/// Writes the report atomically (a reader never sees half a file); false and *error on failure.
bool WriteJUnit(const QString &path, const QList<records::RunRecord> &runs, const QDateTime &startedAt,
                QString *error);

} // namespace quillon::batch
