#pragma once
// A throw-away PostgreSQL server for tests: a cluster made by initdb in a temporary folder of its
// own, listening only on a Unix socket in that folder (no TCP), stopped and removed at the end.
// Run as root (CI), the server runs as the "postgres" user, since it refuses root. Servers of
// tests running at the same time never meet: each has its own folder and socket.

#include <QString>
#include <QTemporaryDir>

namespace quillon::test {

class PostgresServer {
public:
    /// Makes the cluster (initdb); Error() says why when it could not, e.g. no binaries
    /// (Debian's postgresql package) or no "postgres" user.
    PostgresServer();
    ~PostgresServer();
    PostgresServer(const PostgresServer &) = delete;
    PostgresServer &operator=(const PostgresServer &) = delete;

    bool Valid() const { return m_error.isEmpty(); }
    QString Error() const { return m_error; }

    /// Starts the server and waits until it takes connections; false (and Error()) on failure.
    bool Start();
    /// Stops the server at once (clients are cut off); false when it was not running.
    bool Stop();
    bool Running() const { return m_running; }

    /// The folder holding the socket, as libpq's host.
    QString SocketFolder() const { return m_dir.path(); }
    int Port() const { return kPort; }
    /// "postgresql://postgres@/<database>?host=<socket folder>&port=<port>".
    QString Url(const QString &database = QStringLiteral("postgres")) const;

    /// The server's log (for a failure message).
    QString Log() const;

private:
    static constexpr int kPort = 5432;
    bool RunTool(const QString &tool, const QStringList &arguments, int timeoutMs);

    QTemporaryDir m_dir;
    QString m_bin;
    QString m_error;
    bool m_asPostgresUser = false;
    bool m_running = false;
};

} // namespace quillon::test
