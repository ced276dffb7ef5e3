// What the user is told of the store at start: another program holds it
// (Retry or Exit), it cannot be used (why, and that it was left as it was),
// part of it cannot be read, no backup could be made; on a save, that it
// may only be read; a server that cannot be reached or goes later (Retry or
// Exit); where the data lives.
#include "core/frame/Backup.h"
#include "core/frame/Files.h"
#include "core/frame/SettingsStore.h"
#include "gui/mainwindow/Form1.h"
#include "gui/mainwindow/StoreMessages.h"
#include "gui/users/Form3.h"

#include "PostgresServer.h"

#include "WindowSupport.h"

#include <QLabel>
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

    // A server that cannot be reached at start is named with libpq's reason,
    // with Retry and Exit; so is one that goes later, while a read waits.
    void serverGoneOffersRetryAndExit()
    {
        TANKO_NEEDS(TestSupport::Stores[1]);
        WindowSupport::Environment env("fr", 1, "Anna", TestSupport::Stores[1]);
        env.put("Anna", "TotEntry", "1");
        PostgresServer& server = TestSupport::server();
        QVERIFY(server.stop());
        env.messages.answer = [&server](const QString&) { return server.start() ? 0 : 1; };
        SettingsStore store(env.location());
        QVERIFY(StoreMessages::OpenStore(store, env.messages, env.context().speech()));
        QVERIFY(store.find(u"Anna", u"TotEntry") && server.stop());
        QCOMPARE(*store.find(u"Anna", u"TotEntry"), QString("1"));
        const QString named = QStringLiteral("server %1:%2/").arg(server.socketFolder()).arg(server.port());
        QCOMPARE(env.messages.shown.size(), size_t(2));
        QVERIFY2(env.messages.shown[0].text.startsWith("Tankometer ne peut pas joindre le serveur") &&
                     env.messages.shown[0].text.contains("\n\n" + named) &&
                     env.messages.shown[0].text.contains("No such file or directory") &&
                     env.messages.shown[0].text.endsWith("[Réessayer|Quitter]"),
                 qPrintable(env.messages.shown[0].text));
        QVERIFY2(env.messages.shown[1].text.startsWith("La connexion au serveur") &&
                     env.messages.shown[1].text.contains("server closed the connection unexpectedly"),
                 qPrintable(env.messages.shown[1].text));
    }

    // The user window says where the data lives.
    void whereTheDataLives_data()
    {
        QTest::addColumn<QString>("store");
        for (const char* store : TestSupport::Stores)
            QTest::newRow(store) << store;
    }

    void whereTheDataLives()
    {
        QFETCH(QString, store);
        TANKO_NEEDS(store);
        WindowSupport::Environment env("nl", 2, "Anna", store);
        WindowSupport::putUser(env, "Anna", 2);
        Form3 form(env.context());
        form.show();
        const QString shown = WindowSupport::child<QLabel>(form, "StorePlace")->text();
        const QString database = env.location().value.section("dbname='", 1).section('\'', 0, 0);
        QCOMPARE(shown, TestSupport::onServer(store) ? QStringLiteral("Gegevens op de server %1:%2, database %3")
                                                           .arg(TestSupport::server().socketFolder())
                                                           .arg(TestSupport::server().port())
                                                           .arg(database)
                                                     : "Gegevensbestand: " + env.storePath());
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
