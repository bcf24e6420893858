#pragma once
// quillon-log: reads a session log back into the exact bytes that crossed the port.

#include <QStringList>

#include <cstdio>

namespace quillon {

/// Runs the tool on `arguments` (program name excluded): 0 done, 1 the log could not be read,
/// 2 wrong usage. Bytes go to `out`, messages to `err`.
int RunLogTool(const QStringList &arguments, FILE *out, FILE *err);

} // namespace quillon
