// The averages report as text: body lines, month groups, averages, amounts,
// header, no-data form and the places of the bold and teal runs.
#include "TestSupport.h"

#include "records/Report.h"

#include "Version.h"

#include <QElapsedTimer>
#include <QTest>

using Records = QList<QStringList>; // date, consumption, amount, amount typed; "-" = never written

namespace
{
const QString kAbsent = QStringLiteral("-");

void storeRecords(TestSupport::Environment& env, const QString& user, const Records& records)
{
    std::vector<SettingsStore::Write> writes{{user, QStringLiteral("TotEntry"), QString::number(records.size())}};
    const QStringList prefixes{QStringLiteral("Date"), QStringLiteral("Tanko"), QStringLiteral("Pay"),
                               QStringLiteral("PayCom")};
    for (int n = 1; n <= records.size(); ++n)
        for (int k = 0; k < prefixes.size(); ++k) {
            const QString value = records[n - 1].value(k);
            if (value != kAbsent && !(k == 3 && value.isEmpty()))
                writes.push_back({user, prefixes[k] + QString::number(n), value});
        }
    QVERIFY(env.store().saveAll(writes));
}

QString lines(const QStringList& list)
{
    return list.join(QStringLiteral("\r\n"));
}

float langOfs(const QString& locale)
{
    return locale == u"fr" ? 1 : locale == u"nl" ? 2 : 0;
}

const Records kWorkedExample{{"05 January 2004", "07.45", "45.5", ""},
                             {"20 January 2004", "08.05", "50", "77.5 CHF"},
                             {"03 February 2004", "06.90", "0", ""},
                             {"18 February 2004", "00.00", "30", ""}};

QString header(const QString& userLabel, const QString& authorLabel, const QString& user)
{
    const QString version =
        QStringLiteral("Version %1.%2.%3").arg(Version::Major).arg(Version::Minor).arg(Version::Revision);
    return QStringLiteral(" Tankometer: %1\n %2: Remo Vastelli\n\n %3: %4\n\n")
        .arg(version, authorLabel, userLabel, user);
}
} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleComesOutExactly();
    void body_data();
    void body();
    void noData_data();
    void noData();
    void headerRuns_data();
    void headerRuns();
    void finalRuns_data();
    void finalRuns();
    void lineBreakMap_data();
    void lineBreakMap();
    void runsCoverTheSameCharactersInTheDocumentText();
    void countBeyondTheRecordsStopsAtTheStoredKeys();
};

void TestReport::workedExampleComesOutExactly()
{
    TestSupport::Environment env("en", 0, "Paul");
    storeRecords(env, "Paul", kWorkedExample);
    const QString body = lines({" 05 January 2004 - 07.45 Liters / 100 Kms - Tot: 45.5 €",
                                " 20 January 2004 - 08.05 Liters / 100 Kms - Tot: 50 € (77.5 CHF)", "",
                                "- Monthly Average: 07.750 Liters / 100 Kms - Tot: 95.5 €", "",
                                " 03 February 2004 - 06.90 Liters / 100 Kms", " 18 February 2004 - Tot: 30 €", "",
                                "- Monthly Average: 06.900 Liters / 100 Kms - Tot: 30 €", "",
                                "- Total Average: 07.467 Liters / 100 Kms - Tot: 125.5 €"});
    const ReportBody built = BuildReportBody(&env.store(), "Paul");
    QCOMPARE(built.text, body);
    QCOMPARE(built.totalAmount, 125.5);
    QCOMPARE(built.TotalAverage, (7.45 + 8.05 + 6.9) / 3);

    const Report report = ComposeReport(built, "Paul");
    QCOMPARE(report.text, header("User", "Author", "Paul") + body + "\r\n");
    QCOMPARE(report.text.indexOf(" 05 January"), 65);
    const qsizetype l = report.text.size();
    const std::vector<ReportRun> expected{
        {1, 10, ReportRun::Bold},      {13, 15, ReportRun::Teal},    {29, 6, ReportRun::Bold},
        {37, 13, ReportRun::Teal},     {53, 4, ReportRun::Bold},     {59, 4, ReportRun::Teal},
        {l - 57, 55, ReportRun::Bold}, {l - 40, 6, ReportRun::Teal}, {l - 9, 5, ReportRun::Teal}};
    QCOMPARE(report.runs, expected);
}

