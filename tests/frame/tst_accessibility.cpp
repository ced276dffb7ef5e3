#include "ProgramWindows.h"

#include "frame/Accessibility.h"
#include "frame/Appearance.h"
#include "frame/StringTable.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QCalendarWidget>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace
{
class Recorder : public Accessibility::Announcer
{
public:
    struct Notice
    {
        QString object;
        QAccessible::Event type;
        QString name; // what a screen reader would read at that moment
    };

    Recorder() { Accessibility::setAnnouncer(this); }
    ~Recorder() override { Accessibility::setAnnouncer(nullptr); }
    void announce(QAccessibleEvent& event) override
    {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(event.object());
        notices.push_back(
            {event.object()->objectName(), event.type(), iface ? iface->text(QAccessible::Name) : QString()});
    }
    QStringList namesFor(const QString& object) const
    {
        QStringList names;
        for (const Notice& notice : notices)
            if (notice.object == object)
                names << notice.name;
        return names;
    }
    std::vector<Notice> notices;
};

QString readName(QWidget* widget)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->text(QAccessible::Name) : QStringLiteral("<no interface>");
}

// On Linux desktops a combo box is read as its label, found through the
// relation, then its text.
QString readLabel(QWidget* widget)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    const auto labels = iface ? iface->relations(QAccessible::Label) : decltype(iface->relations()){};
    return labels.isEmpty() ? QStringLiteral("<no label>") : labels.first().first->text(QAccessible::Name);
}

QString readDescription(QWidget* widget)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->text(QAccessible::Description) : QStringLiteral("<no interface>");
}

// The controls a user reaches or reads: the window's own, not the inner parts
// of a calendar or a combo box, nor frames drawn for decoration.
std::vector<QWidget*> controlsOf(QWidget* window)
{
    std::vector<QWidget*> controls;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const QString name = widget->objectName();
        if (name.isEmpty() || name.startsWith(u"qt_") || widget->window() != window)
            continue;
        const bool informative = qobject_cast<QLabel*>(widget) || qobject_cast<QGroupBox*>(widget) ||
                                 qobject_cast<QAbstractScrollArea*>(widget) || qobject_cast<QCalendarWidget*>(widget);
        if (informative || widget->focusPolicy() != Qt::NoFocus)
            controls.push_back(widget);
    }
    return controls;
}

// The controls Tab visits, from the first one given.
QStringList tabStops(QWidget* window, const QString& first)
{
    QStringList stops;
    QWidget* widget = window;
    do {
        widget = widget->nextInFocusChain();
        const QString name = widget->objectName();
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled() && widget->isVisibleTo(window) &&
            !name.isEmpty() && !name.startsWith(u"qt_"))
            stops << name;
    } while (widget != window);
    const qsizetype start = stops.indexOf(first);
    return start < 0 ? stops : stops.mid(start) + stops.first(start);
}
} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installProgramFont(); }
    void everyControlIsNamedAndDescribed_data();
    void everyControlIsNamedAndDescribed();
    void namesSayWhatEachFieldIsFor_data();
    void namesSayWhatEachFieldIsFor();
    void boxesAreLabelled_data();
    void boxesAreLabelled();
    void namesFollowALanguageChange();
    void namesFollowWhatTheUserChanges();
    void descriptionsFollowTheAmountTooltip();
    void resultsAreReadOutWhenTheyChange();
    void tabOrder();
};

void TestAccessibility::everyControlIsNamedAndDescribed_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("en") << "en";
    QTest::newRow("fr") << "fr";
    QTest::newRow("nl") << "nl";
}

