// The averages report as text (body lines, month groups, averages, amounts,
// header, no-data form, bold and teal runs) and the status bar's total average.
#include "TestSupport.h"

#include "records/FillUp.h"
#include "records/Report.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>

namespace
{
const QString kWorkedExample = "05 January 2004;07.45;45.5|20 January 2004;08.05;50;77.5 CHF|"
                               "03 February 2004;06.90;0|18 February 2004;00.00;30";
const QString kPaulHeaderRuns = "B:Tankometer | T:Version 1.0.43\n | B:Author | T:Remo Vastelli | B:User | T:Paul";

// A store in that locale and its language holding the records of `user` (none written when null).
struct World
{
    World(const QString& locale, const QString& user, const QString& records = QString())
        : env(locale,
              locale == u"fr"   ? 1
              : locale == u"nl" ? 2
                                : 0,
              user)
    {
        if (!records.isNull())
            TestSupport::putRecords(env, user, records);
    }
    TestSupport::Environment env;
};

// The styled runs as the characters they cover, in the order they are applied.
QString styled(const Report& report)
{
    QStringList runs;
    for (const ReportRun& run : report.runs)
        runs << (run.style == ReportRun::Bold ? "B:" : "T:") + report.text.mid(run.start, run.length);
    return runs.join(" | ");
}
} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleComesOutExactly()
    {
        World world("en", "Paul", kWorkedExample);
        const QString body = " 05 January 2004 - 07.45 Liters / 100 Kms - Tot: 45.5 €\r\n"
                             " 20 January 2004 - 08.05 Liters / 100 Kms - Tot: 50 € (77.5 CHF)\r\n\r\n"
                             "- Monthly Average: 07.750 Liters / 100 Kms - Tot: 95.5 €\r\n\r\n"
                             " 03 February 2004 - 06.90 Liters / 100 Kms\r\n 18 February 2004 - Tot: 30 €\r\n\r\n"
                             "- Monthly Average: 06.900 Liters / 100 Kms - Tot: 30 €\r\n\r\n"
                             "- Total Average: 07.467 Liters / 100 Kms - Tot: 125.5 €";
        const Report report = BuildReport(&world.env.store(), "Paul");
        QCOMPARE(report.text, " Tankometer: Version 1.0.43\n Author: Remo Vastelli\n\n User: Paul\n\n" + body + "\r\n");
        QStringList places;
        for (const ReportRun& run : report.runs)
            places << QStringLiteral("%1+%2").arg(run.start).arg(run.length);
        const qsizetype l = report.text.size();
        QCOMPARE(places.join(u' '),
                 QStringLiteral("1+10 13+15 29+6 37+13 53+4 59+4 %1+55 %2+6 %3+5").arg(l - 57).arg(l - 40).arg(l - 9));
        QCOMPARE(styled(report), kPaulHeaderRuns + " | B:- Total Average: 07.467 Liters / 100 Kms - Tot: 125.5 € | "
                                                   "T:07.467 | T:125.5");
    }

    void body_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("records");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* locale, const char* records, const char* expected) {
            QTest::newRow(name) << QString(locale) << QString(records) << QString(expected);
        };
        // Expected lines in short: "|" breaks the line, "M " and "T " open the monthly and the total
        // average line, "~" is the unit " Liters / 100 Kms".
        row("en: January 2004 and January 2005 share one month line", "en",
            "05 January 2004;07.00;10|07 January 2005;09.00;20",
            " 05 January 2004 - 07.00~ - Tot: 10 €| 07 January 2005 - 09.00~ - Tot: 20 €||M 08.000~ - Tot: 30 €||"
            "T 08.000~ - Tot: 30 €");
        row("en: one month split by another gives two month lines", "en",
            "03 May 2004;06.00;0|10 June 2004;07.00;0|20 May 2004;08.00;0",
            " 03 May 2004 - 06.00~||M 06.000~|| 10 June 2004 - 07.00~||M 07.000~|| 20 May 2004 - 08.00~||M 08.000~||"
            "T 07.000~");
        row("en: a month of consumptions 00.00 gets 00.000 and its amount", "en",
            "01 October 2004;06.00;10|05 November 2004;00.00;20|06 November 2004;00.00;0",
            " 01 October 2004 - 06.00~ - Tot: 10 €||M 06.000~ - Tot: 10 €|| 05 November 2004 - Tot: 20 €|"
            " 06 November 2004||M 00.000~ - Tot: 20 €||T 06.000~ - Tot: 30 €");
        row("en: last month without amount after one with: no blank line before the total", "en",
            "01 August 2004;06.00;40|01 September 2004;07.00;0;0 USD",
            " 01 August 2004 - 06.00~ - Tot: 40 €||M 06.000~ - Tot: 40 €|| 01 September 2004 - 07.00~ (0 USD)||"
            "M 07.000~|T 06.500~ - Tot: 40 €");
        row("en: averages between 0 and 1 write no average line, the amounts stay", "en", "01 May 2004;00.50;10",
            " 01 May 2004 - 00.50~ - Tot: 10 €| - Tot: 10 €|| - Tot: 10 €");
        row("en: amounts add up as written, 0.1 + 0.2 is 0.3", "en", "01 May 2004;06.00;0.1|02 May 2004;06.00;0.2",
            " 01 May 2004 - 06.00~ - Tot: 0.1 €| 02 May 2004 - 06.00~ - Tot: 0.2 €||M 06.000~ - Tot: 0.3 €||"
            "T 06.000~ - Tot: 0.3 €");
        row("en: unreadable consumption and amount count as 0, the lines keep their dates", "en",
            "01 June 2004;abc;12|02 June 2004;06.00;x1",
            " 01 June 2004 - Tot: 12 €| 02 June 2004 - 06.00~||M 06.000~ - Tot: 12 €||T 06.000~ - Tot: 12 €");
        row("fr: 07,45 reads as 7.45 and the averages are written 07,750", "fr",
            "05 janvier 2004;07,45;45,5|20 janvier 2004;08,05;50;77.5 CHF",
            " 05 janvier 2004 - 07,45 Litres / 100 Kms - Tot: 45,5 €|"
            " 20 janvier 2004 - 08,05 Litres / 100 Kms - Tot: 50 € (77.5 CHF)||"
            "- Moyenne mensuelle: 07,750 Litres / 100 Kms - Tot: 95,5 €||- Moyenne Totale: 07,750 Litres / 100 Kms - "
            "Tot: 95,5 €");
    }

    void body()
    {
        QFETCH(QString, locale);
        QFETCH(QString, records);
        QFETCH(QString, expected);
        World world(locale, "Anna", records);
        QStringList lines = expected.replace(u'~', " Liters / 100 Kms").split(u'|');
        for (QString& line : lines)
            line.replace(QRegularExpression("^M "), "- Monthly Average: ")
                .replace(QRegularExpression("^T "), "- Total Average: ");
        QCOMPARE(BuildReportBody(&world.env.store(), "Anna").text.split("\r\n"), lines);
    }

    // The header's runs move with the labels and the name; the final line's runs follow the total.
    void styledRuns_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("records");
        QTest::addColumn<QString>("runs");
        const auto row = [](const char* name, const char* locale, const char* user, const char* records,
                            const QString& runs) {
            QTest::newRow(name) << QString(locale) << QString(user) << QString(records) << runs;
        };
        row("fr: a longer label and name, no records", "fr", "Élodie", "",
            "B:Tankometer | T:Version 1.0.43\n | B:Auteur | T:Remo Vastelli | B:Utilisateur | T:Élodie");
        row("en: total amount 0, no amount run", "en", "Paul", "01 May 2004;06.00;0",
            kPaulHeaderRuns + " | B:- Total Average: 06.000 Liters / 100 Kms | T:06.000");
        row("en: average exactly 1, the singular unit", "en", "Paul", "01 May 2004;01.00;7",
            kPaulHeaderRuns + " | B:- Total Average: 01.000 Liter / 100 Kms - Tot: 7 € | T:01.000 | T:7");
        row("en: average between 0 and 1, no final runs", "en", "Paul", "01 May 2004;00.50;10", kPaulHeaderRuns);
    }

    void styledRuns()
    {
        QFETCH(QString, locale);
        QFETCH(QString, user);
        QFETCH(QString, records);
        World world(locale, user, records);
        const Report report = BuildReport(&world.env.store(), user);
        QTEST(styled(report), "runs");
        // The final line is the last one, right before the closing CR LF.
        if (report.runs.size() > 6)
            QCOMPARE(report.runs[6].start + report.runs[6].length, report.text.size() - 2);
    }

    // Without a usable count (never written, below 0, no number) the header is followed by the no-data
    // line, whatever records are stored.
    void noData()
    {
        for (const QString& count : {"-", "-3", "many"}) {
            World world(count == u"many" ? "fr" : "en", "Anna");
            world.env.put("Anna", "Date1", "05 January 2004");
            world.env.put("Anna", "Tanko1", "07.45");
            if (count != u"-")
                world.env.put("Anna", "TotEntry", count);
            const Report report = BuildReport(&world.env.store(), "Anna");
            QVERIFY2(report.text.endsWith(count == u"many"
                                              ? " Remo Vastelli\n\n Utilisateur: Anna\n\n Aucune valeur sauvegardée"
                                              : " Remo Vastelli\n\n User: Anna\n\n No saved data"),
                     qPrintable(report.text));
            QCOMPARE(report.runs.size(), size_t(6));
        }
    }

    // A count far beyond the records reads the stored ones, quickly.
    void countBeyondTheRecordsStopsAtTheStoredKeys()
    {
        World world("en", "Anna", kWorkedExample);
        world.env.put("Anna", "TotEntry", "2147483647");
        QElapsedTimer timer;
        timer.start();
        const ReportBody body = BuildReportBody(&world.env.store(), "Anna");
        QVERIFY2(timer.elapsed() < 2000, "the report must not run through two billion missing records");
        // Past the records the defaults show, as for any record never written.
        QVERIFY(body.text.contains(" 18 February 2004 - Tot: 30 €\r\n\r\n- Monthly Average: 06.900 Liters / 100 Kms - "
                                   "Tot: 30 €\r\n\r\n 0\r\n"));
        QCOMPARE(body.totalAmount, 125.5);
    }

    // The status bar: the mean of the stored consumptions that are not 0, in the user's notation.
    void totalAverage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("consumptions");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* locale, const char* count, const char* consumptions,
                            const char* expected) {
            QTest::newRow(name) << QString(locale) << QString(count) << QString(consumptions) << QString(expected);
        };
        row("records without consumption are left out", "en", "3", "06.15|05.91|00.00", "06.03 Liters / 100 Kms");
        row("exactly one is singular", "en", "1", "01.00", "01.00 Liter / 100 Kms");
        row("fr: below one has no unit", "fr", "1", "00,50", "0,5");
        row("no record has a consumption", "en", "2", "00.00|00.00", "No saved data");
        row("nl: 06,03, not 603,00", "nl", "2", "06,15|05,91", "06,03 Liters / 100 Kms");
        row("an unreadable consumption is skipped", "fr", "3", "06,15|06.15|05,91", "06,03 Litres / 100 Kms");
        row("a huge count reads the records there are", "en", "2000000000", "06.00|08.00", "07.00 Liters / 100 Kms");
    }

    void totalAverage()
    {
        QFETCH(QString, locale);
        QFETCH(QString, count);
        QFETCH(QString, consumptions);
        World world(locale, "Anna");
        world.env.put("Anna", "TotEntry", count);
        const QStringList list = consumptions.split(u'|');
        for (int i = 0; i < list.size(); ++i)
            world.env.put("Anna", QStringLiteral("Tanko%1").arg(i + 1), list[i]);
        // Another user's records never count.
        TestSupport::putRecords(world.env, "Paul", "-;50;-");
        QTEST(ComputeTotalAverage(world.env.store(), "Anna").text, "expected");
    }
};

QTEST_GUILESS_MAIN(TestReport)
#include "tst_report.moc"
