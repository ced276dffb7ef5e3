// The report window over 100,000 fill-ups: from the click on the averages
// button until its three tabs are on screen, the first time and again, and
// the memory that takes above the main window; the log's first rows after a
// click on its tab; sorting the log by a column; drawing the chart; removing
// fill-up 1 from the log, which renumbers all the others, until the log and
// its totals are on screen; and undoing that. Each run is a fresh process
// over a fresh copy of the store.
#include "BenchSupport.h"
#include "core/frame/LocaleInfo.h"
#include "core/frame/SettingsStore.h"
#include "gui/base/Appearance.h"
#include "gui/mainwindow/Form1.h"
#include "gui/records/FillUpChart.h"
#include "gui/records/FillUpLogPage.h"
#include "gui/records/Form2.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace
{
constexpr int kRecords = 100000;

// The confirmation of a removal says yes.
class Yes : public Platform::MessageBoxes
{
public:
    void show(QWidget*, const QString&, int, const QString&) override {}
    int ask(QWidget*, const QString&, const QStringList&, int, const QString&) override { return 0; }
};

// Wall-clock time, and the processor time of this process: the machine the
// figures come from is shared, and the second shows what others took of the first.
struct Clock
{
    QElapsedTimer wall;
    double cpu = 0;
    static double cpuNow()
    {
        timespec ts;
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
    }
    void start()
    {
        wall.start();
        cpu = cpuNow();
    }
    QString since() const { return QStringLiteral("%1/%2").arg(wall.nsecsElapsed() / 1e6).arg(cpuNow() - cpu); }
};

// The report window shown and measured by `inside`, then closed.
void withReport(Form1& form1, const std::function<void(QWidget*)>& inside)
{
    QTimer::singleShot(0, [&] {
        if (QWidget* form2 = QApplication::activeModalWidget()) {
            inside(form2);
            form2->close();
        }
    });
    QTest::mouseClick(form1.findChild<QPushButton*>(QStringLiteral("Command3")), Qt::LeftButton);
}

int child(int argc, char* argv[])
{
    QApplication app(argc, argv);
    installProgramFont();
    Yes yes;
    SettingsStore store(QString::fromLocal8Bit(qgetenv("TANKO_BENCH_STORE")));
    if (!store.open())
        return 2;
    Bench::Windows windows(store, QStringLiteral("Anna"), &yes);
    Form1 form1(windows.context());
    form1.show();
    if (!QTest::qWaitForWindowExposed(&form1))
        return 3;
    // The peak from here on: the report window's own.
    Bench::resetPeak();
    const long before = Bench::statusKb("VmRSS:");
    QString first, again, tab, sort, chart, remove, undo;
    long peak = 0;
    Clock timer;
    timer.start();
    withReport(form1, [&](QWidget* form2) {
        form2->grab();
        first = timer.since();
        peak = Bench::statusKb("VmHWM:");
    });
    timer.start();
    withReport(form1, [&](QWidget* form2) {
        form2->grab();
        again = timer.since();
        auto* tabs = form2->findChild<QTabWidget*>(QStringLiteral("ReportTabs"));
        auto* view = form2->findChild<QTableView*>(QStringLiteral("FillUpLog"));
        timer.start();
        tabs->setCurrentIndex(1);
        view->grab();
        tab = timer.since();
        timer.start();
        view->sortByColumn(2, Qt::DescendingOrder);
        view->grab();
        sort = timer.since();
        view->sortByColumn(-1, Qt::AscendingOrder);

        timer.start();
        tabs->setCurrentIndex(2);
        form2->findChild<FillUpChart*>()->grab();
        chart = timer.since();

        tabs->setCurrentIndex(1);
        view->setCurrentIndex(view->model()->index(0, 0));
        timer.start();
        QTest::keyClick(view, Qt::Key_Delete);
        form2->grab();
        remove = timer.since();
        timer.start();
        form2->findChild<FillUpLogPage*>()->history().undo();
        form2->grab();
        undo = timer.since();
    });
    std::printf("%s %s %s %s %s %s %s %ld\n", qPrintable(first), qPrintable(again), qPrintable(tab), qPrintable(sort),
                qPrintable(chart), qPrintable(remove), qPrintable(undo), peak - before);
    return first.isEmpty() || remove.isEmpty() ? 4 : 0;
}

// Fill-ups as saves since the distance and the litres are kept write them,
// one in ten paid abroad; made once beside the benchmark.
QString filled()
{
    return Bench::storeMadeOnce(
        QStringLiteral("bench-log-%1.db").arg(kRecords), {{"Anna", "TotEntry", QString::number(kRecords)}},
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1),"
            // Three fill-ups in ten days, from 1980 on.
            " dated(i, d) AS (SELECT i, date('1980-01-01', '+' || (i * 10 / 3) || ' days') FROM n),"
            " record(prefix, value) AS (VALUES('Date', NULL), ('Tanko', NULL), ('Pay', NULL), ('PayCom', NULL),"
            " ('Kms', NULL), ('Ltrs', NULL))"
            " INSERT INTO settings SELECT 'Anna', prefix || i, CASE prefix"
            "  WHEN 'Date' THEN strftime('%d ', d) || CASE strftime('%m', d) "
            "   WHEN '01' THEN 'January' WHEN '02' THEN 'February' WHEN '03' THEN 'March' WHEN '04' THEN 'April' WHEN "
            "'05' THEN 'May' WHEN '06' THEN 'June' WHEN '07' THEN 'July' WHEN '08' THEN 'August' WHEN '09' THEN "
            "'September' WHEN '10' THEN 'October' WHEN '11' THEN 'November' WHEN '12' THEN 'December' END || "
            "strftime(' %Y', d)"
            "  WHEN 'Tanko' THEN printf('%05.2f', (35 + i % 9) * 100.0 / (600 + i % 50))"
            "  WHEN 'Pay' THEN printf('%g', 40 + (i % 23) * 1.25)"
            "  WHEN 'PayCom' THEN '46.80 USD'"
            "  WHEN 'Kms' THEN printf('%d', 600 + i % 50)"
            "  ELSE printf('%d', 35 + i % 9) END,"
            " 'anna', lower(prefix) || i FROM dated, record WHERE prefix <> 'PayCom' OR i % 10 = 0"),
        kRecords);
}

