#include "ProgramWindows.h"

#include "frame/Accessibility.h"
#include "frame/Appearance.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QCalendarWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace
{
// Keeps what a screen reader would read at each notice: object name, then its name.
class Recorder : public Accessibility::Announcer
{
public:
    Recorder() { Accessibility::setAnnouncer(this); }
    ~Recorder() override { Accessibility::setAnnouncer(nullptr); }
    void announce(QAccessibleEvent& event) override
    {
        QVERIFY(event.type() == QAccessible::NameChanged);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(event.object());
        notices << event.object()->objectName() + u'=' + (iface ? iface->text(QAccessible::Name) : QString());
    }
    QStringList notices;
};

QString readText(QWidget* widget, QAccessible::Text which = QAccessible::Name)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->text(which) : QStringLiteral("<no interface>");
}

// On Linux desktops a combo box is read as its label, found through the relation.
QString readLabel(QWidget* widget)
{
    const auto labels = QAccessible::queryAccessibleInterface(widget)->relations(QAccessible::Label);
    return labels.isEmpty() ? QStringLiteral("<no label>") : labels.first().first->text(QAccessible::Name);
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
        if (qobject_cast<QLabel*>(widget) || qobject_cast<QGroupBox*>(widget) ||
            qobject_cast<QAbstractScrollArea*>(widget) || qobject_cast<QCalendarWidget*>(widget) ||
            widget->focusPolicy() != Qt::NoFocus)
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
    void everyControlIsNamed_data();
    void everyControlIsNamed();
    void namesFollowWhatChanges();
    void resultsAreReadOutWhenTheyChange();
    void tabOrder();
};

void TestAccessibility::everyControlIsNamed_data()
{
    // Window.control=name: one row per naming rule, each language once at least.
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("en") << "en"
                        << QStringList{"Form1.Text1_1=Arrival Kms", "Form1.Label1_0=Total Kilometers: 650 Kms",
                                       "Form6.MonthView1=Saturday 05 December 2026",
                                       "Form7.Text2_2=Exchange Rate 1 €: USD"};
    QTest::newRow("fr") << "fr"
                        << QStringList{"Form1.Label1_1=Moyenne Consommation: 06,15 Litres / 100 Kms",
                                       "Form4.Image1=Tankometer: Remo Vastelli", "Form7.Option1_0=Devise: Euro",
                                       "Form3.Combo2=Language - Langue - Taal"};
    QTest::newRow("nl") << "nl"
                        << QStringList{"Form1.Text1_3=Betaald bedrag", "Form1.Image1=Betreffende...",
                                       "Form2.Text1=Gemiddelde", "Form7.Text4_4=Wisselkoers",
                                       "Form3.Combo1=Gebruikersnaam"};
}

void TestAccessibility::everyControlIsNamed()
{
    QFETCH(QString, language);
    QFETCH(QStringList, names);
    ProgramWindows windows(language);
    QStringList unnamed;
    int seen = 0;
    for (QWidget* window : windows.all())
        for (QWidget* control : controlsOf(window))
            if (++seen && readText(control).trimmed().isEmpty())
                unnamed << window->objectName() + u'.' + control->objectName();
    QCOMPARE(unnamed, QStringList());
    QVERIFY2(seen > 60, "the walk found too few controls");

    QStringList read;
    for (const QString& row : names) {
        const QStringList where = row.section(u'=', 0, 0).split(u'.');
        QWidget* control = nullptr;
        for (QWidget* window : windows.all())
            if (window->objectName() == where[0])
                control = window->findChild<QWidget*>(where[1]);
        QVERIFY2(control, qPrintable(row));
        // A box is read through the label tied to it.
        const QString name = qobject_cast<QComboBox*>(control) ? readLabel(control) : readText(control);
        read << row.section(u'=', 0, 0) + u'=' + name;
    }
    QCOMPARE(read, names);
}

void TestAccessibility::namesFollowWhatChanges()
{
    ProgramWindows windows("en");
    QTest::keyClicks(windows.currency->findChild<QLineEdit*>("Text1_4"), "JPY");
    windows.calendar->MonthView1_DateClick(QDate(2026, 12, 24));
    QStringList names;
    for (const char* name : {"Option1_4", "Text2_4", "Text4_4"})
        names << readText(windows.currency->findChild<QWidget*>(name));
    names << readText(windows.calendar->findChild<QWidget*>("MonthView1"));
    QCOMPARE(names, (QStringList{"Currency: JPY", "Exchange Rate 1 €: JPY", "Curency Rate: JPY",
                                 "Thursday 24 December 2026"}));

    Module1::LangOfs = 2;
    windows.main->Form_Activate();
    QWidget* arrival = windows.main->Text1[1];
    QCOMPARE((QStringList{readText(arrival), readText(arrival, QAccessible::Description),
                          readText(windows.main->Label1[0])}),
             (QStringList{"Kms Aankomst", "... of Totaal aantal kilometers", "Totaal Aantal Kilometers: 650 Kms"}));
}

void TestAccessibility::resultsAreReadOutWhenTheyChange()
{
    ProgramWindows windows("en");
    Form1& form = *windows.main;
    for (QLineEdit* field : form.Text1)
        field->clear();
    Recorder recorder;
    // A keystroke that leaves a result as it was is not read out again.
    for (int i = 0; i < 4; ++i)
        QTest::keyClicks(form.Text1[i], QStringList{"10000", "10650", "40", "60"}[i]);
    QCOMPARE(recorder.notices.filter("Label1_0=").last(), QStringLiteral("Label1_0=Total Kilometers: 650 Kms"));
    QCOMPARE(recorder.notices.filter("Label1_1=").last(),
             QStringLiteral("Label1_1=Average Consumption: 06.15 Liters / 100 Kms"));
    QCOMPARE(recorder.notices.filter("=Total Kilometers: 650 Kms").size(), 1);
    QVERIFY(recorder.notices.filter("Panel3=").isEmpty());
    QTest::mouseClick(form.findChild<QPushButton*>("Command2"), Qt::LeftButton);
    QCOMPARE(recorder.notices.filter("Panel3="), QStringList{"Panel3=06.15 Liters / 100 Kms"});
}

void TestAccessibility::tabOrder()
{
    ProgramWindows windows("fr");
    QCOMPARE(tabStops(windows.userWindow.get(), "Combo1"), (QStringList{"Combo1", "Combo2", "Command1"}));
    QCOMPARE(tabStops(windows.report.get(), "Command1"), (QStringList{"Command1", "Text1"}));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
