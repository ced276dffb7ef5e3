// One running Tankometer per account: a second start ends at once and silently,
// wakes the first, and a run that was killed does not block the next.
#include "users/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace
{
// Real starts of the program in an account of its own: data, runtime and
// configuration folders in a temporary folder, no desktop, no cache tools.
class Account
{
public:
    Account() { QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); }
    QString socket() const { return m_dir.filePath("tankometer.socket"); }

    std::unique_ptr<QProcess> start()
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "PATH"})
            env.insert(name, m_dir.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        // These runs are about starting and ending; leaks are another test's business.
        env.insert("ASAN_OPTIONS", "detect_leaks=0");
        process->setProcessEnvironment(env);
        process->start(program(), {});
        return process;
    }

    // Ready once it answers on its socket (a socket file alone may be one a killed run left behind).
    bool listening(QProcess& process) const
    {
        QElapsedTimer timer;
        for (timer.start(); timer.elapsed() < 20000 && process.state() != QProcess::NotRunning; QTest::qWait(50)) {
            QLocalSocket probe;
            probe.connectToServer(socket());
            if (probe.waitForConnected(200))
                return true;
        }
        return false;
    }

    static QString program() { return QCoreApplication::applicationDirPath() + "/../tankometer"; }

private:
    QTemporaryDir m_dir;
};

// Ends at once, with exit code 0 and not a word.
void endsSilently(QProcess& process)
{
    QElapsedTimer timer;
    timer.start();
    QVERIFY(process.waitForFinished(10000));
    QVERIFY(timer.elapsed() < 5000);
    QVERIFY(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0);
    QCOMPARE(process.readAllStandardOutput() + process.readAllStandardError(), QByteArray());
}
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(QFile::exists(Account::program()), "the program is not built"); }

    void secondGuardFindsTheFirstAndWakesIt()
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
        QVERIFY(!SingleInstance(dir.path()).PrevInstance());
    }

    // A lock folder that cannot be made does not keep the program from starting.
    void unusableFolderDoesNotBlockTheStart()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("plain-file"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        SingleInstance guard(file.fileName() + "/sub");
        QVERIFY(!guard.PrevInstance());
        guard.wakeRunning(); // nobody to wake; returns at once
    }

    void secondStartEndsWhileTheFirstRunsAndAKilledRunBlocksNothing()
    {
        Account account;
        const auto first = account.start();
        QVERIFY(account.listening(*first));
        endsSilently(*account.start());
        QCOMPARE(first->state(), QProcess::Running);

        // Killed, it leaves its lock and socket behind.
        first->kill();
        QVERIFY(first->waitForFinished(5000) && QFile::exists(account.socket()));
        const auto next = account.start();
        QVERIFY(account.listening(*next));
        endsSilently(*account.start());
        QCOMPARE(next->state(), QProcess::Running);
        next->kill();
        next->waitForFinished(5000);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
