#include "frame/Module1.h"
#include "fuel/FuelCalc.h"

#include "TestSupport.h"

#include <QTest>

class TestFuelCalc : public QObject
{
    Q_OBJECT

private slots:
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
};

QTEST_GUILESS_MAIN(TestFuelCalc)
#include "tst_fuelcalc.moc"
