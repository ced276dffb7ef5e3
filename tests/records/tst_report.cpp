// The averages report as text: body lines, month groups, averages, amounts,
// header, no-data form and the places of the bold and teal runs.
#include "TestSupport.h"

#include "records/Report.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>

namespace
{
const QString kWorkedExample = "05 January 2004;07.45;45.5|20 January 2004;08.05;50;77.5 CHF|"
                               "03 February 2004;06.90;0|18 February 2004;00.00;30";

float langOfs(const QString& locale)
{
    return locale == u"fr" ? 1 : locale == u"nl" ? 2 : 0;
}

QString header(const QString& userLabel, const QString& authorLabel)
{
    return QStringLiteral(" Tankometer: Version 1.0.43\n %1: Remo Vastelli\n\n %2: ").arg(authorLabel, userLabel);
}

// The six header runs, then those of the final line.
std::vector<ReportRun> runs(const QList<int>& startLengths)
{
    const ReportRun::Style styles[] = {ReportRun::Bold, ReportRun::Teal, ReportRun::Bold,
                                       ReportRun::Teal, ReportRun::Bold, ReportRun::Teal,
                                       ReportRun::Bold, ReportRun::Teal, ReportRun::Teal};
    std::vector<ReportRun> list;
    for (int i = 0; i < startLengths.size() / 2; ++i)
        list.push_back({startLengths[2 * i], startLengths[2 * i + 1], styles[i]});
    return list;
}
} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleComesOutExactly()
    {
        TestSupport::Environment env("en", 0, "Paul");
        TestSupport::putRecords(env, "Paul", kWorkedExample);
        const QString body =
            QStringLiteral(" 05 January 2004 - 07.45 Liters / 100 Kms - Tot: 45.5 €\r\n"
                           " 20 January 2004 - 08.05 Liters / 100 Kms - Tot: 50 € (77.5 CHF)\r\n\r\n"
                           "- Monthly Average: 07.750 Liters / 100 Kms - Tot: 95.5 €\r\n\r\n"
                           " 03 February 2004 - 06.90 Liters / 100 Kms\r\n 18 February 2004 - Tot: 30 €\r\n\r\n"
                           "- Monthly Average: 06.900 Liters / 100 Kms - Tot: 30 €\r\n\r\n"
                           "- Total Average: 07.467 Liters / 100 Kms - Tot: 125.5 €");
        const ReportBody built = BuildReportBody(&env.store(), "Paul");
        QCOMPARE(built.text, body);
        QCOMPARE(built.totalAmount, 125.5);
        QCOMPARE(built.TotalAverage, (7.45 + 8.05 + 6.9) / 3);

        const Report report = ComposeReport(built, "Paul");
        QCOMPARE(report.text, header("User", "Author") + "Paul\n\n" + body + "\r\n");
        const int l = int(report.text.size());
        QCOMPARE(report.runs, runs({1, 10, 13, 15, 29, 6, 37, 13, 53, 4, 59, 4, l - 57, 55, l - 40, 6, l - 9, 5}));
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
        TestSupport::Environment env(locale, langOfs(locale), "Anna");
        TestSupport::putRecords(env, "Anna", records);
        QStringList lines = expected.replace(u'~', " Liters / 100 Kms").split(u'|');
        for (QString& line : lines)
            line.replace(QRegularExpression("^M "), "- Monthly Average: ")
                .replace(QRegularExpression("^T "), "- Total Average: ");
        const ReportBody built = BuildReportBody(&env.store(), "Anna");
        QCOMPARE(built.text.split("\r\n"), lines);
        QVERIFY(!built.noRecords);
    }

    // Without a usable count the header is followed by the no-data line, whatever records are stored.
    void noData_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("count"); // "-": never written
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* locale, const char* count, const QString& expected) {
            QTest::newRow(name) << QString(locale) << QString(count) << expected;
        };
        row("en: no count stored", "en", "-", header("User", "Author") + "Anna\n\n No saved data");
        row("en: count below 0", "en", "-3", header("User", "Author") + "Anna\n\n No saved data");
        row("fr: count that is no number", "fr", "many",
            header("Utilisateur", "Auteur") + "Anna\n\n Aucune valeur sauvegardée");
    }

    void noData()
    {
        QFETCH(QString, locale);
        QFETCH(QString, count);
        TestSupport::Environment env(locale, langOfs(locale), "Anna");
        env.put("Anna", "Date1", "05 January 2004");
        env.put("Anna", "Tanko1", "07.45");
        if (count != u"-")
            env.put("Anna", "TotEntry", count);
        const ReportBody body = BuildReportBody(&env.store(), "Anna");
        QVERIFY(body.noRecords && body.text.isEmpty());
        const Report report = ComposeReport(body, "Anna");
        QTEST(report.text, "expected");
        QCOMPARE(report.runs.size(), size_t(6));
    }

    void headerRuns_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QList<int>>("startLengths");
        const auto row = [](const char* name, const char* locale, const char* user, const QList<int>& startLengths) {
            QTest::newRow(name) << QString(locale) << QString(user) << startLengths;
        };
        row("en: Paul", "en", "Paul", {1, 10, 13, 15, 29, 6, 37, 13, 53, 4, 59, 4});
        row("fr: Utilisateur and a longer name move the user's runs", "fr", "Élodie",
            {1, 10, 13, 15, 29, 6, 37, 13, 53, 11, 66, 6});
        row("nl: Ontwerper moves the author and all after", "nl", "Paul", {1, 10, 13, 15, 29, 9, 40, 13, 56, 9, 67, 4});
    }

    void headerRuns()
    {
        QFETCH(QString, locale);
        QFETCH(QString, user);
        QFETCH(QList<int>, startLengths);
        TestSupport::Environment env(locale, langOfs(locale), user);
        // The header is placed alike with and without records.
        QCOMPARE(BuildReport(&env.store(), user).runs, runs(startLengths));
        TestSupport::putRecords(env, user, kWorkedExample);
        std::vector<ReportRun> shown = BuildReport(&env.store(), user).runs;
        shown.resize(6);
        QCOMPARE(shown, runs(startLengths));
    }

    void finalRuns_data()
    {
        QTest::addColumn<QString>("records");
        QTest::addColumn<QStringList>("covered"); // whole line, average, amount
        const auto row = [](const char* name, const char* records, const QStringList& covered) {
            QTest::newRow(name) << QString(records) << covered;
        };
        row("total amount 0, no amount run", "01 May 2004;06.00;0",
            {"- Total Average: 06.000 Liters / 100 Kms", "06.000"});
        row("average exactly 1 with the singular unit", "01 May 2004;01.00;7",
            {"- Total Average: 01.000 Liter / 100 Kms - Tot: 7 €", "01.000", "7"});
        row("no consumption at all, average 00.000", "01 May 2004;00.00;12.5",
            {"- Total Average: 00.000 Liters / 100 Kms - Tot: 12.5 €", "00.000", "12.5"});
        row("average between 0 and 1, no final runs", "01 May 2004;00.50;10", {});
        row("negative average, no final runs", "01 May 2004;-05.00;0", {});
    }

    void finalRuns()
    {
        QFETCH(QString, records);
        QFETCH(QStringList, covered);
        TestSupport::Environment env("en", 0, "Paul");
        TestSupport::putRecords(env, "Paul", records);
        const Report report = BuildReport(&env.store(), "Paul");
        QCOMPARE(report.runs.size(), size_t(6 + covered.size()));
        for (int i = 0; i < covered.size(); ++i) {
            const ReportRun& run = report.runs[6 + i];
            QCOMPARE(run.style, i == 0 ? ReportRun::Bold : ReportRun::Teal);
            QCOMPARE(report.text.mid(run.start, run.length), covered[i]);
        }
        // The final line is the last one, right before the closing CR LF.
        if (!covered.isEmpty())
            QCOMPARE(report.runs[6].start + report.runs[6].length, report.text.size() - 2);
    }

    void lineBreakMap()
    {
        const LineBreakMap map(QStringLiteral(" x\n y\r\n\r\nz\rw\r\r\n"));
        QCOMPARE(map.documentText(), QStringLiteral(" x\n y\n\nz\rw\r\n"));
        // Offsets 0 to 14 of the report; a CR LF is one character, a lone CR stays one.
        QList<qsizetype> mapped;
        for (int offset = 0; offset <= 14; ++offset)
            mapped << map.documentOffset(offset);
        QCOMPARE(mapped, (QList<qsizetype>{0, 1, 2, 3, 4, 5, 5, 6, 6, 7, 8, 9, 10, 11, 11}));
    }

    void countBeyondTheRecordsStopsAtTheStoredKeys()
    {
        TestSupport::Environment env("en", 0, "Anna");
        TestSupport::putRecords(env, "Anna", kWorkedExample);
        env.put("Anna", "TotEntry", "2147483647");
        QElapsedTimer timer;
        timer.start();
        const ReportBody body = BuildReportBody(&env.store(), "Anna");
        QVERIFY2(timer.elapsed() < 2000, "the report must not run through two billion missing records");
        QVERIFY(body.text.startsWith(" 05 January 2004 - 07.45 Liters / 100 Kms - Tot: 45.5 €\r\n"));
        // Past the records the defaults show, as for any record never written.
        QVERIFY(body.text.contains("\r\n 0\r\n"));
        QCOMPARE(body.totalAmount, 125.5);
    }
};

QTEST_GUILESS_MAIN(TestReport)
#include "tst_report.moc"
