// The settings store as several programs meet it: two store objects on one
// file, another program's lock, damaged and half-readable files, values far
// longer than the program writes; and its copies, made only when the data
// changed, the last ones made kept whatever the clock says, a failure told
// once. Results are read back from the file.
#include "TestSupport.h"

#include "core/frame/Backup.h"
#include "core/frame/Files.h"
#include "core/frame/SettingsStore.h"
#include "core/users/Users.h"

#include <QTest>

#include <sqlite3.h>
#include <sys/stat.h>

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
} // namespace

class TestStore : public QObject
{
    Q_OBJECT

private slots:
    // Each store reads what the other wrote last; no save takes another's number.
    void twoStoresOnOneFileLoseNothing()
    {
        TestSupport::Environment env;
        SettingsStore a(env.storePath()), b(env.storePath());
        QVERIFY(a.open() && b.open());
        QCOMPARE(b.numberedEnd(u"Anna", u"Tanko"), 0); // b's view of the records, before a's saves
        for (int i = 0; i < 3; ++i)
            QVERIFY(saveRecord(a, "a") == SettingsStore::Update::Written &&
                    saveRecord(b, "b") == SettingsStore::Update::Written);
        QString owners = env.stored("Anna", "TotEntry");
        for (int n = 1; n <= 6; ++n)
            owners += env.stored("Anna", QStringLiteral("Tanko%1").arg(n));
        QCOMPARE(owners, QString("6ababab"));
        // a's next walk over the records sees b's last one.
        QCOMPARE(a.numberedEnd(u"Anna", u"Tanko"), 7);
        QCOMPARE(*a.findNumbered(u"Anna", u"Tanko", 6), QString("b"));

        // The user list, each program appending from its own older view.
        Users usersOfA(a, env.locale()), usersOfB(b, env.locale());
        QCOMPARE(usersOfB.read().names, QStringList());
        QVERIFY(usersOfA.confirm("Anna", 1));
        QVERIFY(usersOfB.confirm("Zoe", 2));
        QCOMPARE(env.stored("Option", "TotUsers") + env.stored("Option", "User1") + env.stored("Option", "User2"),
                 QString("2AnnaZoe"));
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
        QVERIFY(env.store().isReadOnly() && *env.store().find(u"Anna", u"TotEntry") == "1");
        QVERIFY(!env.store().save("Anna", "TotEntry", "2"));
        QCOMPARE(env.store().lastError(), env.storePath() + " can only be read (" + row[2].replace(u'~', folder) + ')');
        ::chmod(QFile::encodeName(folder), 0700);
    }

    void oversizedValuesAreUnreadable_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("readable");
        QTest::newRow("64 KiB: the longest that reads") << SettingsStore::MaxValueBytes << true;
        QTest::newRow("one byte more: absent") << SettingsStore::MaxValueBytes + 1 << false;
    }

    void oversizedValuesAreUnreadable()
    {
        QFETCH(int, size);
        QFETCH(bool, readable);
        TestSupport::Environment env;
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
