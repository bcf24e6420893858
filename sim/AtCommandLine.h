#pragma once
// ITU-T V.250 command-line syntax: splits what follows "AT" into basic and extended commands.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

namespace quillon::sim {

enum class AtForm : quint8 {
    Execute = 1, ///< "+CSQ", "A", "E" without a value
    Query = 2,   ///< "+CREG?", "S3?"
    Test = 4,    ///< "+CREG=?"
    Set = 8,     ///< "+CMGF=0", "E0", "&D2", "S3=13"
};

struct AtCommand {
    /// Upper case: "+CSQ", "^SMSO", "E", "&F", "D", "S".
    QByteArray name;
    AtForm form = AtForm::Execute;
    /// Set: the text after "=" (quotes kept, case kept), or a basic command's number.
    /// D: the dial string, ";" included when the line has one. S: "3" for a query, "3=13" to set.
    QByteArray args;
};

/// Parses the body of a command line (after the "AT" prefix, without the line end). Spaces
/// between commands are ignored; ";" separates commands but is optional. An extended command's
/// value ends at ";" or at a "+" or "^" that starts the next command name, never inside
/// double quotes. A dial command without ";" takes the rest of the line.
/// Returns nullopt on a syntax error (unknown character, missing name, open quote).
std::optional<QList<AtCommand>> ParseCommandLine(QByteArrayView body);

} // namespace quillon::sim
