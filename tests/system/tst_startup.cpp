// The program as it starts in an account of its own: two programs saving into
// one store, locks that a dead run left, a store held by another program.
#include "TestSupport.h"

#include "core/frame/Files.h"
#include "gui/frame/Form1.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QTest>

#include <sqlite3.h>

namespace
{
using Account = TestSupport::ProgramAccount;

// Waits until the process says `text` on stderr; all it said.
QString waitToSay(QProcess& process, const QString& text)
{
    QString said;
    for (int i = 0; i < 300 && !said.contains(text) && process.state() != QProcess::NotRunning; ++i)
        said += QString::fromLocal8Bit(process.waitForReadyRead(50) ? process.readAllStandardError() : "");
    return said;
}

// A child of this test: 80 fill-ups of one amount saved through the main window.
int saveChild(const QString& store, const QString& amount)
{
    int argc = 1;
    char* argv[] = {nullptr};
    QApplication app(argc, argv);
    TestSupport::Environment env;
    SettingsStore shared(store);
    SettingsStore::setCurrent(shared.open() ? &shared : nullptr);
    Form1 form;
    form.show();
    for (int i = 0; i < 80; ++i) {
        for (const auto& [field, text] : {std::pair{1, QString("650")}, {2, QString("40")}, {3, amount}})
            form.Text1[field]->setText(text);
        form.Command2_Click();
    }
    return env.messages.shown.empty() && form.Text1[3]->text().isEmpty() ? 0 : 3;
}
} // namespace

class TestStartUp : public QObject
{
    Q_OBJECT

private slots:
    // Two programs whose single-instance checks do not see each other.
    void twoProgramsSavingIntoOneStoreLoseNothing()
    {
        QTemporaryDir dir;
        const QString store = dir.filePath("tanko.db");
        QVERIFY(SettingsStore(store).open());
        Account account;
        QProcess* first =
            account.start({}, {"TANKO_SAVE_CHILD=" + store + "|1"}, QCoreApplication::applicationFilePath());
        QProcess* second =
            account.start({}, {"TANKO_SAVE_CHILD=" + store + "|2"}, QCoreApplication::applicationFilePath());
        for (QProcess* child : {first, second})
            QVERIFY2(child->waitForFinished(120000) && child->exitCode() == 0, child->readAllStandardError());
        SettingsStore saved(store);
        QVERIFY(saved.open());
        QCOMPARE(*saved.find(u"Anna", u"TotEntry"), QString("160"));
        QString amounts;
        for (int n = 1; n <= 160; ++n)
            amounts += saved.findNumbered(u"Anna", u"Date", n) ? *saved.findNumbered(u"Anna", u"Pay", n) : "-";
        QCOMPARE(amounts.count(u'1') * 1000 + amounts.count(u'2'), 80080);
    }

    void staleLockBlocksNoStart_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("link"); // what the lock's name links to, or nothing
        QTest::newRow("empty") << QByteArray() << "";
        QTest::newRow("garbage") << QByteArray("\x01\xff#!", 4) << "";
        QTest::newRow("a dead run's number") << QByteArray("999999\nhost\n") << "";
        QTest::newRow("a dangling link") << QByteArray() << "~/gone";
        QTest::newRow("a link to a file") << QByteArray("999999\n") << "~/elsewhere";
    }

    // The lock goes with the process; a running one still turns the next start away.
    void staleLockBlocksNoStart()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, link);
        Account account;
        const QString lock = account.path("~/runtime/tankometer.lock");
        QVERIFY(Files::write(account.path(link.isEmpty() ? lock : "~/elsewhere"), content).isEmpty());
        QVERIFY(link.isEmpty() || QFile::link(account.path(link), lock));
        QProcess* first = account.start();
        QVERIFY(account.up(*first));
        QProcess* second = account.start();
        QVERIFY(second->waitForFinished(10000) && second->exitCode() == 0 &&
                QString(second->readAllStandardError()).contains("already running"));
        QCOMPARE(first->state(), QProcess::Running);
    }

    // Another program holds the store's write lock while the program starts.
    void storeHeldAtStart_data()
    {
        QTest::addColumn<int>("heldMs");
        QTest::newRow("a moment: starts as usual") << 1000;
        QTest::newRow("long: says so, changes nothing") << -1;
    }

    void storeHeldAtStart()
    {
        QFETCH(int, heldMs);
        Account account;
        QVERIFY(SettingsStore(account.store()).open());
        sqlite3* other = nullptr;
        sqlite3_open(account.store().toUtf8().constData(), &other);
        QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        QProcess* program = account.start();
        if (heldMs > 0) {
            QTest::qWait(heldMs);
            sqlite3_close(other);
            QVERIFY(account.up(*program) && !program->readAllStandardError().contains("in use"));
            return;
        }
        const QString said = waitToSay(*program, "in use by another program");
        // Still running, asking Retry or Exit; nothing declared, and the lock keeps anything from changing.
        QCOMPARE(program->state(), QProcess::Running);
        QCOMPARE(said, "tanko.store: " + account.store() + ": it is in use by another program (database is locked)\n");
        QVERIFY(!QFile::exists(account.path("~/data/applications/tankometer-tnk.desktop")));
        sqlite3_close(other);
    }

    // Once installed with its own desktop entry and MIME type, the program
    // removes at start what an earlier run declared in the account, though
    // the type's marker keeps it from declaring again.
    void installedProgramTidiesTheAccount()
    {
        Account account;
        QProcess* earlier = account.start();
        QVERIFY(account.up(*earlier));
        earlier->kill();
        earlier->waitForFinished();
        const QString entry = "[Desktop Entry]\nType=Application\nName=Tankometer\nExec=" TANKO_PROGRAM " %f\n";
        QVERIFY(Files::write(account.path("~/share/applications/org.example.tankometer.desktop"), entry.toUtf8())
                    .isEmpty());
        QVERIFY(Files::write(account.path("~/share/mime/packages/tankometer.xml"), "<mime-info/>\n").isEmpty());
        account.start({}, {"XDG_DATA_DIRS=" + account.path("~/share")});
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(account.path("~/data/applications/tankometer-tnk.desktop")) &&
                                     !QFile::exists(account.path("~/data/mime/packages/tankometer-tnk.xml")),
                                 15000);
    }
};

int main(int argc, char* argv[])
{
    const QString child = qEnvironmentVariable("TANKO_SAVE_CHILD");
    if (!child.isEmpty())
        return saveChild(child.section(u'|', 0, 0), child.section(u'|', 1));
    QCoreApplication app(argc, argv);
    TestStartUp test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"
