// Renders every window on the offscreen platform in English, French and
// Dutch to PNG files, for the README and for checking that no caption is cut,
// and the main window once more on a screen of twice the pixel density.
#include "accessories/Form4.h"
#include "accessories/Form6.h"
#include "currency/Form7.h"
#include "frame/Appearance.h"
#include "frame/Conversions.h"
#include "frame/Form1.h"
#include "frame/LocaleInfo.h"
#include "frame/Module1.h"
#include "frame/Platform.h"
#include "frame/SettingsStore.h"
#include "records/Form2.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
    Form6 calendar(form1.Label1[8], &form1);
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
    SettingsStore::setCurrent(store.get());
    setUserLocale(language.locale);
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

// Run with QT_SCALE_FACTOR=2: the main window as a screen of twice the
// density shows it, its picture drawn again for the finer pixels.
void shootDoubled(const QString& out, std::span<const Language> languages)
{
    for (const Language& language : languages) {
        QTemporaryDir dir;
        const auto store = openStore(dir, language);
        shootMain(QStringLiteral("%1/main-%2@2x.png").arg(out, QString::fromLatin1(language.code)));
        SettingsStore::setCurrent(nullptr);
    }
}

// The averages report of a few fill-ups over two months, one paid abroad.
void shootReports(const QString& out, std::span<const Language> languages)
{
    for (const Language& language : languages) {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath(QStringLiteral("tanko.db")));
        store.open();
        SettingsStore::setCurrent(&store);
        setUserLocale(language.locale);
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
        SettingsStore::setCurrent(nullptr);
    }
}
} // namespace

int main(int argc, char* argv[])
{
    // The scale is read when the application starts, so the doubled pictures
    // come from a second run of this program.
    const bool doubled = argc > 2 && qstrcmp(argv[2], "--doubled") == 0;
    if (doubled)
        qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    installProgramFont();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(out);

    FixedClock clock;
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
        Form7 form7(&form1, &form1);
        form7.show();
        QTest::qWait(50);
        save(form7, QStringLiteral("%1/currency-%2.png").arg(out, QString::fromLatin1(language.code)));
        form7.close();
        saveCalendar(form1, out, language.code);
        saveAbout(out, language.code);
        SettingsStore::setCurrent(nullptr);
    }
    shootReports(out, languages);
    return QProcess::execute(QCoreApplication::applicationFilePath(), {out, QStringLiteral("--doubled")});
}
