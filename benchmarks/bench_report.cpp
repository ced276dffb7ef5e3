// Time to open the averages report from the main window's button until the
// formatted text is on screen, for 1,000 and 10,000 stored fill-ups; and, of
// that, the time to build the text and to put it into the box.
#include "core/frame/Legacy.h"
#include "BenchSupport.h"
#include "core/frame/Conversions.h"
#include "core/frame/LocaleInfo.h"
#include "core/frame/Module1.h"
#include "core/frame/SettingsStore.h"
#include "core/records/Report.h"
#include "gui/base/Appearance.h"
#include "gui/frame/Form1.h"
#include "gui/records/Form2.h"

#include "core/frame/Platform.h"
#include "core/platform/SystemServices.h"
#include "gui/platform/DesktopServices.h"
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
    std::vector<SettingsStore::Write> writes{{user, QStringLiteral("TotEntry"), LocaleText(count)}};
    QDate date(2004, 1, 5);
    for (int n = 1; n <= count; ++n) {
        const QString key = QString::number(n);
        writes.push_back({user, QStringLiteral("Date") + key, FormatPattern(date, u"dd mmmm yyyy")});
        writes.push_back({user, QStringLiteral("Tanko") + key, FormatPattern(5.5 + (n % 37) / 10.0, u"00.00")});
        writes.push_back({user, QStringLiteral("Pay") + key, LocaleText(40 + (n % 23) * 1.25)});
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
    Platform::installSystemServices();
    Platform::installDesktopServices();
    Platform::services().locale = LocaleInfo::english();
    Module1::LangOfs = 0;
    Module1::CurUser = QStringLiteral("Bench");

    std::printf("Averages report, medians\n");
    for (const int count : {1000, 10000}) {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath(QStringLiteral("tanko.db")));
        if (!store.open())
            qFatal("bench store: %s", qPrintable(store.lastError()));
        Legacy::setCurrent(&store);
        fillStore(store, Module1::CurUser, count);

        Form1 form1;
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
            build.push_back(millisecondsOf([&] { report = BuildReport(&store, Module1::CurUser); }));
            QPlainTextEdit box;
            show.push_back(millisecondsOf([&] { ShowReport(&box, report); }));
        }
        std::printf("  N = %5d: open %7.2f ms  (build text %6.2f ms, fill and style box %6.2f ms)  %d runs\n", count,
                    Bench::median(open), Bench::median(build), Bench::median(show), runs);
        Legacy::setCurrent(nullptr);
    }
    return 0;
}
