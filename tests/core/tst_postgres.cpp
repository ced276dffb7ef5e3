// The store's groundwork on a PostgreSQL server of the test's own: refusals in
// the server's words that name the server and never a password, the store's
// statements, the change counter and its notifications. (Read-modify-writes
// of two programs at once and a server that goes away: the store's own
// tests, tst_store and tst_pgstore.)
#include "PostgresServer.h"

#include "core/frame/Postgres.h"
#include "core/frame/PostgresSchema.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTest>

#include <latch>
#include <thread>

using Postgres::Connection;

class TestPostgres : public QObject
{
    Q_OBJECT

    std::unique_ptr<PostgresServer> m_server;
    QTemporaryDir m_dir;

    QString where(const QString& host, const QString& database = QStringLiteral("tanko")) const
    {
        return QStringLiteral("server %1:%2/%3:").arg(host).arg(m_server->port()).arg(database);
    }

    // One text of every row a statement returned: "column=column;..." in order.
    static QString rows(const Postgres::Result& result)
    {
        QStringList rows;
        for (int row = 0; row < result.rows(); ++row)
            rows << result.text(row, 0) + (result.columns() > 1 ? u'=' + result.text(row, 1) : QString());
        rows.sort();
        return result.ok() ? rows.join(u';') : QStringLiteral("<failed>");
    }

private slots:
    void initTestCase()
    {
        QString why;
        if (!PostgresServer::available(&why))
            QSKIP(qPrintable(why));
        m_server = std::make_unique<PostgresServer>();
        QVERIFY2(m_server->error().isEmpty(), qPrintable(m_server->error()));
        Connection admin;
        QVERIFY(admin.open(m_server->conninfo()));
        QCOMPARE(PostgresSchema::ensure(admin), QString());
        // alice reads and writes the store with her password; bob may only log in.
        QVERIFY2(m_server->exec("CREATE ROLE alice LOGIN PASSWORD 'Right-Sesame-17'; CREATE ROLE bob LOGIN;"
                                "GRANT USAGE ON SCHEMA tankometer TO alice;"
                                "GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA tankometer TO alice"),
                 qPrintable(m_server->error()));
    }

    void refusalsInTheServersWords_data()
    {
        QTest::addColumn<bool>("tcp");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("passfile"); // the password ~/.pgpass gives
        QTest::addColumn<QString>("given");    // a password in the connection itself
        QTest::addColumn<QString>("words");    // what the failure says; empty: the store is read
        const auto row = [](const char* name, bool tcp, const char* user, const char* database, const char* passfile,
                            const char* given, const char* words) {
            QTest::newRow(name) << tcp << user << database << passfile << given << words;
        };
        const char* wrong = "FATAL:  password authentication failed for user \"alice\"";
        row("wrong password from ~/.pgpass", true, "alice", "tanko", "Wrong-Sesame-23", "", wrong);
        row("wrong password in the connection", true, "alice", "tanko", "", "Wrong-Sesame-23", wrong);
        row("right password from ~/.pgpass", true, "alice", "tanko", "Right-Sesame-17", "", "");
        row("missing database", false, "tanko", "nosuch", "", "", "FATAL:  database \"nosuch\" does not exist");
        row("no permission on the schema", false, "bob", "tanko", "", "",
            "ERROR:  permission denied for schema tankometer (SQLSTATE 42501)");
    }

