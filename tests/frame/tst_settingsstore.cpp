// The settings store: defaults, names compared without letter case, reopening,
// all-or-nothing groups, damaged files, and the copy taken at every start.
#include "frame/Backup.h"
#include "frame/SettingsStore.h"

#include "TestSupport.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QTest>

#include <sqlite3.h>

namespace
{
QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}
} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void defaultsOfKeysNeverWritten()
    {
        TestSupport::Environment env("fr");
        QCOMPARE(GetSetting(u"Tanko", u"Anna", u"TotEntry", 0), QString("0"));
        QCOMPARE(GetSetting(u"Tanko", u"Anna", u"Rate", 1.5), QString("1,5"));
        QCOMPARE(GetSetting(u"Tanko", u"Devises", u"Dev4", "Euro"), QString("Euro"));
        QCOMPARE(GetSetting(u"Tanko", u"Anna", u"AffCurrMess", true), QString("True"));
    }

    void namesIgnoreLetterCaseAndSurviveReopening()
    {
        TestSupport::Environment env;
        QVERIFY(SaveSetting(u"Tanko", "Anna", "Date1", "a"));
        QVERIFY(SaveSetting(u"Tanko", "Élodie", "Lang", "1"));
        QCOMPARE(GetSetting(u"Tanko", u"ANNA", u"date1", 0), QString("a"));
        QCOMPARE(GetSetting(u"Tanko", u"ÉLODIE", u"lang", ""), QString("1"));
        QCOMPARE(GetSetting(u"Tanko", u"élodie", u"LÀNG", "none"), QString("none"));
        // A second spelling rewrites the one value and keeps the first spelling.
        QVERIFY(SaveSetting(u"Tanko", "ANNA", "DATE1", "b"));
        env.reopen();
        QCOMPARE(GetSetting(u"Tanko", u"Anna", u"Date1", 0), QString("b"));
        sqlite3* db = nullptr;
        sqlite3_stmt* stmt = nullptr;
        QCOMPARE(sqlite3_open(env.store().path().toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_prepare_v2(db, "SELECT section || '/' || key || '=' || value FROM settings ORDER BY 1", -1, &stmt,
                           nullptr);
        QStringList rows;
        while (sqlite3_step(stmt) == SQLITE_ROW)
            rows << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        QCOMPARE(rows, (QStringList{"Anna/Date1=b", "Élodie/Lang=1"}));
    }

    void valuesStayPutWhileRecordsLoad()
    {
        TestSupport::Environment env;
        TestSupport::putRecords(env, "Anna", "05 December 2026;06.15;60;|06 December 2026;05.91;50;");
        env.reopen();
        // A value read on its own, then its whole kind loaded: what was read stays valid.
        const QString* date = env.store().find(u"Anna", u"Date2");
        const QString* tanko = env.store().find(u"Anna", u"Tanko1");
        QVERIFY(date && tanko);
        const QStringView seen = *tanko;
        QCOMPARE(env.store().findNumbered(u"Anna", u"Date", 2), date);
        QCOMPARE(env.store().findNumbered(u"Anna", u"Tanko", 1), tanko);
        QCOMPARE(seen.data(), tanko->constData());
        QCOMPARE(seen, u"06.15");
    }

    void numberedLookupMatchesKeys()
    {
        TestSupport::Environment env;
        for (int n : {1, 10, 12345})
            env.put("Anna", QStringLiteral("Tanko%1").arg(n), QString::number(n));
        QCOMPARE(*env.store().findNumbered(u"anna", u"TANKO", 12345), QString("12345"));
        QVERIFY(!env.store().findNumbered(u"Anna", u"Tanko", 123));
        // Keys written after the first numbered read are found too; a leading zero makes another key.
        env.put("Anna", "Tanko2", "two");
        env.put("Anna", "tanko03", "zero-three");
        QCOMPARE(*env.store().findNumbered(u"Anna", u"Tanko", 2), QString("two"));
        QVERIFY(!env.store().findNumbered(u"Anna", u"Tanko", 3));
        env.put("Anna", "Tanko2", "again");
        QCOMPARE(*env.store().findNumbered(u"Anna", u"Tanko", 2), QString("again"));
    }

    void groupIsAllOrNothing()
    {
        TestSupport::Environment env;
        env.put("Anna", "TotEntry", "1");
        TestSupport::refuseKey(env.store().path(), "Pay2");
        env.reopen();
        QVERIFY(!env.store().saveAll({{"Anna", "TotEntry", "2"}, {"Anna", "Tanko2", "06.15"}, {"Anna", "Pay2", "60"}}));
        QVERIFY(env.store().lastError().contains("disk is full"));
        QCOMPARE(env.get("Anna", "TotEntry"), QString("1"));
        env.reopen();
        QCOMPARE(env.get("Anna", "TotEntry") + env.get("Anna", "Tanko2"), QString("1<absent>"));
        // The store stays usable after the refusal.
        QVERIFY(env.store().save("Anna", "TotEntry", "5"));
    }

    void damagedFileIsLeftUntouched_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        QByteArray random(8192, 0);
        for (char& c : random)
            c = char(QRandomGenerator::global()->bounded(256));
        QTemporaryDir dir;
        {
            SettingsStore store(dir.filePath("sound.db"));
            store.open();
            std::vector<SettingsStore::Write> writes;
            for (int n = 0; n < 400; ++n)
                writes.push_back({"Anna", QStringLiteral("Key%1").arg(n), QString(200, u'x')});
            store.saveAll(writes);
        }
        sqlite3* db = nullptr;
        sqlite3_open(dir.filePath("other.db").toUtf8().constData(), &db);
        sqlite3_exec(db, "CREATE TABLE notes(text TEXT)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        const QByteArray sound = fileBytes(dir.filePath("sound.db"));
        QTest::newRow("empty file") << QByteArray() << "empty";
        QTest::newRow("random bytes") << random << "not a readable";
        QTest::newRow("truncated store") << sound.left(sound.size() / 2) << "";
        QTest::newRow("another program's database") << fileBytes(dir.filePath("other.db")) << "not a Tankometer store";
    }

    void damagedFileIsLeftUntouched()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath("tanko.db");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        {
            TestSupport::Environment env; // its fake message boxes
            SettingsStore store(path);
            QVERIFY(!OpenStore(store));
            QVERIFY2(store.lastError().contains(reason), qPrintable(store.lastError()));
            QCOMPARE(env.messages.shown.size(), size_t(1));
            QCOMPARE(env.messages.shown[0].style, 16);
            QVERIFY(env.messages.shown[0].text.contains(path));
            QVERIFY(env.messages.shown[0].text.contains(store.lastError()));
            QVERIFY(!store.save("Anna", "TotEntry", "1"));
        }
        QCOMPARE(fileBytes(path), content);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"tanko.db"});
    }

    // Taken while the store is open and being written; the ten newest are kept.
    void copiesHoldTheDataAndOnlyTheNewestAreKept()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath("tanko.db"));
        QVERIFY(store.open());
        std::vector<SettingsStore::Write> writes;
        for (int n = 1; n <= 500; ++n)
            writes.push_back({"Anna", QStringLiteral("Tanko%1").arg(n), "06.15"});
        QVERIFY(store.saveAll(writes));
        QStringList made;
        for (int i = 0; i < 13; ++i) {
            QVERIFY(store.save("Anna", "TotEntry", QString::number(i)));
            const BackupResult result = BackupStore(store.path(), 10);
            QVERIFY2(result.ok, qPrintable(result.error));
            QCOMPARE(QFileInfo(result.file).dir().dirName(), QString("backups"));
            made << QFileInfo(result.file).fileName();
        }
        QVERIFY(store.save("Anna", "TotEntry", "13"));
        const QStringList kept = QDir(dir.filePath("backups")).entryList(QDir::Files, QDir::Name);
        QCOMPARE(kept, made.mid(3));
        SettingsStore newest(dir.filePath("backups/" + kept.last()));
        QVERIFY2(newest.open(), qPrintable(newest.lastError()));
        QCOMPARE(*newest.find(u"anna", u"TotEntry"), QString("12"));
        QCOMPARE(*newest.findNumbered(u"Anna", u"Tanko", 500), QString("06.15"));
    }

    void failureIsReportedNotFatal()
    {
        QTemporaryDir dir;
        const BackupResult missing = BackupStore(dir.filePath("tanko.db"));
        QVERIFY(!missing.ok && !missing.error.isEmpty());
        // A file where the folder should be.
        SettingsStore store(dir.filePath("tanko.db"));
        QVERIFY(store.open());
        QFile blocker(dir.filePath("backups"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(!BackupStore(store.path()).ok);
        StartupBackup inBackground(store.path());
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
