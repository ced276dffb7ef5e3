// The whole program on a PostgreSQL server of the test's own: a log copied to
// the server and back byte for byte, and refused over data; two programs
// importing at once; the server's refusals on the command line, never a
// password.
#include "PostgresServer.h"
#include "TestSupport.h"

#include "core/frame/Files.h"

#include <QProcess>
#include <QTest>

#include <sqlite3.h>

namespace
{
// Every row of a file's table as bytes, in a fixed order.
QByteArray rowsOf(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_stmt* all = nullptr;
    QByteArray rows;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "SELECT section, key, value, section_fold, key_fold FROM settings ORDER BY 4, 5", -1,
                           &all, nullptr) == SQLITE_OK)
        while (sqlite3_step(all) == SQLITE_ROW)
            for (int i = 0; i < 5; ++i)
                rows += QByteArray(static_cast<const char*>(sqlite3_column_blob(all, i)), sqlite3_column_bytes(all, i))
                            .toHex() +
                        (i < 4 ? '|' : '\n');
    sqlite3_finalize(all);
    sqlite3_close(db);
    return rows;
}

QString database(const QString& name)
{
    TestSupport::server().exec("CREATE DATABASE " + name, "postgres");
    return TestSupport::server().conninfo(name);
}
} // namespace

class TestServerStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TANKO_NEEDS(TestSupport::Stores[1]); }

    // File to server, server to server, server to file: the same bytes.
    void copiedBothWaysByteForByte()
    {
        TestSupport::ProgramAccount account;
        const QString file = account.path("~/log.db"), back = account.path("~/back.db");
        {
            SettingsStore store(file);
            QVERIFY(store.open() && store.saveAll({{"Anna", "TotEntry", "1"},
                                                   {"Anna", "PayCom1", "46.80 USD"},
                                                   {"Éloïse", "Tanko1", "a\ttab, a\nline, a \\ and \"quotes\""},
                                                   {"ANNA", "Date1", QString(65536, u'é')},
                                                   {"Option", "User1", "Anna"}}));
        }
        const QString first = database("copyone"), second = database("copytwo");
        QCOMPARE(account.run({"--copy-store", file, first}), "0|tankometer: 5 keys copied from " + file + " to " +
                                                                 QStringLiteral("%1:%2/copyone")
                                                                     .arg(TestSupport::server().socketFolder())
                                                                     .arg(TestSupport::server().port()) +
                                                                 ", and checked by their count and checksum\n|");
        QVERIFY(account.run({"--copy-store", first, second}).startsWith("0|tankometer: 5 keys copied"));
        QVERIFY(account.run({"--copy-store", second, back}).startsWith("0|tankometer: 5 keys copied"));
        QCOMPARE(rowsOf(back), rowsOf(file));
        QVERIFY(account.run({"--copy-store", back, first})
                    .startsWith("1|tankometer: nothing copied: server " + TestSupport::server().socketFolder()));
        QVERIFY(account.run({"--copy-store", back, first, "--replace"}).startsWith("0|"));
    }

    // Each import takes the next numbers as one block; none is lost.
    void twoProgramsImportingAtOnce()
    {
        TestSupport::ProgramAccount account;
        const QString store = database("atonce");
        // Amounts apart, so that no line of one is a duplicate of the other's.
        for (int file = 1; file <= 2; ++file) {
            QByteArray lines = "date,litres,total\n";
            for (int i = 1; i <= 500; ++i)
                lines += "2026-12-05," + QByteArray::number(i) + ',' + QByteArray::number(file * 1000 + i) + '\n';
            QVERIFY(Files::write(account.path("~/in%1.csv").arg(file), lines).isEmpty());
        }
        {
            SettingsStore users(StoreLocation::read(store, StoreLocation::Source::Argument));
            QVERIFY(users.open() && users.saveAll({{"Option", "TotUsers", "1"}, {"Option", "User1", "Anna"}}));
        }
        QProcess* a = account.start({"--store", store, "--import", "Anna", "~/in1.csv", "--yes"});
        QProcess* b = account.start({"--store", store, "--import", "Anna", "~/in2.csv", "--yes"});
        QVERIFY(a->waitForFinished(60000) && b->waitForFinished(60000));
        QCOMPARE(a->exitCode() + b->exitCode(), 0);
        SettingsStore fresh(StoreLocation::read(store, StoreLocation::Source::Argument));
        QVERIFY(fresh.open());
        // Both files hold litres 1 to 500: two whole blocks, whichever came first.
        QStringList litres;
        for (qint64 n = 1; n <= 1001; ++n)
            litres << (fresh.findNumbered(u"Anna", u"Ltrs", n) ? *fresh.findNumbered(u"Anna", u"Ltrs", n) : "-");
        QStringList block;
        for (int n = 1; n <= 500; ++n)
            block << QString::number(n);
        QCOMPARE(litres, block + block + QStringList{"-"});
        QCOMPARE(*fresh.find(u"Anna", u"TotEntry"), QString("1000"));
    }

    // The server's words after "tankometer: " on stderr, status 1, no password.
    void refusals_data()
    {
        QTest::addColumn<QString>("store");
        QTest::addColumn<QString>("said");
        PostgresServer& server = TestSupport::server();
        QVERIFY(server.exec("DO $$ BEGIN CREATE ROLE alice LOGIN PASSWORD 'Right-Sesame-17'; EXCEPTION WHEN "
                            "duplicate_object THEN END $$",
                            "postgres"));
        QTest::newRow("authentication refused")
            << server.conninfo("tanko", "alice", true) + " passfile=~/pgpass"
            << QStringLiteral("server 127.0.0.1:%1/tanko: connection to server at \"127.0.0.1\", port %1 failed: "
                              "FATAL:  password authentication failed for user \"alice\"")
                   .arg(server.port());
        QTest::newRow("a database missing")
            << server.conninfo("nosuch")
            << QStringLiteral("server %1:%2/nosuch: connection to server on socket \"%1/.s.PGSQL.%2\" failed: FATAL:  "
                              "database \"nosuch\" does not exist")
                   .arg(server.socketFolder())
                   .arg(server.port());
    }

    void refusals()
    {
        QFETCH(QString, store);
        QFETCH(QString, said);
        TestSupport::ProgramAccount account;
        QFile pgpass(account.path("~/pgpass"));
        QVERIFY(pgpass.open(QIODevice::WriteOnly) && pgpass.write("*:*:*:alice:Wrong-Sesame-23") > 0 &&
                pgpass.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        pgpass.close();
        const QString out = account.run({"--store", store.replace('~', account.path("~")), "--export", "Anna", "x"});
        QVERIFY2(out.startsWith("1|tankometer: " + said) && !out.contains("Sesame"), qPrintable(out));
    }
};

QTEST_MAIN(TestServerStore)
#include "tst_serverstore.moc"