    void refusalsInTheServersWords()
    {
        QFETCH(bool, tcp);
        QFETCH(QString, user);
        QFETCH(QString, database);
        QFETCH(QString, passfile);
        QFETCH(QString, given);
        QFETCH(QString, words);
        QFile pgpass(m_dir.filePath(QStringLiteral("pgpass")));
        QVERIFY(pgpass.open(QIODevice::WriteOnly) && pgpass.write(("*:*:*:alice:" + passfile).toUtf8()) > 0 &&
                pgpass.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        pgpass.close();
        const QString conninfo = m_server->conninfo(database, user, tcp) + " passfile=" + pgpass.fileName() +
                                 (given.isEmpty() ? QString() : " password=" + given);
        Connection connection;
        QString problem = connection.open(conninfo) ? PostgresSchema::ensure(connection) : connection.error().message();
        const PostgresSchema::Statements sql(PostgresSchema::defaultName());
        if (problem.isEmpty() && !connection.run(sql.readKey.constData(), {u"anna", u"totentry"}))
            problem = connection.error().message();
        QVERIFY2(!problem.contains(QStringLiteral("Sesame")), qPrintable(problem));
        const QString server = where(tcp ? QStringLiteral("127.0.0.1") : m_server->socketFolder(), database);
        QVERIFY2(words.isEmpty() ? problem.isEmpty() : problem.startsWith(server) && problem.contains(words),
                 qPrintable(problem));
    }

    void statements_data()
    {
        QTest::addColumn<QByteArray>("statement");
        QTest::addColumn<QStringList>("parameters");
        QTest::addColumn<QString>("answer");
        const PostgresSchema::Statements sql(QStringLiteral("reading"));
        const auto row = [](const char* name, const QByteArray& statement, const char* parameters, const char* answer) {
            QTest::newRow(name) << statement << QString(parameters).split(u'|', Qt::SkipEmptyParts) << answer;
        };
        row("one key", sql.readKey, "anna|totentry", "3");
        row("a value with quotes and a backslash", sql.readKey, "anna|tankp", "\"x\\'");
        row("a key never written", sql.readKey, "anna|tanko3", "");
        row("the keys of a prefix, not the next one nor a shorter", sql.readRange, "anna|tanko|tankp",
            "tanko10=07.10;tanko1=06.15;tanko2=05.00");
        row("a prefix beyond ASCII", sql.readRange, "anna|étape|étapf", "étape1=Gent");
        row("a section", sql.scanSection, "bert", "tanko1=04.00");
        row("the keys of a section", sql.countKeys, "anna", "7");
        row("the keys of a section never written", sql.countKeys, "cid", "0");
        row("one change for each key written", sql.changeCount, "", "8");
    }

    void statements()
    {
        QFETCH(QByteArray, statement);
        QFETCH(QStringList, parameters);
        QFETCH(QString, answer);
        Connection connection;
        QVERIFY(connection.open(m_server->conninfo()));
        QCOMPARE(PostgresSchema::ensure(connection, QStringLiteral("reading")), QString());
        const PostgresSchema::Statements sql(QStringLiteral("reading"));
        if (connection.exec(sql.changeCount.constData()).integer(0, 0) == 0) {
            const QStringList keys = {"TotEntry", "Tanko1", "Tanko2", "Tanko10", "Tankp", "Tank", "Étape1", "Tanko1"};
            const QStringList values = {"3", "06.15", "05.00", "07.10", "\"x\\'", "y", "Gent", "04.00"};
            const QStringList keysFolded = {"totentry", "tanko1", "tanko2", "tanko10",
                                            "tankp",    "tank",   "étape1", "tanko1"};
            QStringList sections(7, QStringLiteral("Anna")), folded(7, QStringLiteral("anna"));
            QVERIFY(connection.run(sql.upsertMany.constData(),
                                   {Postgres::textArray(sections << "Bert"), Postgres::textArray(keys),
                                    Postgres::textArray(values), Postgres::textArray(folded << "bert"),
                                    Postgres::textArray(keysFolded)}));
        }
        QCOMPARE(rows(connection.exec(statement.constData(), parameters)), answer);
    }

    // What another program is told of: each commit that changed something,
    // once, and the counter by the keys it changed.
    void changesCountedAndNotified_data()
    {
        QTest::addColumn<QString>("writes"); // up: the upsert, del: the delete, many(n): n keys in one statement
        QTest::addColumn<int>("notified");
        QTest::addColumn<int>("counted");
        const auto row = [](const char* name, const char* writes, int notified, int counted) {
            QTest::newRow(name) << writes << notified << counted;
        };
        row("statements of different sizes in one transaction",
            "BEGIN; EXECUTE up('N', 'a', '1', 'n', 'a'); EXECUTE many(10); COMMIT", 1, 11);
        row("a value written again unchanged", "EXECUTE up('N', 'kept', '1', 'n', 'kept')", 0, 0);
        row("a value changed, under another spelling", "EXECUTE up('N', 'KEPT', '2', 'n', 'kept')", 1, 1);
        row("a key deleted", "EXECUTE del('n', 'kept')", 1, 1);
        row("a key deleted that is not there", "EXECUTE del('n', 'gone')", 0, 0);
        row("1,000 keys in one statement", "EXECUTE many(1000)", 1, 1000);
        row("rolled back", "BEGIN; EXECUTE up('N', 'a', '1', 'n', 'a'); EXECUTE del('n', 'kept'); ROLLBACK", 0, 0);
    }

    void changesCountedAndNotified()
    {
        QFETCH(QString, writes);
        QFETCH(int, notified);
        QFETCH(int, counted);
        const PostgresSchema::Statements sql(PostgresSchema::defaultName());
        Connection listener, writer;
        QVERIFY(listener.open(m_server->conninfo()) && writer.open(m_server->conninfo()));
        QVERIFY(writer.run(("PREPARE up AS " + sql.upsert).constData()) &&
                writer.run(("PREPARE del AS " + sql.remove).constData()) &&
                writer.run("PREPARE many(int) AS INSERT INTO tankometer.settings SELECT 'N', k, k, 'n', k FROM "
                           "generate_series(1, $1) AS n, text(n) AS k"));
        QVERIFY(writer.run("TRUNCATE tankometer.settings; EXECUTE up('N', 'kept', '1', 'n', 'kept')"));
        QVERIFY(listener.listen(sql.channel) && listener.listen(QStringLiteral("done")));
        const qint64 before = writer.exec(sql.changeCount.constData()).integer(0, 0);
        QVERIFY2(writer.run(writes.toUtf8().constData()), qPrintable(writer.error().message()));
        // Told after the writes, so its arrival says all before it arrived too.
        QVERIFY(writer.run("NOTIFY done"));
        QSocketNotifier socket(listener.socket(), QSocketNotifier::Read);
        int told = 0;
        bool done = false;
        connect(&socket, &QSocketNotifier::activated, this, [&] {
            for (const Postgres::Notification& n : listener.notifications()) {
                done = done || n.channel == u"done";
                told += n.channel == sql.channel && !n.fromSelf ? 1 : 0;
            }
        });
        QTRY_VERIFY(done);
        QCOMPARE(told, notified);
        QCOMPARE(writer.exec(sql.changeCount.constData()).integer(0, 0) - before, counted);
    }

    // A statement that failed makes no commit, whatever comes after it.
    void failedStatementIsNoCommit()
    {
        Connection fresh;
        QVERIFY(fresh.open(m_server->conninfo()));
        {
            Postgres::Transaction careless(fresh);
            fresh.run("SELECT nothing FROM nowhere");
            QVERIFY(!careless.commit());
        }
        QVERIFY(fresh.error().text.contains(QStringLiteral("relation \"nowhere\" does not exist")));
        // Nor is a text cut short where PostgreSQL cannot follow.
        QVERIFY2(fresh.run("SELECT 1"), "the failed transaction is still open");
        const QString cut = QStringLiteral("a") + QChar(0) + u'b';
        QVERIFY2(!fresh.run("SELECT $1", {cut}) && fresh.error().text.contains("U+0000"),
                 qPrintable(fresh.error().message()));
    }

    // Two programs meeting a new database at once find one complete store.
    void schemaMadeOnceWhenTwoStartAtOnce()
    {
        for (const QString schema : {"race1", "race2", "race3"}) {
            std::latch ready(2);
            QString problems[2];
            const auto start = [&](int i) {
                Connection c;
                c.open(m_server->conninfo());
                ready.arrive_and_wait();
                problems[i] = PostgresSchema::ensure(c, schema);
            };
            std::thread a(start, 0), b(start, 1);
            a.join();
            b.join();
            QCOMPARE(problems[0] + problems[1], QString());
        }
        Connection c;
        QVERIFY(c.open(m_server->conninfo()));
        QCOMPARE(PostgresSchema::ensure(c, QStringLiteral("race1")), QString());
        QCOMPARE(rows(c.exec("SELECT count(*) FROM pg_trigger WHERE tgrelid = 'race1.settings'::regclass")),
                 QString("3"));
        QVERIFY(c.run("UPDATE race1.version SET number = 2"));
        QVERIFY(PostgresSchema::ensure(c, QStringLiteral("race1")).contains(QStringLiteral("made by a newer")));
    }
};

QTEST_GUILESS_MAIN(TestPostgres)
#include "tst_postgres.moc"
