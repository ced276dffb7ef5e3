// Renders every window on the offscreen platform in English, French and
// Dutch to PNG files, for the README and for checking that no caption is cut,
// and the main window and the chart once more on a screen of twice the pixel
// density.
#include "core/frame/Legacy.h"
#include "core/frame/Conversions.h"
#include "core/frame/LocaleInfo.h"
#include "core/frame/Module1.h"
#include "core/frame/Platform.h"
#include "core/frame/SettingsStore.h"
#include "core/fuel/FuelCalc.h"
#include "gui/accessories/Form4.h"
#include "gui/accessories/Form6.h"
#include "gui/base/Appearance.h"
#include "gui/currency/Form7.h"
#include "gui/frame/Form1.h"
#include "gui/records/Form2.h"

#include "gui/platform/DesktopServices.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
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
    float langOfs;
    LocaleInfo locale;
    const char* user;
};

class FixedClock : public Platform::Clock
{
public:
    QDateTime now() override { return {QDate(2026, 12, 5), QTime(9, 30)}; }
};

void save(QWidget& window, const QString& path)
{
    window.grab().save(path);
    qInfo("%s", qPrintable(path));
}

void saveCalendar(Form1& form1, const QString& out, const char* code)
{
    Form6 calendar(form1.Label1[8]->text(), &form1);
    calendar.show();
    QTest::qWait(50);
    save(calendar, QStringLiteral("%1/calendar-%2.png").arg(out, QString::fromLatin1(code)));
}

void saveAbout(const QString& out, const char* code)
{
    Form4 about;
    about.show();
    QTest::qWait(50);
    save(about, QStringLiteral("%1/about-%2.png").arg(out, QString::fromLatin1(code)));
}

void fillUp(Form1& form, const QStringList& texts)
{
    for (int i = 0; i < 4; ++i)
        form.Text1[i]->setText(texts.value(i));
}

// A fresh store in dir holding three fill-ups of the language's user, made current.
std::unique_ptr<SettingsStore> openStore(const QTemporaryDir& dir, const Language& language)
{
    auto store = std::make_unique<SettingsStore>(dir.filePath(QStringLiteral("tanko.db")));
    store->open();
    Legacy::setCurrent(store.get());
    Platform::services().locale = language.locale;
    Module1::LangOfs = language.langOfs;
    Module1::CurUser = QString::fromUtf8(language.user);
    const QString sep = language.locale.decimalSeparator;
    for (int n = 1; n <= 3; ++n) {
        store->save(Module1::CurUser, QStringLiteral("Tanko%1").arg(n),
                    QStringLiteral("06") + sep + QStringLiteral("%1").arg(10 + n * 7));
        store->save(Module1::CurUser, QStringLiteral("TotEntry"), QString::number(n));
    }
    return store;
}

void shootMain(const QString& path)
{
    Form1 form1;
    form1.show();
    fillUp(form1, {QStringLiteral("10000"), QStringLiteral("10650"), QStringLiteral("40"), QStringLiteral("60")});
    QTest::qWait(50);
    save(form1, path);
}

// Half a year of fill-ups of the user as saves write them since the distance
// and the litres are kept: one every nine to twelve days, one paid abroad.
void writeHalfYear(SettingsStore& store)
{
    std::vector<SettingsStore::Write> writes;
    QDate date(2026, 6, 8);
    int n = 0;
    for (; date < QDate(2026, 12, 6); date = date.addDays(9 + n % 4)) {
        const QString key = QString::number(++n);
        const double km = 540 + (n * 37) % 160, litres = std::round((34 + (n * 7) % 11 + km / 400) * 100) / 100;
        const double euro = std::round(litres * (1.69 + (n % 5) * 0.03) * 100) / 100;
        writes.push_back({Module1::CurUser, QStringLiteral("Date") + key, FormatPattern(date, u"dd mmmm yyyy")});
        writes.push_back({Module1::CurUser, QStringLiteral("Tanko") + key, *ConsumptionText(litres, km)});
        writes.push_back({Module1::CurUser, QStringLiteral("Pay") + key, LocaleText(euro)});
        writes.push_back({Module1::CurUser, QStringLiteral("Kms") + key, QString::number(km)});
        writes.push_back({Module1::CurUser, QStringLiteral("Ltrs") + key, QString::number(litres)});
        if (n == 9)
            writes.push_back({Module1::CurUser, QStringLiteral("PayCom") + key, QStringLiteral("71.20 CHF")});
    }
    writes.push_back({Module1::CurUser, QStringLiteral("TotEntry"), QString::number(n)});
    store.saveAll(writes);
}

