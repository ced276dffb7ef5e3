// The store on a PostgreSQL server over the loopback (TCP to 127.0.0.1, with
// fsync on, so that a save is durable as on a file): --copy-store of 100,000
// fill-ups to the server and back; at 100,000 fill-ups one keystroke in the
// amount field, one save, and the report window opened the first time by a
// program just started; and two programs saving 1,000 fill-ups each at once.
#include "BenchSupport.h"
#include "PostgresServer.h"
#include "core/frame/Postgres.h"
#include "core/frame/StoreCopy.h"
#include "core/frame/StoreLocation.h"
#include "core/records/FillUp.h"
#include "core/records/FillUps.h"
#include "gui/base/Appearance.h"
#include "gui/mainwindow/Form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>

namespace
{
constexpr int kRecords = 100000;

double ms(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

double medianMs(int runs, const std::function<void(int)>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(ms([&] { work(i); }));
    return Bench::median(times);
}

// Six keys a fill-up, as saves write them.
QString filled()
{
    return Bench::storeMadeOnce(
        QStringLiteral("bench-pgstore-%1.db").arg(kRecords), {{"Anna", "TotEntry", QString::number(kRecords)}},
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1),"
                       " record(prefix) AS (VALUES('Date'), ('Tanko'), ('Pay'), ('Kms'), ('Ltrs'))"
                       " INSERT INTO settings SELECT 'Anna', prefix || i, CASE prefix WHEN 'Date' THEN "
                       "'05 December 2026' WHEN 'Tanko' THEN printf('%05.2f', (35 + i % 9) * 100.0 / (600 + i % 50))"
                       " WHEN 'Pay' THEN printf('%g', 40 + (i % 23) * 1.25) WHEN 'Kms' THEN printf('%d', 600 + i % 50)"
                       " ELSE printf('%d', 35 + i % 9) END, 'anna', lower(prefix) || i FROM n, record"),
        kRecords);
}

StoreLocation at(const QString& conninfo)
{
    return StoreLocation::read(conninfo, StoreLocation::Source::Argument);
}

// The report window opened from the main window of a program just started.
double reportFirstTime(const StoreLocation& where)
{
    SettingsStore store(where);
    store.open();
    Bench::Windows windows(store, QStringLiteral("Anna"));
    Form1 form1(windows.context());
    form1.show();
    QTest::qWaitForWindowExposed(&form1);
    QElapsedTimer timer;
    double opened = 0;
    QTimer::singleShot(0, [&] {
        if (QWidget* form2 = QApplication::activeModalWidget()) {
            form2->grab();
            opened = timer.nsecsElapsed() / 1e6;
            form2->close();
        }
    });
    timer.start();
    QTest::mouseClick(form1.findChild<QPushButton*>(QStringLiteral("Command3")), Qt::LeftButton);
    return opened;
}

// A keystroke in the amount field and a save, in one program.
std::pair<double, double> typedAndSaved(const StoreLocation& where)
{
    SettingsStore store(where);
    store.open();
    Bench::Windows windows(store, QStringLiteral("Anna"));
    WindowContext& context = windows.context();
    Form1 form(context);
    form.show();
    const auto field = [&form](int i) { return form.findChild<QLineEdit*>(QStringLiteral("Text1_%1").arg(i)); };
    field(1)->setText(QStringLiteral("650"));
    field(2)->setText(QStringLiteral("40"));
    const double keystroke =
        medianMs(41, [&](int i) { field(3)->setText(i % 2 ? QStringLiteral("60") : QStringLiteral("6")); });
    const FillUp fillUp =
        *EnteredFillUp(QStringLiteral("05 December 2026"), 650, 40, QStringLiteral("06.15"), QStringLiteral("60"),
                       QStringLiteral("Euro"), QStringLiteral("1"), context.locale());
    const double save = medianMs(41, [&](int) { context.fillUps().save(context.user(), fillUp); });
    return {keystroke, save};
}

