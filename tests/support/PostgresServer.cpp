#include "support/PostgresServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QUrl>
#include <QVersionNumber>

#include <pwd.h>
#include <unistd.h>

namespace quillon::test {

namespace {

// The newest installed server's binaries (/usr/lib/postgresql/<major>/bin on Debian), or the
// folder named by QUILLON_PG_BIN.
QString FindBinaries()
{
    if (qEnvironmentVariableIsSet("QUILLON_PG_BIN"))
        return qEnvironmentVariable("QUILLON_PG_BIN");
    QString best;
    QVersionNumber bestVersion;
    const QDir root(QStringLiteral("/usr/lib/postgresql"));
    for (const QString &major : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString bin = root.filePath(major + QStringLiteral("/bin"));
        const QVersionNumber version = QVersionNumber::fromString(major);
        if (QFile::exists(bin + QStringLiteral("/postgres")) && version > bestVersion) {
            best = bin;
            bestVersion = version;
        }
    }
    return best;
}

} // namespace

PostgresServer::PostgresServer() : m_dir(QDir::tempPath() + QStringLiteral("/quillon-pg-XXXXXX"))
{
    m_bin = FindBinaries();
    if (m_bin.isEmpty()) {
        m_error = QStringLiteral("no PostgreSQL server binaries under /usr/lib/postgresql (install Debian's "
                                 "postgresql package) and QUILLON_PG_BIN not set");
        return;
    }
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("cannot make a temporary folder: ") + m_dir.errorString();
        return;
    }
    if (::geteuid() == 0) {
        const passwd *user = ::getpwnam("postgres");
        if (!user) {
            m_error = QStringLiteral("running as root and there is no \"postgres\" user to run the server as");
            return;
        }
        // The server refuses to run as root; the folder becomes the postgres user's.
        if (::chown(QFile::encodeName(m_dir.path()).constData(), user->pw_uid, user->pw_gid) != 0) {
            m_error = QStringLiteral("cannot hand %1 to the postgres user").arg(m_dir.path());
            return;
        }
        m_asPostgresUser = true;
    }
    if (!RunTool(QStringLiteral("initdb"),
                 {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-U"),
                  QStringLiteral("postgres"), QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"),
                  QStringLiteral("UTF8"), QStringLiteral("--locale=C"), QStringLiteral("--no-sync")},
                 120000))
        m_error.prepend(QStringLiteral("initdb failed: "));
}

PostgresServer::~PostgresServer()
{
    if (m_running)
        Stop();
}

bool PostgresServer::Start()
{
    if (!Valid() || m_running)
        return false;
    const QString options = QStringLiteral("-c listen_addresses='' -k %1 -p %2 -c fsync=off")
                                .arg(m_dir.path())
                                .arg(kPort);
    if (!RunTool(QStringLiteral("pg_ctl"),
                 {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-l"),
                  m_dir.filePath(QStringLiteral("server.log")), QStringLiteral("-o"), options, QStringLiteral("-w"),
                  QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("start")},
                 90000)) {
        m_error.prepend(QStringLiteral("the server did not start: "));
        return false;
    }
    m_running = true;
    return true;
}

bool PostgresServer::Stop()
{
    if (!m_running)
        return false;
    m_running = false;
    return RunTool(QStringLiteral("pg_ctl"),
                   {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-m"),
                    QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")},
                   60000);
}

QString PostgresServer::Url(const QString &database) const
{
    return QStringLiteral("postgresql://postgres@/") + database + QStringLiteral("?host=")
        + QString::fromLatin1(QUrl::toPercentEncoding(m_dir.path())) + QStringLiteral("&port=")
        + QString::number(kPort);
}

QString PostgresServer::Log() const
{
    QFile log(m_dir.filePath(QStringLiteral("server.log")));
    return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()) : QString();
}

bool PostgresServer::RunTool(const QString &tool, const QStringList &arguments, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(m_dir.path());
    const QString program = m_bin + QLatin1Char('/') + tool;
    if (m_asPostgresUser)
        process.start(QStringLiteral("runuser"), QStringList {QStringLiteral("-u"), QStringLiteral("postgres"),
                                                              QStringLiteral("--"), program} + arguments);
    else
        process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        m_error = QStringLiteral("%1: %2 %3").arg(tool, process.errorString(),
                                                 QString::fromLocal8Bit(process.readAll()).trimmed());
        return false;
    }
    return true;
}

} // namespace quillon::test
