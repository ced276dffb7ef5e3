// What the user is told of the store at start: another program holds it
// (Retry or Exit), it cannot be used (why, and that it was left as it was),
// part of it cannot be read, no backup could be made.
#include "core/frame/Backup.h"
#include "core/frame/Files.h"
#include "core/frame/SettingsStore.h"
#include "gui/mainwindow/StoreMessages.h"

#include "WindowSupport.h"

#include <QTest>

#include <sqlite3.h>

class TestStoreMessages : public QObject
{
    Q_OBJECT

private slots:
    void busyStoreOffersRetryAndExit()
    {
        WindowSupport::Environment env;
        sqlite3* other = nullptr;
        sqlite3_open(env.storePath().toUtf8().constData(), &other);
        sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        SettingsStore quitting(env.storePath(), 100);
        QVERIFY(!StoreMessages::OpenStore(quitting, env.messages, env.context().speech()) && quitting.isBusy());
        QVERIFY(env.messages.shown.size() == 1 &&
                env.messages.shown[0].text.endsWith(env.storePath() + " [Retry|Exit]"));
        SettingsStore retrying(env.storePath(), 100);
        env.messages.answer = [&other](const QString&) { return sqlite3_close(other), other = nullptr, 0; };
        QVERIFY(StoreMessages::OpenStore(retrying, env.messages, env.context().speech()) && !retrying.isReadOnly());
        QCOMPARE(env.messages.shown.size(), size_t(2));
    }

    void unusableStoreIsExplained()
    {
        WindowSupport::Environment env;
        QTemporaryDir dir;
        QVERIFY(Files::write(dir.filePath("tanko.db"), QByteArray(8192, '\x5a')).isEmpty());
        SettingsStore unusable(dir.filePath("tanko.db"));
        QVERIFY(!StoreMessages::OpenStore(unusable, env.messages, env.context().speech()));
        QVERIFY(env.messages.shown.size() == 1 && env.messages.shown[0].style == Platform::Critical &&
                env.messages.shown[0].text.contains(dir.filePath("tanko.db") + "\nbecause " + unusable.lastError() +
                                                    ".\n"));
    }

    void backupFailureIsANotice()
    {
        WindowSupport::Environment env("fr", 1);
        BackupResult failed;
        failed.folder = "/x/backups";
        failed.error = "/x/backups is not a folder";
        StoreMessages::BackupFailed(failed, env.messages, env.context().speech());
        QCOMPARE(env.messages.shown.size(), size_t(1));
        QCOMPARE(env.messages.shown[0].text,
                 "Tankometer n'a pas pu faire de copie de sauvegarde de ses données. Le fichier de données lui-même "
                 "est intact.\n\n/x/backups\n/x/backups is not a folder");
    }
};

QTEST_MAIN(TestStoreMessages)
#include "tst_storemessages.moc"
