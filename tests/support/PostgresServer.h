#pragma once

#include <QProcess>
#include <QTemporaryDir>

#include <memory>

// A PostgreSQL server of a test's own, in a temporary folder, stopped at the
// end. It listens on a Unix socket in that folder, where the superuser
// "tanko" needs no password, and on 127.0.0.1, where every role gives its
// password (scram-sha-256). fsync is off: a test's data need not outlive it.
// Run as root (CI), the server runs as "nobody", as PostgreSQL refuses root;
// it goes when the test ends, however it ends.
class PostgresServer
{
public:
    // Whether a server can be started here; if not, why (for QSKIP).
    // TANKO_PG_BIN names the folder of initdb and pg_ctl instead of
    // /usr/lib/postgresql/*/bin.
    static bool available(QString* whyNot);

    // Starts the server and makes the database "tanko"; error() if it could not.
    // durable: with fsync, as a real server runs (for the benchmark).
    explicit PostgresServer(bool durable = false);
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    QString error() const { return m_error; }
    int port() const { return m_port; }
    QString socketFolder() const { return m_dir.path(); }

    // Through the socket, where no password is asked for, or over TCP to
    // 127.0.0.1, where it is.
    QString conninfo(const QString& database = QStringLiteral("tanko"), const QString& user = QStringLiteral("tanko"),
                     bool tcp = false) const;
    // Runs statements as the superuser; false with error() set on failure.
    bool exec(const QString& sql, const QString& database = QStringLiteral("tanko"));

    // Stops it at once, as a crash or a pulled cable would look to a client,
    // and starts it again.
    bool stop();
    bool start();

private:
    QStringList command(const QString& tool, bool dieWithTest) const;
    bool run(const QString& tool, const QStringList& arguments);
    bool failed(const QString& what, QProcess& process);

    QTemporaryDir m_dir;
    QString m_bin;
    QString m_error;
    int m_port = 0;
    bool m_running = false;
    bool m_durable = false;
    std::unique_ptr<QProcess> m_postmaster;
};