void TestReport::body_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<Records>("records");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("en: consumption 00.00 leaves the averages, its amount counts")
        << "en" << Records{{"10 March 2004", "06.00", "20", ""}, {"12 March 2004", "00.00", "10", ""}}
        << QStringList{" 10 March 2004 - 06.00 Liters / 100 Kms - Tot: 20 €",
                       " 12 March 2004 - Tot: 10 €",
                       "",
                       "- Monthly Average: 06.000 Liters / 100 Kms - Tot: 30 €",
                       "",
                       "- Total Average: 06.000 Liters / 100 Kms - Tot: 30 €"};
    QTest::newRow("en: amount 0 ends the line after the consumption or the amount typed")
        << "en" << Records{{"01 April 2004", "05.50", "0", ""}, {"02 April 2004", "06.50", "0", "0 USD"}}
        << QStringList{" 01 April 2004 - 05.50 Liters / 100 Kms",
                       " 02 April 2004 - 06.50 Liters / 100 Kms (0 USD)",
                       "",
                       "- Monthly Average: 06.000 Liters / 100 Kms",
                       "",
                       "- Total Average: 06.000 Liters / 100 Kms"};
    QTest::newRow("en: January 2004 and January 2005 share one month line")
        << "en" << Records{{"05 January 2004", "07.00", "10", ""}, {"07 January 2005", "09.00", "20", ""}}
        << QStringList{" 05 January 2004 - 07.00 Liters / 100 Kms - Tot: 10 €",
                       " 07 January 2005 - 09.00 Liters / 100 Kms - Tot: 20 €",
                       "",
                       "- Monthly Average: 08.000 Liters / 100 Kms - Tot: 30 €",
                       "",
                       "- Total Average: 08.000 Liters / 100 Kms - Tot: 30 €"};
    QTest::newRow("en: one month split by another gives two month lines, each followed by a blank line")
        << "en"
        << Records{{"03 May 2004", "06.00", "0", ""},
                   {"10 June 2004", "07.00", "0", ""},
                   {"20 May 2004", "08.00", "0", ""}}
        << QStringList{" 03 May 2004 - 06.00 Liters / 100 Kms",   "", "- Monthly Average: 06.000 Liters / 100 Kms", "",
                       " 10 June 2004 - 07.00 Liters / 100 Kms",  "", "- Monthly Average: 07.000 Liters / 100 Kms", "",
                       " 20 May 2004 - 08.00 Liters / 100 Kms",   "", "- Monthly Average: 08.000 Liters / 100 Kms", "",
                       "- Total Average: 07.000 Liters / 100 Kms"};
    QTest::newRow("en: May 1999 and May 2004 split, the key takes the year's first digit")
        << "en" << Records{{"03 May 1999", "06.00", "0", ""}, {"03 May 2004", "08.00", "0", ""}}
        << QStringList{" 03 May 1999 - 06.00 Liters / 100 Kms",   "", "- Monthly Average: 06.000 Liters / 100 Kms", "",
                       " 03 May 2004 - 08.00 Liters / 100 Kms",   "", "- Monthly Average: 08.000 Liters / 100 Kms", "",
                       "- Total Average: 07.000 Liters / 100 Kms"};
    QTest::newRow("en: June 1999 and June 2004 join, the key ends at the blank")
        << "en" << Records{{"03 June 1999", "06.00", "0", ""}, {"03 June 2004", "08.00", "0", ""}}
        << QStringList{" 03 June 1999 - 06.00 Liters / 100 Kms",
                       " 03 June 2004 - 08.00 Liters / 100 Kms",
                       "",
                       "- Monthly Average: 07.000 Liters / 100 Kms",
                       "",
                       "- Total Average: 07.000 Liters / 100 Kms"};
    QTest::newRow("en: an average of exactly 1 says Liter, the record line Liters")
        << "en" << Records{{"01 July 2004", "01.00", "5", ""}}
        << QStringList{" 01 July 2004 - 01.00 Liters / 100 Kms - Tot: 5 €", "",
                       "- Monthly Average: 01.000 Liter / 100 Kms - Tot: 5 €", "",
                       "- Total Average: 01.000 Liter / 100 Kms - Tot: 5 €"};
    QTest::newRow("en: last month without amount after a month with one: no blank line before the total")
        << "en" << Records{{"01 August 2004", "06.00", "40", ""}, {"01 September 2004", "07.00", "0", ""}}
        << QStringList{" 01 August 2004 - 06.00 Liters / 100 Kms - Tot: 40 €",
                       "",
                       "- Monthly Average: 06.000 Liters / 100 Kms - Tot: 40 €",
                       "",
                       " 01 September 2004 - 07.00 Liters / 100 Kms",
                       "",
                       "- Monthly Average: 07.000 Liters / 100 Kms",
                       "- Total Average: 06.500 Liters / 100 Kms - Tot: 40 €"};
    QTest::newRow("en: a month of consumptions 00.00 gets 00.000 and its amount")
        << "en"
        << Records{{"01 October 2004", "06.00", "10", ""},
                   {"05 November 2004", "00.00", "20", ""},
                   {"06 November 2004", "00.00", "0", ""}}
        << QStringList{" 01 October 2004 - 06.00 Liters / 100 Kms - Tot: 10 €",
                       "",
                       "- Monthly Average: 06.000 Liters / 100 Kms - Tot: 10 €",
                       "",
                       " 05 November 2004 - Tot: 20 €",
                       " 06 November 2004",
                       "",
                       "- Monthly Average: 00.000 Liters / 100 Kms - Tot: 20 €",
                       "",
                       "- Total Average: 06.000 Liters / 100 Kms - Tot: 30 €"};
    QTest::newRow("en: no consumption in the whole list gives 00.000 overall")
        << "en" << Records{{"01 December 2004", "00.00", "15", ""}}
        << QStringList{" 01 December 2004 - Tot: 15 €", "", "- Monthly Average: 00.000 Liters / 100 Kms - Tot: 15 €",
                       "", "- Total Average: 00.000 Liters / 100 Kms - Tot: 15 €"};
    QTest::newRow("en: averages between 0 and 1 write no average line, the amounts stay")
        << "en" << Records{{"01 May 2004", "00.50", "10", ""}}
        << QStringList{" 01 May 2004 - 00.50 Liters / 100 Kms - Tot: 10 €", " - Tot: 10 €", "", " - Tot: 10 €"};
    QTest::newRow("en: amounts add up as written, 0.1 + 0.2 is 0.3")
        << "en" << Records{{"01 May 2004", "06.00", "0.1", ""}, {"02 May 2004", "06.00", "0.2", ""}}
        << QStringList{" 01 May 2004 - 06.00 Liters / 100 Kms - Tot: 0.1 €",
                       " 02 May 2004 - 06.00 Liters / 100 Kms - Tot: 0.2 €",
                       "",
                       "- Monthly Average: 06.000 Liters / 100 Kms - Tot: 0.3 €",
                       "",
                       "- Total Average: 06.000 Liters / 100 Kms - Tot: 0.3 €"};
    QTest::newRow("en: short date texts give short month keys")
        << "en"
        << Records{{"05 May", "06.00", "0", ""},
                   {"09 May", "08.00", "0", ""},
                   {"ab", "05.00", "0", ""},
                   {"cd", "07.00", "0", ""}}
        << QStringList{" 05 May - 06.00 Liters / 100 Kms",
                       " 09 May - 08.00 Liters / 100 Kms",
                       "",
                       "- Monthly Average: 07.000 Liters / 100 Kms",
                       "",
                       " ab - 05.00 Liters / 100 Kms",
                       " cd - 07.00 Liters / 100 Kms",
                       "",
                       "- Monthly Average: 06.000 Liters / 100 Kms",
                       "",
                       "- Total Average: 06.500 Liters / 100 Kms"};
    QTest::newRow("fr: 07,45 reads as 7.45 and the averages are written 07,750")
        << "fr" << Records{{"05 janvier 2004", "07,45", "45,5", ""}, {"20 janvier 2004", "08,05", "50", "77.5 CHF"}}
        << QStringList{" 05 janvier 2004 - 07,45 Litres / 100 Kms - Tot: 45,5 €",
                       " 20 janvier 2004 - 08,05 Litres / 100 Kms - Tot: 50 € (77.5 CHF)",
                       "",
                       "- Moyenne mensuelle: 07,750 Litres / 100 Kms - Tot: 95,5 €",
                       "",
                       "- Moyenne Totale: 07,750 Litres / 100 Kms - Tot: 95,5 €"};
    QTest::newRow("nl: Dutch labels and the comma")
        << "nl" << Records{{"05 januari 2004", "06,50", "12,25", ""}}
        << QStringList{" 05 januari 2004 - 06,50 Liters / 100 Kms - Tot: 12,25 €", "",
                       "- Maandelijks Gemiddelde: 06,500 Liters / 100 Kms - Tot: 12,25 €", "",
                       "- Totaal Gemiddelde: 06,500 Liters / 100 Kms - Tot: 12,25 €"};
    QTest::newRow("en: unreadable consumption and amount count as 0, the lines keep their dates")
        << "en" << Records{{"01 June 2004", "abc", "12", ""}, {"02 June 2004", "06.00", "x1", ""}}
        << QStringList{" 01 June 2004 - Tot: 12 €",
                       " 02 June 2004 - 06.00 Liters / 100 Kms",
                       "",
                       "- Monthly Average: 06.000 Liters / 100 Kms - Tot: 12 €",
                       "",
                       "- Total Average: 06.000 Liters / 100 Kms - Tot: 12 €"};
    QTest::newRow("fr: point decimals written under another notation count as 0")
        << "fr" << Records{{"01 juin 2004", "07.45", "30.5", ""}}
        << QStringList{" 01 juin 2004", "", "- Moyenne mensuelle: 00,000 Litres / 100 Kms", "",
                       "- Moyenne Totale: 00,000 Litres / 100 Kms"};
    QTest::newRow("en: keys never written read as 0, a record of its own")
        << "en" << Records{{"01 July 2004", "06.00", "10", ""}, {kAbsent, kAbsent, kAbsent, kAbsent}}
        << QStringList{" 01 July 2004 - 06.00 Liters / 100 Kms - Tot: 10 €",
                       "",
                       "- Monthly Average: 06.000 Liters / 100 Kms - Tot: 10 €",
                       "",
                       " 0",
                       "",
                       "- Monthly Average: 00.000 Liters / 100 Kms",
                       "- Total Average: 06.000 Liters / 100 Kms - Tot: 10 €"};
}

