#pragma once
// The start states of a simulated module, as quillon-sim takes them on its command line
// (--echo off, --sim pin, --creg 0,3 ...). One parser for quillon-sim and for the in-process
// modules of the batch tester ("sim:echo=off,creg=0,3").

#include "sim/GsmModule.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace quillon::sim {

struct StartOption {
    QString name;  ///< without the dashes: "echo", "creg", "no-messages"
    QString value; ///< empty for the flag "no-messages"
};

/// Names ApplyStartOptions knows, in the order they are applied.
const QStringList &StartOptionNames();

/// Sets up `module` from `options` (the defaults stand for any option not given; "clock"
/// missing means the computer's time). Returns the first problem as a text naming the option
/// and the value ("--sim: unknown state \"x\""); the module is then half set up.
std::optional<QString> ApplyStartOptions(GsmModule &module, const QList<StartOption> &options);

/// "echo=off,creg=0,3,no-messages" as options: commas separate them, except that a piece
/// without "=" that is not an option name continues the value before it (creg=0,3). nullopt
/// and *error for an unknown name or a missing value.
std::optional<QList<StartOption>> ParseStartOptionList(const QString &text, QString *error);

} // namespace quillon::sim
