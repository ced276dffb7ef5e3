// The currency table: typed rates and their inverses, the current currency as
// the store has it, and what a Submit refuses.
#include "core/currency/Currencies.h"
#include "core/currency/CurrencyRates.h"

#include "TestSupport.h"

#include <QTest>

using TestSupport::addRows;

class TestCurrency : public QObject
{
    Q_OBJECT

private slots:
    // locale|rate|its inverse, or "!" and the reason it is refused
    void rates_data()
    {
        addRows("%1: %2 gives %3", R"(
            en|2|.5; en|0.5|2; en|3|.33333333; en|1.54982|.64523622; en|1,000|.001; fr|1,54982|,64523622; fr|0,5|2
            nl|1.000|,001; en|1,5|!Exchange rate is not a number; fr|1.5|!Exchange rate is not a number
            en|abc|!Exchange rate is not a number; en|0|!Exchange rate must be above 0
            nl|-2|!Exchange rate must be above 0; en|1e-310|!Exchange rate out of range
            en|300000000|!Exchange rate out of range)");
    }

    void rates()
    {
        QFETCH(QStringList, row);
        const Speech speech{0, TestSupport::locale(row[0])};
        const RateCheck check = CheckRate(row[1], speech.locale);
        const bool usable = check.problem == RateProblem::None;
        QCOMPARE(usable ? check.inverse : u'!' + RateProblemText(check.problem, speech), row[2]);
        // The inverse field keeps its text for a rate it cannot use.
        QCOMPARE(NextInverseRate(row[1], "old", speech.locale), usable ? check.inverse : "old");
    }

    // case|stored "Section/Key=value&..."|name, rates, key
    void currentCurrency_data()
    {
        addRows("%1", R"(
            nothing stored is the Euro||Euro, Euro rates, key 0
            CurDev 2 is USD|Anna/CurDev=2&Devises/Dev2=USD&Devises/Taux2=1.16064&Devises/TauxBis2=.86|\
                USD, foreign 1.16064 .86, key 2
            without CurDev a stored Dev0 shows|Devises/Dev0=Yen|Yen, Euro rates, key 0
            an empty name stays empty|Anna/CurDev=4&Devises/Dev4=|, Euro rates, key 4
            no name under CurDev 4 shows Euro|Anna/CurDev=4|Euro, Euro rates, key 4
            CurDev abc is the Euro|Anna/CurDev=abc&Devises/Dev2=USD|Euro, Euro rates, key 0)");
    }

    void currentCurrency()
    {
        QFETCH(QStringList, row);
        TestSupport::Environment env;
        for (const QString& entry : row[1].split(u'&', Qt::SkipEmptyParts))
            env.put(entry.section(u'/', 0, 0), entry.section(u'/', 1).section(u'=', 0, 0), entry.section(u'=', 1));
        const CurrentCurrency c = env.context().currencies().current("Anna");
        QCOMPARE(QStringLiteral("%1, %2, key %3")
                     .arg(c.name, c.foreign ? "foreign " + c.rate + u' ' + c.factor : QString("Euro rates"), c.key),
                 row[2]);
    }

    // case|selected row|rows 1 to 5 as "name rate", apart by "&"|the refusal, "" for none
    void submitRefusals_data()
    {
        addRows("%1", R"(
            unnamed rows at 0 pass|2|CHF 1.54982&USD 1.16064&GBP 0.693724& 0& 0|
            a named row without rate|1|CHF 1.5&USD &GBP 0.7& 0& 0|USD - Exchange Rate not Specified
            a named row at 0|1|CHF 1.5&USD 1.1&GBP 0& 0& 0|GBP - Exchange rate must be above 0
            a named row at 1,5|2|CHF 1,5&USD 1.1&GBP 0.7& 0& 0|CHF - Exchange rate is not a number
            the unnamed row selected|4|CHF 1.5&USD 1.1&GBP 0.7& 0& 0|Select a correct currency)");
    }

    void submitRefusals()
    {
        QFETCH(QStringList, row);
        TestSupport::Environment env;
        CurrencyChoice choice;
        choice.selected = row[1].toInt();
        const QStringList rows = row[2].split(u'&');
        for (int n = 1; n < CurrencyRows; ++n)
            choice.rows[n] = {rows[n - 1].section(u' ', 0, 0), rows[n - 1].section(u' ', 1), "x"};
        const Currencies::Submitted submit = env.context().currencies().submit(choice, "Anna", env.context().speech());
        QCOMPARE(submit.refusal.value_or(""), row[3]);
        QCOMPARE(env.stored("Anna", "CurDev") == "<absent>", submit.refusal.has_value());
    }
};

QTEST_GUILESS_MAIN(TestCurrency)
#include "tst_currency.moc"