// Seconds for both, and whether TotEntry and the records 1 to 2,000 are all there.
QString twoAtOnce(const StoreLocation& where)
{
    std::atomic<int> failed = 0;
    const auto program = [&] {
        SettingsStore store(where);
        FillUps fillUps(store, LocaleInfo::english());
        const FillUp fillUp =
            *EnteredFillUp(QStringLiteral("05 December 2026"), 650, 40, QStringLiteral("06.15"), QStringLiteral("60"),
                           QStringLiteral("Euro"), QStringLiteral("1"), LocaleInfo::english());
        for (int i = 0; i < 1000; ++i)
            failed += !store.isOpen() && !store.open() ? 1 : fillUps.save("Anna", fillUp) != FillUps::Outcome::Done;
    };
    const double took = ms([&] {
        std::thread a(program), b(program);
        a.join();
        b.join();
    });
    SettingsStore fresh(where);
    fresh.open();
    const std::vector<qint64> numbers = fresh.keyNumbers(u"Anna", u"Date");
    const bool whole = failed == 0 && numbers.size() == 2000 && numbers.front() == 1 && numbers.back() == 2000 &&
                       *fresh.find(u"Anna", u"TotEntry") == u"2000";
    return QStringLiteral("%1 s, %2").arg(took / 1000, 0, 'f', 2).arg(whole ? "nothing lost" : "FILL-UPS LOST");
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    installProgramFont();
    QString why;
    if (!PostgresServer::available(&why)) {
        std::printf("skipped: %s\n", qPrintable(why));
        return 0;
    }
    const QString source = filled();
    PostgresServer server(true);
    QTemporaryDir dir;
    QFile pgpass(dir.filePath(QStringLiteral("pgpass")));
    pgpass.open(QIODevice::WriteOnly);
    pgpass.write("*:*:*:tanko:bench");
    pgpass.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    pgpass.close();
    qputenv("PGPASSFILE", QFile::encodeName(pgpass.fileName()));
    bool ready = !source.isEmpty() && server.error().isEmpty();
    for (const char* sql : {"ALTER ROLE tanko PASSWORD 'bench'", "CREATE DATABASE log", "CREATE DATABASE twice"})
        ready = ready && server.exec(QString::fromLatin1(sql), QStringLiteral("postgres"));
    if (!ready) {
        std::printf("cannot set up: %s\n", qPrintable(server.error()));
        return 1;
    }
    const StoreLocation log = at(server.conninfo(QStringLiteral("log"), QStringLiteral("tanko"), true));
    const StoreLocation file = at(source), back = at(dir.filePath(QStringLiteral("back.db")));
    StoreCopy::Result copied;
    const double toServer = ms([&] { copied = StoreCopy::run(file, log, false); });
    const double toFile = ms([&] { StoreCopy::run(log, back, false); });
    Postgres::Connection asked;
    asked.open(log.value);
    std::printf("PostgreSQL over TCP to 127.0.0.1 port %d, fsync %s\n", server.port(),
                qPrintable(asked.exec("SHOW fsync").text(0, 0)));
    std::printf("  --copy-store of %d fill-ups (%lld keys): to the server %.2f s, back to a file %.2f s%s\n", kRecords,
                copied.keys, toServer / 1000, toFile / 1000, qPrintable(copied.problem));
    std::vector<double> opened;
    for (int run = 0; run < 5; ++run)
        opened.push_back(reportFirstTime(log));
    std::printf("  report window at %d fill-ups, the first time: %.0f ms (median of 5 programs)\n", kRecords,
                Bench::median(opened));
    const auto [keystroke, save] = typedAndSaved(log);
    std::printf("  at %d fill-ups: keystroke %.3f ms, save %.2f ms (medians of 41)\n", kRecords, keystroke, save);
    std::printf("  two programs saving 1,000 fill-ups each at once: %s\n",
                qPrintable(twoAtOnce(at(server.conninfo(QStringLiteral("twice"), QStringLiteral("tanko"), true)))));
    return 0;
}
