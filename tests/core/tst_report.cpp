// The averages report as text: the fill-up lines, month groups, averages and
// amounts, the header, the no-data form, and the runs set in bold or teal.
#include "core/records/Report.h"

#include "TestSupport.h"

#include <QRegularExpression>
#include <QTest>

using TestSupport::addRows;

namespace
{
const QString kWorkedExample = "05 January 2004;07.45;45.5|20 January 2004;08.05;50;77.5 CHF|"
                               "03 February 2004;06.90;0|18 February 2004;00.00;30";
const QString kPaulHeaderRuns = "B:Tankometer | T:Version 1.0.43\n | B:Author | T:Remo Vastelli | B:User | T:Paul";

// A store in that locale and its language holding `records` (as putRecords
// takes them, " + " between records) and then the keys "Key=value&..." of `extra`.
struct World
{
    World(const QString& localeName, const QString& user, QString records, const QString& extra = QString())
        : env(localeName,
              localeName == u"fr"   ? 1
              : localeName == u"nl" ? 2
                                    : 0,
              user)
    {
        if (!records.isEmpty())
            env.putRecords(records.replace(" + ", "|"), user);
        for (const QString& entry : extra.split(u'&', Qt::SkipEmptyParts))
            env.put(user, entry.section(u'=', 0, 0), entry.section(u'=', 1));
    }
    TestSupport::Environment env;

    // The user's report as the window shows it, read through the fill-up log.
    Report report(const QString& user)
    {
        Context& context = env.context();
        return BuildReport(*context.fillUps().list(user), user, context.speech());
    }
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
        const QString expected = " Tankometer: Version 1.0.43\n Author: Remo Vastelli\n\n User: Paul\n\n"
                                 " 05 January 2004 - 07.45 Liters / 100 Kms - Tot: 45.5 €\r\n"
                                 " 20 January 2004 - 08.05 Liters / 100 Kms - Tot: 50 € (77.5 CHF)\r\n\r\n"
                                 "- Monthly Average: 07.750 Liters / 100 Kms - Tot: 95.5 €\r\n\r\n"
                                 " 03 February 2004 - 06.90 Liters / 100 Kms\r\n 18 February 2004 - Tot: 30 €\r\n\r\n"
                                 "- Monthly Average: 06.900 Liters / 100 Kms - Tot: 30 €\r\n\r\n"
                                 "- Total Average: 07.467 Liters / 100 Kms - Tot: 125.5 €\r\n";
        const Report report = world.report("Paul");
        QCOMPARE(report.text, expected);
        QStringList places;
        for (const ReportRun& run : report.runs)
            places << QStringLiteral("%1+%2").arg(run.start).arg(run.length);
        // The final line's runs counted back from the end of the text above.
        const qsizetype l = expected.size();
        QCOMPARE(places.join(u' '),
                 QStringLiteral("1+10 13+15 29+6 37+13 53+4 59+4 %1+55 %2+6 %3+5").arg(l - 57).arg(l - 40).arg(l - 9));
    }

