// The settings store as several programs meet it, on a file and on a server:
// saves, a removal and an import at the same moment as another program's
// saves, a conflict run again; on a file, another program's lock, damaged and
// half-readable files, values far longer than the program writes; and its
// copies, made only when the data changed, the last ones made kept whatever
// the clock says, a failure told once. Results are read back through a store
// of their own.
#include "TestSupport.h"

#include "core/frame/Backup.h"
#include "core/frame/Files.h"
#include "core/frame/SettingsStore.h"
#include "core/frame/SqliteBackend.h"
#include "core/records/FillUps.h"
#include "core/users/Users.h"

#include <QTest>

#include <sqlite3.h>
#include <sys/stat.h>

#include <atomic>
#include <thread>

namespace
{
QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Another program: a connection of its own, holding the write lock while it lives.
struct OtherProgram
{
    explicit OtherProgram(const QString& path, const char* sql = "BEGIN IMMEDIATE")
    {
        sqlite3_open(path.toUtf8().constData(), &db);
        sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    }
    ~OtherProgram() { sqlite3_close(db); }
    sqlite3* db = nullptr;
};

// The next record number, read and written as the save button does.
SettingsStore::Update saveRecord(SettingsStore& store, const QString& owner)
{
    return store.update([&owner](const SettingsStore& s) {
        const QString* count = s.find(u"Anna", u"TotEntry");
        const QString n = QString::number((count ? count->toInt() : 0) + 1);
        return std::optional(std::vector<SettingsStore::Write>{{"Anna", "TotEntry", n}, {"Anna", "Tanko" + n, owner}});
    });
}

// A fill-up told by its amount.
FillUp paying(int amount, const LocaleInfo& locale)
{
    FillUp fillUp;
    fillUp.date = FillUpText::date(QDate(2026, 12, 5), locale);
    fillUp.euro = FillUpText::typedEuro(QString::number(amount), locale);
    return fillUp;
}

// Another program saving fill-ups paying first, first + 1 ... as the save button does.
std::thread otherProgram(const TestSupport::Environment& env, int first, int count, std::atomic<int>& failed)
{
    return std::thread([&env, first, count, &failed] {
        SettingsStore store(env.location());
        FillUps fillUps(store, env.locale());
        for (int i = 0; i < count; ++i)
            failed += !store.isOpen() && !store.open()
                          ? 1
                          : fillUps.save("Anna", paying(first + i, env.locale())) != FillUps::Outcome::Done;
    });
}

// The amounts of Anna's records in record order, a gap as "gap", and TotEntry after "/".
QStringList amounts(const TestSupport::Environment& env)
{
    SettingsStore fresh(env.location());
    if (!fresh.open())
        return {fresh.lastError()};
    QStringList seen;
    const std::vector<qint64> numbers = fresh.keyNumbers(u"Anna", u"Pay");
    for (size_t i = 0; i < numbers.size(); ++i)
        seen << (numbers[i] == qint64(i + 1) ? *fresh.findNumbered(u"Anna", u"Pay", numbers[i]) : "gap");
    return seen << "/" + *fresh.find(u"Anna", u"TotEntry");
}

QStringList range(int first, int last)
{
    QStringList numbers;
    for (int n = first; n <= last; ++n)
        numbers << QString::number(n);
    return numbers;
}

QStringList sorted(QStringList list)
{
    const auto key = [](const QString& s) { return s.startsWith(u'/') ? INT_MAX : s.toInt(); };
    std::sort(list.begin(), list.end(), [&key](const QString& a, const QString& b) { return key(a) < key(b); });
    return list;
}

// A server that could not serialize the transaction with another's, as many times as told.
class ConflictingBackend : public SqliteBackend
{
public:
    using SqliteBackend::SqliteBackend;
    int conflicts = 0;
    bool commit() override
    {
        if (conflicts == 0)
            return SqliteBackend::commit();
        --conflicts;
        rollback();
        return false;
    }
    bool mayRetry() const override { return true; }
};

void addStores()
{
    QTest::addColumn<QString>("store");
    for (const char* store : TestSupport::Stores)
        QTest::newRow(store) << store;
}
} // namespace

