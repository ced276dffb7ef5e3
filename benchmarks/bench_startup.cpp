// Start-up with many stored fill-ups: from process start to the user window
// on screen, from its OK to the main window showing the total average, and
// the peak memory. Each run is a fresh process that starts the way the
// program does, over a store in a temporary data folder.
#include "BenchSupport.h"
#include "core/frame/Backup.h"
#include "core/frame/SettingsStore.h"
#include "gui/base/Appearance.h"
#include "gui/mainwindow/Form1.h"
#include "gui/mainwindow/StartUp.h"
#include "gui/users/Form3.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    QCoreApplication::setApplicationName(QStringLiteral("Tanko"));
    QApplication app(argc, argv);
    installProgramFont();
    SettingsStore store(SettingsStore::defaultPath());
    if (!store.open())
        return 2;
    Bench::Windows context(store, QString());
    StartupBackup backup(store.path(), {});
    StartUp windows(context.context());
    Form3& form3 = windows.showUserWindow();
    if (!QTest::qWaitForWindowExposed(&form3))
        return 3;
    const qint64 userWindow = nowNs();
    QTest::mouseClick(form3.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    Form1& form1 = windows.mainWindow();
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
    return 0;
}

// The store of a user with `records` fill-ups, made once per size beside
// the benchmark in one transaction and copied for each measurement.
QString filled(int records)
{
    return Bench::storeMadeOnce(
        QStringLiteral("bench-store-%1.db").arg(records),
        {{"Option", "TotUsers", "1"},
         {"Option", "User1", "Anna"},
         {"Option", "LastUser", "Anna"},
         {"Anna", "Lang", "0"},
         {"Anna", "TotEntry", QString::number(records)}},
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1),"
            " record(prefix, value) AS (VALUES('Date', '05 December 2026'), ('Tanko', NULL), ('Pay', '60'))"
            " INSERT INTO settings SELECT 'Anna', prefix || i, coalesce(value, printf('06.%02d', 10 + i % 80)),"
            " 'anna', lower(prefix) || i FROM n, record WHERE %1 > 0"),
        records);
}
} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsSet("TANKO_BENCH_CHILD"))
        return child();
    QCoreApplication app(argc, argv);
    std::printf("%-10s %10s %16s %16s %16s %12s\n", "records", "store MB", "user window ms", "main window ms",
                "peak memory MB", "copies");
    for (int records : {0, 100000, 1000000}) {
        const QString source = filled(records);
        if (source.isEmpty()) {
            std::printf("cannot make the store of %d records\n", records);
            return 1;
        }
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath(QStringLiteral("Tanko")));
        QFile::copy(source, dir.filePath(QStringLiteral("Tanko/tanko.db")));
        std::vector<double> toUser, toMain;
        long memory = 0;
        QString average;
        QStringList copies;
        for (int run = 0; run < 5; ++run) {
            QProcess process;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("TANKO_BENCH_CHILD"), QStringLiteral("1"));
            environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.path());
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            process.setProcessEnvironment(environment);
            const qint64 start = nowNs();
            process.start(QCoreApplication::applicationFilePath(), {});
            process.waitForFinished(300000);
            const QStringList fields = QString::fromUtf8(process.readAllStandardOutput()).trimmed().split(u' ');
            if (process.exitCode() != 0 || fields.size() < 3) {
                std::printf("run failed (%d)\n", process.exitCode());
                return 1;
            }
            toUser.push_back((fields[0].toLongLong() - start) / 1e6);
            toMain.push_back((fields[1].toLongLong() - fields[0].toLongLong()) / 1e6);
            memory = std::max(memory, fields[2].toLong());
            average = fields.mid(3).join(u' ');
            copies << QString::number(QDir(dir.filePath(QStringLiteral("Tanko/backups")))
                                          .entryList({QStringLiteral("*.db")}, QDir::Files)
                                          .size());
        }
        std::sort(toUser.begin(), toUser.end());
        std::sort(toMain.begin(), toMain.end());
        std::printf("%-10d %10.1f %16.1f %16.1f %16.1f %12s   (%s)\n", records, QFileInfo(source).size() / 1048576.0,
                    toUser[2], toMain[2], memory / 1024.0, qPrintable(copies.join(u',')), qPrintable(average));
        std::fflush(stdout);
    }
    std::printf(
        "median of 5 fresh processes over one store; the first also declares the file type and makes the\n"
        "first backup copy. copies: the backups there are after each run; a start without changes makes none.\n");
    return 0;
}
