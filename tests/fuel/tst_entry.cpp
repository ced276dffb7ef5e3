// The entry fields of the main window as a user types into them.
#include "frame/Appearance.h"
#include "frame/Form1.h"

#include "TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace
{
QWidget* focused()
{
    return QApplication::focusWidget();
}
} // namespace

class TestEntry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installProgramFont(); }

    // Enter moves from field to field, ending on the save button or, while it is off, on the exit button.
    void enterMovesThroughTheFieldsAndSaves()
    {
        TestSupport::Environment env;
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(focused(), form.Text1[1]);
        QTest::keyClick(focused(), Qt::Key_Return);
        QTest::keyClick(focused(), Qt::Key_Enter);
        QCOMPARE(focused(), form.Text1[3]);
        QTest::keyClick(focused(), Qt::Key_Return);
        QCOMPARE(focused()->objectName(), QString("Command1"));
        form.Text1[0]->setFocus();
        QTest::keyClick(form.Text1[0], Qt::Key_Return);
        QCOMPARE(focused(), form.Text1[0]);

        form.Text1[1]->setFocus();
        for (const char* typed : {"650", "40", "60"}) {
            QTest::keyClicks(focused(), typed);
            QTest::keyClick(focused(), Qt::Key_Return);
        }
        QCOMPARE(focused()->objectName(), QString("Command2"));
        QTest::keyClick(focused(), Qt::Key_Return);
        QCOMPARE(env.get("Anna", "Tanko1"), QString("06.15"));
    }

    // A distance error takes the consumption and the save button with it.
    void typedResultsFollowEachKey()
    {
        TestSupport::Environment env("fr", 1);
        Form1 form;
        form.show();
        QTest::keyClicks(form.Text1[0], "10000");
        QTest::keyClicks(form.Text1[1], "10650");
        QTest::keyClicks(form.Text1[2], "40");
        QCOMPARE(form.Label1[0]->text() + " / " + form.Label1[1]->text(), QString(" 650 Kms / 06,15 Litres / 100 Kms"));
        QVERIFY(form.findChild<QPushButton*>("Command2")->isEnabled());
        QTest::keyClick(form.Text1[1], Qt::Key_Backspace);
        QCOMPARE(form.Label1[0]->text() + " / " + form.Label1[1]->text(), QString("Aucune distance valide / "));
        QVERIFY(!form.findChild<QPushButton*>("Command2")->isEnabled());
    }

    void amountTooltips_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("factor"); // of USD; empty keeps the Euro
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("Euro") << "en"
                              << ""
                              << "60"
                              << "Paid amount in €";
        QTest::newRow("USD 46.80 at 0.8") << "en"
                                          << "0.8"
                                          << "46.80"
                                          << "Paid amount in USD -  37.44 €";
        QTest::newRow("USD with the amount emptied") << "en"
                                                     << "0.8"
                                                     << ""
                                                     << "Paid amount in USD";
        QTest::newRow("nl: USD 46,80 at 0,8") << "nl"
                                              << "0,8"
                                              << "46,80"
                                              << "Betaald bedrag in USD -  37.44 €";
    }

    void amountTooltips()
    {
        QFETCH(QString, locale);
        QFETCH(QString, factor);
        QFETCH(QString, amount);
        TestSupport::Environment env(locale, locale == u"nl" ? 2 : 0);
        // The tooltip names the currency the store names.
        env.put("Anna", "CurDev", "2");
        env.put("Devises", "Dev2", factor.isEmpty() ? "" : "USD");
        Form1 form;
        form.show();
        if (!factor.isEmpty()) {
            form.CurDevName = "USD";
            form.CurRateBis = Mixed(factor);
        }
        QTest::keyClicks(form.Text1[3], "1");
        form.Text1[3]->setText(amount);
        QTEST(form.Text1[3]->toolTip(), "tooltip");
        QTEST(form.Label1[7]->toolTip(), "tooltip");
    }

    void unreadableAmountShowsError_data()
    {
        QTest::addColumn<QString>("factor"); // of USD; empty keeps the Euro
        QTest::addColumn<QString>("amount");
        QTest::newRow("abc") << ""
                             << "abc";
        QTest::newRow("USD without a readable factor") << "x"
                                                       << "10";
    }

    void unreadableAmountShowsError()
    {
        QFETCH(QString, factor);
        QFETCH(QString, amount);
        TestSupport::Environment env;
        Form1 form;
        form.show();
        if (!factor.isEmpty()) {
            form.CurDevName = "USD";
            form.CurRateBis = Mixed(factor);
        }
        QTest::keyClicks(form.Text1[1], "650");
        QTest::keyClicks(form.Text1[2], "40");
        QTest::keyClicks(form.Text1[3], amount);
        QCOMPARE(form.Label1[1]->text(), QString("Error"));
        QVERIFY(!form.findChild<QPushButton*>("Command2")->isEnabled());
        // The next readable change clears it.
        form.Text1[3]->clear();
        QCOMPARE(form.Label1[1]->text(), QString("06.15 Liters / 100 Kms"));
    }
};

QTEST_MAIN(TestEntry)
#include "tst_entry.moc"