void TestAccessibility::everyControlIsNamedAndDescribed()
{
    QFETCH(QString, language);
    ProgramWindows windows(language);
    QStringList faults;
    int seen = 0;
    for (QWidget* window : windows.all()) {
        for (QWidget* control : controlsOf(window)) {
            ++seen;
            const QString where = window->objectName() + u'.' + control->objectName();
            if (readName(control).trimmed().isEmpty())
                faults << where + QStringLiteral(": no name");
            if (readDescription(control) != control->toolTip())
                faults << where + QStringLiteral(": description \"%1\", tooltip \"%2\"")
                                      .arg(readDescription(control), control->toolTip());
        }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    QVERIFY2(seen > 60, "the walk found too few controls");
}

void TestAccessibility::namesSayWhatEachFieldIsFor_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("window"); // index into ProgramWindows::all()
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    enum
    {
        Main,
        Report,
        User,
        About,
        Calendar,
        Currency
    };
    QTest::newRow("en: arrival field by its label") << "en" << int(Main) << "Text1_1"
                                                    << "Arrival Kms";
    QTest::newRow("fr: start field by its label") << "fr" << int(Main) << "Text1_0"
                                                  << "Kms Départ";
    QTest::newRow("nl: amount field by its label") << "nl" << int(Main) << "Text1_3"
                                                   << "Betaald bedrag";
    QTest::newRow("en: distance with its heading") << "en" << int(Main) << "Label1_0"
                                                   << "Total Kilometers: 650 Kms";
    QTest::newRow("fr: consumption with its heading") << "fr" << int(Main) << "Label1_1"
                                                      << "Moyenne Consommation: 06,15 Litres / 100 Kms";
    QTest::newRow("nl: picture by its tooltip") << "nl" << int(Main) << "Image1"
                                                << "Betreffende...";
    QTest::newRow("en: total average panel") << "en" << int(Main) << "Panel3"
                                             << "No saved data";
    QTest::newRow("fr: save button by its caption") << "fr" << int(Main) << "Command2"
                                                    << "Sauvegarder";
    QTest::newRow("nl: data frame by its title") << "nl" << int(Main) << "Frame1"
                                                 << "Gegevens";
    QTest::newRow("en: report box") << "en" << int(Report) << "Text1"
                                    << "Average";
    QTest::newRow("nl: report box") << "nl" << int(Report) << "Text1"
                                    << "Gemiddelde";
    QTest::newRow("en: calendar by the chosen date") << "en" << int(Calendar) << "MonthView1"
                                                     << "Saturday 05 December 2026";
    QTest::newRow("fr: about card by its names") << "fr" << int(About) << "Image1"
                                                 << "Tankometer: Remo Vastelli";
    QTest::newRow("en: rate with column and currency") << "en" << int(Currency) << "Text2_2"
                                                       << "Exchange Rate 1 €: USD";
    QTest::newRow("fr: option with its currency") << "fr" << int(Currency) << "Option1_1"
                                                  << "Devise: CHF";
    QTest::newRow("fr: Euro option") << "fr" << int(Currency) << "Option1_0"
                                     << "Devise: Euro";
    QTest::newRow("nl: unnamed row by its column") << "nl" << int(Currency) << "Text4_4"
                                                   << "Wisselkoers";
    QTest::newRow("en: instruction by its text")
        << "en" << int(Currency) << "Text3"
        << "Enter the currency name in the left column and the exchange rate corresponding to 1 € in the central "
           "column";
}

void TestAccessibility::namesSayWhatEachFieldIsFor()
{
    QFETCH(QString, language);
    QFETCH(int, window);
    QFETCH(QString, control);
    QFETCH(QString, name);
    ProgramWindows windows(language);
    auto* widget = windows.all().at(window)->findChild<QWidget*>(control);
    QVERIFY(widget);
    QCOMPARE(readName(widget), name);
}

void TestAccessibility::boxesAreLabelled_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("label");
    QTest::newRow("nl: user box") << "nl"
                                  << "Combo1"
                                  << "Gebruikersnaam";
    QTest::newRow("fr: language box") << "fr"
                                      << "Combo2"
                                      << "Language - Langue - Taal";
    QTest::newRow("en: arrival field") << "en"
                                       << "Text1_1"
                                       << "Arrival Kms";
}

void TestAccessibility::boxesAreLabelled()
{
    QFETCH(QString, language);
    QFETCH(QString, control);
    QFETCH(QString, label);
    ProgramWindows windows(language);
    QWidget* window =
        control.startsWith(u"Combo") ? static_cast<QWidget*>(windows.userWindow.get()) : windows.main.get();
    auto* widget = window->findChild<QWidget*>(control);
    QVERIFY(widget);
    QCOMPARE(readLabel(widget), label);
    QCOMPARE(widget->accessibleName(), label);
}

void TestAccessibility::namesFollowALanguageChange()
{
    TestSupport::Environment env("en", 0, "Anna");
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* arrival = form.findChild<QWidget*>("Text1_1");
    QCOMPARE(readName(arrival), QStringLiteral("Arrival Kms"));
    Module1::LangOfs = 2;
    form.Form_Activate();
    QCOMPARE(readName(arrival), QStringLiteral("Kms Aankomst"));
    QCOMPARE(readDescription(arrival), QStringLiteral("... of Totaal aantal kilometers"));
    QCOMPARE(readName(form.Label1[0]), QStringLiteral("Totaal Aantal Kilometers: Geen afstand in omloop"));
}