// "wall/cpu" of each run: the medians of both.
QString medians(const std::vector<QString>& runs)
{
    std::vector<double> wall, cpu;
    for (const QString& run : runs) {
        wall.push_back(run.section(u'/', 0, 0).toDouble());
        cpu.push_back(run.section(u'/', 1, 1).toDouble());
    }
    return QStringLiteral("%1 ms (%2 ms of processor)")
        .arg(Bench::median(wall), 7, 'f', 1)
        .arg(Bench::median(cpu), 6, 'f', 1);
}
} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsSet("TANKO_BENCH_STORE"))
        return child(argc, argv);
    QCoreApplication app(argc, argv);
    const QString source = filled();
    if (source.isEmpty()) {
        std::printf("cannot make the store\n");
        return 1;
    }
    std::vector<QString> open, again, tab, sort, chart, remove, undo;
    std::vector<double> memory;
    constexpr int runs = 9;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir dir;
        const QString copy = dir.filePath(QStringLiteral("tanko.db"));
        QFile::copy(source, copy);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TANKO_BENCH_STORE"), copy);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        process.start(QCoreApplication::applicationFilePath(), {});
        process.waitForFinished(300000);
        const QStringList fields = QString::fromUtf8(process.readAllStandardOutput()).trimmed().split(u' ');
        if (process.exitCode() != 0 || fields.size() < 8) {
            std::printf("run failed (%d)\n", process.exitCode());
            return 1;
        }
        for (auto [i, list] :
             {std::pair{0, &open}, {1, &again}, {2, &tab}, {3, &sort}, {4, &chart}, {5, &remove}, {6, &undo}})
            list->push_back(fields[i]);
        memory.push_back(fields[7].toDouble() / 1024);
    }
    std::printf("Fill-up log over %d records, medians of %d fresh processes\n", kRecords, runs);
    std::printf("  report window with its three tabs opens  %s, %.1f MB above the main window\n",
                qPrintable(medians(open)), Bench::median(memory));
    std::printf("  the same window opened again             %s\n", qPrintable(medians(again)));
    std::printf("  the log's first rows after its tab click %s\n", qPrintable(medians(tab)));
    std::printf("  log sorted by a column                   %s\n", qPrintable(medians(sort)));
    std::printf("  chart drawn                              %s\n", qPrintable(medians(chart)));
    std::printf("  fill-up 1 removed (99,999 renumbered)    %s\n", qPrintable(medians(remove)));
    std::printf("  that removal undone                      %s\n", qPrintable(medians(undo)));
    return 0;
}
