#pragma once
// The command line every program of the project shares: --help (name, version, one line per
// option), --version, and a clear message with exit status 2 for anything it does not know.
// Parsing needs no application object, so a window program can answer before it needs a
// display.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

namespace quillon {

struct ProgramDescription {
    QString name;    ///< "quillon"
    QString summary; ///< one sentence
    /// The positional arguments the program takes, for the usage line ("PORT..."); empty: none
    /// are taken and any is refused.
    QString positional = {};
};

struct CommandLineOutcome {
    bool finished = false; ///< the program should exit now with `status`
    int status = 0;        ///< 0 after --help/--version, 2 for a refused command line
    QString out;           ///< for standard output
    QString err;           ///< for standard error
};

/// Adds --help, --version and `options` to `parser` and parses `arguments` (the program path
/// first). Positional arguments are refused unless the program names some. Afterwards the caller reads its options from
/// `parser` unless the outcome says to finish.
CommandLineOutcome ParseCommandLine(QCommandLineParser &parser, const QList<QCommandLineOption> &options,
                                    const QStringList &arguments, const ProgramDescription &program);

/// The toolkit's own options (-platform, -style, -reverse ...), hidden from --help, so that
/// they pass through to the application object that acts on them.
QList<QCommandLineOption> ToolkitOptions();

/// Writes the outcome's texts to standard output and error; returns its status.
int Report(const CommandLineOutcome &outcome);

} // namespace quillon
