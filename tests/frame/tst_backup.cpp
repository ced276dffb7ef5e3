// The copy of the store taken at every start.
#include "frame/Backup.h"
#include "frame/SettingsStore.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestBackup : public QObject
{
    Q_OBJECT

private slots:
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

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
