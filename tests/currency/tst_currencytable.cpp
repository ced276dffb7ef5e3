// The currency table without its window: rates and their inverses, the
// current currency, and what a Submit accepts.
#include "TestSupport.h"

#include "currency/CurrencyTable.h"

#include <QTest>

class tst_CurrencyTable : public QObject
{
    Q_OBJECT

private slots:
    void inverseRate_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("previous");
        QTest::addColumn<QString>("inverse"); // "-" when the division fails
        QTest::addColumn<QString>("shown");   // what the inverse field shows after the change
        const auto row = [](const char* name, const char* locale, const char* rate, const char* inverse,
                            const char* shown) {
            QTest::newRow(name) << QString(locale) << QString(rate) << QString(".8") << QString(inverse)
                                << QString(shown);
        };
        row("en: 1.54982 gives .64523622", "en", "1.54982", ".64523622", ".64523622");
        row("en: 1.16064 drops the trailing zero", "en", "1.16064", ".8615936", ".8615936");
        row("en: 2 gives .5", "en", "2", ".5", ".5");
        row("en: 0.5 gives 2. with the point", "en", "0.5", "2.", "2.");
        row("en: 1,5 reads as 1", "en", "1,5", "1.", "1.");
        row("en: 0 fails and keeps the old inverse", "en", "0", "-", ".8");
        row("en: abc fails and keeps the old inverse", "en", "abc", "-", ".8");
        row("en: empty fails and empties the inverse", "en", "", "-", "");
        // Read as "." numbers, the rates the store hands back as 1,54982 lost their decimals.
        row("fr: 1,54982 keeps its decimals", "fr", "1,54982", ",64523622", ",64523622");
        row("fr: 1.5 is unreadable", "fr", "1.5", "-", ".8");
        row("nl: 1,16064 gives ,8615936", "nl", "1,16064", ",8615936", ",8615936");
        row("nl: 1.000 is a thousand", "nl", "1.000", ",001", ",001");
    }

    void inverseRate()
    {
        QFETCH(QString, locale);
        QFETCH(QString, rate);
        QFETCH(QString, previous);
        const LocaleInfo info = TestSupport::locale(locale);
        QTEST(InverseRate(rate, info).value_or("-"), "inverse");
        QTEST(NextInverseRate(rate, previous, info), "shown");
    }

    void currentCurrency_data()
    {
        QTest::addColumn<QString>("curDev"); // "-" leaves it out
        QTest::addColumn<QString>("devKey");
        QTest::addColumn<QString>("devName");
        QTest::addColumn<QString>("name");
        const auto row = [](const char* name, const char* curDev, const char* devKey, const char* devName,
                            const char* current) {
            QTest::newRow(name) << QString(curDev) << QString(devKey) << QString(devName) << QString(current);
        };
        row("no CurDev is the Euro", "-", "Dev1", "CHF", "Euro");
        row("CurDev 2 naming USD is foreign", "2", "Dev2", "USD", "USD");
        row("CurDev 4 without a name is the Euro", "4", "Dev1", "CHF", "Euro");
        row("CurDev 4 naming an empty currency is the Euro", "4", "Dev4", "", "Euro");
        row("CurDev abc counts as 0, the Euro", "abc", "Dev0", "XYZ", "Euro");
    }

    void currentCurrency()
    {
        QFETCH(QString, curDev);
        QFETCH(QString, devKey);
        QFETCH(QString, devName);
        QFETCH(QString, name);
        TestSupport::Environment env("en");
        if (curDev != u"-")
            env.put("Anna", "CurDev", curDev);
        env.put("Devises", devKey, devName);
        env.put("Devises", "Taux2", "1.16064");
        const CurrentCurrency current = ReadCurrentCurrency("Anna");
        QCOMPARE(current.name, name);
        QCOMPARE(current.foreign, name != u"Euro");
        QCOMPARE(current.rate, QString(name == u"USD" ? "1.16064" : "1"));
        QCOMPARE(current.factor, QString("1")); // no TauxBis stored
    }

    void submitRefusals_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("refusal"); // empty: accepted
        QTest::newRow("named row without rate") << 2 << "USD"
                                                << "" << 0 << "USD - Exchange Rate not Specified";
        QTest::newRow("selected row with a rate but no name") << 4 << ""
                                                              << "10" << 4 << "Select a correct currency";
        QTest::newRow("selected row with neither") << 5 << ""
                                                   << "" << 5 << "Select a correct currency";
        QTest::newRow("unselected row with a rate but no name is fine") << 4 << ""
                                                                        << "10" << 2 << "";
        QTest::newRow("unselected empty row is fine") << 5 << ""
                                                      << "" << 0 << "";
    }

    void submitRefusals()
    {
        QFETCH(int, row);
        QFETCH(QString, name);
        QFETCH(QString, rate);
        QFETCH(QString, refusal);
        TestSupport::Environment env("en");
        CurrencyChoice choice;
        choice.rows = {{{"Euro", "1", "1"}, {"CHF", "1.5", ".6"}, {"USD", "1.2", ".8"}, {"GBP", "0.7", "1.4"}}};
        choice.rows[row] = {name, rate, QString()};
        QFETCH(int, selected);
        choice.selected = selected;
        const CurrencySubmit submit = SubmitCurrencies(choice, "Anna");
        QCOMPARE(submit.refusal.value_or(QString()), refusal);
        QCOMPARE(submit.writes.empty(), !refusal.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_CurrencyTable)
#include "tst_currencytable.moc"