class TestStore : public QObject
{
    Q_OBJECT

private slots:
    // Each store reads what the other wrote last; no save takes another's number.
    void twoProgramsSavingInTurnLoseNothing_data() { addStores(); }

    void twoProgramsSavingInTurnLoseNothing()
    {
        QFETCH(QString, store);
        TANKO_NEEDS(store);
        TestSupport::Environment env("en", 0, "Anna", store);
        SettingsStore a(env.location()), b(env.location());
        QVERIFY(a.open() && b.open());
        QCOMPARE(b.numberedEnd(u"Anna", u"Tanko"), 0); // b's view of the records, before a's saves
        for (int i = 0; i < 3; ++i)
            QVERIFY(saveRecord(a, "a") == SettingsStore::Update::Written &&
                    saveRecord(b, "b") == SettingsStore::Update::Written);
        QString owners = env.stored("Anna", "TotEntry");
        for (int n = 1; n <= 6; ++n)
            owners += env.stored("Anna", QStringLiteral("Tanko%1").arg(n));
        QCOMPARE(owners, QString("6ababab"));
        // a's next walk over the records sees b's last one, as soon as it is told.
        QTRY_COMPARE(a.numberedEnd(u"Anna", u"Tanko"), 7);
        QCOMPARE(*a.findNumbered(u"Anna", u"Tanko", 6), QString("b"));

        // The user list, each program appending from its own older view.
        Users usersOfA(a, env.locale()), usersOfB(b, env.locale());
        QCOMPARE(usersOfB.read().names, QStringList());
        QVERIFY(usersOfA.confirm("Anna", 1));
        QVERIFY(usersOfB.confirm("Zoe", 2));
        QCOMPARE(env.stored("Option", "TotUsers") + env.stored("Option", "User1") + env.stored("Option", "User2"),
                 QString("2AnnaZoe"));
    }

    // Each value a large edit writes counts as a change, as the backups
    // compare the count to know whether the data changed since the last copy.
    void aLargeEditCountsEveryChange()
    {
        TestSupport::Environment env;
        const auto count = [&] {
            OtherProgram reader(env.storePath(), "SELECT 1");
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(reader.db, "SELECT count FROM changes", -1, &st, nullptr);
            const qint64 n = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
            sqlite3_finalize(st);
            return n;
        };
        const qint64 before = count();
        std::vector<SettingsStore::Write> writes;
        for (int i = 1; i <= 300; ++i)
            writes.push_back({"Anna", QStringLiteral("Tanko%1").arg(i), "06.15"});
        QVERIFY(env.store().saveAll(writes));
        QCOMPARE(count(), before + 300);
    }

    // Another program's write is found once, and the store's own not at all:
    // what was read after it counts as current again.
    void anotherProgramsWriteIsFoundOnce()
    {
        TestSupport::Environment env;
        SettingsStore a(env.storePath()), b(env.storePath());
        QVERIFY(a.open() && b.open());
        const qint64 before = a.othersChanges();
        QVERIFY(b.save("Anna", "Tanko1", "06.15"));
        QCOMPARE(a.othersChanges(), before + 1);
        QVERIFY(a.save("Anna", "Tanko2", "06.20"));
        QCOMPARE(a.othersChanges(), before + 1);
    }

    // While another program saves 50 fill-ups: 100 saves of another, the
    // first record removed ten times, each renumbering the rest (refused and
    // tried again on a list another save made stale), or an import of 1,000.
    // Every record is there once, numbered without a gap, in its order.
    void whileAnotherProgramSaves_data()
    {
        QTest::addColumn<QString>("store");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("expected"); // mine, in their order, then "/" and the count
        for (const char* store : TestSupport::Stores) {
            QTest::addRow("%s: saves", store) << store << "save" << range(2001, 2100) + QStringList{"/150"};
            QTest::addRow("%s: a removal", store) << store << "remove" << range(11, 20) + QStringList{"/60"};
            QTest::addRow("%s: an import", store) << store << "import" << range(5001, 6000) + QStringList{"/1050"};
        }
    }

