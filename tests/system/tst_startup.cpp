// The program as it starts in an account of its own: two programs saving into
// one store, locks that a dead run left, a store held by another program.
#include "WindowSupport.h"

#include "core/frame/Files.h"
#include "gui/mainwindow/Form1.h"

#include <QApplication>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
using Account = TestSupport::ProgramAccount;

constexpr uint kNobody = 65534;

// Waits until the process says `text` on stderr; all it said.
QString waitToSay(QProcess& process, const QString& text)
{
    QByteArray said = process.readAllStandardError();
    for (int i = 0; i < 300 && !QString::fromLocal8Bit(said).contains(text) && process.state() != QProcess::NotRunning;
         ++i)
        said += process.waitForReadyRead(50) ? process.readAllStandardError() : "";
    return QString::fromLocal8Bit(said);
}

// A child of this test: in each folder (made 0700 when missing) a lock it
// holds and a socket it listens on, open to every account, as another
// account's program would leave them; says "planted", then the bytes of what
// it is sent.
int plantChild(const QStringList& folders)
{
    int argc = 1;
    char* argv[] = {nullptr};
    QCoreApplication app(argc, argv);
    for (const QString& folder : folders) {
        const bool made = QDir().mkdir(folder);
        const int fd = ::open(QFile::encodeName(folder + "/tankometer.lock").constData(), O_RDWR | O_CREAT, 0666);
        auto* server = new QLocalServer(&app);
        server->setSocketOptions(QLocalServer::WorldAccessOption);
        if ((made && ::chmod(QFile::encodeName(folder).constData(), 0700) != 0) || ::fchmod(fd, 0666) != 0 ||
            ::flock(fd, LOCK_EX) != 0 || !server->listen(folder + "/tankometer.socket"))
            return 2;
        QObject::connect(server, &QLocalServer::newConnection, server, [server] {
            QLocalSocket* socket = server->nextPendingConnection();
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket] {
                std::printf("%s\n", socket->readAll().toHex().constData()), std::fflush(stdout);
            });
        });
    }
    std::printf("planted\n"), std::fflush(stdout);
    return app.exec();
}

// plantChild as the account uid, ended with the pointer.
std::shared_ptr<QProcess> plant(const QStringList& folders, uint uid)
{
    std::shared_ptr<QProcess> planter(new QProcess, [](QProcess* process) {
        process->kill(), process->waitForFinished();
        delete process;
    });
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TANKO_PLANT", folders.join(u'|'));
    planter->setProcessEnvironment(env);
    planter->setChildProcessModifier([uid] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0)
            ::_exit(126);
    });
    planter->start(QCoreApplication::applicationFilePath());
    if (!planter->waitForReadyRead(10000) || planter->readAllStandardOutput() != "planted\n")
        qFatal("cannot plant in %s: %s", qPrintable(folders.join(' ')), planter->readAllStandardError().constData());
    return planter;
}

// The rows a copy of the store's file alone holds, the journal left behind.
int rowsInCopy(const Account& account)
{
    const QString copy = account.path("~/copy.db");
    QFile::remove(copy);
    sqlite3* db = nullptr;
    int rows = -1;
    if (QFile::copy(account.store(), copy) && sqlite3_open(copy.toUtf8().constData(), &db) == SQLITE_OK)
        sqlite3_exec(
            db, "SELECT count(*) FROM settings WHERE key_fold LIKE 'row%'",
            [](void* rows, int, char** values, char**) { return *static_cast<int*>(rows) = std::atoi(values[0]), 0; },
            &rows, nullptr);
    sqlite3_close(db);
    return rows;
}

