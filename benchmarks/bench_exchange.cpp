// Export and import of 100,000 fill-ups with the main window open: the export
// of a user to a file, the import of that file into a second user (read,
// checked against the fill-ups present, written in one transaction), the
// same import again, where every line is a duplicate, the import of 100,000
// lines of another log's export beside the 100,000 fill-ups of the first
// user, and a file of one 20 MB line; with the memory each takes above the
// main window. Each step is a fresh program over one copy of the store per run.
#include "BenchSupport.h"
#include "core/filetype/Exchange.h"
#include "core/frame/SettingsStore.h"
#include "core/records/FillUps.h"
#include "gui/mainwindow/Form1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace
{
constexpr int kRecords = 100000;

// One step in a fresh program with the main window open for the user it
// works for: its time and the peak of memory above that window.
int child(const QString& step, const QString& storePath, const QString& file)
{
    int argc = 1;
    char name[] = "bench_exchange";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    SettingsStore store(storePath);
    if (!store.open())
        return 2;
    const bool anna = step == u"export" || step == u"other" || step == u"long";
    Bench::Windows windows(store, anna ? QStringLiteral("Anna") : QStringLiteral("Bert"));
    WindowContext& context = windows.context();
    Form1 form(context);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 3;
    const long base = Bench::statusKb("VmRSS:");
    Bench::resetPeak();
    QElapsedTimer timer;
    timer.start();
    bool ok = false;
    if (step == u"export") {
        const Exchange::ExportResult result = Exchange::ExportFile(context, file);
        ok = result.problem.isEmpty() && result.written == kRecords;
    } else if (step == u"other") {
        const Exchange::ImportPlan plan = Exchange::PlanImportFile(file + QStringLiteral(".other"), context);
        const FillUps::Appended result = Exchange::ApplyImport(context, plan);
        ok = result.outcome == FillUps::Outcome::Done && result.written == kRecords;
        if (!ok)
            std::fprintf(stderr, "%s%s; %lld to import, %lld lines refused, %lld written\n", qPrintable(plan.problem),
                         qPrintable(plan.confirm.join(u", ")), static_cast<long long>(plan.toImport()),
                         static_cast<long long>(plan.refused.lines), static_cast<long long>(result.written));
    } else if (step == u"long") {
        const Exchange::ImportPlan plan = Exchange::PlanImportFile(file + QStringLiteral(".long"), context);
        ok = plan.toImport() == 0 && plan.refused.lines == 1;
    } else {
        const qint64 expected = step == u"import" ? kRecords : 0;
        const Exchange::ImportPlan plan = Exchange::PlanImportFile(file, context);
        const FillUps::Appended result = Exchange::ApplyImport(context, plan);
        ok = result.outcome == FillUps::Outcome::Done && result.written == expected &&
             result.duplicates == kRecords - expected;
    }
    std::printf("%lld %ld\n", static_cast<long long>(timer.elapsed()), Bench::statusKb("VmHWM:") - base);
    return ok ? 0 : 4;
}

// A user's fill-ups as saves under English write them: a distance and litres
// each, one in ten paid in dollars.
bool fill(const QString& path)
{
    SettingsStore store(path);
    if (!store.open())
        return false;
    std::vector<SettingsStore::Write> writes{{"Option", "TotUsers", "2"},        {"Option", "User1", "Anna"},
                                             {"Option", "User2", "Bert"},        {"Devises", "Dev2", "USD"},
                                             {"Devises", "TauxBis2", ".861593"}, {"Anna", "TotEntry", "100000"}};
    const QDate first(2000, 1, 1);
    for (int n = 1; n <= kRecords; ++n) {
        const QString digits = QString::number(n);
        const double km = 400 + n % 300, litres = 30 + n % 20 + 0.5;
        writes.push_back({"Anna", "Date" + digits, first.addDays(n / 3).toString(QStringLiteral("dd MMMM yyyy"))});
        writes.push_back({"Anna", "Tanko" + digits, QString::asprintf("%05.2f", litres * 100 / km)});
        writes.push_back({"Anna", "Kms" + digits, QString::number(km)});
        writes.push_back({"Anna", "Ltrs" + digits, QString::number(litres)});
        writes.push_back({"Anna", "Pay" + digits, QString::number(50 + n % 40) + ".50"});
        if (n % 10 == 0)
            writes.push_back({"Anna", "PayCom" + digits, QString::number(58 + n % 40) + ".20 USD"});
    }
    return store.saveAll(writes);
}

// 100,000 fill-ups as Spritmonitor writes them in German, newest first, one
// in ten partial, after the dates of the store's; and a file whose only line
// after the header is 20 MB of separators.
bool otherFiles(const QString& path)
{
    QFile other(path + QStringLiteral(".other")), line(path + QStringLiteral(".long"));
    if (!other.open(QIODevice::WriteOnly) || !line.open(QIODevice::WriteOnly))
        return false;
    QByteArray text("\xEF\xBB\xBF"
                    "Datum;Km-Stand;Teil-Km;Spritmenge;Kosten;W\xC3\xA4hrung;Tankart;Reifen;Strecken;"
                    "Fahrweise;Kraftstoff;Bemerkung;Verbrauch;BC-Verbrauch;BC-Spritmenge;BC-Geschwindigkeit;"
                    "Tankstelle;Land;Gro\xC3\x9Fraum;Ort\r\n");
    const QDate first(2300, 1, 1);
    for (int n = kRecords; n >= 1; --n) {
        const int km = 400 + n % 300, litres = 30 + n % 20;
        text += QString::asprintf(
                    "%s;%d,00;%d,00;%d,50;%d,20;EUR;%d;1;14;2;20;\"\";6,71;;;;\"Aral\";\"D\";\"\";\"Kassel\"\r\n",
                    qPrintable(first.addDays(n).toString(QStringLiteral("dd.MM.yyyy"))), 1000 + n * 700, km, litres,
                    50 + n % 40, n % 10 == 0 ? 2 : 1)
                    .toLatin1();
    }
    return other.write(text) == text.size() &&
           line.write("date,litres\n" + QByteArray(20 << 20, ',') + "\n") > (20 << 20);
}
} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsSet("TANKO_BENCH_CHILD"))
        return child(qEnvironmentVariable("TANKO_BENCH_CHILD"), qEnvironmentVariable("TANKO_BENCH_STORE"),
                     qEnvironmentVariable("TANKO_BENCH_FILE"));
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.db"));
    if (!fill(source)) {
        std::printf("cannot make the store\n");
        return 1;
    }
    // Export Anna's; import them into Bert, who has none; import them again.
    const QStringList steps = {QStringLiteral("export"), QStringLiteral("import"), QStringLiteral("again"),
                               QStringLiteral("other"), QStringLiteral("long")};
    std::vector<double> exported, imported, again, other, line;
    long memory = 0, otherMemory = 0, lineMemory = 0;
    for (int run = 0; run < 3; ++run) {
        const QString store = dir.filePath(QStringLiteral("run%1.db").arg(run));
        QFile::copy(source, store);
        if (!otherFiles(dir.filePath(QStringLiteral("run%1.tnk").arg(run)))) {
            std::printf("cannot make the files of other logs\n");
            return 1;
        }
        for (const QString& step : steps) {
            QProcess process;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("TANKO_BENCH_CHILD"), step);
            environment.insert(QStringLiteral("TANKO_BENCH_STORE"), store);
            environment.insert(QStringLiteral("TANKO_BENCH_FILE"), dir.filePath(QStringLiteral("run%1.tnk").arg(run)));
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
            process.setProcessEnvironment(environment);
            process.start(QCoreApplication::applicationFilePath(), {});
            process.waitForFinished(600000);
            const QStringList fields = QString::fromUtf8(process.readAllStandardOutput()).trimmed().split(u' ');
            if (process.exitCode() != 0 || fields.size() < 2) {
                std::printf("%s failed (%d): %s\n", qPrintable(step), process.exitCode(),
                            process.readAllStandardError().constData());
                return 1;
            }
            std::vector<double>* times[] = {&exported, &imported, &again, &other, &line};
            times[steps.indexOf(step)]->push_back(fields[0].toDouble());
            long& peak = step == u"other" ? otherMemory : step == u"long" ? lineMemory : memory;
            peak = std::max(peak, fields[1].toLong());
        }
    }
    for (auto* list : {&exported, &imported, &again, &other, &line})
        std::sort(list->begin(), list->end());
    std::printf("%-10s %12s %12s %20s %28s\n", "fill-ups", "export ms", "import ms", "import again ms",
                "peak above main window MB");
    std::printf("%-10d %12.0f %12.0f %20.0f %28.1f\n", kRecords, exported[1], imported[1], again[1], memory / 1024.0);
    std::printf("each step in a fresh program, median of 3; memory: the largest peak of a step above its main\n"
                "window. import again: every line a duplicate, nothing written.\n");
    std::printf("\n%-42s %10s %28s\n", "", "ms", "peak above main window MB");
    std::printf("%-42s %10.0f %28.1f\n", "100,000 lines of Spritmonitor, imported", other[1], otherMemory / 1024.0);
    std::printf("%-42s %10.0f %28.1f\n", "a line of 20 MB, refused", line[1], lineMemory / 1024.0);
    return 0;
}
