// The session log's files: one per opening, named by its start and port, continued in "-2" at
// the size limit; a folder that cannot be made, a removed folder and a file size limit reached
// give one problem per opening, and the log resumes with nothing lost once writing works again.

#include "sessionlog/LogTestSupport.h"
#include "sessionlog/SessionLog.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace quillon;
using namespace quillon::testing;

namespace {

/// The log files of a folder in the order they were written: by start, then by part number.
QStringList Parts(const QString &folder)
{
    static const QRegularExpression name(QStringLiteral("^(.*-COM\\d+)(?:-(\\d+))?\\.log$"));
    QStringList names = QDir(folder).entryList({QStringLiteral("*.log")}, QDir::Files);
    const auto key = [](const QString &n) {
        const QRegularExpressionMatch m = name.match(n);
        return std::make_pair(m.captured(1), m.captured(2).isEmpty() ? 1 : m.captured(2).toInt());
    };
    std::sort(names.begin(), names.end(), [&key](const QString &a, const QString &b) { return key(a) < key(b); });
    return names;
}

/// A port's activity with a session log listening, and what the log reported.
struct Bench {
    explicit Bench(SessionLogOptions options) : log(std::move(options))
    {
        activity.AddListener(&log);
        QObject::connect(&log, &SessionLog::Problem, &context, [this](const QString &t) { problems << t; });
    }
    ~Bench() { activity.RemoveListener(&log); }

    void Publish(PortEventKind kind, const QByteArray &bytes = {})
    {
        PortEvent e = MakeEvent(kind, 0, bytes);
        activity.Publish(e);
        if (kind == PortEventKind::Sent)
            sent += bytes;
    }
    /// Lets the writer run `ms` (its retries and checks included), then waits for it.
    void Settle(int ms)
    {
        QTest::qWait(ms);
        log.Flush();
        QCoreApplication::processEvents();
    }
    /// Every file in the folder, in the order of their openings and parts, decoded and joined.
    QByteArray LoggedSent(const QString &folder) const
    {
        QByteArray all;
        for (const QString &name : Parts(folder)) {
            const DecodedLog d = DecodeLog(ReadAll(QDir(folder).filePath(name)));
            if (d.errorLine)
                return "undecodable " + name.toUtf8();
            all += d.sent;
        }
        return all;
    }

    PortActivity activity;
    SessionLog log;
    QObject context;
    QStringList problems;
    QByteArray sent;
};

SessionLogOptions Options(const QString &folder, qint64 maxFileBytes = 64 * 1024 * 1024)
{
    SessionLogOptions o;
    o.folder = folder;
    o.maxFileBytes = maxFileBytes;
    o.tickMs = 10;
    o.retryMs = 30;
    return o;
}

QByteArray Line(int i) { return "AT+LINE=" + QByteArray::number(i) + "\r\n"; }

} // namespace

class SessionLogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { std::signal(SIGXFSZ, SIG_IGN); }

    void eachOpeningGetsItsOwnFile()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("logs"));
        Bench b(Options(folder));
        QStringList files;
        for (int opening = 0; opening < 2; ++opening) {
            b.Publish(PortEventKind::Opened);
            b.Publish(PortEventKind::Sent, Line(opening));
            b.Publish(PortEventKind::Closed);
            b.Settle(0);
            files << b.log.CurrentFile();
        }
        QVERIFY(files[0] != files[1]);
        QVERIFY2(QFileInfo(files[0]).fileName().contains(QRegularExpression(QStringLiteral("^\\d{8}-\\d{6}-COM1(-2)?\\.log$"))),
                 qPrintable(files[0]));
        for (int i = 0; i < 2; ++i) {
            const QByteArray log = ReadAll(files[i]);
            QVERIFY(log.startsWith("# Quillon "));
            QCOMPARE(MaskedLines(log), (QStringList{"T * open COM 1 /dev/ttyUSB0 115200,N,8,1",
                                                    "T > " + QString::fromLatin1(Line(i)).replace("\r\n", "\\r\\n"),
                                                    "T * close"}));
        }
        QVERIFY(b.problems.isEmpty());
    }

    void continuesInPartsAtTheSizeLimit()
    {
        QTemporaryDir dir;
        Bench b(Options(dir.path(), 2048));
        b.Publish(PortEventKind::Opened);
        for (int i = 0; i < 400; ++i)
            b.Publish(PortEventKind::Sent, Line(i));
        b.Publish(PortEventKind::Closed);
        b.Settle(0);
        const QStringList parts = Parts(dir.path());
        QVERIFY(parts.size() > 3);
        for (const QString &part : parts)
            QVERIFY2(QFileInfo(dir.filePath(part)).size() <= 2048, qPrintable(part));
        QVERIFY(parts.last().endsWith(QStringLiteral("-%1.log").arg(parts.size())));
        QVERIFY(ReadAll(dir.filePath(parts.last())).contains("# part "));
        QCOMPARE(b.LoggedSent(dir.path()), b.sent);
    }

    void writeProblemIsReportedOnceAndTheLogResumes_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("bulk"); // bytes added to each line after the fault
        QTest::newRow("folder cannot be made") << "file in the way" << QStringLiteral("无法建立日志文件夹") << 0;
        QTest::newRow("folder removed") << "remove folder" << QStringLiteral("删除或移走") << 0;
        // Events larger than the formatter's piece and megabytes a batch: the file is looked for
        // within a write, not only on the clock.
        QTest::newRow("folder removed in a flood") << "remove folder" << QStringLiteral("删除或移走") << 300000;
        QTest::newRow("file size limit") << "size limit" << QStringLiteral("写入失败") << 0;
    }
    void writeProblemIsReportedOnceAndTheLogResumes()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        QFETCH(int, bulk);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("logs"));
        Bench b(Options(folder));
        b.Publish(PortEventKind::Opened);
        b.Publish(PortEventKind::Sent, Line(0));
        b.Settle(50);
        QVERIFY(QFileInfo::exists(b.log.CurrentFile()));

        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        if (fault == QLatin1String("file in the way") || fault == QLatin1String("remove folder")) {
            QVERIFY(QDir(folder).removeRecursively());
            if (fault == QLatin1String("file in the way")) {
                QFile blocker(folder);
                QVERIFY(blocker.open(QIODevice::WriteOnly));
                // A new opening has to make its file in the folder that is now a file.
                b.Publish(PortEventKind::Closed);
                b.Publish(PortEventKind::Opened);
            }
        } else {
            rlimit tight = saved;
            tight.rlim_cur = rlim_t(QFileInfo(b.log.CurrentFile()).size() + 40);
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
        }
        for (int i = 1; i < 40; ++i) {
            b.Publish(PortEventKind::Sent, QByteArray(bulk, 'x') + Line(i));
            b.Settle(bulk ? 0 : 5);
        }
        b.Settle(100);
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(b.problems.size(), 1);
        QVERIFY2(b.problems[0].contains(message), qPrintable(b.problems[0]));
        QVERIFY2(b.problems[0].contains(QStringLiteral("端口和各项操作照常工作")) ||
                     fault == QLatin1String("remove folder"),
                 qPrintable(b.problems[0]));

        if (fault == QLatin1String("file in the way"))
            QVERIFY(QFile::remove(folder));
        b.Publish(PortEventKind::Sent, Line(99));
        b.Settle(100);
        b.Publish(PortEventKind::Closed);
        b.Settle(0);
        QCOMPARE(b.problems.size(), 1);
        // A removed folder takes the lines written before with it; everything after is kept.
        QCOMPARE(b.LoggedSent(folder), fault == QLatin1String("size limit") ? b.sent : b.sent.mid(Line(0).size()));
    }
};

QTEST_GUILESS_MAIN(SessionLogTest)
#include "tst_session_log.moc"
