// The store on a PostgreSQL server of the test's own where a file has no
// equal: a server that goes away in the middle of a save or between reads,
// and a whole store copied to and from it, refused or stopped halfway.
// Results are read back through stores of their own.
#include "PostgresServer.h"
#include "TestSupport.h"

#include "core/frame/StoreCopy.h"

#include <QTest>

#include <sqlite3.h>

namespace
{
QString contents(const TestSupport::Environment& env)
{
    return env.stored("Anna", "TotEntry") + u'|' + env.stored("Anna", "Tanko1") + u'|' + env.stored("Zoe", "TotEntry");
}
} // namespace

class TestPgStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TANKO_NEEDS(TestSupport::Stores[1]); }

    void serverGoneMidway_data()
    {
        QTest::addColumn<bool>("retry");
        QTest::addColumn<bool>("reading"); // the server goes between two reads, not inside a save
        QTest::addColumn<QString>("stored");
        QTest::newRow("a save: nothing half-written, then all of it") << true << false << "1|06.15|<absent>";
        QTest::newRow("a read: waits, then reads what the server holds") << true << true << "1|06.15|<absent>";
        QTest::newRow("Exit: the save fails, and nothing is written") << false << false << "<absent>|<absent>|<absent>";
    }

    void serverGoneMidway()
    {
        QFETCH(bool, retry);
        QFETCH(bool, reading);
        QFETCH(QString, stored);
        TestSupport::Environment env("en", 0, "Anna", TestSupport::Stores[1]);
        PostgresServer& server = TestSupport::server();
        SettingsStore& store = env.store();
        QStringList told; // each reason, and what the server held when it was told
        store.setConnectionLostHandler([&](const QString& reason) {
            server.start();
            told << reason << contents(env);
            return retry;
        });
        if (reading) {
            QVERIFY(store.save("Anna", "Tanko1", "06.15") && store.save("Anna", "TotEntry", "1") && server.stop());
            const QString* total = store.find(u"Anna", u"TotEntry");
            QCOMPARE(total ? *total : "<none>", QString("1"));
            // Told of another program's save again, listening anew.
            SettingsStore other(env.location());
            QVERIFY(other.open() && other.save("Anna", "TotEntry", "2"));
            QTRY_COMPARE(*store.find(u"Anna", u"TotEntry"), QString("2"));
            QVERIFY(other.save("Anna", "TotEntry", "1"));
            QTRY_COMPARE(*store.find(u"Anna", u"TotEntry"), QString("1"));
        } else {
            int runs = 0;
            const SettingsStore::Update saved = store.edit([&](const SettingsStore& s, SettingsStore::Writer& out) {
                out.set(u"Anna", u"Tanko1", u"06.15");
                // Read from the server, so the key above is there first.
                s.holds(u"Anna", u"Date1");
                if (++runs == 1)
                    server.stop();
                out.set(u"Anna", u"TotEntry", u"1");
                return true;
            });
            QCOMPARE(saved, retry ? SettingsStore::Update::Written : SettingsStore::Update::Failed);
            QCOMPARE(runs, retry ? 2 : 1);
        }
        const QString named = QStringLiteral("server %1:%2/").arg(server.socketFolder()).arg(server.port());
        QVERIFY2(told.size() == 2 && told[0].startsWith(named) &&
                     told[0].contains("server closed the connection unexpectedly"),
                 qPrintable(told.join('\n')));
        QCOMPARE(told[1], reading ? QString("1|06.15|<absent>") : "<absent>|<absent>|<absent>");
        QVERIFY(retry || store.lastError().startsWith(named));
        QCOMPARE(contents(env), stored);
    }

    // Another tool changed the count without a notification: the next save
    // takes the number after it, not the one memory holds.
    void saveAfterAWriteNobodyWasToldOf()
    {
        TestSupport::Environment env("en", 0, "Anna", TestSupport::Stores[1]);
        env.put("Anna", "TotEntry", "1");
        QCOMPARE(*env.store().find(u"Anna", u"TotEntry"), QString("1"));
        const QString database = env.location().value.section("dbname='", 1).section('\'', 0, 0);
        QVERIFY(TestSupport::server().exec("SET session_replication_role = replica; UPDATE tankometer.settings SET "
                                           "value = '2' WHERE key_fold = 'totentry'; UPDATE tankometer.changes SET "
                                           "count = count + 1",
                                           database));
        QVERIFY(env.store().update([](const SettingsStore& s) {
            const QString n = QString::number(s.find(u"Anna", u"TotEntry")->toInt() + 1);
            return std::optional(std::vector<SettingsStore::Write>{{"Anna", "TotEntry", n}});
        }) == SettingsStore::Update::Written);
        QCOMPARE(env.stored("Anna", "TotEntry"), QString("3"));
    }

    // What a copy does to the store copied into: file or server, holding
    // data or not, and a copy that fails or is stopped halfway.
    void copyIntoAStore_data()
    {
        QTest::addColumn<QString>("to");      // file or server
        QTest::addColumn<bool>("holds");      // Zoe's data already
        QTest::addColumn<bool>("replace");    // --replace
        QTest::addColumn<QString>("mishap");  // nul: a text a server cannot hold; alter: the server changes a text;
                                              // stop: a signal halfway
        QTest::addColumn<QString>("problem"); // empty: copied
        const auto row = [](const char* name, const char* to, bool holds, bool replace, const char* mishap,
                            const char* problem) {
            QTest::newRow(name) << to << holds << replace << mishap << problem;
        };
        row("into an empty server", "server", false, false, "", "");
        row("into a server that holds data", "server", true, false, "", "it holds data already (1 keys)");
        row("into a server that holds data, replacing it", "server", true, true, "", "");
        row("a text a server cannot hold, halfway", "server", true, true, "nul",
            "holds a text PostgreSQL cannot store");
        row("a server that changes a text", "server", true, true, "alter",
            "the copy does not match what was read (the same 2 keys, but the checksums of their texts differ)");
        row("stopped halfway", "server", true, true, "stop", "stopped");
        row("into a file that holds data", "file", true, false, "", "it holds data already (1 keys)");
        row("into a file that holds data, replacing it", "file", true, true, "", "");
        row("into a file, stopped halfway", "file", true, true, "stop", "stopped");
    }

    void copyIntoAStore()
    {
        QFETCH(QString, to);
        QFETCH(bool, holds);
        QFETCH(bool, replace);
        QFETCH(QString, mishap);
        QFETCH(QString, problem);
        TestSupport::Environment from, into("en", 0, "Anna", TestSupport::Stores[to == u"server" ? 1 : 0]);
        from.put("Anna", "Tanko1", "06.15");
        from.put("Anna", "TotEntry", "1");
        if (holds)
            into.put("Zoe", "TotEntry", "7");
        if (mishap == u"nul") {
            sqlite3* db = nullptr;
            sqlite3_open(from.storePath().toUtf8().constData(), &db);
            sqlite3_exec(db, "INSERT INTO settings VALUES('Anna', 'Date1', '05 D' || char(0) || 'c', 'anna', 'date1')",
                         nullptr, nullptr, nullptr);
            sqlite3_close(db);
        }
        if (mishap == u"alter")
            QVERIFY(TestSupport::server().exec(
                "CREATE FUNCTION tankometer.alter() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN NEW.value = "
                "NEW.value || ' '; RETURN NEW; END $$; CREATE TRIGGER alter BEFORE INSERT ON tankometer.settings FOR "
                "EACH ROW EXECUTE FUNCTION tankometer.alter()",
                into.location().value.section("dbname=", 1).section(' ', 0, 0).remove('\'')));
        const StoreCopy::Result copied =
            StoreCopy::run(from.location(), into.location(), replace, [&] { return mishap == u"stop"; });
        QVERIFY2(problem.isEmpty() ? copied.problem.isEmpty() : copied.problem.contains(problem),
                 qPrintable(copied.problem));
        QCOMPARE(copied.keys, problem.isEmpty() ? 2 : 0);
        QCOMPARE(contents(into), problem.isEmpty() ? QString("1|06.15|<absent>")
                                 : holds           ? "<absent>|<absent>|7"
                                                   : "<absent>|<absent>|<absent>");
    }
};

QTEST_GUILESS_MAIN(TestPgStore)
#include "tst_pgstore.moc"