    void whileAnotherProgramSaves()
    {
        QFETCH(QString, store);
        QFETCH(QString, action);
        QFETCH(QStringList, expected);
        TANKO_NEEDS(store);
        TestSupport::Environment env("en", 0, "Anna", store);
        FillUps& fillUps = env.context().fillUps();
        for (int amount = 1; action == u"remove" && amount <= 20; ++amount)
            QCOMPARE(fillUps.save("Anna", paying(amount, env.locale())), FillUps::Outcome::Done);
        std::vector<FillUp> file;
        for (int amount = 5001; action == u"import" && amount <= 6000; ++amount)
            file.push_back(paying(amount, env.locale()));
        std::atomic<int> failed = 0;
        std::thread other = otherProgram(env, 1000, 50, failed);
        if (action == u"save")
            otherProgram(env, 2001, 100, failed).join();
        for (int removed = 0; action == u"remove" && removed < 10;) {
            const FillUps::Outcome outcome = fillUps.remove("Anna", *fillUps.list("Anna"), 0);
            QVERIFY(outcome == FillUps::Outcome::Done || outcome == FillUps::Outcome::ChangedElsewhere);
            removed += outcome == FillUps::Outcome::Done;
        }
        if (action == u"import")
            QCOMPARE(fillUps.append("Anna", file, {}).written, 1000);
        other.join();
        QCOMPARE(failed.load(), 0);
        QStringList all = amounts(env);
        QCOMPARE(sorted(all), sorted(range(1000, 1049) + expected));
        all.removeIf([](const QString& amount) { return amount.toInt() >= 1000 && amount.toInt() < 1050; });
        QCOMPARE(all, expected);
    }

    // A commit the server could not serialize with another program's runs
    // again from its first read, a few times at most.
    void conflictRunsAgain_data()
    {
        QTest::addColumn<int>("conflicts");
        QTest::addColumn<int>("runs");
        QTest::addColumn<QString>("stored");
        QTest::newRow("one conflict: written at the second run") << 1 << 2 << "2";
        QTest::newRow("ten conflicts: given up after ten runs") << 10 << 10 << "1";
    }

    void conflictRunsAgain()
    {
        QFETCH(int, conflicts);
        QFETCH(int, runs);
        QFETCH(QString, stored);
        TestSupport::Environment env;
        env.put("Anna", "TotEntry", "1");
        auto backend = std::make_unique<ConflictingBackend>(env.storePath());
        backend->conflicts = conflicts;
        SettingsStore store(std::move(backend));
        QVERIFY(store.open());
        int ran = 0;
        store.edit([&ran](const SettingsStore&, SettingsStore::Writer& out) {
            ++ran;
            out.set(u"Anna", u"TotEntry", u"2");
            return true;
        });
        QCOMPARE(ran, runs);
        QCOMPARE(env.stored("Anna", "TotEntry"), stored);
    }

    // Waits a moment for another program's lock, then says the file is in use:
    // not damaged, nothing changed; Retry after the lock went opens the store.
    // (A lock let go within the wait: tests/system/tst_startup.)
    void busyIsNotDamaged()
    {
        TestSupport::Environment env;
        env.put("Anna", "TotEntry", "1");
        auto other = std::make_unique<OtherProgram>(env.storePath());
        QVERIFY(!env.store().save("Anna", "TotEntry", "2") &&
                env.store().lastError().startsWith("it is in use by another program"));

        SettingsStore waiting(env.storePath(), 100);
        QVERIFY(!waiting.open() && waiting.isBusy());
        other.reset();
        QVERIFY(waiting.open() && !waiting.isReadOnly());
        QCOMPARE(env.stored("Anna", "TotEntry"), QString("1"));
    }

