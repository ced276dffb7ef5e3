// The total average of the status bar.
#include "records/FillUp.h"

#include "TestSupport.h"

#include <QTest>

class TestTotalAverage : public QObject
{
    Q_OBJECT

private slots:
    void panel_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("count"); // "" leaves it unwritten
        QTest::addColumn<QStringList>("consumptions");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<double>("moyTot");
        const auto row = [](const char* name, const char* locale, const char* count, const QStringList& consumptions,
                            const char* expected, double moyTot) {
            QTest::newRow(name) << QString(locale) << QString(count) << consumptions << QString(expected) << moyTot;
        };
        row("records without consumption are left out", "en", "3", {"06.15", "05.91", "00.00"},
            "06.03 Liters / 100 Kms", 6.03);
        row("exactly one is singular", "en", "1", {"01.00"}, "01.00 Liter / 100 Kms", 1.0);
        row("below one has no unit", "en", "1", {"00.50"}, "0.5", 0.5);
        row("fr: below one has no unit", "fr", "1", {"00,50"}, "0,5", 0.5);
        row("a new user", "en", "", {}, "No saved data", 0.0);
        row("no record has a consumption", "en", "2", {"00.00", "00.00"}, "No saved data", 0.0);
        // The average is written in the user's notation, not read back from a "." text.
        row("fr: 06,03", "fr", "2", {"06,15", "05,91"}, "06,03 Litres / 100 Kms", 6.03);
        row("nl: 06,03, not 603,00", "nl", "2", {"06,15", "05,91"}, "06,03 Liters / 100 Kms", 6.03);
        row("an unreadable consumption is skipped", "en", "3", {"06.15", "x", "05.91"}, "06.03 Liters / 100 Kms", 6.03);
        row("fr: point texts from another locale are skipped", "fr", "2", {"06.15", "08,00"}, "08,00 Litres / 100 Kms",
            8.0);
        row("count abc", "en", "abc", {"06.15"}, "No saved data", 0.0);
        row("count beyond 32 bits", "en", "99999999999", {"06.15"}, "No saved data", 0.0);
        row("a huge count reads the records there are", "en", "2000000000", {"06.00", "08.00"},
            "07.00 Liters / 100 Kms", 7.0);
    }

    void panel()
    {
        QFETCH(QString, locale);
        QFETCH(QString, count);
        QFETCH(QStringList, consumptions);
        TestSupport::Environment env(locale, locale == u"fr" ? 1 : locale == u"nl" ? 2 : 0, "Anna");
        if (!count.isEmpty())
            env.put("Anna", "TotEntry", count);
        for (int i = 0; i < consumptions.size(); ++i)
            env.put("Anna", QStringLiteral("Tanko%1").arg(i + 1), consumptions[i]);
        // Another user's records never count.
        env.put("Paul", "TotEntry", "1");
        env.put("Paul", "Tanko1", "50");
        const TotalAverage average = ComputeTotalAverage(env.store(), "Anna");
        QTEST(average.text, "expected");
        QTEST(average.MoyTot, "moyTot");
    }
};

QTEST_GUILESS_MAIN(TestTotalAverage)
#include "tst_totalaverage.moc"
