// Start-up with many stored fill-ups: from process start to the user window
// on screen, from its OK to the main window showing the total average, and
// the peak memory. Each run is a fresh process that starts the way the
// program does, over a store in a temporary data folder.
#include "frame/Appearance.h"
#include "frame/Backup.h"
#include "frame/Form1.h"
#include "frame/SettingsStore.h"
#include "users/Form3.h"
#include "users/StartUp.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace
{
qint64 nowNs()
{
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

int child()
{
    int argc = 1;
    char name[] = "bench_startup";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tanko"));
    installProgramFont();
    SettingsStore store(SettingsStore::defaultPath());
    if (!store.open())
        return 2;
    SettingsStore::setCurrent(&store);
    StartupBackup backup(store.path());
    Form3& form3 = StartUp::showUserWindow();
    if (!QTest::qWaitForWindowExposed(&form3))
        return 3;
    const qint64 userWindow = nowNs();
    QTest::mouseClick(form3.Command1, Qt::LeftButton);
    Form1& form1 = StartUp::mainWindow();
    if (!QTest::qWaitForWindowExposed(&form1))
        return 4;
    const qint64 mainWindow = nowNs();
    const QString average = form1.findChild<QLabel*>(QStringLiteral("Panel3"))->text();
    // The peak of this program's own memory (getrusage would also count the
    // parent's, which a child inherits).
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    long peakKb = 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            peakKb = line.mid(6).trimmed().split(' ').value(0).toLong();
    std::printf("%lld %lld %ld %s\n", static_cast<long long>(userWindow), static_cast<long long>(mainWindow), peakKb,
                qPrintable(average));
    StartUp::unloadAll();
    return 0;
}

void fill(const QString& dataHome, int records)
{
    SettingsStore store(dataHome + QStringLiteral("/Tanko/tanko.db"));
    store.open();
    std::vector<SettingsStore::Write> writes{{"Option", "TotUsers", "1"},
                                             {"Option", "User1", "Anna"},
                                             {"Option", "LastUser", "Anna"},
                                             {"Anna", "Lang", "0"},
                                             {"Anna", "TotEntry", QString::number(records)}};
    for (int n = 1; n <= records; ++n) {
        const QString k = QString::number(n);
        writes.push_back({"Anna", QStringLiteral("Date") + k, QStringLiteral("05 December 2026")});
        writes.push_back({"Anna", QStringLiteral("Tanko") + k, QStringLiteral("06.%1").arg(10 + n % 80)});
        writes.push_back({"Anna", QStringLiteral("Pay") + k, QStringLiteral("60")});
    }
    store.saveAll(writes);
}
} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsSet("TANKO_BENCH_CHILD"))
        return child();
    QCoreApplication app(argc, argv);
    std::printf("%-10s %16s %16s %14s\n", "records", "user window ms", "main window ms", "peak memory MB");
    for (int records : {0, 100000}) {
        QTemporaryDir dir;
        fill(dir.path(), records);
        std::vector<double> toUser, toMain;
        long memory = 0;
        QString average;
        for (int run = 0; run < 5; ++run) {
            QProcess process;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("TANKO_BENCH_CHILD"), QStringLiteral("1"));
            environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.path());
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            process.setProcessEnvironment(environment);
            const qint64 start = nowNs();
            process.start(QCoreApplication::applicationFilePath(), {});
            process.waitForFinished(60000);
            const QStringList fields = QString::fromUtf8(process.readAllStandardOutput()).trimmed().split(u' ');
            if (process.exitCode() != 0 || fields.size() < 3) {
                std::printf("run failed (%d)\n", process.exitCode());
                return 1;
            }
            toUser.push_back((fields[0].toLongLong() - start) / 1e6);
            toMain.push_back((fields[1].toLongLong() - fields[0].toLongLong()) / 1e6);
            memory = std::max(memory, fields[2].toLong());
            average = fields.mid(3).join(u' ');
        }
        std::sort(toUser.begin(), toUser.end());
        std::sort(toMain.begin(), toMain.end());
        std::printf("%-10d %16.1f %16.1f %14.1f   (%s)\n", records, toUser[2], toMain[2], memory / 1024.0,
                    qPrintable(average));
    }
    std::printf("median of 5 fresh processes; the first of them also declares the file type.\n");
    return 0;
}
