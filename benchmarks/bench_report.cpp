// Time to open the averages report from the main window's button until the
// formatted text is on screen, for 1,000 and 10,000 stored fill-ups; and, of
// that, the time to build the text and to put it into the box.
#include "BenchSupport.h"
#include "core/frame/Conversions.h"
#include "core/frame/LocaleInfo.h"
#include "core/frame/SettingsStore.h"
#include "core/records/FillUps.h"
#include "core/records/Report.h"
#include "gui/base/Appearance.h"
#include "gui/mainwindow/Form1.h"
#include "gui/records/Form2.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace
{
void fillStore(SettingsStore& store, const QString& user, int count)
{
    const LocaleInfo english = LocaleInfo::english();
    std::vector<SettingsStore::Write> writes{{user, QStringLiteral("TotEntry"), QString::number(count)}};
    QDate date(2004, 1, 5);
    for (int n = 1; n <= count; ++n) {
        const QString key = QString::number(n);
        writes.push_back({user, QStringLiteral("Date") + key, FormatPattern(date, u"dd mmmm yyyy", english)});
        writes.push_back(
            {user, QStringLiteral("Tanko") + key, FormatPattern(5.5 + (n % 37) / 10.0, u"00.00", english)});
        writes.push_back({user, QStringLiteral("Pay") + key, LocaleText(40 + (n % 23) * 1.25, english)});
        if (n % 10 == 0)
            writes.push_back({user, QStringLiteral("PayCom") + key, QStringLiteral("46.80 USD")});
        date = date.addDays(4 + n % 5);
    }
    if (!store.saveAll(writes))
        qFatal("bench store: %s", qPrintable(store.lastError()));
}

double millisecondsOf(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

// From the click on the averages button until the report window has painted
// its formatted text.
double openReport(Form1& form1, QPushButton* button)
{
    QElapsedTimer timer;
    double shown = -1;
    QTimer::singleShot(0, [&] {
        if (auto* form2 = qobject_cast<Form2*>(QApplication::activeModalWidget())) {
            form2->grab();
            shown = timer.nsecsElapsed() / 1e6;
            form2->close();
        }
    });
    timer.start();
    QTest::mouseClick(button, Qt::LeftButton);
    Q_UNUSED(form1);
    if (shown < 0)
        qFatal("the report window did not open");
    return shown;
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    installProgramFont();
    const QString user = QStringLiteral("Bench");

    std::printf("Averages report, medians\n");
    for (const int count : {1000, 10000}) {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath(QStringLiteral("tanko.db")));
        if (!store.open())
            qFatal("bench store: %s", qPrintable(store.lastError()));
        fillStore(store, user, count);
        Bench::Windows windows(store, user);
        WindowContext& context = windows.context();

        Form1 form1(context);
        form1.show();
        if (!QTest::qWaitForWindowExposed(&form1))
            qFatal("the main window was not shown");
        auto* button = form1.findChild<QPushButton*>(QStringLiteral("Command3"));

        const int runs = count >= 10000 ? 9 : 15;
        std::vector<double> open, build, show;
        openReport(form1, button); // warm-up: fonts, first layout
        for (int i = 0; i < runs; ++i) {
            open.push_back(openReport(form1, button));
            Report report;
            build.push_back(
                millisecondsOf([&] { report = BuildReport(*context.fillUps().list(user), user, context.speech()); }));
            QPlainTextEdit box;
            show.push_back(millisecondsOf([&] { ShowReport(&box, report); }));
        }
        std::printf("  N = %5d: open %7.2f ms  (build text %6.2f ms, fill and style box %6.2f ms)  %d runs\n", count,
                    Bench::median(open), Bench::median(build), Bench::median(show), runs);
    }
    return 0;
}