// The report window's log and chart tabs, wider than it opens so that every
// column shows.
void shootLog(const QString& out, const Language& language, bool doubled)
{
    QTemporaryDir dir;
    const auto store = openStore(dir, language);
    writeHalfYear(*store);
    Form2 form2;
    form2.resize(720, 440);
    form2.show();
    const QString code = QString::fromLatin1(language.code) + (doubled ? QStringLiteral("@2x") : QString());
    auto* log = form2.findChild<QTableView*>(QStringLiteral("FillUpLog"));
    log->setCurrentIndex(log->model()->index(8, 0));
    for (int tab = doubled ? 2 : 1; tab <= 2; ++tab) {
        form2.ReportTabs->setCurrentIndex(tab);
        QTest::qWait(50);
        save(form2, QStringLiteral("%1/%2-%3.png").arg(out, tab == 1 ? u"log" : u"chart", code));
    }
    Legacy::setCurrent(nullptr);
}

// Run with QT_SCALE_FACTOR=2: the main window as a screen of twice the
// density shows it, its picture drawn again for the finer pixels, and the
// chart, whose figures must stay readable.
void shootDoubled(const QString& out, std::span<const Language> languages)
{
    for (const Language& language : languages) {
        QTemporaryDir dir;
        const auto store = openStore(dir, language);
        shootMain(QStringLiteral("%1/main-%2@2x.png").arg(out, QString::fromLatin1(language.code)));
        Legacy::setCurrent(nullptr);
    }
    shootLog(out, languages.front(), true);
}

// The averages report of a few fill-ups over two months, one paid abroad.
void shootReports(const QString& out, std::span<const Language> languages)
{
    for (const Language& language : languages) {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath(QStringLiteral("tanko.db")));
        store.open();
        Legacy::setCurrent(&store);
        Platform::services().locale = language.locale;
        Module1::LangOfs = language.langOfs;
        Module1::CurUser = QString::fromUtf8(language.user);
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
            {Module1::CurUser, QStringLiteral("TotEntry"), LocaleText(std::size(fillUps))}};
        for (size_t i = 0; i < std::size(fillUps); ++i) {
            const QString n = QString::number(i + 1);
            writes.push_back(
                {Module1::CurUser, QStringLiteral("Date") + n, FormatPattern(fillUps[i].date, u"dd mmmm yyyy")});
            writes.push_back(
                {Module1::CurUser, QStringLiteral("Tanko") + n, FormatPattern(fillUps[i].conso, u"00.00")});
            writes.push_back({Module1::CurUser, QStringLiteral("Pay") + n, LocaleText(fillUps[i].pay)});
            if (*fillUps[i].payCom)
                writes.push_back(
                    {Module1::CurUser, QStringLiteral("PayCom") + n, QString::fromUtf8(fillUps[i].payCom)});
        }
        store.saveAll(writes);

        Form2 form2;
        form2.show();
        QTest::qWait(50);
        save(form2, QStringLiteral("%1/report-%2.png").arg(out, QString::fromLatin1(language.code)));
        Legacy::setCurrent(nullptr);
    }
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
    installProgramFont();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(out);

    FixedClock clock;
    Platform::installDesktopServices();
    Platform::services().clock = &clock;
    const Language languages[] = {{"en", 0, LocaleInfo::english(), "Anna"},
                                  {"fr", 1, LocaleInfo::french(), "Élodie"},
                                  {"nl", 2, LocaleInfo::dutch(), "Pieter"}};
    if (doubled) {
        shootDoubled(out, languages);
        return 0;
    }
    for (const Language& language : languages) {
        QTemporaryDir dir;
        const auto store = openStore(dir, language);
        shootMain(QStringLiteral("%1/main-%2.png").arg(out, QString::fromLatin1(language.code)));

        Form1 form1;
        Form7 form7(&form1);
        form7.show();
        QTest::qWait(50);
        save(form7, QStringLiteral("%1/currency-%2.png").arg(out, QString::fromLatin1(language.code)));
        form7.close();
        saveCalendar(form1, out, language.code);
        saveAbout(out, language.code);
        Legacy::setCurrent(nullptr);
    }
    shootReports(out, languages);
    for (const Language& language : languages)
        shootLog(out, language, false);
    return QProcess::execute(QCoreApplication::applicationFilePath(), {out, QStringLiteral("--doubled")});
}
