// The command line every program shares: what it prints and the exit status for --help,
// --version, the toolkit's own options and anything unknown.

#include "base/AppInfo.h"
#include "base/CommandLine.h"

#include <QTest>

using namespace quillon;

class CommandLineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void outcome_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("finished");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString version = VersionDotted();
        const QString tryHelp = QStringLiteral("Try 'tool --help' for the options.\n");
        QTest::newRow("--version") << QStringList{QStringLiteral("--version")} << true << 0
                                   << QStringLiteral("tool %1\n").arg(version) << QString();
        QTest::newRow("--help: name, version, one line per option, toolkit options hidden")
            << QStringList{QStringLiteral("--help")} << true << 0
            << QStringLiteral("tool %1 - does things\nUsage: tool [options]\n\nOptions:\n"
                              "  -h, --help    Show this help and exit.\n"
                              "  --version     Show the name and version and exit.\n"
                              "  --list-ports  List the ports.\n"
                              "  --log <file>  Log to a file.\n").arg(version)
            << QString();
        QTest::newRow("-h") << QStringList{QStringLiteral("-h")} << true << 0 << QString() << QString();
        QTest::newRow("no arguments: go on") << QStringList{} << false << 0 << QString() << QString();
        QTest::newRow("toolkit options pass, single dash or double")
            << QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--reverse"),
                           QStringLiteral("-style=fusion")}
            << false << 0 << QString() << QString();
        QTest::newRow("unknown option: exit 2") << QStringList{QStringLiteral("--frobnicate")} << true << 2 << QString()
                                                << QStringLiteral("tool: Unknown option 'frobnicate'.\n") + tryHelp;
        QTest::newRow("missing value: exit 2") << QStringList{QStringLiteral("--log")} << true << 2 << QString()
                                               << QStringLiteral("tool: Missing value after '--log'.\n") + tryHelp;
        QTest::newRow("stray argument: exit 2") << QStringList{QStringLiteral("COM1")} << true << 2 << QString()
                                                << QStringLiteral("tool: unexpected argument 'COM1'\n") + tryHelp;
    }
    void outcome()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, finished);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QCommandLineParser parser;
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        const QList<QCommandLineOption> options =
            QList<QCommandLineOption>{QCommandLineOption(QStringLiteral("list-ports"), QStringLiteral("List the ports.")),
                                      QCommandLineOption(QStringLiteral("log"), QStringLiteral("Log to a file."), QStringLiteral("file"))}
            + ToolkitOptions();
        const CommandLineOutcome result = ParseCommandLine(
            parser, options, QStringList{QStringLiteral("/usr/bin/tool")} + arguments,
            {QStringLiteral("tool"), QStringLiteral("does things")});
        QCOMPARE(result.finished, finished);
        QCOMPARE(result.status, status);
        if (!out.isEmpty() || !finished)
            QCOMPARE(result.out, out);
        QCOMPARE(result.err, err);
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_command_line.moc"