void TestReport::body()
{
    QFETCH(QString, locale);
    QFETCH(Records, records);
    QFETCH(QStringList, expected);
    TestSupport::Environment env(locale, langOfs(locale), "Anna");
    storeRecords(env, "Anna", records);
    const ReportBody built = BuildReportBody(&env.store(), "Anna");
    QCOMPARE(built.text.split("\r\n"), expected);
    QCOMPARE(built.text, lines(expected));
    QVERIFY(!built.noRecords);
}

void TestReport::noData_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("expected");

    QTest::newRow("en: no count stored") << "en" << kAbsent << header("User", "Author", "Anna") + " No saved data";
    QTest::newRow("en: count 0") << "en"
                                 << "0" << header("User", "Author", "Anna") + " No saved data";
    QTest::newRow("en: count below 0") << "en"
                                       << "-3" << header("User", "Author", "Anna") + " No saved data";
    QTest::newRow("en: count that is no number") << "en"
                                                 << "many" << header("User", "Author", "Anna") + " No saved data";
    QTest::newRow("en: count beyond 32 bits") << "en"
                                              << "99999999999" << header("User", "Author", "Anna") + " No saved data";
    QTest::newRow("fr: count 0") << "fr"
                                 << "0"
                                 << header("Utilisateur", "Auteur", "Anna") +
                                        QString::fromUtf8(" Aucune valeur sauvegardée");
    QTest::newRow("nl: count 0") << "nl"
                                 << "0" << header("Gebruiker", "Ontwerper", "Anna") + " Geen enkele waarde opgeslagen";
}

