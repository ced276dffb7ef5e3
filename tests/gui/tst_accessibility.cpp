// The windows as a screen reader reads them, and on a small screen: every
// control named once per window, results told once per change, the blink and
// the clock quiet, every window inside an 800 px screen at twice the density.
#include "WindowSupport.h"

#include "gui/accessories/Form4.h"
#include "gui/accessories/Form6.h"
#include "gui/base/Appearance.h"
#include "gui/currency/Form7.h"
#include "gui/mainwindow/Form1.h"
#include "gui/platform/DesktopServices.h"
#include "gui/records/Form2.h"
#include "gui/users/Form3.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace
{
// What a screen reader reads as the control's name; a combo box is read as its label.
QString readName(QWidget* control)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control);
    const auto labels = iface->relations(QAccessible::Label);
    if (!qobject_cast<QComboBox*>(control))
        return iface->text(QAccessible::Name);
    return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
}

// Every window shown in one language, the main window with a fill-up typed.
struct Windows
{
    explicit Windows(const QString& language)
        : env(language, int(QStringList{"en", "fr", "nl"}.indexOf(language)), u"Anna"_s)
    {
        WindowSupport::putUser(env, u"Anna"_s, env.context().language());
        for (QWidget* window : all())
            WindowSupport::show(window);
        for (int i = 1; i < 4; ++i)
            field(i)->setText(QStringList{"", "650", "40", "60"}[i]);
    }
    std::vector<QWidget*> all() { return {&main, &report, &currency, &calendar, &about, &user}; }
    QLineEdit* field(int i) { return WindowSupport::child<QLineEdit>(main, u"Text1_%1"_s.arg(i)); }
    WindowSupport::Environment env;
    Form1 main{env.context()};
    Form2 report{env.context(), &main};
    Form7 currency{env.context(), &main};
    Form6 calendar{env.context(), WindowSupport::child<QLabel>(main, u"Label1_8"_s)->text(), &main};
    Form4 about{env.context()};
    Form3 user{env.context()};
};
} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installProgramFont(); }

    // Each window is read as a frame or a dialog with its title; each control
    // it holds by a name no other control of the window has.
    void everyControlIsNamedOnce_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("names"); // window.control=name
        QTest::newRow("en") << "en"
                            << QStringList{"Form1.Text1_1=Arrival Kms",
                                           "Form1.Label1_0=Total Kilometers: 650 Kms",
                                           "Form1.Image1=About...",
                                           "Form7.Text2_2=Exchange Rate 1 €, row 3",
                                           "Form7.Option1_2=Current currency, row 3: USD",
                                           "Form6.MonthView1=Saturday 05 December 2026",
                                           "Form6.qt_calendar_prevmonth=Previous month"};
        QTest::newRow("fr") << "fr"
                            << QStringList{"Form1.Label1_1=Moyenne Consommation: 06,15 Litres / 100 Kms",
                                           "Form7.Text1_3=Devise, ligne 4",
                                           "Form3.Combo2=Language - Langue - Taal",
                                           "Form2.Text1=Moyennes",
                                           "Form2.qt_tabwidget_tabbar=Pages du rapport",
                                           "Form6.qt_calendar_calendarview=Jours du mois"};
        QTest::newRow("nl") << "nl"
                            << QStringList{"Form1.Text1_3=Betaald bedrag",
                                           "Form7.Text4_5=Wisselkoers, rij 6",
                                           "Form7.Option1_0=Huidige munteenheid, rij 1: Euro",
                                           "Form3.Combo1=Gebruikersnaam",
                                           "Form1.Panel3=Geen enkele waarde opgeslagen",
                                           "Form6.qt_calendar_nextmonth=Volgende maand",
                                           "Form6.qt_calendar_yearedit=Jaar"};
    }

    void everyControlIsNamedOnce()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, names);
        Windows windows(language);
        // Qt's inner parts, but for those a reader meets as controls of their own.
        static const QRegularExpression qtInner(u"\\.qt_(?!calendar_|tabwidget_tabbar)"_s);
        QStringList faults;
        QHash<QString, QString> read; // window.control -> name
        int controls = 0;
        for (QWidget* window : windows.all()) {
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(window);
            const auto role = qobject_cast<QDialog*>(window) ? QAccessible::Dialog : QAccessible::Window;
            if (iface->role() != role || iface->text(QAccessible::Name) != window->windowTitle())
                faults << window->objectName() + u" is read as role %1"_s.arg(iface->role());
            QStringList seen;
            for (QWidget* control : window->findChildren<QWidget*>()) {
                const QString where = window->objectName() + u'.' + control->objectName(), name = readName(control);
                if (control->window() != window || control->objectName().isEmpty() || where.contains(qtInner))
                    continue;
                read[where] = name;
                if (control->focusPolicy() == Qt::NoFocus)
                    continue;
                ++controls;
                if (name.trimmed().isEmpty() || seen.contains(name))
                    faults << where + u" is read '"_s + name + u'\'';
                seen << name;
            }
        }
        QCOMPARE(faults, QStringList());
        QVERIFY2(controls > 40, "the walk found too few controls");
        QStringList shown;
        for (const QString& row : names)
            shown << row.section(u'=', 0, 0) + u'=' + read.value(row.section(u'=', 0, 0), u"<none>"_s);
        QCOMPARE(shown, names);
        QCOMPARE(QAccessible::queryAccessibleInterface(windows.main.findChild<QWidget*>("Image1"))->role(),
                 QAccessible::Button);
    }

    // A message box with buttons of the program's own, made while a screen
    // reader listens: each is read as a button by its caption and can be pressed.
    void messageBoxButtonsArePressable()
    {
        QAccessible::setActive(true);
        QObject owner;
        QStringList read;
        WindowSupport::inNextModal(&owner, [&read](QWidget* box) {
            for (QAbstractButton* button : box->findChildren<QAbstractButton*>()) {
                QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(button);
                const QAccessibleActionInterface* actions = iface->actionInterface();
                const bool pressable =
                    actions && actions->actionNames().contains(QAccessibleActionInterface::pressAction());
                read << u"%1 %2 %3"_s.arg(iface->role())
                            .arg(iface->text(QAccessible::Name), pressable ? u"pressable"_s : u"-"_s);
            }
        });
        Platform::desktopServices().messages->ask(nullptr, u"Delete fill-up no. 1?"_s, {u"Delete"_s, u"Cancel"_s},
                                                  Platform::Exclamation, u"Tankometer"_s);
        QAccessible::setActive(false);
        QCOMPARE(read, (QStringList{u"43 Delete pressable"_s, u"43 Cancel pressable"_s}));
    }

    // Each result is told once when it changes and never when it stays; an
    // activation that changes no caption tells nothing. A foreign currency
    // blinks and the clock ticks; neither tells anything nor moves the focus.
    void resultsAreToldOncePerChange()
    {
        WindowSupport::Environment env;
        env.put(u"Devises"_s, u"Dev2"_s, u"USD"_s);
        env.put(u"Anna"_s, u"CurDev"_s, u"2"_s);
        env.put(u"Anna"_s, u"AffCurrMess"_s, u"False"_s);
        Form1 form(env.context());
        WindowSupport::show(&form);
        const auto field = [&form](int i) { return WindowSupport::child<QLineEdit>(form, u"Text1_%1"_s.arg(i)); };
        env.announcer.said.clear();
        QTest::keyClicks(field(1), u"650"_s);
        QTest::keyClicks(field(2), u"40"_s);
        QTest::keyClicks(field(3), u"60"_s);
        QTest::mouseClick(form.findChild<QWidget*>("Command2"), Qt::LeftButton);
        WindowSupport::activateAgain(&form);
        field(1)->setFocus();
        QCOMPARE(
            env.announcer.said,
            (QStringList{"Label1_0=Total Kilometers: 6 Kms", "Label1_0=Total Kilometers: 65 Kms",
                         "Label1_0=Total Kilometers: 650 Kms", "Label1_1=Average Consumption: 00.62 Liters / 100 Kms",
                         "Label1_1=Average Consumption: 06.15 Liters / 100 Kms",
                         // Saving empties the fields one by one.
                         "Label1_0=Total Kilometers: No valid distance", "Label1_1=Average Consumption",
                         "Panel3=06.15 Liters / 100 Kms", "Label1_1=Average Consumption: Amount impossible",
                         "Label1_1=Average Consumption"}));
        env.announcer.said.clear();
        env.clock.current = env.clock.current.addSecs(60);
        // The blink hides the name by its colour.
        auto* label2 = WindowSupport::child<QLabel>(form, u"Label2"_s);
        QTRY_VERIFY(label2->styleSheet().contains(u"transparent"));
        QTRY_VERIFY(!label2->styleSheet().contains(u"transparent"));
        QTRY_COMPARE(form.findChild<QWidget*>("Panel2")->property("text").toString(), u"09:31"_s);
        QVERIFY(label2->isVisible() && QApplication::focusWidget() == field(1));
        QCOMPARE(env.announcer.said, QStringList());
    }

    // At twice the density an 800 px screen holds 400 px: each window opens
    // inside it, at its own size where that fits, its controls still in order.
    void windowsFitTheScreen()
    {
        Windows windows("en");
        const QRect screen = windows.main.screen()->availableGeometry();
        QCOMPARE(screen.size() * windows.main.devicePixelRatio(), QSize(800, 800));
        for (QWidget* window : windows.all())
            QVERIFY2(screen.contains(window->frameGeometry()), qPrintable(window->objectName()));
        QCOMPARE(windows.user.size(), QSize(347, 122));
        QCOMPARE(windows.about.size(), QSize(372, 318));
        windows.main.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &windows.main);
        windows.field(1)->setFocus();
        QStringList order;
        for (int i = 0; i < 15; ++i) {
            order << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order, (QStringList{"Text1_1", "Text1_2", "Text1_3", "Command2", "Command1", "Text1_0", "Command3",
                                     "Command4", "Command5", "Command6", "Command7", "Command8", "Command9", "Image1",
                                     "Text1_1"}));
    }
};

int main(int argc, char* argv[])
{
    // Read when the application starts: the offscreen screen of 800 x 800
    // pixels then holds 400 x 400 of the program's.
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestAccessibility test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_accessibility.moc"
