// The calendar and the main window's date it writes.
#include "TestSupport.h"

#include "accessories/Form6.h"
#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "frame/Module1.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace
{
QString longDate(QWidget* form)
{
    return form->findChild<QLabel*>("Label1")->text();
}

// Clicks a day of the page on show, as the user does. Days 14 to 22 appear once on every page.
void clickDay(QWidget* form, int day)
{
    auto* view = form->findChild<QTableView*>("qt_calendar_calendarview");
    for (int row = 1; row < view->model()->rowCount(); ++row)
        for (int col = 0; col < view->model()->columnCount(); ++col) {
            const QModelIndex index = view->model()->index(row, col);
            if (index.data().toInt() == day)
                return QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
        }
    QFAIL("day not on the page");
}
} // namespace

class TestCalendar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installProgramFont(); }

    // Unreadable dates start at today (the fake clock says 5 December 2026); closing without a click
    // leaves the main window's date as it was.
    void opensOnTheMainDate_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("mainDate");
        QTest::addColumn<QString>("longDate");
        QTest::newRow("en: 17 March 2027") << "en"
                                           << "17 March 2027"
                                           << "Wednesday 17 March 2027";
        QTest::newRow("nl: 17 maart 2027") << "nl"
                                           << "17 maart 2027"
                                           << "woensdag 17 maart 2027";
        QTest::newRow("fr: an English date is today") << "fr"
                                                      << "17 March 2027"
                                                      << "samedi 05 décembre 2026";
        QTest::newRow("en: empty is today") << "en"
                                            << ""
                                            << "Saturday 05 December 2026";
        QTest::newRow("en: before 1753 is today") << "en"
                                                  << "05 March 1700"
                                                  << "Saturday 05 December 2026";
    }

    void opensOnTheMainDate()
    {
        QFETCH(QString, locale);
        QFETCH(QString, mainDate);
        TestSupport::Environment env(locale);
        QLabel label(mainDate);
        Form6 form(&label);
        form.show();
        QCOMPARE(form.windowTitle(), QString("Tankometer - Anna - v1.0.43"));
        QTEST(longDate(&form), "longDate");
        auto* calendar = form.findChild<QCalendarWidget*>("MonthView1");
        QCOMPARE(calendar->minimumDate(), QDate(1753, 1, 1));
        QCOMPARE(calendar->maximumDate(), QDate(9999, 12, 31));
        form.close();
        QCOMPARE(label.text(), mainDate);
    }

    void everyClickWritesTheMainDate_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("expected"); // main and long date after the 18th, then after the 21st
        QTest::newRow("en") << "en"
                            << QStringList{"18 December 2026", "Friday 18 December 2026", "21 December 2026",
                                           "Monday 21 December 2026"};
        QTest::newRow("fr: French month names") << "fr"
                                                << QStringList{"18 décembre 2026", "vendredi 18 décembre 2026",
                                                               "21 décembre 2026", "lundi 21 décembre 2026"};
    }

    void everyClickWritesTheMainDate()
    {
        QFETCH(QString, locale);
        TestSupport::Environment env(locale);
        QLabel label(FormatPattern(QDate(2026, 12, 5), u"dd mmmm yyyy"));
        Form6 form(&label);
        form.show();
        QStringList shown;
        for (int day : {18, 21}) {
            clickDay(&form, day);
            shown << label.text() << longDate(&form);
        }
        QTEST(shown, "expected");
        form.findChild<QPushButton*>("Command1")->click();
        QVERIFY(!form.isVisible());
        QCOMPARE(label.text(), shown[2]);
    }

    // The button and the date label open it modally; the main window is activated again after.
    void theMainWindowOpensIt_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("calendar button") << "Command8";
        QTest::newRow("date label") << "Label1_8";
    }

    void theMainWindowOpensIt()
    {
        QFETCH(QString, control);
        TestSupport::Environment env("en");
        Form1 form1;
        form1.show();
        QString shownDate;
        TestSupport::inNextModal(&form1, [&](QWidget* modal) {
            QVERIFY(qobject_cast<Form6*>(modal));
            shownDate = longDate(modal);
            clickDay(modal, 16);
            Module1::CurUser = "Bert";
        });
        QTest::mouseClick(form1.findChild<QWidget*>(control), Qt::LeftButton);
        QCOMPARE(shownDate, QString("Saturday 05 December 2026"));
        QCOMPARE(form1.Label1[8]->text(), QString("16 December 2026"));
        QCOMPARE(form1.windowTitle(), QString("Tankometer - Bert - v1.0.43"));
    }
};

QTEST_MAIN(TestCalendar)
#include "tst_calendar.moc"