void TestReport::noData()
{
    QFETCH(QString, locale);
    QFETCH(QString, count);
    QFETCH(QString, expected);
    TestSupport::Environment env(locale, langOfs(locale), "Anna");
    if (count != kAbsent)
        env.put("Anna", "TotEntry", count);
    env.put("Anna", "Date1", "05 January 2004"); // a stray record is not shown without a count
    env.put("Anna", "Tanko1", "07.45");

    const ReportBody body = BuildReportBody(&env.store(), "Anna");
    QVERIFY(body.noRecords);
    QVERIFY(body.text.isEmpty());
    const Report report = ComposeReport(body, "Anna");
    QCOMPARE(report.text, expected);
    QCOMPARE(report.runs.size(), size_t(6));
    QVERIFY(!report.text.endsWith('\n'));
}

void TestReport::headerRuns_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QList<int>>("starts");
    QTest::addColumn<QList<int>>("lengths");
    QTest::addColumn<QStringList>("covered");

    QTest::newRow("en: Paul") << "en"
                              << "Paul" << QList<int>{1, 13, 29, 37, 53, 59} << QList<int>{10, 15, 6, 13, 4, 4}
                              << QStringList{"Tankometer", "Version 1.0.43\n", "Author", "Remo Vastelli", "User",
                                             "Paul"};
    QTest::newRow("fr: Utilisateur moves the user name")
        << "fr"
        << "Paul" << QList<int>{1, 13, 29, 37, 53, 66} << QList<int>{10, 15, 6, 13, 11, 4}
        << QStringList{"Tankometer", "Version 1.0.43\n", "Auteur", "Remo Vastelli", "Utilisateur", "Paul"};
    QTest::newRow("nl: Ontwerper moves the author and everything after")
        << "nl"
        << "Paul" << QList<int>{1, 13, 29, 40, 56, 67} << QList<int>{10, 15, 9, 13, 9, 4}
        << QStringList{"Tankometer", "Version 1.0.43\n", "Ontwerper", "Remo Vastelli", "Gebruiker", "Paul"};
    QTest::newRow("en: a long user name lengthens the last run only")
        << "en"
        << "Maximilian von Habsburg" << QList<int>{1, 13, 29, 37, 53, 59} << QList<int>{10, 15, 6, 13, 4, 23}
        << QStringList{"Tankometer", "Version 1.0.43\n", "Author", "Remo Vastelli", "User", "Maximilian von Habsburg"};
    QTest::newRow("fr: a user name with accents")
        << "fr" << QString::fromUtf8("Élodie") << QList<int>{1, 13, 29, 37, 53, 66} << QList<int>{10, 15, 6, 13, 11, 6}
        << QStringList{"Tankometer",    "Version 1.0.43\n", "Auteur",
                       "Remo Vastelli", "Utilisateur",      QString::fromUtf8("Élodie")};
}

