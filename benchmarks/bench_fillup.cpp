// The cost of the two things a user does at every fill-up, with N records
// already stored: one keystroke in the amount field (recalculation, tooltips
// and the total average over every record) and one save, durable on return.
// The same work over a QSettings INI file shows what the obvious store costs.
#include "BenchSupport.h"
#include "core/frame/Conversions.h"
#include "core/frame/SettingsStore.h"
#include "core/records/FillUp.h"
#include "core/records/FillUps.h"
#include "gui/base/Appearance.h"
#include "gui/mainwindow/Form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace
{
double medianMs(int runs, const std::function<void(int)>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work(i);
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

QString consumption(int n)
{
    return QStringLiteral("0%1.%2").arg(5 + n % 4).arg(10 + n % 80);
}

std::vector<SettingsStore::Write> records(int count)
{
    std::vector<SettingsStore::Write> writes;
    const QString user = QStringLiteral("Anna");
    for (int n = 1; n <= count; ++n) {
        const QString k = QString::number(n);
        writes.push_back({user, QStringLiteral("Date") + k, QStringLiteral("05 December 2026")});
        writes.push_back({user, QStringLiteral("Tanko") + k, consumption(n)});
        writes.push_back({user, QStringLiteral("Pay") + k, QStringLiteral("60")});
    }
    writes.push_back({user, QStringLiteral("TotEntry"), QString::number(count)});
    return writes;
}

// The status-bar average as a Qt programmer would write it over QSettings.
double qsettingsAverage(QSettings& settings)
{
    settings.beginGroup(QStringLiteral("Anna"));
    const int n = settings.value(QStringLiteral("TotEntry"), 0).toInt();
    double sum = 0;
    int count = 0;
    for (int i = 1; i <= n; ++i) {
        const std::optional<double> v = tryLocaleNumber(
            settings.value(QStringLiteral("Tanko") + QString::number(i), QStringLiteral("0")).toString(),
            LocaleInfo::english());
        if (v && *v != 0) {
            sum += *v;
            ++count;
        }
    }
    settings.endGroup();
    return count ? sum / count : 0;
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    installProgramFont();

    std::printf("%-10s %14s %14s %8s %12s %14s %8s %12s\n", "records", "keystroke ms", "QSettings ms", "ratio",
                "save ms", "QSettings ms", "ratio", "button ms");
    for (int count : {1000, 10000, 100000}) {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath(QStringLiteral("tanko.db")));
        store.open();
        store.saveAll(records(count));
        Bench::Windows windows(store, QStringLiteral("Anna"));
        WindowContext& context = windows.context();

        Form1 form(context);
        form.show();
        const auto field = [&form](int i) { return form.findChild<QLineEdit*>(QStringLiteral("Text1_%1").arg(i)); };
        field(1)->setText(QStringLiteral("650"));
        field(2)->setText(QStringLiteral("40"));
        const int runs = count >= 100000 ? 15 : 41;
        const double keystroke =
            medianMs(runs, [&](int i) { field(3)->setText(i % 2 ? QStringLiteral("60") : QStringLiteral("6")); });

        const FillUp fillUp =
            *EnteredFillUp(QStringLiteral("05 December 2026"), 650, 40, QStringLiteral("06.15"), QStringLiteral("60"),
                           QStringLiteral("Euro"), QStringLiteral("1"), context.locale());
        const double save = medianMs(runs, [&](int) { context.fillUps().save(context.user(), fillUp); });
        auto* saveButton = form.findChild<QPushButton*>(QStringLiteral("Command2"));
        std::vector<double> presses;
        for (int i = 0; i < runs; ++i) {
            field(1)->setText(QStringLiteral("650"));
            field(2)->setText(QStringLiteral("40"));
            field(3)->setText(QStringLiteral("60"));
            presses.push_back(medianMs(1, [&](int) { saveButton->click(); }));
        }
        std::sort(presses.begin(), presses.end());
        const double button = presses[presses.size() / 2];

        QSettings settings(dir.filePath(QStringLiteral("tanko.ini")), QSettings::IniFormat);
        for (const auto& w : records(count))
            settings.setValue(w.section + u'/' + w.key, w.value);
        settings.sync();
        const double qsKeystroke = medianMs(runs, [&](int) { qsettingsAverage(settings); });
        int total = count;
        const double qsSave = medianMs(std::min(runs, 9), [&](int) {
            const QString n = QString::number(++total);
            settings.setValue(QStringLiteral("Anna/TotEntry"), total);
            settings.setValue(QStringLiteral("Anna/Date") + n, QStringLiteral("05 December 2026"));
            settings.setValue(QStringLiteral("Anna/Tanko") + n, QStringLiteral("06.15"));
            settings.setValue(QStringLiteral("Anna/Pay") + n, QStringLiteral("60"));
            settings.sync();
        });
        std::printf("%-10d %14.3f %14.3f %7.1fx %12.3f %14.3f %7.1fx %12.3f\n", count, keystroke, qsKeystroke,
                    qsKeystroke / keystroke, save, qsSave, qsSave / save, button);
        std::fflush(stdout);
    }
    std::printf("keystroke: one change of the amount field, end to end; save: the record's keys, durable on return;\n"
                "button: the save button with the fields emptied and the average shown anew.\n");
    return 0;
}
