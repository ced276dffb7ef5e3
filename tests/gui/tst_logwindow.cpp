// The report window's log and chart by keyboard: a correction through the
// editor, a removal after its confirmation, undo and redo, another
// program's change, the chart; each read back from the file.
#include "WindowSupport.h"

#include "gui/mainwindow/Form1.h"
#include "gui/records/FillUpChart.h"
#include "gui/records/Form2.h"

#include <QApplication>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

namespace
{
void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
}

// From Close, Tab to the tabs, the arrow keys to the tab, Tab into it.
void toTab(int tab, QWidget* window = nullptr)
{
    if (window) {
        WindowSupport::show(window);
        window->activateWindow();
        QTRY_VERIFY(window->isActiveWindow());
    }
    key(Qt::Key_Tab);
    for (int i = 0; i < tab; ++i)
        key(Qt::Key_Right);
    key(Qt::Key_Tab);
}

// The file's values of the keys "TotEntry Date1 ...".
QString stored(const TestSupport::Environment& env, const QString& keys)
{
    QStringList out;
    for (const QString& key : keys.split(u' '))
        out << env.stored("Anna", key);
    return out.join(u'|');
}
} // namespace

class TestLogWindow : public QObject
{
    Q_OBJECT

private slots:
    // Enter on the second fill-up, saved before distances were kept: its
    // distance typed, the editor asks for the litres; those typed, Enter: the
    // file, the averages and, back in the main window, the total average.
    void correct()
    {
        WindowSupport::Environment env("fr", 1);
        env.putRecords("05 janvier 2004;07,45;45,5|20 janvier 2004;08,05;50,00");
        Form1 main(env.context());
        WindowSupport::show(&main);
        QString averages, asked;
        WindowSupport::inNextModal(&main, [&](QWidget* modal) {
            toTab(1);
            key(Qt::Key_Down);
            WindowSupport::inNextModal(modal, [&](QWidget* editor) {
                QTest::keyClicks(QApplication::focusWidget(), "650");
                // A distance alone would take the fill-up out of the averages: OK waits for the litres.
                key(Qt::Key_Return);
                asked = WindowSupport::child<QLabel>(*editor, "Result")->text();
                QVERIFY(editor->isVisible() && !WindowSupport::child<QPushButton>(*editor, "OkButton")->isEnabled());
                key(Qt::Key_Tab);
                QTest::keyClicks(QApplication::focusWidget(), "40");
                key(Qt::Key_Return);
            });
            key(Qt::Key_Return);
            // The offscreen platform gives the report no focus back by itself.
            modal->activateWindow();
            QTRY_VERIFY(QApplication::focusWidget());
            key(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
            averages = WindowSupport::child<QPlainTextEdit>(*modal, "Text1")->toPlainText().section(u'\n', 6, 6);
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        QTest::mouseClick(main.findChild<QWidget*>("Command3"), Qt::LeftButton);
        QCOMPARE(asked,
                 "Ce plein n'a pas de litres : tapez les litres achetés, sinon la nouvelle distance le retirerait "
                 "des moyennes.");
        QCOMPARE(stored(env, "Tanko2 Kms2 Ltrs2"), "06,15|650|40");
        QCOMPARE(averages, " 20 janvier 2004 - 06,15 Litres / 100 Kms - Tot: 50 €");
        QCOMPARE(main.findChild<QLabel*>("Panel3")->text(), "06,80 Litres / 100 Kms");
    }

    // Delete asks first and names the fill-up; Ctrl+Z puts it back, Ctrl+Shift+Z
    // removes it again. Another program's change is shown at the next activation
    // and no undo overwrites it.
    void removeUndoRedo()
    {
        WindowSupport::Environment env("nl", 2);
        env.putRecords("05 januari 2004;07,45;45,5|20 januari 2004;08,05;50|03 februari 2004;06,90;0");
        Form2 report(env.context());
        toTab(1, &report);
        key(Qt::Key_Down);
        env.messages.answer = [](const QString&) { return 1; };
        key(Qt::Key_Delete);
        QCOMPARE(stored(env, "TotEntry Date1 Date2 Date3"), "3|05 januari 2004|20 januari 2004|03 februari 2004");
        env.messages.answer = [](const QString&) { return 0; };
        key(Qt::Key_Delete);
        QCOMPARE(env.messages.shown.back().text,
                 "Tankbeurt nr. 2 van 20 januari 2004 verwijderen? [Verwijderen|Annuleren]");
        QCOMPARE(stored(env, "TotEntry Date1 Date2 Date3"), "2|05 januari 2004|03 februari 2004|<absent>");
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(stored(env, "TotEntry Date1 Date2 Date3"), "3|05 januari 2004|20 januari 2004|03 februari 2004");
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(stored(env, "TotEntry Date1 Date2 Date3"), "2|05 januari 2004|03 februari 2004|<absent>");
        QVERIFY(report.findChild<QPushButton*>("UndoButton")->toolTip().startsWith("Ongedaan maken (Ctrl+Z"));
        QVERIFY(report.findChild<QPushButton*>("RedoButton")->toolTip().contains("Ctrl+Shift+Z"));

        SettingsStore other(env.storePath());
        QVERIFY(other.open() && other.saveAll({{"Anna", "TotEntry", "3"}, {"Anna", "Date3", "09 maart 2004"}}));
        QApplication::setActiveWindow(nullptr);
        QApplication::setActiveWindow(&report);
        QTRY_COMPARE(report.findChild<QTableView*>("FillUpLog")->model()->rowCount(), 3);
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(stored(env, "TotEntry Date1 Date2 Date3"), "3|05 januari 2004|03 februari 2004|09 maart 2004");
    }

    // On a server, another program's save shows while the log is open, told by the server.
    void anotherProgramsSaveShowsAtOnce()
    {
        TANKO_NEEDS(TestSupport::Stores[1]);
        WindowSupport::Environment env("en", 0, "Anna", TestSupport::Stores[1]);
        env.putRecords("05 January 2004;07.45;45.5");
        Form2 report(env.context());
        toTab(1, &report);
        QAbstractItemModel* log = report.findChild<QTableView*>("FillUpLog")->model();
        QCOMPARE(log->rowCount(), 1);
        SettingsStore other(env.location());
        QVERIFY(other.open() && other.saveAll({{"Anna", "TotEntry", "2"}, {"Anna", "Date2", "09 March 2004"}}));
        QTRY_COMPARE(log->rowCount(), 2);
    }

    // The chart tab: each fill-up, the months' averages and amounts, the axes
    // titled in the user's language and numbered in their notation; without
    // a fill-up, a sentence instead.
    void chartShown_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("records");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("axisLabel"); // one of the labels on the axes
        QTest::newRow("en") << "en"
                            << "05 January 2004;07.45;45.5|20 January 2004;08.05;50|03 February 2004;06.90;0|x;06.00;10"
                            << "Fill-ups=3|Monthly Average=2|Paid amount in €=2|Date|Average Consumption (l/100 km)|"
                               "Paid amount in €"
                            << "0.0";
        QTest::newRow("fr: 10,0") << "fr"
                                  << "05 janvier 2004;07,45;45,5"
                                  << "Pleins=1|Moyenne mensuelle=1|Montant payé en €=1|Date|"
                                     "Moyenne Consommation (l/100 km)|Montant payé en €"
                                  << "0,0";
        QTest::newRow("nl: no fill-up") << "nl"
                                        << ""
                                        << "Nog geen tankbeurten om te tekenen."
                                        << "";
    }

    void chartShown()
    {
        QFETCH(QString, locale);
        QFETCH(QString, records);
        WindowSupport::Environment env(locale, int(QStringList{"en", "fr", "nl"}.indexOf(locale)));
        env.putRecords(records);
        Form2 report(env.context());
        toTab(2, &report);
        auto* view = report.findChild<FillUpChart*>(QStringLiteral("FillUpChart"));
        QStringList shown;
        for (QAbstractSeries* series : view->chart()->series())
            shown << series->name() + u'=' + QString::number(static_cast<QLineSeries*>(series)->count());
        for (QAbstractAxis* axis : view->chart()->axes())
            shown << axis->titleText();
        auto* sentence = view->findChild<QLabel*>("EmptyChart");
        QTEST(sentence->isVisible() ? sentence->text() : shown.join(u'|'), "shown");
        QStringList labels{""}; // and the words drawn on the chart
        for (QGraphicsItem* item : view->scene()->items())
            if (auto* text = dynamic_cast<QGraphicsTextItem*>(item);
                text && text->isVisible() && !text->toPlainText().isEmpty())
                labels << text->toPlainText();
        QFETCH(QString, axisLabel);
        QVERIFY2(labels.contains(axisLabel) && (axisLabel.isEmpty() == (labels.size() == 1)),
                 qPrintable(labels.join(u' ')));
    }

    // It opens as wide as every column of the log and its totals on one line,
    // within the screen, and where and as large as the user last left it.
    void opensWideAndWhereLeft()
    {
        WindowSupport::Environment env("fr", 1);
        env.putRecords("05 janvier 2004;07,45;45,5|20 janvier 2004;08,05;50,00");
        {
            Form2 report(env.context());
            toTab(1, &report);
            auto* log = report.findChild<QTableView*>("FillUpLog");
            auto* totals = report.findChild<QLabel*>("Totals");
            QVERIFY(!log->horizontalScrollBar()->isVisible());
            QVERIFY(totals->heightForWidth(totals->width()) < 2 * totals->fontMetrics().lineSpacing());
            QVERIFY(report.screen()->availableGeometry().contains(report.frameGeometry()));
            QCOMPARE(env.stored("Anna", "ReportPlace"), "<absent>");
            report.move(30, 40);
            report.resize(700, 420);
            report.close();
        }
        QCOMPARE(env.stored("Anna", "ReportPlace"), "30 40 700 420");
        Form2 again(env.context());
        WindowSupport::show(&again);
        QCOMPARE(QRect(again.pos(), again.size()), QRect(30, 40, 700, 420));
    }
};

QTEST_MAIN(TestLogWindow)
#include "tst_logwindow.moc"