void TestReport::headerRuns()
{
    QFETCH(QString, locale);
    QFETCH(QString, user);
    QFETCH(QList<int>, starts);
    QFETCH(QList<int>, lengths);
    QFETCH(QStringList, covered);
    TestSupport::Environment env(locale, langOfs(locale), user);
    const QList<ReportRun::Style> styles{ReportRun::Bold, ReportRun::Teal, ReportRun::Bold,
                                         ReportRun::Teal, ReportRun::Bold, ReportRun::Teal};

    // The header is placed alike with and without records.
    for (bool withRecords : {false, true}) {
        if (withRecords)
            storeRecords(env, user, kWorkedExample);
        const Report report = BuildReport(&env.store(), user);
        QVERIFY(report.runs.size() >= 6);
        for (int i = 0; i < 6; ++i) {
            const ReportRun& run = report.runs[i];
            QCOMPARE(run.start, starts[i]);
            QCOMPARE(run.length, lengths[i]);
            QCOMPARE(run.style, styles[i]);
            QCOMPARE(report.text.mid(run.start, run.length), covered[i]);
        }
    }
}

void TestReport::finalRuns_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<Records>("records");
    QTest::addColumn<QStringList>("covered"); // whole line, average, amount

    QTest::newRow("en: worked example, with a total amount")
        << "en" << kWorkedExample
        << QStringList{QString::fromUtf8("- Total Average: 07.467 Liters / 100 Kms - Tot: 125.5 €"), "07.467", "125.5"};
    QTest::newRow("en: total amount 0, no amount run")
        << "en" << Records{{"01 May 2004", "06.00", "0", ""}}
        << QStringList{"- Total Average: 06.000 Liters / 100 Kms", "06.000"};
    QTest::newRow("en: average exactly 1 with the singular unit")
        << "en" << Records{{"01 May 2004", "01.00", "7", ""}}
        << QStringList{QString::fromUtf8("- Total Average: 01.000 Liter / 100 Kms - Tot: 7 €"), "01.000", "7"};
    QTest::newRow("en: no consumption at all, average 00.000")
        << "en" << Records{{"01 May 2004", "00.00", "12.5", ""}}
        << QStringList{QString::fromUtf8("- Total Average: 00.000 Liters / 100 Kms - Tot: 12.5 €"), "00.000", "12.5"};
    QTest::newRow("fr: comma figures")
        << "fr" << Records{{"05 janvier 2004", "07,45", "45,5", ""}, {"20 janvier 2004", "08,05", "50", ""}}
        << QStringList{QString::fromUtf8("- Moyenne Totale: 07,750 Litres / 100 Kms - Tot: 95,5 €"), "07,750", "95,5"};
    QTest::newRow("en: average between 0 and 1, no final line and no final runs")
        << "en" << Records{{"01 May 2004", "00.50", "10", ""}} << QStringList{};
    QTest::newRow("en: negative average, no final runs")
        << "en" << Records{{"01 May 2004", "-05.00", "0", ""}} << QStringList{};
}