    // case|locale|records|extra keys|body, in short: "/" breaks the line, "M "
    // and "T " open the English monthly and total average lines, "~" is the unit.
    void body_data()
    {
        addRows("%1", R"(
January 2004 and 2005 share a month|en|05 January 2004;07.00;10 + 07 January 2005;09.00;20||\
    05 January 2004 - 07.00~ - Tot: 10 €/ 07 January 2005 - 09.00~ - Tot: 20 €//M 08.000~ - Tot: 30 €//\
    T 08.000~ - Tot: 30 €
a month split by another has two lines|en|03 May 2004;06.00;0 + 10 June 2004;07.00;0 + 20 May 2004;08.00;0||\
    03 May 2004 - 06.00~//M 06.000~// 10 June 2004 - 07.00~//M 07.000~// 20 May 2004 - 08.00~//M 08.000~//T 07.000~
a month of 00.00 gets 00.000 and its amount|en|01 October 2004;06.00;10 + 05 November 2004;00.00;20 + \
    06 November 2004;00.00;0||01 October 2004 - 06.00~ - Tot: 10 €//M 06.000~ - Tot: 10 €// 05 November 2004 - \
    Tot: 20 €/ 06 November 2004//M 00.000~ - Tot: 20 €//T 06.000~ - Tot: 30 €
a last month without amount ends without a blank line|en|01 August 2004;06.00;40 + 01 September 2004;07.00;0;0 USD||\
    01 August 2004 - 06.00~ - Tot: 40 €//M 06.000~ - Tot: 40 €// 01 September 2004 - 07.00~ (0 USD)//M 07.000~/\
    T 06.500~ - Tot: 40 €
averages between 0 and 1 get no line|en|01 May 2004;00.50;10||01 May 2004 - 00.50~ - Tot: 10 €/ - Tot: 10 €// - Tot: 10 €
amounts add up as written|en|01 May 2004;06.00;0.1 + 02 May 2004;06.00;0.2||01 May 2004 - 06.00~ - Tot: 0.1 €/ \
    02 May 2004 - 06.00~ - Tot: 0.2 €//M 06.000~ - Tot: 0.3 €//T 06.000~ - Tot: 0.3 €
values that are no number count 0|en|01 June 2004;abc;12 + 02 June 2004;06.00;x1||\
    01 June 2004 - Tot: 12 €/ 02 June 2004 - 06.00~//M 06.000~ - Tot: 12 €//T 06.000~ - Tot: 12 €
fr: 07,45 is 7.45, averages 07,750|fr|05 janvier 2004;07,45;45,5 + 20 janvier 2004;08,05;50;77.5 CHF||\
    05 janvier 2004 - 07,45~ - Tot: 45,5 €/ 20 janvier 2004 - 08,05~ - Tot: 50 € (77.5 CHF)//\
    - Moyenne mensuelle: 07,750~ - Tot: 95,5 €//- Moyenne Totale: 07,750~ - Tot: 95,5 €
nl: records written under English|nl|05 januari 2004;07.45;45.5 + 20 januari 2004;08.05;50||\
    05 januari 2004 - 07.45~ - Tot: 45,5 €/ 20 januari 2004 - 08.05~ - Tot: 50 €//\
    - Maandelijks Gemiddelde: 07,750~ - Tot: 95,5 €//- Totaal Gemiddelde: 07,750~ - Tot: 95,5 €
records 1 to 90 missing are skipped|en||TotEntry=100&Date91=01 May 2004&Tanko91=06.00&Pay91=10&\
    Date100=02 May 2004&Tanko100=08.00|\
    01 May 2004 - 06.00~ - Tot: 10 €/ 02 May 2004 - 08.00~//M 07.000~ - Tot: 10 €//T 07.000~ - Tot: 10 €
a count of -3 lists every record|en|01 May 2004;06.00;0 + 02 May 2004;08.00;0|TotEntry=-3|\
    01 May 2004 - 06.00~/ 02 May 2004 - 08.00~//M 07.000~//T 07.000~
sums beyond the range show the error text|en|01 May 2004;1e308;1e308 + 02 May 2004;1e308;1e308||\
    01 May 2004 - 1e308~ - Tot: 1E+308 €/ 02 May 2004 - 1e308~ - Tot: 1E+308 €//M Error~ - Tot: Error €//\
    T Error~ - Tot: Error €)",
                {}, u'\n');
    }

    void body()
    {
        QFETCH(QStringList, row);
        World world(row[1], "Anna", row[2], row[3]);
        const QString unit = row[1] == u"fr" ? " Litres / 100 Kms" : " Liters / 100 Kms";
        QStringList lines = QString(u' ' + row[4]).split(u'/');
        for (QString& line : lines) {
            line.replace(QRegularExpression("^M "), "- Monthly Average: ").replace(u'~', unit);
            line.replace(QRegularExpression("^T "), "- Total Average: ");
        }
        QCOMPARE(BuildReportBody(*world.env.context().fillUps().list("Anna"), world.env.context().speech())
                     .text.split("\r\n"),
                 lines);
    }

    // case|locale|user|records|runs: the header's runs move with the labels and
    // the name; the final line's follow the total.
    void styledRuns_data()
    {
        addRows("%1", R"(
fr: longer labels and name, no records|fr|Élodie||\
    B:Tankometer ~ T:Version 1.0.43^ ~ B:Auteur ~ T:Remo Vastelli ~ B:Utilisateur ~ T:Élodie
total amount 0, no amount run|en|Paul|01 May 2004;06.00;0|\
    @ ~ B:- Total Average: 06.000 Liters / 100 Kms ~ T:06.000
average exactly 1, the singular unit|en|Paul|01 May 2004;01.00;7|\
    @ ~ B:- Total Average: 01.000 Liter / 100 Kms - Tot: 7 € ~ T:01.000 ~ T:7
average between 0 and 1, no final runs|en|Paul|01 May 2004;00.50;10|@)",
                {}, u'\n');
    }

    void styledRuns()
    {
        QFETCH(QStringList, row);
        World world(row[1], row[2], row[3]);
        const QString runs = QString(row[4]).replace("@", kPaulHeaderRuns).replace(" ~ ", " | ").replace("^", "\n");
        QCOMPARE(styled(world.report(row[2])), runs);
    }

    // A count of 0, or none, shows the no-data line whatever records are stored.
    void noData()
    {
        for (const char* count : {"", "&TotEntry=0"}) {
            World world("fr", "Anna", "", QStringLiteral("Date1=05 janvier 2004&Tanko1=07,45") + count);
            QVERIFY(world.report("Anna").text.endsWith(
                " Remo Vastelli\n\n Utilisateur: Anna\n\n Aucune valeur sauvegardée"));
        }
    }
};

QTEST_GUILESS_MAIN(TestReport)
#include "tst_report.moc"
