// What the user is told of the store at start: another program holds it
// (Retry or Exit), it cannot be used (why, and that it was left as it was),
// part of it cannot be read, no backup could be made; and on a save, that it
// may only be read.
#include "core/frame/Backup.h"
#include "core/frame/Files.h"
#include "core/frame/SettingsStore.h"
#include "gui/mainwindow/Form1.h"
#include "gui/mainwindow/StoreMessages.h"

#include "WindowSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <sqlite3.h>
#include <sys/stat.h>

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

    // A store its account may only read: a save says why, as the system gave
    // it, and what still works; the fill-up stays in the fields.
    void readOnlyStoreSaysWhatStillWorks()
    {
        WindowSupport::Environment env;
        QVERIFY(::chmod(QFile::encodeName(env.storePath()), 0444) == 0);
        env.reopenAs(65534);
        Form1 form(env.context());
        WindowSupport::show(&form);
        for (const auto& [field, text] : {std::pair{"Text1_1", "650"}, {"Text1_2", "40"}, {"Text1_3", "60"}})
            WindowSupport::child<QLineEdit>(form, field)->setText(text);
        QTest::mouseClick(WindowSupport::child<QPushButton>(form, "Command2"), Qt::LeftButton);
        QVERIFY(env.messages.shown.size() == 1 && WindowSupport::child<QLineEdit>(form, "Text1_3")->text() == "60");
        QCOMPARE(env.messages.shown[0].text,
                 "The fill-up was not saved.\n" + env.storePath() +
                     " can only be read (the file cannot be written: Permission denied)\n\nTankometer can only read "
                     "its data file: your fill-ups are still shown, averaged, charted and exported, but nothing can "
                     "be saved, corrected, removed or imported until the file and its folder may be written.");
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