void TestReport::finalRuns()
{
    QFETCH(QString, locale);
    QFETCH(Records, records);
    QFETCH(QStringList, covered);
    TestSupport::Environment env(locale, langOfs(locale), "Paul");
    storeRecords(env, "Paul", records);
    const Report report = BuildReport(&env.store(), "Paul");

    QCOMPARE(report.runs.size(), size_t(6 + covered.size()));
    const QList<ReportRun::Style> styles{ReportRun::Bold, ReportRun::Teal, ReportRun::Teal};
    for (int i = 0; i < covered.size(); ++i) {
        const ReportRun& run = report.runs[6 + i];
        QCOMPARE(run.style, styles[i]);
        QCOMPARE(report.text.mid(run.start, run.length), covered[i]);
    }
    if (!covered.isEmpty()) {
        // The final line is the last one, right before the closing CR LF.
        const ReportRun& line = report.runs[6];
        QCOMPARE(line.start + line.length, report.text.size() - 2);
        QVERIFY(report.text.endsWith("\r\n"));
        QCOMPARE(report.text.mid(line.start - 2, 2), QString("\r\n"));
    }
}

void TestReport::lineBreakMap_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("document");
    QTest::addColumn<QList<int>>("offsets");
    QTest::addColumn<QList<int>>("mapped");

    QTest::newRow("no line break") << "abc"
                                   << "abc" << QList<int>{0, 2, 3} << QList<int>{0, 2, 3};
    QTest::newRow("LF alone stays one character") << "a\nb"
                                                  << "a\nb" << QList<int>{1, 2} << QList<int>{1, 2};
    QTest::newRow("CR LF becomes one character") << "a\r\nb"
                                                 << "a\nb" << QList<int>{0, 1, 2, 3, 4} << QList<int>{0, 1, 1, 2, 3};
    QTest::newRow("header LF then body CR LF") << " x\n y\r\n\r\nz\r\n"
                                               << " x\n y\n\nz\n"
                                               << QList<int>{3, 5, 7, 9, 10, 12} << QList<int>{3, 5, 6, 7, 8, 9};
    QTest::newRow("CR alone is not a pair") << "a\rb\r\r\nc"
                                            << "a\rb\r\nc" << QList<int>{2, 3, 4, 6} << QList<int>{2, 3, 4, 5};
}

void TestReport::lineBreakMap()
{
    QFETCH(QString, text);
    QFETCH(QString, document);
    QFETCH(QList<int>, offsets);
    QFETCH(QList<int>, mapped);
    const LineBreakMap map(text);
    QCOMPARE(map.documentText(), document);
    for (int i = 0; i < offsets.size(); ++i)
        QCOMPARE(map.documentOffset(offsets[i]), mapped[i]);
}

void TestReport::runsCoverTheSameCharactersInTheDocumentText()
{
    TestSupport::Environment env("en", 0, "Paul");
    storeRecords(env, "Paul", kWorkedExample);
    const Report report = BuildReport(&env.store(), "Paul");
    const LineBreakMap map(report.text);
    for (const ReportRun& run : report.runs) {
        const qsizetype start = map.documentOffset(run.start);
        const qsizetype end = map.documentOffset(run.start + run.length);
        QCOMPARE(map.documentText().mid(start, end - start),
                 report.text.mid(run.start, run.length).replace("\r\n", "\n"));
    }
}

void TestReport::countBeyondTheRecordsStopsAtTheStoredKeys()
{
    TestSupport::Environment env("en", 0, "Anna");
    storeRecords(env, "Anna", kWorkedExample);
    env.put("Anna", "TotEntry", "2147483647");
    QElapsedTimer timer;
    timer.start();
    const ReportBody body = BuildReportBody(&env.store(), "Anna");
    QVERIFY2(timer.elapsed() < 2000, "the report must not run through two billion missing records");
    QVERIFY(body.text.startsWith(" 05 January 2004 - 07.45 Liters / 100 Kms - Tot: 45.5 €\r\n"));
    QVERIFY(body.text.contains(" 18 February 2004 - Tot: 30 €\r\n"));
    // Past the records the defaults show, as for any record never written.
    QVERIFY(body.text.contains("\r\n 0\r\n"));
    QCOMPARE(body.totalAmount, 125.5);
}

QTEST_GUILESS_MAIN(TestReport)
#include "tst_report.moc"
