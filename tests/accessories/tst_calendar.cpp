#include "TestSupport.h"

#include "accessories/Form6.h"
#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "frame/Module1.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace
{
QCalendarWidget* calendarOf(QWidget* form)
{
    return form->findChild<QCalendarWidget*>(QStringLiteral("MonthView1"));
}

QString longDate(QWidget* form)
{
    return form->findChild<QLabel*>(QStringLiteral("Label1"))->text();
}

// Clicks a day of the page on show, as the user does. Days 14 to 22 appear
// once on every page.
void clickDay(QWidget* form, int day)
{
    auto* view = calendarOf(form)->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
    for (int row = 1; row < view->model()->rowCount(); ++row)
        for (int col = 0; col < view->model()->columnCount(); ++col) {
            const QModelIndex index = view->model()->index(row, col);
            if (index.data().toInt() == day) {
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
                return;
            }
        }
    QFAIL("day not on the page");
}
} // namespace

class TestCalendar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installProgramFont(); }

    void opensOnTheMainDate_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("mainDate");
        QTest::addColumn<QDate>("selected");
        QTest::addColumn<QString>("longDate");
        QTest::newRow("en: 17 March 2027") << "en"
                                           << "17 March 2027" << QDate(2027, 3, 17) << "Wednesday 17 March 2027";
        QTest::newRow("fr: 17 mars 2027") << "fr"
                                          << "17 mars 2027" << QDate(2027, 3, 17) << "mercredi 17 mars 2027";
        QTest::newRow("nl: 17 maart 2027") << "nl"
                                           << "17 maart 2027" << QDate(2027, 3, 17) << "woensdag 17 maart 2027";
        // Unreadable dates start at today (the fake clock says 5 December 2026).
        QTest::newRow("fr: an English date is today")
            << "fr"
            << "17 March 2027" << QDate(2026, 12, 5) << "samedi 05 décembre 2026";
        QTest::newRow("en: empty is today") << "en"
                                            << "" << QDate(2026, 12, 5) << "Saturday 05 December 2026";
        QTest::newRow("en: before 1753 is today")
            << "en"
            << "05 March 1700" << QDate(2026, 12, 5) << "Saturday 05 December 2026";
    }

    void opensOnTheMainDate()
    {
        QFETCH(QString, locale);
        QFETCH(QString, mainDate);
        TestSupport::Environment env(locale, 0, QStringLiteral("Anna"));
        QLabel label(mainDate);
        Form6 form(&label);
        form.show();
        QCOMPARE(form.windowTitle(), QStringLiteral("Tankometer - Anna - v1.0.43"));
        QTEST(calendarOf(&form)->selectedDate(), "selected");
        QTEST(longDate(&form), "longDate");
        QCOMPARE(label.text(), mainDate);
        QCOMPARE(calendarOf(&form)->minimumDate(), QDate(1753, 1, 1));
        QCOMPARE(calendarOf(&form)->maximumDate(), QDate(9999, 12, 31));
    }

    void everyClickWritesTheMainDate_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("expected"); // main date and long date after the 18th, then after the 21st
        QTest::newRow("en") << "en"
                            << QStringList{"18 December 2026", "Friday 18 December 2026", "21 December 2026",
                                           "Monday 21 December 2026"};
        QTest::newRow("fr: French month names") << "fr"
                                                << QStringList{"18 décembre 2026", "vendredi 18 décembre 2026",
                                                               "21 décembre 2026", "lundi 21 décembre 2026"};
        QTest::newRow("nl") << "nl"
                            << QStringList{"18 december 2026", "vrijdag 18 december 2026", "21 december 2026",
                                           "maandag 21 december 2026"};
    }

    void everyClickWritesTheMainDate()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, expected);
        TestSupport::Environment env(locale);
        QLabel label(FormatPattern(QDate(2026, 12, 5), u"dd mmmm yyyy"));
        Form6 form(&label);
        form.show();
        clickDay(&form, 18);
        QCOMPARE(label.text(), expected[0]);
        QCOMPARE(longDate(&form), expected[1]);
        clickDay(&form, 21);
        QCOMPARE(label.text(), expected[2]);
        QCOMPARE(longDate(&form), expected[3]);
        form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        QVERIFY(!form.isVisible());
        QCOMPARE(label.text(), expected[2]);
    }

    void enterOnADateChoosesIt()
    {
        TestSupport::Environment env("en");
        QLabel label(QStringLiteral("05 December 2026"));
        Form6 form(&label);
        form.show();
        auto* view = calendarOf(&form)->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
        QTest::keyClick(view, Qt::Key_Right);
        QCOMPARE(label.text(), QStringLiteral("05 December 2026"));
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(label.text(), QStringLiteral("06 December 2026"));
    }

    void closingWithoutAClickChangesNothing_data()
    {
        QTest::addColumn<bool>("byCloseBox");
        QTest::newRow("OK") << false;
        QTest::newRow("close box") << true;
    }

    void closingWithoutAClickChangesNothing()
    {
        QFETCH(bool, byCloseBox);
        TestSupport::Environment env("en");
        QLabel label(QStringLiteral("17 March 2027"));
        Form6 form(&label);
        form.show();
        if (byCloseBox)
            form.close();
        else
            QTest::keyClick(form.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::Key_Space);
        QVERIFY(!form.isVisible());
        QCOMPARE(label.text(), QStringLiteral("17 March 2027"));
    }

    // The main window's button and its date label both open the calendar
    // modally; the main window is activated again when it closes.
    void theMainWindowOpensItModally_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("calendar button") << "Command8";
        QTest::newRow("date label") << "Label1_8";
    }

    void theMainWindowOpensItModally()
    {
        QFETCH(QString, control);
        TestSupport::Environment env("en", 0, QStringLiteral("Anna"));
        Form1 form1;
        form1.show();
        QString shownDate;
        QTimer::singleShot(0, this, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!qobject_cast<Form6*>(modal)) {
                if (modal)
                    modal->close();
                return;
            }
            shownDate = longDate(modal);
            clickDay(modal, 16);
            Module1::CurUser = QStringLiteral("Bert");
            modal->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        });
        QTest::mouseClick(form1.findChild<QWidget*>(control), Qt::LeftButton);
        QCOMPARE(shownDate, QStringLiteral("Saturday 05 December 2026"));
        QCOMPARE(form1.Label1[8]->text(), QStringLiteral("16 December 2026"));
        QCOMPARE(form1.windowTitle(), QStringLiteral("Tankometer - Bert - v1.0.43"));
    }
};

QTEST_MAIN(TestCalendar)
#include "tst_calendar.moc"
