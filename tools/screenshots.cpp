// Renders every window on the offscreen platform in English, French and
// Dutch to PNG files, for the README and for checking that no caption is cut,
// the main window and the chart once more on a screen of twice the pixel
// density, and the main window and the report under a dark palette.
#include "core/frame/Conversions.h"
#include "core/frame/LocaleInfo.h"
#include "core/frame/Platform.h"
#include "core/frame/SettingsStore.h"
#include "core/fuel/FuelCalc.h"
#include "core/platform/SystemServices.h"
#include "gui/WindowContext.h"
#include "gui/accessories/Form4.h"
#include "gui/accessories/Form6.h"
#include "gui/base/Appearance.h"
#include "gui/currency/Form7.h"
#include "gui/mainwindow/Form1.h"
#include "gui/platform/DesktopServices.h"
#include "gui/records/Form2.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QProcess>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>
#include <span>

namespace
{
struct Language
{
    const char* code;
    int index;
    LocaleInfo locale;
    const char* user;
};

class FixedClock : public Platform::Clock
{
public:
    QDateTime now() override { return {QDate(2026, 12, 5), QTime(9, 30)}; }
};

// A fresh store in a folder of its own and the windows' context over it, in
// the language's notation and words, for its user.
struct World
{
    explicit World(const Language& language)
        : store(dir.filePath(QStringLiteral("tanko.db"))),
          context(store, services(), Platform::desktopServices(), language.locale)
    {
        store.open();
        context.setLanguage(language.index);
        context.setUser(QString::fromUtf8(language.user));
    }
    static Platform::SystemServices services()
    {
        static FixedClock clock;
        Platform::SystemServices system = Platform::systemServices(QString());
        system.clock = &clock;
        return system;
    }
    QTemporaryDir dir;
    SettingsStore store;
    WindowContext context;
};

void save(QWidget& window, const QString& path)
{
    window.grab().save(path);
    qInfo("%s", qPrintable(path));
}

void saveCalendar(WindowContext& context, Form1& form1, const QString& out, const char* code)
{
    Form6 calendar(context, form1.findChild<QLabel*>(QStringLiteral("Label1_8"))->text(), &form1);
    calendar.show();
    QTest::qWait(50);
    save(calendar, QStringLiteral("%1/calendar-%2.png").arg(out, QString::fromLatin1(code)));
}

void saveAbout(WindowContext& context, const QString& out, const char* code)
{
    Form4 about(context);
    about.show();
    QTest::qWait(50);
    save(about, QStringLiteral("%1/about-%2.png").arg(out, QString::fromLatin1(code)));
}

void fillUp(Form1& form, const QStringList& texts)
{
    for (int i = 0; i < 4; ++i)
        form.findChild<QLineEdit*>(QStringLiteral("Text1_%1").arg(i))->setText(texts.value(i));
}

// Three fill-ups of the language's user.
void writeThree(World& world, const Language& language)
{
    const QString user = world.context.user();
    const QString sep = language.locale.decimalSeparator;
    for (int n = 1; n <= 3; ++n) {
        world.store.save(user, QStringLiteral("Tanko%1").arg(n),
                         QStringLiteral("06") + sep + QStringLiteral("%1").arg(10 + n * 7));
        world.store.save(user, QStringLiteral("TotEntry"), QString::number(n));
    }
}

void shootMain(WindowContext& context, const QString& path)
{
    Form1 form1(context);
    form1.show();
    fillUp(form1, {QStringLiteral("10000"), QStringLiteral("10650"), QStringLiteral("40"), QStringLiteral("60")});
    QTest::qWait(50);
    save(form1, path);
}

// Half a year of fill-ups of the user as saves write them since the distance
// and the litres are kept: one every nine to twelve days, one paid abroad.
void writeHalfYear(World& world)
{
    const QString user = world.context.user();
    const LocaleInfo& locale = world.context.locale();
    std::vector<SettingsStore::Write> writes;
    QDate date(2026, 6, 8);
    int n = 0;
    for (; date < QDate(2026, 12, 6); date = date.addDays(9 + n % 4)) {
        const QString key = QString::number(++n);
        const double km = 540 + (n * 37) % 160, litres = std::round((34 + (n * 7) % 11 + km / 400) * 100) / 100;
        const double euro = std::round(litres * (1.69 + (n % 5) * 0.03) * 100) / 100;
        writes.push_back({user, QStringLiteral("Date") + key, FormatPattern(date, u"dd mmmm yyyy", locale)});
        writes.push_back({user, QStringLiteral("Tanko") + key, *ConsumptionText(litres, km, locale)});
        writes.push_back({user, QStringLiteral("Pay") + key, LocaleText(euro, locale)});
        writes.push_back({user, QStringLiteral("Kms") + key, QString::number(km)});
        writes.push_back({user, QStringLiteral("Ltrs") + key, QString::number(litres)});
        if (n == 9)
            writes.push_back({user, QStringLiteral("PayCom") + key, QStringLiteral("71.20 CHF")});
    }
    writes.push_back({user, QStringLiteral("TotEntry"), QString::number(n)});
    world.store.saveAll(writes);
}

// The report window's log and chart tabs, as wide as it opens.
void shootLog(const QString& out, const Language& language, bool doubled)
{
    World world(language);
    writeHalfYear(world);
    Form2 form2(world.context);
    form2.show();
    const QString code = QString::fromLatin1(language.code) + (doubled ? QStringLiteral("@2x") : QString());
    auto* log = form2.findChild<QTableView*>(QStringLiteral("FillUpLog"));
    log->setCurrentIndex(log->model()->index(8, 0));
    for (int tab = doubled ? 2 : 1; tab <= 2; ++tab) {
        form2.findChild<QTabWidget*>(QStringLiteral("ReportTabs"))->setCurrentIndex(tab);
        QTest::qWait(50);
        save(form2, QStringLiteral("%1/%2-%3.png").arg(out, tab == 1 ? u"log" : u"chart", code));
    }
}

// Run with QT_SCALE_FACTOR=2: the main window as a screen of twice the
// density shows it, its picture drawn again for the finer pixels, and the
// chart, whose figures must stay readable.
void shootDoubled(const QString& out, std::span<const Language> languages)
{
    for (const Language& language : languages) {
        World world(language);
        writeThree(world, language);
        shootMain(world.context, QStringLiteral("%1/main-%2@2x.png").arg(out, QString::fromLatin1(language.code)));
    }
    shootLog(out, languages.front(), true);
}

// The averages report of a few fill-ups over two months, one paid abroad.
void shootReports(const QString& out, std::span<const Language> languages)
{
    for (const Language& language : languages) {
        World world(language);
        const QString user = world.context.user();
        const LocaleInfo& locale = language.locale;
        const struct
        {
            QDate date;
            double conso;
            double pay;
            const char* payCom;
        } fillUps[] = {{QDate(2026, 10, 4), 6.42, 58.3, ""},
                       {QDate(2026, 10, 19), 6.87, 61.05, ""},
                       {QDate(2026, 11, 2), 0, 20, ""},
                       {QDate(2026, 11, 21), 6.15, 37.44, "46.80 USD"},
                       {QDate(2026, 12, 5), 5.98, 0, ""}};
        std::vector<SettingsStore::Write> writes{
            {user, QStringLiteral("TotEntry"), QString::number(std::size(fillUps))}};
        for (size_t i = 0; i < std::size(fillUps); ++i) {
            const QString n = QString::number(i + 1);
            writes.push_back(
                {user, QStringLiteral("Date") + n, FormatPattern(fillUps[i].date, u"dd mmmm yyyy", locale)});
            writes.push_back({user, QStringLiteral("Tanko") + n, FormatPattern(fillUps[i].conso, u"00.00", locale)});
            writes.push_back({user, QStringLiteral("Pay") + n, LocaleText(fillUps[i].pay, locale)});
            if (*fillUps[i].payCom)
                writes.push_back({user, QStringLiteral("PayCom") + n, QString::fromUtf8(fillUps[i].payCom)});
        }
        world.store.saveAll(writes);

        Form2 form2(world.context);
        form2.show();
        QTest::qWait(50);
        save(form2, QStringLiteral("%1/report-%2.png").arg(out, QString::fromLatin1(language.code)));
    }
}
// A dark palette as desktops set one: light words on a dark face.
QPalette darkPalette()
{
    QPalette dark(QColor(53, 53, 53));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText})
        dark.setColor(role, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(35, 35, 35));
    dark.setColor(QPalette::AlternateBase, QColor(45, 45, 45));
    dark.setColor(QPalette::ToolTipBase, QColor(35, 35, 35));
    dark.setColor(QPalette::ToolTipText, QColor(230, 230, 230));
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    return dark;
}

