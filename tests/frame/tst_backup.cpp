#include "frame/Backup.h"
#include "frame/SettingsStore.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestBackup : public QObject
{
    Q_OBJECT

private slots:
    void copyHoldsTheSameData();
    void onlyTheNewestAreKept();
    void failureIsReportedNotFatal();
};

void TestBackup::copyHoldsTheSameData()
{
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("tanko.db")));
    QVERIFY(store.open());
    std::vector<SettingsStore::Write> writes;
    for (int n = 1; n <= 500; ++n)
        writes.push_back({QStringLiteral("Anna"), QStringLiteral("Tanko%1").arg(n), QStringLiteral("06.15")});
    writes.push_back({QStringLiteral("Anna"), QStringLiteral("TotEntry"), QStringLiteral("500")});
    QVERIFY(store.saveAll(writes));

    // Taken while the store is open and being written.
    const BackupResult result = BackupStore(store.path());
    QVERIFY2(result.ok, qPrintable(result.error));
    QVERIFY(store.save(QStringLiteral("Anna"), QStringLiteral("TotEntry"), QStringLiteral("501")));
    QCOMPARE(QFileInfo(result.file).dir().dirName(), QStringLiteral("backups"));

    SettingsStore copy(result.file);
    QVERIFY2(copy.open(), qPrintable(copy.lastError()));
    QCOMPARE(*copy.find(u"anna", u"TotEntry"), QStringLiteral("500"));
    QCOMPARE(*copy.findNumbered(u"Anna", u"Tanko", 500), QStringLiteral("06.15"));
}

void TestBackup::onlyTheNewestAreKept()
{
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("tanko.db")));
    QVERIFY(store.open());
    QStringList made;
    for (int i = 0; i < 13; ++i) {
        QVERIFY(store.save(QStringLiteral("Anna"), QStringLiteral("TotEntry"), QString::number(i)));
        const BackupResult result = BackupStore(store.path(), 10);
        QVERIFY(result.ok);
        made << QFileInfo(result.file).fileName();
    }
    const QStringList kept =
        QDir(dir.filePath(QStringLiteral("backups"))).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    QCOMPARE(kept, made.mid(3));
    SettingsStore newest(dir.filePath(QStringLiteral("backups/") + kept.last()));
    QVERIFY(newest.open());
    QCOMPARE(*newest.find(u"Anna", u"TotEntry"), QStringLiteral("12"));
}

void TestBackup::failureIsReportedNotFatal()
{
    QTemporaryDir dir;
    const BackupResult missing = BackupStore(dir.filePath(QStringLiteral("tanko.db")));
    QVERIFY(!missing.ok);
    QVERIFY(!missing.error.isEmpty());
    // A file where the folder should be.
    SettingsStore store(dir.filePath(QStringLiteral("tanko.db")));
    QVERIFY(store.open());
    QFile blocker(dir.filePath(QStringLiteral("backups")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(!BackupStore(store.path()).ok);
    StartupBackup inBackground(store.path());
}

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
