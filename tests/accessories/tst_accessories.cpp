// The accessory windows: the calendar and the date it writes into the main
// window, the about card opened from the main window's picture, and the
// program's pictures.
#include "TestSupport.h"

#include "accessories/Form4.h"
#include "accessories/Form6.h"
#include "accessories/Pictures.h"
#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "frame/Module1.h"

#include <QCalendarWidget>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
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

class TestAccessories : public QObject
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
        const auto row = [](const char* name, const char* locale, const char* mainDate, const char* longDate) {
            QTest::newRow(name) << QString(locale) << QString(mainDate) << QString(longDate);
        };
        row("en: 17 March 2027", "en", "17 March 2027", "Wednesday 17 March 2027");
        row("fr: an English date is today", "fr", "17 March 2027", "samedi 05 décembre 2026");
        row("en: empty is today", "en", "", "Saturday 05 December 2026");
        row("en: before 1753 is today", "en", "05 March 1700", "Saturday 05 December 2026");
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

    // Borderless, framed, the picture filling it and the two teal names on it.
    void theCard()
    {
        TestSupport::Environment env("en");
        Form4 form;
        form.show();
        QVERIFY(form.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(form.findChild<QLabel*>("Image1")->geometry(), QRect(0, 0, 372, 270));
        QCOMPARE(form.Label1[0]->text() + " / " + form.Label1[1]->text(), QString("Tankometer / Remo Vastelli"));
        QVERIFY(form.Label1[1]->y() > form.Label1[0]->geometry().bottom());
        for (QLabel* label : form.Label1)
            QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 128, 128));
        const QImage shot = form.grab().toImage();
        QVERIFY(shot.pixelColor(0, 135) == Qt::black && shot.pixelColor(371, 135) == Qt::black);
    }

    // The main window hides while the card is open and is activated again when it closes.
    void openedFromTheMainWindow_data()
    {
        QTest::addColumn<float>("langOfs");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("en") << 0.f << "Click to close...";
        QTest::newRow("fr") << 1.f << "Cliquez pour fermer...";
        QTest::newRow("nl") << 2.f << "Klikken om af te sluiten...";
    }

    void openedFromTheMainWindow()
    {
        QFETCH(float, langOfs);
        TestSupport::Environment env("en", langOfs);
        Form1 form1;
        form1.show();
        bool mainHidden = false, rightClickIgnored = false;
        QString tooltip;
        TestSupport::inNextModal(&form1, [&](QWidget* card) {
            mainHidden = qobject_cast<Form4*>(card) && !form1.isVisible();
            tooltip = card->findChild<QLabel*>("Image1")->toolTip();
            Module1::CurUser = "Bert";
            // Through the window, as the desktop delivers it, so the name on the picture lets it through.
            const QPoint name = card->findChild<QWidget*>("Label1_0")->geometry().center();
            QTest::mouseClick(card->windowHandle(), Qt::RightButton, {}, name);
            rightClickIgnored = card->isVisible();
            QTest::mouseClick(card->windowHandle(), Qt::LeftButton, {}, name);
        });
        QTest::mouseClick(form1.findChild<QLabel*>("Image1"), Qt::LeftButton);
        QVERIFY(mainHidden && rightClickIgnored);
        QTEST(tooltip, "tooltip");
        QVERIFY(form1.isVisible());
        QCOMPARE(form1.windowTitle(), QString("Tankometer - Bert - v1.0.43"));
    }

    // Drawn, not blank, at every size they are shown at.
    void thePicturesAndTheIcon_data()
    {
        QTest::addColumn<QString>("resource"); // empty: the program icon
        QTest::addColumn<QSize>("size");
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("about, as drawn") << Pictures::About << QSize(370, 268) << 1.0;
        QTest::newRow("main, on the window at 1.5x") << Pictures::Main << QSize(131, 92) << 1.5;
        for (int side : {16, 32, 48, 64, 128, 256})
            QTest::addRow("icon, %d px", side) << QString() << QSize(side, side) << 1.0;
    }

    void thePicturesAndTheIcon()
    {
        QFETCH(QString, resource);
        QFETCH(QSize, size);
        QFETCH(qreal, ratio);
        const QPixmap pixmap =
            resource.isEmpty() ? programIcon().pixmap(size, 1.0) : Pictures::render(resource, size, ratio);
        const QImage image = pixmap.toImage();
        QCOMPARE(image.size(), (QSizeF(size) * ratio).toSize());
        int drawn = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                drawn += image.pixelColor(x, y) != QColor(Qt::white) && image.pixelColor(x, y).alpha() > 0;
        QVERIFY(drawn > image.width() * image.height() / 5);
        // The pictures on white, the icon a teal tile.
        const QColor corner =
            image.pixelColor(resource.isEmpty() ? size.width() / 2 : 1, resource.isEmpty() ? size.height() * 3 / 4 : 1);
        QVERIFY2(resource.isEmpty() ? corner.green() > corner.red() + 40 : corner == Qt::white,
                 qPrintable(corner.name()));
    }

    void aMissingPictureIsNull()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("none.svg"));
        QVERIFY(Pictures::render(":/pictures/none.svg", QSize(10, 10), 1).isNull());
    }
};

QTEST_MAIN(TestAccessories)
#include "tst_accessories.moc"
