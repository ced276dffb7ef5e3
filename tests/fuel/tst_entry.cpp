// The distance and consumption calculation, and the entry fields of the main
// window as a user types into them.
#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "fuel/FuelCalc.h"

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

    void results_data()
    {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<float>("langOfs");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("distance");
        QTest::addColumn<QString>("consumption");
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("conso");

        auto row = [](const char* name, const char* loc, float lang, QStringList fields, QString distance,
                      QString consumption, bool save, QString conso) {
            QTest::newRow(name) << QString::fromLatin1(loc) << lang << fields << distance << consumption << save
                                << conso;
        };
        row("F: 10000 to 10650, 40 l, 60", "en", 0, {"10000", "10650", "40", "60"}, " 650 Kms",
            "06.15 Liters / 100 Kms", true, "06.15");
        row("F: arrival alone is the total distance", "en", 0, {"", "650", "40", ""}, " 650 Kms",
            "06.15 Liters / 100 Kms", true, "06.15");
        row("A: arrival below departure with litres and amount", "en", 0, {"10650", "10000", "40", "60"},
            "No valid distance", "Amount impossible", false, "0");
        row("B: only the amount", "en", 0, {"", "", "", "60"}, "No valid distance", "Amount impossible", true, "0");
        row("C: nothing typed", "en", 0, {"", "", "", ""}, "No valid distance", "", false, "0");
        row("D: distance and amount, no litres", "en", 0, {"", "650", "", "60"}, " 650 Kms", "", true, "0");
        row("1 km is singular", "en", 0, {"", "1", "", ""}, " 1 Km", "", false, "0");
        row("E: exactly one litre per 100 km is singular", "en", 0, {"", "100", "1", ""}, " 100 Kms",
            "01.00 Liter / 100 Kms", true, "01.00");
        row("F: below one litre is plural", "en", 0, {"", "100", "0.5", ""}, " 100 Kms", "00.50 Liters / 100 Kms", true,
            "00.50");
        row("0.004 l over 100 km rounds to 00.00 and counts as none", "en", 0, {"", "100", "0.004", ""}, " 100 Kms", "",
            false, "00.00");
        // A fresh window has no distance yet: the consumption is impossible and saving stays off.
        row("departure abc", "en", 0, {"abc", "650", "40", "60"}, "Error", "Amount impossible", false, "0");
        row("nl: departure abc, amount only", "nl", 2, {"abc", "", "", "60"}, "Vergissing", "Berekening onmogelijk",
            false, "0");
        row("litres abc", "en", 0, {"", "650", "abc", "60"}, " 650 Kms", "Error", false, "0");
        row("fr: grouped readings and a comma", "fr", 1, {"10 000", "10 650", "40,5", "60"}, " 650 Kms",
            "06,23 Litres / 100 Kms", true, "06,23");
        row("fr: 12.5 litres is no number", "fr", 1, {"", "650", "12.5", "60"}, " 650 Kms", "Erreur", false, "0");
        row("nl: the point groups thousands", "nl", 2, {"", "1.650", "40", ""}, " 1650 Kms", "02,42 Liters / 100 Kms",
            true, "02,42");
    }

    void results()
    {
        QFETCH(QString, localeName);
        QFETCH(float, langOfs);
        QFETCH(QStringList, fields);
        QFETCH(QString, distance);
        QFETCH(QString, consumption);
        QFETCH(bool, save);
        QFETCH(QString, conso);
        TestSupport::Environment env(localeName, langOfs);
        FuelValues values;
        const EntryTexts texts{fields[0], fields[1], fields[2], fields[3]};
        const CaptionOutcome kms = CalcKms(values, texts);
        QVERIFY(kms.caption);
        QCOMPARE(*kms.caption, distance);
        const CaptionOutcome ltrs = CalLtrs(values, texts, *kms.caption);
        QCOMPARE(ltrs.caption.value_or(QStringLiteral("<kept>")), consumption);
        QCOMPARE(ltrs.saveEnabled && !ltrs.failed && !kms.failed, save);
        QCOMPARE(values.Conso.toText(), conso);
    }

    void distanceBelowOneKeepsTheCaption()
    {
        TestSupport::Environment env;
        FuelValues values;
        const EntryTexts texts{"10000", "10000.5", "40", ""};
        QVERIFY(!CalcKms(values, texts).caption);
        QCOMPARE(values.TotKms.toNumber(), 0.5);
        QCOMPARE(*CalLtrs(values, texts, QStringLiteral(" 650 Kms")).caption,
                 QStringLiteral("8000.00 Liters / 100 Kms"));
    }

    void failedReadKeepsEarlierValues()
    {
        TestSupport::Environment env;
        FuelValues values;
        CalcKms(values, {"100", "750", "", ""});
        CalLtrs(values, {"100", "750", "39", ""}, QString());
        QCOMPARE(values.TotKms.toNumber(), 650.0);
        // Only the arrival fails: the departure takes its new value, the distance stays.
        QVERIFY(CalcKms(values, {"200", "x", "39", ""}).failed);
        QCOMPARE(values.KmsDep.toNumber(), 200.0);
        QCOMPARE(values.TotKms.toNumber(), 650.0);
        QVERIFY(CalLtrs(values, {"200", "x", "y", ""}, QStringLiteral("Error")).failed);
        QCOMPARE(values.Conso.toText(), QStringLiteral("06.00"));
    }

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
