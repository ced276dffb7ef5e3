#include "users/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace
{
// A real start of the program in an account of its own: data, runtime and
// configuration folders in a temporary folder, no desktop, no cache tools.
class Account
{
public:
    Account()
    {
        for (const char* dir : {"data", "run", "config", "cache", "bin"})
            QDir(m_dir.path()).mkpath(QString::fromLatin1(dir));
        QFile::setPermissions(path("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString path(const char* sub) const { return m_dir.filePath(QString::fromLatin1(sub)); }
    QString socket() const { return path("run") + QStringLiteral("/tankometer.socket"); }

    std::unique_ptr<QProcess> start()
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), m_dir.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), path("data"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path("run"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path("config"));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), path("cache"));
        env.insert(QStringLiteral("PATH"), path("bin"));
        // These runs are about starting and ending; leaks are another test's business.
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        process->setProcessEnvironment(env);
        process->start(program(), {});
        return process;
    }

    static QString program()
    {
        return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../tankometer"));
    }

private:
    QTemporaryDir m_dir;
};

// A run is ready once it answers on its socket (a socket file alone may be
// one that a killed run left behind).
bool waitUntilListening(const Account& account, QProcess& process)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 20000) {
        if (process.state() == QProcess::NotRunning)
            return false;
        QLocalSocket probe;
        probe.connectToServer(account.socket());
        if (probe.waitForConnected(200))
            return true;
        QTest::qWait(50);
    }
    return false;
}

void stop(QProcess& process)
{
    process.kill();
    process.waitForFinished(5000);
}
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void secondGuardFindsTheFirstAndWakesIt();
    void secondStartEndsSilently();
    void startsAfterAKilledRun();
};

void TestSingleInstance::initTestCase()
{
    QVERIFY2(QFile::exists(Account::program()), qPrintable(Account::program() + QStringLiteral(" is not built")));
}

void TestSingleInstance::secondGuardFindsTheFirstAndWakesIt()
{
    QTemporaryDir dir;
    int wakes = 0;
    {
        SingleInstance first(dir.path());
        QVERIFY(!first.PrevInstance() && !first.PrevInstance()); // decided once: our own lock does not count
        first.listen([&wakes] { ++wakes; });

        SingleInstance second(dir.path());
        QVERIFY(second.PrevInstance());
        second.wakeRunning();
        QTRY_COMPARE(wakes, 1);
    }
    // The first has ended: its lock went with it.
    SingleInstance third(dir.path());
    QVERIFY(!third.PrevInstance());
}

void TestSingleInstance::secondStartEndsSilently()
{
    Account account;
    const auto first = account.start();
    QVERIFY(waitUntilListening(account, *first));

    QElapsedTimer timer;
    timer.start();
    const auto second = account.start();
    QVERIFY(second->waitForFinished(10000));
    QVERIFY(timer.elapsed() < 5000);
    QVERIFY(second->exitStatus() == QProcess::NormalExit && second->exitCode() == 0);
    QCOMPARE(second->readAllStandardOutput() + second->readAllStandardError(), QByteArray());
    QCOMPARE(first->state(), QProcess::Running);
    stop(*first);
}

void TestSingleInstance::startsAfterAKilledRun()
{
    Account account;
    const auto first = account.start();
    QVERIFY(waitUntilListening(account, *first));
    stop(*first);
    // Both left behind.
    QVERIFY(QFile::exists(account.path("run") + QStringLiteral("/tankometer.lock")));
    QVERIFY(QFile::exists(account.socket()));

    const auto next = account.start();
    QVERIFY(waitUntilListening(account, *next));
    // And it holds the lock now: one more start ends at once.
    const auto another = account.start();
    QVERIFY(another->waitForFinished(10000));
    QCOMPARE(another->exitCode(), 0);
    QCOMPARE(next->state(), QProcess::Running);
    stop(*next);
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