// A child of this test: 80 fill-ups of one amount saved through the main window.
int saveChild(const QString& store, const QString& amount)
{
    int argc = 1;
    char* argv[] = {nullptr};
    QApplication app(argc, argv);
    WindowSupport::Environment env;
    SettingsStore shared(store);
    if (!shared.open())
        return 3;
    WindowContext context(shared, env.services(), {&env.messages, &env.files, &env.announcer}, env.locale());
    context.setUser("Anna");
    Form1 form(context);
    form.show();
    const auto field = [&form](int i) { return WindowSupport::child<QLineEdit>(form, QString("Text1_%1").arg(i)); };
    for (int i = 0; i < 80; ++i) {
        for (const auto& [index, text] : {std::pair{1, QString("650")}, {2, QString("40")}, {3, amount}})
            field(index)->setText(text);
        WindowSupport::child<QPushButton>(form, "Command2")->click();
    }
    return env.messages.shown.empty() && field(3)->text().isEmpty() ? 0 : 3;
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
        // Taken in the runtime folder, not moved on to the temporary one.
        QVERIFY(!QFileInfo(lock).isSymLink() && QFileInfo(lock).size() > 0);
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

    // Without a runtime folder (Qt's stand-in already another account's), the
    // places another account reaches are passed by: its locks and sockets get
    // nothing, and a second start still finds the first.
    void anotherAccountsFoldersGetNothing()
    {
        if (::geteuid() != 0)
            QSKIP("needs root, to plant folders as another account");
        Account account;
        // As /tmp: open to all, sticky; and short enough for a socket's path inside.
        QTemporaryDir shared("/tmp/tst_startup-XXXXXX");
        QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 01777) == 0);
        // Qt's stand-in and our first name another account's, our second open to all.
        const QString own = shared.filePath(QString("tankometer-%1").arg(::geteuid()));
        QVERIFY(QDir().mkdir(own + "-1") && ::chmod(QFile::encodeName(own + "-1").constData(), 0777) == 0);
        const auto planter = plant(
            {shared.path(), shared.filePath(QString("runtime-") + ::getpwuid(::geteuid())->pw_name), own, own + "-1"},
            kNobody);
        const QStringList env{"XDG_RUNTIME_DIR=", "TMPDIR=" + shared.path(),
                              "QT_LOGGING_RULES=tanko.platform.info=true"};
        QProcess* first = account.start({}, env);
        QVERIFY(account.up(*first));
        QVERIFY(Files::write(account.path("~/in.tnk"), "date,litres\n2026-12-05,40\n").isEmpty());
        QProcess* second = account.start({"~/in.tnk"}, env);
        QVERIFY(second->waitForFinished(10000));
        const QByteArray told = second->readAllStandardError();
        QVERIFY2(told.endsWith("already running in this account; the file was handed to that window.\n"), told);
        QVERIFY(waitToSay(*first, "asked to open ").contains("asked to open " + account.path("~/in.tnk") + "\n"));
        QCOMPARE(planter->readAllStandardOutput(), "");
    }

    // Nothing crosses between accounts on the socket: a start does not talk
    // to another account's program that holds its lock, and starts alone; the
    // running program does not act on another account's request.
    void anotherAccountIsNotTalkedTo()
    {
        if (::geteuid() != 0)
            QSKIP("needs root, to start the program as another account");
        // In /tmp, so that the socket sits in the runtime folder where the
        // listener is planted, however deep the build.
        Account held("/tmp");
        held.runAs(kNobody);
        const auto planter = plant({held.path("~/runtime")}, 0);
        QProcess* alone = held.start();
        QVERIFY(held.up(*alone));
        const QString said = waitToSay(*alone, "stands alone");
        QVERIFY2(said.contains("another account (0) listens"), qPrintable(said));
        QCOMPARE(planter->readAllStandardOutput(), "");

        Account running;
        running.runAs(kNobody);
        QProcess* program = running.start({}, {"QT_LOGGING_RULES=tanko.platform.info=true"});
        QVERIFY(running.up(*program));
        QLocalSocket knock;
        knock.connectToServer(running.path("~/runtime/tankometer.socket"));
        QVERIFY(knock.waitForConnected(5000));
        knock.write("file 4\n/etc");
        knock.waitForBytesWritten(5000);
        knock.disconnectFromServer();
        // A file handed on by the account's own start comes after the knock:
        // by then the knock's request was acted on, if it ever was to be.
        QVERIFY(Files::write(running.path("~/in.tnk"), "date,litres\n2026-12-05,40\n").isEmpty());
        QVERIFY(running.start({"~/in.tnk"})->waitForFinished(10000));
        const QString told = waitToSay(*program, "asked to open " + running.path("~/in.tnk"));
        QVERIFY2(told.contains("another account (0) was turned away") && !told.contains("asked to open /etc") &&
                     told.contains("asked to open " + running.path("~/in.tnk")),
                 qPrintable(told));
    }

    // Any byte a file name may hold reaches the running program, which offers
    // exactly that file.
    void fileNamesArriveWhole_data()
    {
        QTest::addColumn<QByteArray>("argument"); // in the folder of the files
        QTest::addColumn<QString>("offered");     // as the running program names it; empty: none
        QTest::addColumn<QByteArray>("file");     // the file it is, which holds its own name
        QTest::newRow("a line break") << QByteArray("a\nb.tnk") << "a\nb.tnk" << QByteArray("a\nb.tnk");
        QTest::newRow("a byte that is not UTF-8")
            << QByteArray("a\377b.tnk") << "a\uFFFDb.tnk" << QByteArray("a\377b.tnk");
        QTest::newRow("spaces") << QByteArray(" a  b .tnk") << " a  b .tnk" << QByteArray(" a  b .tnk");
        QTest::newRow("a leading dash in a path") << QByteArray("./-a.tnk") << "-a.tnk" << QByteArray("-a.tnk");
        QTest::newRow("no such file: offered, to say so") << QByteArray("b.tnk") << "b.tnk" << QByteArray("<none>");
    }

    void fileNamesArriveWhole()
    {
        QFETCH(QByteArray, argument);
        QFETCH(QString, offered);
        QFETCH(QByteArray, file);
        Account account;
        const QString folder = account.path("~/files");
        QDir().mkpath(folder);
        // Beside them, those that a name cut short or read as text would reach.
        for (const QByteArray name : {"a\nb.tnk", "a\377b.tnk", " a  b .tnk", "-a.tnk", "a", "a\uFFFDb.tnk"}) {
            const int fd = ::open((QFile::encodeName(folder) + '/' + name).constData(), O_CREAT | O_WRONLY, 0600);
            QVERIFY(fd >= 0 && ::write(fd, name.constData(), size_t(name.size())) == name.size() && ::close(fd) == 0);
        }
        const auto unlinkRaw = qScopeGuard([&] { ::unlink((QFile::encodeName(folder) + "/a\377b.tnk").constData()); });
        QProcess* first = account.start({}, {"QT_LOGGING_RULES=tanko.platform.info=true"});
        QVERIFY(account.up(*first));
        QByteArray octal;
        for (const char c : argument)
            octal += '\\' + QByteArray::number(uchar(c), 8);
        QProcess* second =
            account.start({"-c", R"sh(cd "$1" && exec "$0" "$(printf "$2")")sh", TANKO_PROGRAM, folder, QString(octal)},
                          {}, "/bin/sh");
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->readAllStandardError(),
                 "tankometer: already running in this account; the file was handed to that window.\n");
        const QString said = waitToSay(*first, '/' + offered + '\n');
        const qsizetype from = said.indexOf("asked to open "), to = said.indexOf('/' + offered + '\n', from);
        QVERIFY2(from >= 0 && to > from, qPrintable(said));
        QFile shown(said.mid(from + 14, to + 1 + offered.size() - from - 14));
        QCOMPARE(shown.open(QIODevice::ReadOnly) ? shown.readAll() : "<none>", file);
    }

    // A signal ends the program as its Exit does: the data file alone holds
    // what the journal held.
    void signalLeavesTheFileWhole_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
    }

    void signalLeavesTheFileWhole()
    {
        QFETCH(int, signal);
        Account account;
        QVERIFY(SettingsStore(account.store()).open());
        // 204 rows in the journal, not in the file: a reader keeps the writer's close from moving them.
        sqlite3 *reader = nullptr, *writer = nullptr;
        sqlite3_open(account.store().toUtf8().constData(), &reader);
        sqlite3_open(account.store().toUtf8().constData(), &writer);
        QCOMPARE(sqlite3_exec(reader, "SELECT count(*) FROM settings", nullptr, nullptr, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_exec(writer,
                              "PRAGMA wal_autocheckpoint=0; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                              "FROM n WHERE i < 204) INSERT INTO settings SELECT 'Anna', 'Row' || i, 'x', 'anna', "
                              "'row' || i FROM n",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(writer);
        QCOMPARE(rowsInCopy(account), 0);
        QProcess* program = account.start();
        QVERIFY(account.up(*program));
        sqlite3_close(reader);
        ::kill(pid_t(program->processId()), signal);
        QVERIFY(program->waitForFinished(10000));
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 128 + signal);
        QCOMPARE(rowsInCopy(account), 204);
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
    if (qEnvironmentVariableIsSet("TANKO_PLANT"))
        return plantChild(qEnvironmentVariable("TANKO_PLANT").split(u'|'));
    QCoreApplication app(argc, argv);
    TestStartUp test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"