// The main window, the report and its chart in English under the dark palette.
void shootDark(const QString& out, const Language& language)
{
    const QPalette light = QApplication::palette();
    QApplication::setPalette(darkPalette());
    {
        World world(language);
        writeThree(world, language);
        shootMain(world.context, QStringLiteral("%1/main-dark-en.png").arg(out));
    }
    World world(language);
    writeHalfYear(world);
    Form2 form2(world.context);
    form2.show();
    QTest::qWait(50);
    save(form2, QStringLiteral("%1/report-dark-en.png").arg(out));
    form2.findChild<QTabWidget*>(QStringLiteral("ReportTabs"))->setCurrentIndex(2);
    QTest::qWait(50);
    save(form2, QStringLiteral("%1/chart-dark-en.png").arg(out));
    form2.close();
    QApplication::setPalette(light);
}
} // namespace

int main(int argc, char* argv[])
{
    // The scale is read when the application starts, so the doubled pictures
    // come from a second run of this program.
    const bool doubled = argc > 2 && qstrcmp(argv[2], "--doubled") == 0;
    QTemporaryDir configDir;
    if (doubled) {
        qputenv("QT_SCALE_FACTOR", "2");
        // The offscreen screen is 800 px square, which a window at twice its
        // size does not fit in: it would open scrolled. Give it a larger one.
        const QString config = configDir.filePath(QStringLiteral("screen.json"));
        QFile file(config);
        if (qgetenv("QT_QPA_PLATFORM").startsWith("offscreen") && file.open(QIODevice::WriteOnly)) {
            file.write(R"({"screens": [{"name": "Doubled", "x": 0, "y": 0, "width": 2560, "height": 1600,)"
                       R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
            file.close();
            qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
        }
    }
    QApplication app(argc, argv);
    installProgramLook();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(out);

    const Language languages[] = {{"en", 0, LocaleInfo::english(), "Anna"},
                                  {"fr", 1, LocaleInfo::french(), "Élodie"},
                                  {"nl", 2, LocaleInfo::dutch(), "Pieter"}};
    if (doubled) {
        shootDoubled(out, languages);
        return 0;
    }
    for (const Language& language : languages) {
        World world(language);
        writeThree(world, language);
        shootMain(world.context, QStringLiteral("%1/main-%2.png").arg(out, QString::fromLatin1(language.code)));

        Form1 form1(world.context);
        Form7 form7(world.context, &form1);
        form7.show();
        QTest::qWait(50);
        save(form7, QStringLiteral("%1/currency-%2.png").arg(out, QString::fromLatin1(language.code)));
        form7.close();
        saveCalendar(world.context, form1, out, language.code);
        saveAbout(world.context, out, language.code);
    }
    shootReports(out, languages);
    for (const Language& language : languages)
        shootLog(out, language, false);
    shootDark(out, languages[0]);
    return QProcess::execute(QCoreApplication::applicationFilePath(), {out, QStringLiteral("--doubled")});
}
