// End to end: the module test through the real serial backend against quillon-sim on a
// pseudo-terminal. The window's session log, read back by quillon-log, holds exactly what the
// simulated module's own log recorded: every command line at the speed it heard it, and as many
// bytes at speeds it could not understand as it set aside.

#include "e2e/PtyWindow.h"

#include "sessionlog/LogFormat.h"
#include "sessionlog/window/WindowLog.h"

#include <QDir>

using namespace quillon;
using namespace quillon::testing;

class E2eSessionLogOverPty : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void moduleTestLogMatchesTheSimulatorsLog()
    {
        PtyWindow p({QStringLiteral("--baud"), QStringLiteral("9600")});
        QVERIFY(p.Ready());
        p.Open(QStringLiteral("115200bps"));
        p.window->ComVersion->click();
        QVERIFY2(p.window->Received().Text().endsWith(QStringLiteral("测试通过")), qPrintable(p.window->Received().Text()));
        p.window->ComStartStop->click();
        QCOMPARE(p.StopSim(), 0);
        p.window->Logging().Log()->Flush();
        const QString logFile = p.window->Logging().CurrentFile();

        QProcess tool;
        tool.start(QStringLiteral(QUILLON_LOG_PROGRAM), {QStringLiteral("--decode"), logFile,
                                                         QStringLiteral("--direction"), QStringLiteral("sent")});
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.exitCode(), 0);
        const QByteArray sent = tool.readAllStandardOutput();

        // The window's side: each command line with the speed in force when its bytes went out.
        QFile file(logFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const DecodedLog decoded = DecodeLog(file.readAll());
        QCOMPARE(decoded.errorLine, 0);
        QCOMPARE(decoded.sent, sent);
        QList<std::pair<int, QString>> lines;
        int baud = 0;
        QByteArray line;
        for (const LogRecord &r : decoded.records) {
            if (r.kind == '*' && (r.event.startsWith("open ") || r.event.startsWith("speed ")))
                baud = r.event.split(' ').last().split(',').first().toInt();
            if (r.kind != '>')
                continue;
            for (char c : r.bytes) {
                if (line.isEmpty() && c == '\n')
                    continue; // the LF after CR belongs to the line before
                line += c;
                if (c == '\r') {
                    lines.append({baud, QString::fromLatin1(line.chopped(1))});
                    line.clear();
                }
            }
        }

        // The module's side: lines it understood, and byte counts it could not.
        QList<std::pair<int, QString>> heard;
        int ignoredBytes = 0;
        for (const SimLogEvent &e : p.Log()) {
            if (e.kind == QLatin1String(">"))
                heard.append({e.baud, e.text});
            else if (e.kind == QLatin1String("x"))
                ignoredBytes += e.text.section(QLatin1Char(' '), 0, 0).toInt();
        }
        QVERIFY(!heard.isEmpty());
        int notHeardBytes = 0;
        qsizetype next = 0;
        for (const auto &l : lines) {
            if (next < heard.size() && heard[next] == l)
                ++next;
            else
                notHeardBytes += int(l.second.size()) + 2; // CR LF
        }
        QCOMPARE(next, heard.size());
        QCOMPARE(notHeardBytes, ignoredBytes);
    }
};

QTEST_MAIN(E2eSessionLogOverPty)
#include "e2e_session_log_over_pty.moc"