    void unusableFileIsLeftByteForByte_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("store"); // ~ the test's folder, whose tanko.db holds the content
        QTest::addColumn<QString>("reason");
        QTemporaryDir dir;
        {
            SettingsStore sound(dir.filePath("sound.db"));
            QVERIFY(sound.open() && sound.save("Anna", "Date1", QString(50000, u'x')));
        }
        const QByteArray whole = bytesOf(dir.filePath("sound.db"));
        sqlite3_exec(OtherProgram(dir.filePath("other.db"), "CREATE TABLE notes(t)").db, "", nullptr, nullptr, nullptr);
        const QString store = "~/tanko.db";
        QTest::newRow("empty file") << QByteArray() << store << "the file is empty";
        QTest::newRow("random bytes") << QByteArray(8192, '\x5a') << store << "it is not a readable Tankometer store";
        QTest::newRow("cut in half") << whole.left(whole.size() / 2) << store << "it is damaged";
        QTest::newRow("another program's database")
            << bytesOf(dir.filePath("other.db")) << store << "it is not a Tankometer store";
        QTest::newRow("a file where the folder should be") << whole << "~/tanko.db/tanko.db"
                                                           << "~/tanko.db is not a folder";
        QTest::newRow("a folder that cannot be made")
            << whole << "/proc/self/tanko/tanko.db"
            << "cannot create the folder /proc/self/tanko: No such file or directory";
    }

    void unusableFileIsLeftByteForByte()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, store);
        QFETCH(QString, reason);
        TestSupport::Environment env;
        QTemporaryDir dir;
        const QString path = dir.filePath("tanko.db");
        reason.replace(u'~', dir.path());
        QVERIFY(Files::write(path, content).isEmpty());
        SettingsStore unusable(store.replace(u'~', dir.path()));
        QVERIFY(!unusable.open() && !unusable.isBusy());
        QVERIFY2(unusable.lastError().startsWith(reason), qPrintable(unusable.lastError()));
        QCOMPARE(bytesOf(path), content);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"tanko.db"});
    }

    // The journal cannot be opened (a link stands in its place): the data
    // is shown from the main file, and the user is told first that the
    // fill-ups in the journal are missing; a save is refused with the reason.
    void halfReadableStoreSaysSo()
    {
        TestSupport::Environment env;
        QTemporaryDir dir;
        const QString path = dir.filePath("tanko.db");
        QVERIFY(SettingsStore(path).open());
        {
            OtherProgram late(path, "INSERT INTO settings VALUES('Anna', 'TotEntry', '1', 'anna', 'totentry')");
            sqlite3_db_config(late.db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
            sqlite3_exec(late.db, "PRAGMA wal_checkpoint; UPDATE settings SET value = '2'", nullptr, nullptr, nullptr);
        }
        QVERIFY(QFile::rename(path + "-wal", path + ".journal") && QFile::link(path + ".journal", path + "-wal"));
        SettingsStore store(path);
        QVERIFY2(store.open(), qPrintable(store.lastError()));
        QVERIFY(store.isReadOnly() && store.mayMissRecent() && store.lastError().startsWith("unable to open"));
        QCOMPARE(*store.find(u"Anna", u"TotEntry"), QString("1"));
        QVERIFY(!store.save("Anna", "TotEntry", "3") && store.lastError().contains("can only be read (unable to open"));
    }

    // A file or folder the account may not write: the data is read, and a
    // save is refused with the system's reason.
    // mode of the file|of its folder|the reason ("~" the folder)
    void readOnlyStoreSaysWhy_data()
    {
        TestSupport::addRows("%1 in %2", R"(
            444|755|the file cannot be written: Permission denied
            644|555|its folder ~ cannot be written: Permission denied
            444|555|the file cannot be written: Permission denied)",
                             {}, u'\n');
    }

    void readOnlyStoreSaysWhy()
    {
        QFETCH(QStringList, row);
        TestSupport::Environment env;
        env.put("Anna", "TotEntry", "1");
        const QString folder = QFileInfo(env.storePath()).path();
        QVERIFY(::chmod(QFile::encodeName(env.storePath()), row[0].toUInt(nullptr, 8)) == 0 &&
                ::chmod(QFile::encodeName(folder), row[1].toUInt(nullptr, 8)) == 0);
        env.reopenAs(65534);
        // Nothing was left in a journal: nothing recent can be missing.
        QVERIFY(env.store().isReadOnly() && !env.store().mayMissRecent() &&
                *env.store().find(u"Anna", u"TotEntry") == "1");
        QVERIFY(!env.store().save("Anna", "TotEntry", "2"));
        QCOMPARE(env.store().lastError(), env.storePath() + " can only be read (" + row[2].replace(u'~', folder) + ')');
        ::chmod(QFile::encodeName(folder), 0700);
    }

    void oversizedValuesAreUnreadable_data()
    {
        QTest::addColumn<QString>("store");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("readable");
        for (const char* store : TestSupport::Stores) {
            QTest::addRow("%s, 64 KiB: the longest that reads", store) << store << SettingsStore::MaxValueBytes << true;
            QTest::addRow("%s, one byte more: absent", store) << store << SettingsStore::MaxValueBytes + 1 << false;
        }
    }

    void oversizedValuesAreUnreadable()
    {
        QFETCH(QString, store);
        QFETCH(int, size);
        QFETCH(bool, readable);
        TANKO_NEEDS(store);
        TestSupport::Environment env("en", 0, "Anna", store);
        env.put("Option", "User1", QString(size, u'y'));
        QCOMPARE(env.stored("Option", "User1").size(), readable ? size : 8);
    }

    void copiesWhenChangedAndKeepsTheLastMade()
    {
        TestSupport::Environment env;
        const QDir backups(QFileInfo(env.storePath()).dir().filePath("backups"));
        QVERIFY(QDir().mkpath(backups.path()));
        // Made earlier under a clock set years ahead, one before copies had numbers,
        // and one a crash left half written.
        const QStringList earlier{"tanko-20991231-235959-999.db", "tanko-000001-20991231-235959.db",
                                  "tanko-000002-20991231-235959.db", "tanko-000003-20991231-235959.db.part"};
        for (const QString& name : earlier) {
            QFile file(backups.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("old") == 3);
            QVERIFY(file.setFileTime(QDateTime(QDate(2099, 12, 31), QTime(23, 59)), QFileDevice::FileModificationTime));
        }
        QStringList made;
        for (int i = 1; i <= 12; ++i) {
            env.put("Anna", "TotEntry", QString::number(i));
            const BackupResult copy = BackupStore(env.storePath(), 10);
            QVERIFY2(copy.outcome == BackupResult::Made, qPrintable(copy.error));
            made << QFileInfo(copy.file).fileName();
            QCOMPARE(BackupStore(env.storePath(), 10).outcome, BackupResult::Unchanged);
        }
        QCOMPARE(made.first().left(13), QString("tanko-000003-"));
        QCOMPARE(backups.entryList(QDir::Files, QDir::Name), made.mid(2));
        SettingsStore newest(backups.filePath(made.last()));
        QVERIFY(newest.open());
        QCOMPARE(*newest.find(u"anna", u"TOTENTRY"), QString("12"));
    }

    // A file where the folder should be: no copy, the reason, told once.
    void backupsPathThatIsNoFolder()
    {
        TestSupport::Environment env;
        QFile blocker(QFileInfo(env.storePath()).dir().filePath("backups"));
        QVERIFY(blocker.open(QIODevice::WriteOnly) && blocker.write("mine") == 4);
        blocker.close();
        QStringList told;
        {
            StartupBackup atStart(env.storePath(),
                                  [&told](const BackupResult& r) { told << r.folder + ": " + r.error; });
        }
        QTRY_COMPARE(told, QStringList{blocker.fileName() + ": " + blocker.fileName() + " is not a folder"});
        QVERIFY(blocker.open(QIODevice::ReadOnly) && blocker.readAll() == "mine");
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
