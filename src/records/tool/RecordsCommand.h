#pragma once
// quillon-records: the command line over the test records (list, show, export, summary, sync).

#include <QStringList>

#include <cstdio>

namespace quillon::records {

/// Runs the tool with `arguments` (program name first), writing to `out` and `err`. Returns the
/// exit code: 0 done, 1 the records could not be read or sent, 2 a wrong command line.
int RunRecordsCommand(const QStringList &arguments, FILE *out, FILE *err);

} // namespace quillon::records
