#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "frame/Module1.h"
#include "frame/SettingsStore.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>

// The child: saves fill-ups through the main window as fast as it can and
// prints the record count after each save has returned.
static int childMain(const QString& path)
{
    SettingsStore store(path);
    if (!store.open())
        return 2;
    SettingsStore::setCurrent(&store);
    Module1::CurUser = QStringLiteral("Anna");
    Form1 form;
    form.show();
    for (;;) {
        form.Text1[1]->setText(QStringLiteral("650"));
        form.Text1[2]->setText(QStringLiteral("40"));
        form.Text1[3]->setText(QStringLiteral("60"));
        form.Command2_Click();
        if (!form.Text1[3]->text().isEmpty())
            return 3; // the save did not happen
        std::printf("%s\n", qPrintable(*store.find(u"Anna", u"TotEntry")));
        std::fflush(stdout);
    }
}

class TestCrashSave : public QObject
{
    Q_OBJECT

private slots:
    void killedWhileSavingLosesNothing();
};

void TestCrashSave::killedWhileSavingLosesNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tanko.db"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TANKO_CRASH_CHILD"), path);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QRandomGenerator random(20261206);
    int confirmed = 0;
    for (int kill = 0; kill < 50; ++kill) {
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {});
        // Wait for the first confirmed save, then kill at a varied moment.
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT((output += child.readAllStandardOutput()).contains('\n'), 20000);
        QTest::qSleep(int(random.bounded(15)));
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished());
        output += child.readAllStandardOutput();
        confirmed = std::max(confirmed, output.trimmed().split('\n').last().toInt());

        SettingsStore store(path);
        QVERIFY2(store.open(), qPrintable(store.lastError()));
        const int total = store.find(u"Anna", u"TotEntry")->toInt();
        QVERIFY2(total >= confirmed, qPrintable(QStringLiteral("%1 < %2").arg(total).arg(confirmed)));
        // Every counted record is whole, and none lies beyond the count.
        for (int n = 1; n <= total + 1; ++n)
            for (const char16_t* key : {u"Date", u"Tanko", u"Pay"})
                QCOMPARE(store.findNumbered(u"Anna", key, n) != nullptr, n <= total);
    }
}

int main(int argc, char* argv[])
{
    const QString child = qEnvironmentVariable("TANKO_CRASH_CHILD");
    QApplication app(argc, argv);
    installProgramFont();
    if (!child.isEmpty())
        return childMain(child);
    TestCrashSave test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crashsave.moc"
