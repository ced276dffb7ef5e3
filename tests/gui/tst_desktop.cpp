// The windows on a desktop set up as people set theirs up: a dark palette, a
// font of 11 pt, the desktop's own language.
#include "WindowSupport.h"

#include "gui/base/Appearance.h"
#include "gui/base/Colours.h"
#include "gui/mainwindow/Form1.h"
#include "gui/records/FillUpChart.h"
#include "gui/records/Form2.h"
#include "gui/users/Form3.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTextCursor>
#include <QToolTip>

using WindowSupport::Environment;

namespace
{
// Light words on dark faces: window, base, button.
QPalette darkPalette()
{
    const QColor light(235, 235, 235), dark(40, 40, 40);
    return QPalette(light, dark, light, dark, dark, light, light, QColor(25, 25, 25), dark);
}
} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QApplication::setFont(QFont(QApplication::font().family(), 11));
        installProgramLook();
    }

    // Light: the specified colours exactly. Dark: the same hues, each with a
    // contrast of 4.5 or more on its background; black becomes the text's.
    void coloursReadable_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light palette") << false;
        QTest::newRow("dark palette") << true;
    }

    void coloursReadable()
    {
        QFETCH(bool, dark);
        QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
        Environment env;
        env.putRecords("05 December 2026;06.15;60;");
        Form1 form(env.context());
        Form2 report(env.context());
        WindowSupport::show(&form);
        WindowSupport::show(&report);
        const QColor window = form.palette().color(QPalette::Window);
        const QColor base = report.palette().color(QPalette::Base);
        const QColor black(Qt::black), maroon = Colours::Maroon, teal = Colours::Teal;
        const auto chart = report.findChild<FillUpChart*>("FillUpChart");
        const auto series = chart->chart()->series();
        const auto label = [&form](const char* name) {
            auto* control = WindowSupport::child(form, QString::fromLatin1(name));
            return control->palette().color(control->foregroundRole());
        };
        QTextCursor run(report.findChild<QPlainTextEdit*>("Text1")->document());
        run.setPosition(14); // in " Tankometer: Version 1.0.43", the first teal run
        // what is drawn, what was specified, on what
        const std::tuple<const char*, QColor, QColor, QColor> drawn[] = {
            {"Frame1", label("Frame1"), maroon, window},
            {"Label1_2", label("Label1_2"), teal, window},
            {"Label1_6", label("Label1_6"), teal, window},
            {"Label1_0", label("Label1_0"), black, window},
            {"Label1_1", label("Label1_1"), maroon, window},
            {"Label1_8", label("Label1_8"), maroon, window},
            {"Label2", label("Label2"), maroon, window},
            {"report", run.charFormat().foreground().color(), teal, base},
            {"chart", static_cast<QLineSeries*>(series[0])->color(), teal, chart->chart()->backgroundBrush().color()},
            {"chart's words", chart->chart()->axes()[0]->labelsColor(), report.palette().color(QPalette::Text),
             chart->chart()->backgroundBrush().color()}};
        QApplication::setPalette(QApplication::style()->standardPalette());
        for (const auto& [name, shown, specified, ground] : drawn) {
            if (!dark) {
                QCOMPARE(std::pair(name, shown), std::pair(name, specified));
                continue;
            }
            QVERIFY2(Colours::contrast(shown, ground) >= 4.5, name);
            QVERIFY2(shown.hslHue() == specified.hslHue() || specified == black, name);
        }
    }

    // The desktop's 11 pt where the layout is free, what the main window's
    // lines hold there, 8.25 pt or more; a caption too long for its place
    // ends in "…" and its tooltip holds it whole.
    void fontsFollowTheDesktop()
    {
        Environment env;
        Form1 form(env.context());
        Form2 report(env.context());
        WindowSupport::show(&form);
        WindowSupport::show(&report);
        QCOMPARE(report.font().pointSizeF(), 11.0);
        QVERIFY(form.font().pointSizeF() >= 8.25 && form.font().pointSizeF() < 11);
        for (const QLabel* line : form.findChildren<QLabel*>(QRegularExpression("^Label1_")))
            QVERIFY2(line->fontMetrics().height() <= line->height(), qPrintable(line->objectName()));
        auto* caption = WindowSupport::child<QLabel>(form, "Label1_3");
        caption->setText("Arrival kilometres on the odometer");
        caption->grab();
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), caption->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(caption, &help);
        QCOMPARE(QToolTip::text(), "Arrival kilometres on the odometer\n... or total kilometers");
    }

    // Qt's own words speak the language chosen, and change with it; the user
    // window of a store without users offers the first of the desktop's
    // languages that the program speaks.
    void desktopLanguage_data()
    {
        QTest::addColumn<QStringList>("desktop");
        QTest::addColumn<int>("offered");
        QTest::addColumn<QString>("cancel"); // Qt's Cancel button in that language
        QTest::newRow("fr-BE: French") << QStringList{"fr-BE", "fr"} << 1 << "Annuler";
        QTest::newRow("de, then nl: Dutch") << QStringList{"de-DE", "nl"} << 2 << "Annuleren";
        QTest::newRow("de alone: English") << QStringList{"de-DE", "de"} << 0 << "Cancel";
    }

    void desktopLanguage()
    {
        QFETCH(QStringList, desktop);
        Environment env;
        env.context().setDesktopLanguage(::desktopLanguage(desktop));
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        Form3 form(env.context());
        WindowSupport::show(&form);
        QTEST(WindowSupport::child<QComboBox>(form, "Combo2")->currentIndex(), "offered");
        QTEST(buttons.button(QDialogButtonBox::Cancel)->text(), "cancel");
        env.context().setLanguage(0);
        QTRY_COMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), "Cancel");
    }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
