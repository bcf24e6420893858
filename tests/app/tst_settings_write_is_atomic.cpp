// A settings write that fails or is cut short leaves the previous settings file intact: a write
// stopped by the file-size limit (as on a full disk), and a writer process killed mid-write.

#include "app/PublicMod.h"
#include "support/Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace quillon;
using quillon::testing::ReadAll;
using quillon::testing::WriteAll;

namespace {

// Set in the environment of the child process that plays the writer to be killed.
constexpr char kWriterFileVariable[] = "QUILLON_TEST_WRITER_FILE";
constexpr qsizetype kBlobSize = 4 * 1024 * 1024;

const QByteArray kOriginal = "; bench 3\r\n[QuillonSet]\r\nPort=3\r\nSpeed=17      ; 256000\r\n";


// Writes ever new large values until it is killed, reporting each completed write.
int RunWriter(const QString &path)
{
    SetIniFilePath(path);
    QFile out;
    if (!out.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered))
        return 1;
    for (int i = 0; i < 1000; ++i) {
        WriteIniString("Big", "Blob", QString(kBlobSize, QChar('a' + i % 26)));
        out.write("wrote\n");
    }
    return 0;
}

#ifdef Q_OS_UNIX
// Lowers the file-size limit for the scope: writes past it fail with EFBIG, as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_saved;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_saved {};
    void (*m_savedHandler)(int) = nullptr;
};
#endif

} // namespace

class SettingsWriteIsAtomic : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanupTestCase();
    void failedWriteKeepsOldFile();
    void killedWriterLeavesCompleteFile();

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void SettingsWriteIsAtomic::init()
{
    QDir dir(m_dir.path());
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden))
        QVERIFY(dir.remove(name));
    m_path = m_dir.filePath("settings.ini");
    WriteAll(m_path, kOriginal);
    SetIniFilePath(m_path);
}

void SettingsWriteIsAtomic::cleanupTestCase()
{
    SetIniFilePath({});
}

void SettingsWriteIsAtomic::failedWriteKeepsOldFile()
{
#ifndef Q_OS_UNIX
    QSKIP("needs a file-size limit to make the write fail");
#else
    {
        const FileSizeLimit limit(64 * 1024);
        WriteIniString("Big", "Blob", QString(1024 * 1024, QChar('x')));
    }
    QCOMPARE(ReadAll(m_path), kOriginal);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList {"settings.ini"});

    WriteIniString("QuillonSet", "Port", "4");
    QCOMPARE(ReadIniInt("QuillonSet", "Port"), 4);
#endif
}

void SettingsWriteIsAtomic::killedWriterLeavesCompleteFile()
{
    const QByteArray blobLine = "[Big]\r\nBlob=";
    for (int round = 0; round < 3; ++round) {
        QProcess writer;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kWriterFileVariable, m_path);
        writer.setProcessEnvironment(env);
        writer.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(writer.waitForStarted());
        // Killed right after its first complete write, most likely inside the next one.
        QVERIFY(writer.waitForReadyRead(120000));
        writer.kill();
        QVERIFY(writer.waitForFinished());

        const QByteArray now = ReadAll(m_path);
        QVERIFY(now.startsWith(kOriginal));
        const QByteArray rest = now.sliced(kOriginal.size());
        QCOMPARE(rest.size(), blobLine.size() + kBlobSize + 2);
        QVERIFY(rest.startsWith(blobLine));
        QVERIFY(rest.endsWith("\r\n"));
        const char letter = rest.at(blobLine.size());
        QCOMPARE(rest.sliced(blobLine.size(), kBlobSize).count(letter), kBlobSize);
        QCOMPARE(ReadIniInt("QuillonSet", "Speed"), 17);
    }
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kWriterFileVariable))
        return RunWriter(qEnvironmentVariable(kWriterFileVariable));
    SettingsWriteIsAtomic test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settings_write_is_atomic.moc"
