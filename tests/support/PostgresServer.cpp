#include "PostgresServer.h"

#include "core/frame/Postgres.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTcpServer>

#include <algorithm>

#include <pwd.h>
#include <unistd.h>

namespace
{
// PostgreSQL refuses to run as root: then the server runs as "nobody" through setpriv.
const bool g_root = ::geteuid() == 0;
const QString g_setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"), {"/usr/bin", "/bin"});

bool hasTools(const QString& dir)
{
    return QFileInfo(dir + QStringLiteral("/initdb")).isExecutable() &&
           QFileInfo(dir + QStringLiteral("/pg_ctl")).isExecutable();
}

QString binFolder(QString* whyNot)
{
    if (const QString given = qEnvironmentVariable("TANKO_PG_BIN"); !given.isEmpty()) {
        if (hasTools(given))
            return given;
        *whyNot = QStringLiteral("PostgreSQL not found: no initdb and pg_ctl in TANKO_PG_BIN (%1)").arg(given);
        return {};
    }
    QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
              [](const QString& a, const QString& b) { return a.toDouble() > b.toDouble(); });
    for (const QString& version : versions)
        if (const QString dir = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(version); hasTools(dir))
            return dir;
    *whyNot = QStringLiteral("PostgreSQL is not installed: no initdb and pg_ctl under /usr/lib/postgresql/*/bin "
                             "(apt-get install postgresql)");
    return {};
}

// The socket's path has room for about 100 bytes, and "nobody" must reach the
// folder: under /tmp when run as root or when the test's folder is deep.
QString folderTemplate()
{
    const QString local = QDir::tempPath() + QStringLiteral("/pg-XXXXXX");
    return g_root || local.size() > 80 ? QStringLiteral("/tmp/tanko-pg-XXXXXX") : local;
}

// A value in a conninfo; the tests' own need no escapes.
QString quoted(const QString& value)
{
    return u'\'' + value + u'\'';
}

int freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}
} // namespace

bool PostgresServer::available(QString* whyNot)
{
    QString& why = *whyNot;
    if (!binFolder(&why).isEmpty() && g_root && (g_setpriv.isEmpty() || !::getpwnam("nobody")))
        why = QStringLiteral("run as root without setpriv or the account \"nobody\" to start PostgreSQL with");
    return why.isEmpty();
}

PostgresServer::PostgresServer(bool durable) : m_dir(folderTemplate()), m_durable(durable)
{
    if (!available(&m_error))
        return;
    m_bin = binFolder(&m_error);
    const passwd* nobody = ::getpwnam("nobody");
    if (!m_dir.isValid() ||
        (g_root && ::chown(QFile::encodeName(m_dir.path()).constData(), nobody->pw_uid, nobody->pw_gid) != 0)) {
        m_error = QStringLiteral("cannot make a folder for the server that nobody may use: ") + m_dir.errorString();
        return;
    }
    m_port = freePort();
    const QString options("-E UTF8 --locale=C -U tanko --auth-local=trust --auth-host=scram-sha-256 --no-sync");
    if (run("initdb", QStringList{"-D", m_dir.filePath("data")} + options.split(u' ')) && start())
        exec("CREATE DATABASE tanko", "postgres");
}

PostgresServer::~PostgresServer()
{
    if (m_running)
        stop();
}

// setpriv before a server program: as "nobody" when run as root, and the
// server told to go when the test ends, even by a crash.
QStringList PostgresServer::command(const QString& tool, bool dieWithTest) const
{
    QStringList command;
    if (const passwd* nobody = ::getpwnam("nobody"); g_root)
        command << QStringLiteral("--reuid=%1").arg(nobody->pw_uid) << QStringLiteral("--regid=%1").arg(nobody->pw_gid)
                << "--clear-groups";
    if (dieWithTest && !g_setpriv.isEmpty())
        command << "--pdeathsig=QUIT";
    command << m_bin + u'/' + tool;
    return command.size() > 1 ? QStringList{g_setpriv} + command : command;
}

bool PostgresServer::failed(const QString& what, QProcess& process)
{
    QFile log(m_dir.filePath("log"));
    const QString logText = log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll().right(2000)) : QString();
    m_error = QStringLiteral("%1 failed: %2\n%3%4")
                  .arg(what, process.errorString(), QString::fromLocal8Bit(process.readAll()), logText);
    return false;
}

bool PostgresServer::run(const QString& tool, const QStringList& arguments)
{
    const QStringList command = this->command(tool, false);
    QProcess process;
    process.setWorkingDirectory(m_dir.path());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(command.first(), command.mid(1) + arguments);
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    return failed(tool, process);
}

// The server runs as a child of the test, not through pg_ctl, so that it
// cannot outlive a test that crashed.
bool PostgresServer::start()
{
    if (m_running)
        return true;
    const QStringList command = this->command("postgres", true);
    // Without fsync, but with each commit written before it is answered: a
    // server stopped at once, as in a crash, keeps what it said it committed.
    const QString options(m_durable ? "-c listen_addresses=127.0.0.1"
                                    : "-c listen_addresses=127.0.0.1 -c fsync=off -c full_page_writes=off");
    m_postmaster = std::make_unique<QProcess>();
    m_postmaster->setWorkingDirectory(m_dir.path());
    m_postmaster->setStandardOutputFile(m_dir.filePath("log"), QIODevice::Append);
    m_postmaster->setProcessChannelMode(QProcess::MergedChannels);
    m_postmaster->start(command.first(), command.mid(1) + options.split(u' ') +
                                             QStringList{"-D", m_dir.filePath("data"), "-p", QString::number(m_port),
                                                         "-k", m_dir.path()});
    // Ready when it lets a session in.
    for (int tries = 0; tries < 600 && m_postmaster->state() != QProcess::NotRunning; ++tries) {
        Postgres::Connection probe;
        if ((m_running = probe.open(conninfo("postgres"))))
            return true;
        m_postmaster->waitForFinished(100);
    }
    return failed("postgres", *m_postmaster);
}

bool PostgresServer::stop()
{
    m_running = !run("pg_ctl", {"stop", "-w", "-m", "immediate", "-D", m_dir.filePath("data")});
    if (!m_running && m_postmaster)
        m_postmaster->waitForFinished(30000);
    return !m_running;
}

QString PostgresServer::conninfo(const QString& database, const QString& user, bool tcp) const
{
    return QStringLiteral("host=%1 port=%2 dbname=%3 user=%4")
        .arg(tcp ? QStringLiteral("127.0.0.1") : quoted(m_dir.path()))
        .arg(m_port)
        .arg(quoted(database), quoted(user));
}

bool PostgresServer::exec(const QString& sql, const QString& database)
{
    Postgres::Connection connection;
    if (connection.open(conninfo(database)) && connection.run(sql.toUtf8().constData()))
        return true;
    m_error = connection.error().message();
    return false;
}