void TestAccessibility::namesFollowWhatTheUserChanges()
{
    ProgramWindows windows("en");
    auto* name = windows.currency->findChild<QLineEdit*>("Text1_4");
    QTest::keyClicks(name, "JPY");
    QCOMPARE(readName(windows.currency->findChild<QWidget*>("Option1_4")), QStringLiteral("Currency: JPY"));
    QCOMPARE(readName(windows.currency->findChild<QWidget*>("Text2_4")), QStringLiteral("Exchange Rate 1 €: JPY"));
    QCOMPARE(readName(windows.currency->findChild<QWidget*>("Text4_4")), QStringLiteral("Curency Rate: JPY"));

    windows.calendar->MonthView1_DateClick(QDate(2026, 12, 24));
    QCOMPARE(readName(windows.calendar->findChild<QWidget*>("MonthView1")),
             QStringLiteral("Thursday 24 December 2026"));
}

void TestAccessibility::descriptionsFollowTheAmountTooltip()
{
    TestSupport::Environment env("en", 0, "Anna");
    env.put("Devises", "Dev2", "USD");
    env.put("Devises", "Taux2", "1.16064");
    env.put("Devises", "TauxBis2", "0.861594");
    env.put("Anna", "CurDev", "2");
    env.put("Anna", "AffCurrMess", "False");
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* amount = form.findChild<QLineEdit*>("Text1_3");
    auto* caption = form.findChild<QLabel*>("Label1_7");
    QCOMPARE(readDescription(amount), QStringLiteral("Paid amount in USD"));
    QTest::keyClicks(amount, "50");
    QCOMPARE(readDescription(amount), QStringLiteral("Paid amount in USD -  43.08 €"));
    QCOMPARE(readDescription(caption), QStringLiteral("Paid amount in USD -  43.08 €"));
    QCOMPARE(readName(amount), QStringLiteral("Paid amount"));
    auto* currency = form.findChild<QPushButton*>("Command9");
    QCOMPARE(readDescription(currency), QStringLiteral("USD: Actual Exchange Rate for 1 € = 1.16064"));
}

void TestAccessibility::resultsAreReadOutWhenTheyChange()
{
    TestSupport::Environment env("en", 0, "Anna");
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    Recorder recorder;
    QTest::keyClicks(form.Text1[0], "10000");
    QTest::keyClicks(form.Text1[1], "10650");
    QCOMPARE(recorder.namesFor("Label1_0").last(), QStringLiteral("Total Kilometers: 650 Kms"));
    QTest::keyClicks(form.Text1[2], "40");
    QCOMPARE(recorder.namesFor("Label1_1").last(), QStringLiteral("Average Consumption: 06.15 Liters / 100 Kms"));

    // A keystroke that leaves a result as it was is not read out again.
    const qsizetype distanceNotices = recorder.namesFor("Label1_0").size();
    QTest::keyClicks(form.Text1[3], "60");
    QCOMPARE(recorder.namesFor("Label1_0").size(), distanceNotices);

    QVERIFY(recorder.namesFor("Panel3").isEmpty());
    QTest::mouseClick(form.findChild<QPushButton*>("Command2"), Qt::LeftButton);
    QCOMPARE(recorder.namesFor("Panel3"), QStringList{"06.15 Liters / 100 Kms"});
    for (const Recorder::Notice& notice : recorder.notices)
        QCOMPARE(notice.type, QAccessible::NameChanged);
}

void TestAccessibility::tabOrder()
{
    ProgramWindows windows("fr");
    QCOMPARE(tabStops(windows.main.get(), "Text1_1"),
             (QStringList{"Text1_1", "Text1_2", "Text1_3", "Command2", "Command1", "Text1_0", "Command3", "Command4",
                          "Command7", "Command8", "Command9"}));
    QCOMPARE(tabStops(windows.userWindow.get(), "Combo1"), (QStringList{"Combo1", "Combo2", "Command1"}));
    QCOMPARE(tabStops(windows.report.get(), "Command1"), (QStringList{"Command1", "Text1"}));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
