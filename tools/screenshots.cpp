// Renders every window on the offscreen platform in English, French and
// Dutch to PNG files, for the README and for checking that no caption is cut.
#include "accessories/Form4.h"
#include "accessories/Form6.h"
#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "frame/LocaleInfo.h"
#include "frame/Module1.h"
#include "frame/Platform.h"
#include "frame/SettingsStore.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

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
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    installProgramFont();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(out);

    FixedClock clock;
    Platform::services().clock = &clock;
    const Language languages[] = {{"en", 0, LocaleInfo::english(), "Anna"},
                                  {"fr", 1, LocaleInfo::french(), "Élodie"},
                                  {"nl", 2, LocaleInfo::dutch(), "Pieter"}};
    for (const Language& language : languages) {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath(QStringLiteral("tanko.db")));
        store.open();
        SettingsStore::setCurrent(&store);
        setUserLocale(language.locale);
        Module1::LangOfs = language.langOfs;
        Module1::CurUser = QString::fromUtf8(language.user);
        const QString sep = language.locale.decimalSeparator;
        for (int n = 1; n <= 3; ++n) {
            store.save(Module1::CurUser, QStringLiteral("Tanko%1").arg(n), QStringLiteral("06") + sep + QStringLiteral("%1").arg(10 + n * 7));
            store.save(Module1::CurUser, QStringLiteral("TotEntry"), QString::number(n));
        }

        Form1 form1;
        form1.show();
        fillUp(form1, {QStringLiteral("10000"), QStringLiteral("10650"), QStringLiteral("40"), QStringLiteral("60")});
        QTest::qWait(50);
        save(form1, QStringLiteral("%1/main-%2.png").arg(out, QString::fromLatin1(language.code)));
        saveCalendar(form1, out, language.code);
        saveAbout(out, language.code);
        SettingsStore::setCurrent(nullptr);
    }
    return 0;
}
