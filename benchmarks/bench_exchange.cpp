// Export and import of 100,000 fill-ups with the main window open: the export
// of a user to a file, the import of that file into a second user (read,
// checked against the fill-ups present, written in one transaction) and the
// same import again, where every line is a duplicate; with the memory each
// takes above the main window. Each step is a fresh program over one copy of
// the store per run.
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
    Bench::Windows windows(store, step == u"export" ? QStringLiteral("Anna") : QStringLiteral("Bert"));
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
        const Exchange::ExportResult result =
            Exchange::ExportFile(context, file);
        ok = result.problem.isEmpty() && result.written == kRecords;
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
    const QStringList steps = {QStringLiteral("export"), QStringLiteral("import"), QStringLiteral("again")};
    std::vector<double> exported, imported, again;
    long memory = 0;
    for (int run = 0; run < 3; ++run) {
        const QString store = dir.filePath(QStringLiteral("run%1.db").arg(run));
        QFile::copy(source, store);
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
                std::printf("%s failed (%d)\n", qPrintable(step), process.exitCode());
                return 1;
            }
            (step == steps[0] ? exported : step == steps[1] ? imported : again).push_back(fields[0].toDouble());
            memory = std::max(memory, fields[1].toLong());
        }
    }
    for (auto* list : {&exported, &imported, &again})
        std::sort(list->begin(), list->end());
    std::printf("%-10s %12s %12s %20s %28s\n", "fill-ups", "export ms", "import ms", "import again ms",
                "peak above main window MB");
    std::printf("%-10d %12.0f %12.0f %20.0f %28.1f\n", kRecords, exported[1], imported[1], again[1], memory / 1024.0);
    std::printf("each step in a fresh program, median of 3; memory: the largest peak of a step above its main\n"
                "window. import again: every line a duplicate, nothing written.\n");
    return 0;
}
