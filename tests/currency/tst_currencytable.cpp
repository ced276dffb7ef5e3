#include "TestSupport.h"

#include "currency/CurrencyTable.h"

#include <QTest>

using TestSupport::Environment;

class tst_CurrencyTable : public QObject
{
    Q_OBJECT

private slots:
    void inverseRate_data();
    void inverseRate();
    void nextInverseRate_data();
    void nextInverseRate();
    void rateTooltip();
    void settingFlag_data();
    void settingFlag();

    void currentCurrency_data();
    void currentCurrency();
    void currentCurrencyRates();

    void foreignAmountTooltip_data();
    void foreignAmountTooltip();

    void submitRefusals_data();
    void submitRefusals();
    void submitWritesEverything();
    void submitEuroRow();
};

namespace
{
CurrencyChoice defaultChoice()
{
    CurrencyChoice choice;
    choice.rows[0] = {QStringLiteral("Euro"), QStringLiteral("1"), QStringLiteral("1")};
    choice.rows[1] = {QStringLiteral("CHF"), QStringLiteral("1.54982"), QStringLiteral(".64523622")};
    choice.rows[2] = {QStringLiteral("USD"), QStringLiteral("1.16064"), QStringLiteral(".8615936")};
    choice.rows[3] = {QStringLiteral("GBP"), QStringLiteral("0.693724"), QStringLiteral("1.44149547")};
    choice.rows[4] = {QString(), QStringLiteral("0"), QString()};
    choice.rows[5] = {QString(), QStringLiteral("0"), QString()};
    return choice;
}
} // namespace

void tst_CurrencyTable::inverseRate_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("inverse"); // "-" when the division fails

    QTest::newRow("en: 1.54982 gives .64523622") << "en"
                                                 << "1.54982"
                                                 << ".64523622";
    QTest::newRow("en: 1.16064 drops the trailing zero") << "en"
                                                         << "1.16064"
                                                         << ".8615936";
    QTest::newRow("en: 0.693724 gives 1.44149547") << "en"
                                                   << "0.693724"
                                                   << "1.44149547";
    QTest::newRow("en: 2 gives .5") << "en"
                                    << "2"
                                    << ".5";
    QTest::newRow("en: 0.5 gives 2. with the point") << "en"
                                                     << "0.5"
                                                     << "2.";
    QTest::newRow("en: 1,5 reads as 1") << "en"
                                        << "1,5"
                                        << "1.";
    QTest::newRow("en: -2 gives -.5") << "en"
                                      << "-2"
                                      << "-.5";
    QTest::newRow("en: 1e9 rounds to nothing but the point") << "en"
                                                             << "1e9"
                                                             << ".";
    QTest::newRow("en: 0 fails") << "en"
                                 << "0"
                                 << "-";
    QTest::newRow("en: empty fails") << "en"
                                     << ""
                                     << "-";
    QTest::newRow("en: abc fails") << "en"
                                   << "abc"
                                   << "-";
    QTest::newRow("fr: 1,54982 keeps its decimals") << "fr"
                                                    << "1,54982"
                                                    << ",64523622";
    QTest::newRow("fr: 0,5 gives 2,") << "fr"
                                      << "0,5"
                                      << "2,";
    QTest::newRow("fr: 1.5 is unreadable") << "fr"
                                           << "1.5"
                                           << "-";
    QTest::newRow("fr: 1,5abc is unreadable") << "fr"
                                              << "1,5abc"
                                              << "-";
    QTest::newRow("nl: 1,16064 gives ,8615936") << "nl"
                                                << "1,16064"
                                                << ",8615936";
    QTest::newRow("nl: 1.000 is a thousand") << "nl"
                                             << "1.000"
                                             << ",001";
}

void tst_CurrencyTable::inverseRate()
{
    QFETCH(QString, locale);
    QFETCH(QString, rate);
    QFETCH(QString, inverse);
    const std::optional<QString> result = InverseRate(rate, TestSupport::locale(locale));
    QCOMPARE(result.value_or(QStringLiteral("-")), inverse);
}

void tst_CurrencyTable::nextInverseRate_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("previous");
    QTest::addColumn<QString>("next");

    QTest::newRow("en: 2 replaces the old inverse") << "en"
                                                    << "2"
                                                    << ".8615936"
                                                    << ".5";
    QTest::newRow("en: 0 keeps the old inverse") << "en"
                                                 << "0"
                                                 << ".8615936"
                                                 << ".8615936";
    QTest::newRow("en: abc keeps the old inverse") << "en"
                                                   << "abc"
                                                   << ".5"
                                                   << ".5";
    QTest::newRow("en: empty empties it") << "en"
                                          << ""
                                          << ".8615936"
                                          << "";
    QTest::newRow("fr: 0 keeps the old inverse") << "fr"
                                                 << "0"
                                                 << ",5"
                                                 << ",5";
    QTest::newRow("fr: 4 replaces it") << "fr"
                                       << "4"
                                       << ",5"
                                       << ",25";
}

void tst_CurrencyTable::nextInverseRate()
{
    QFETCH(QString, locale);
    QFETCH(QString, rate);
    QFETCH(QString, previous);
    QFETCH(QString, next);
    QCOMPARE(NextInverseRate(rate, previous, TestSupport::locale(locale)), next);
}

void tst_CurrencyTable::rateTooltip()
{
    QCOMPARE(RateTooltip(QStringLiteral("CHF"), QStringLiteral("1.54982")), QStringLiteral("1 € = 1.54982 CHF"));
    QCOMPARE(RateTooltip(QStringLiteral("USD"), QString()), QStringLiteral("1 € =  USD"));
}

void tst_CurrencyTable::settingFlag_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fallback");
    QTest::addColumn<bool>("flag");

    QTest::newRow("True") << "True" << false << true;
    QTest::newRow("False") << "False" << true << false;
    QTest::newRow("letter case does not count") << "fALSE" << true << false;
    QTest::newRow("garbage gives the fallback true") << "maybe" << true << true;
}

void tst_CurrencyTable::settingFlag()
{
    QFETCH(QString, text);
    QFETCH(bool, fallback);
    QFETCH(bool, flag);
    QCOMPARE(SettingFlag(text, fallback), flag);
}

void tst_CurrencyTable::currentCurrency_data()
{
    QTest::addColumn<QString>("curDev"); // "<absent>" leaves it out
    QTest::addColumn<QString>("devKey");
    QTest::addColumn<QString>("devName"); // "<absent>" leaves it out
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("foreign");
    QTest::addColumn<QString>("name");

    QTest::newRow("no CurDev: row 0, the Euro") << "<absent>"
                                                << "Dev1"
                                                << "CHF"
                                                << "0" << false << "Euro";
    QTest::newRow("CurDev 2 naming USD is foreign") << "2"
                                                    << "Dev2"
                                                    << "USD"
                                                    << "2" << true << "USD";
    QTest::newRow("CurDev 4 without a name is the Euro") << "4"
                                                         << "Dev1"
                                                         << "CHF"
                                                         << "4" << false << "Euro";
    QTest::newRow("CurDev 4 naming an empty currency is the Euro") << "4"
                                                                   << "Dev4"
                                                                   << ""
                                                                   << "4" << false << "Euro";
    QTest::newRow("CurDev 0 with a Dev0 is still the Euro") << "0"
                                                            << "Dev0"
                                                            << "XYZ"
                                                            << "0" << false << "Euro";
    QTest::newRow("CurDev abc counts as 0") << "abc"
                                            << "Dev0"
                                            << "XYZ"
                                            << "0" << false << "Euro";
    QTest::newRow("CurDev empty counts as 0") << ""
                                              << "Dev1"
                                              << "CHF"
                                              << "0" << false << "Euro";
    QTest::newRow("CurDev with blanks") << " 3 "
                                        << "Dev3"
                                        << "GBP"
                                        << "3" << true << "GBP";
}

void tst_CurrencyTable::currentCurrency()
{
    QFETCH(QString, curDev);
    QFETCH(QString, devKey);
    QFETCH(QString, devName);
    QFETCH(QString, key);
    QFETCH(bool, foreign);
    QFETCH(QString, name);

    Environment env("en");
    if (curDev != u"<absent>")
        env.put(QStringLiteral("Anna"), QStringLiteral("CurDev"), curDev);
    if (devName != u"<absent>")
        env.put(QStringLiteral("Devises"), devKey, devName);
    const CurrentCurrency current = ReadCurrentCurrency(QStringLiteral("Anna"));
    QCOMPARE(current.key, key);
    QCOMPARE(current.foreign, foreign);
    QCOMPARE(current.name, name);
    if (!foreign) {
        QCOMPARE(current.rate, QStringLiteral("1"));
        QCOMPARE(current.factor, QStringLiteral("1"));
    }
}

void tst_CurrencyTable::currentCurrencyRates()
{
    Environment env("fr");
    env.put(QStringLiteral("anna"), QStringLiteral("curdev"), QStringLiteral("2"));
    env.put(QStringLiteral("Devises"), QStringLiteral("Dev2"), QStringLiteral("USD"));
    CurrentCurrency current = ReadCurrentCurrency(QStringLiteral("Anna"));
    QVERIFY(current.foreign);
    QCOMPARE(current.rate, QStringLiteral("1"));
    QCOMPARE(current.factor, QStringLiteral("1"));

    env.put(QStringLiteral("Devises"), QStringLiteral("Taux2"), QStringLiteral("1,16064"));
    env.put(QStringLiteral("Devises"), QStringLiteral("TauxBis2"), QStringLiteral(",8615936"));
    current = ReadCurrentCurrency(QStringLiteral("Anna"));
    QCOMPARE(current.rate, QStringLiteral("1,16064"));
    QCOMPARE(current.factor, QStringLiteral(",8615936"));
}

void tst_CurrencyTable::foreignAmountTooltip_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<float>("langOfs");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("factor");
    QTest::addColumn<QString>("tooltip");

    QTest::newRow("en: 50 at 0.861594") << "en" << 0.f << "50"
                                        << "0.861594"
                                        << "Paid amount in USD -  43.08 €";
    QTest::newRow("en: empty amount has no value") << "en" << 0.f << ""
                                                   << "0.861594"
                                                   << "Paid amount in USD";
    QTest::newRow("en: 12,50 counts as 12") << "en" << 0.f << "12,50"
                                            << "0.861594"
                                            << "Paid amount in USD -  10.34 €";
    QTest::newRow("en: empty factor gives no value") << "en" << 0.f << "50"
                                                     << ""
                                                     << "Paid amount in USD";
    QTest::newRow("fr: 50 at ,861594") << "fr" << 1.f << "50"
                                       << ",861594"
                                       << "Montant payé en USD -  43.08 €";
    QTest::newRow("fr: unreadable amount gives no value") << "fr" << 1.f << "abc"
                                                          << ",8"
                                                          << "Montant payé en USD";
}

void tst_CurrencyTable::foreignAmountTooltip()
{
    QFETCH(QString, locale);
    QFETCH(float, langOfs);
    QFETCH(QString, amount);
    QFETCH(QString, factor);
    QFETCH(QString, tooltip);
    Environment env(locale, langOfs);
    QCOMPARE(ForeignAmountTooltip(QStringLiteral("USD"), amount, Mixed(factor)), tooltip);
}

void tst_CurrencyTable::submitRefusals_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<int>("selected");
    QTest::addColumn<float>("langOfs");
    QTest::addColumn<QString>("refusal"); // empty: accepted

    QTest::newRow("named row without rate, not selected") << 2 << "USD"
                                                          << "" << 0 << 0.f << "USD - Exchange Rate not Specified";
    QTest::newRow("named row without rate, fr") << 5 << "JPY"
                                                << "" << 0 << 1.f << "JPY - Taux non Spécifié";
    QTest::newRow("named selected row without rate names the rate")
        << 4 << "SEK"
        << "" << 4 << 0.f << "SEK - Exchange Rate not Specified";
    QTest::newRow("selected row with a rate but no name") << 4 << ""
                                                          << "10" << 4 << 0.f << "Select a correct currency";
    QTest::newRow("selected row with neither name nor rate, nl")
        << 5 << ""
        << "" << 5 << 2.f << "Gelieve een juiste munteenheid te kiezen";
    QTest::newRow("unselected row with a rate but no name is fine") << 4 << ""
                                                                    << "10" << 2 << 0.f << "";
    QTest::newRow("unselected empty row is fine") << 5 << ""
                                                  << "" << 0 << 0.f << "";
}

void tst_CurrencyTable::submitRefusals()
{
    QFETCH(int, row);
    QFETCH(QString, name);
    QFETCH(QString, rate);
    QFETCH(int, selected);
    QFETCH(float, langOfs);
    QFETCH(QString, refusal);
    Environment env("en", langOfs);
    CurrencyChoice choice = defaultChoice();
    choice.rows[row] = {name, rate, QString()};
    choice.selected = selected;
    const CurrencySubmit submit = SubmitCurrencies(choice, QStringLiteral("Anna"));
    QCOMPARE(submit.refusal.value_or(QString()), refusal);
    QCOMPARE(submit.writes.empty(), !refusal.isEmpty());
}

void tst_CurrencyTable::submitWritesEverything()
{
    Environment env("en");
    CurrencyChoice choice = defaultChoice();
    choice.rows[4] = {QString(), QStringLiteral("10"), QStringLiteral(".1")};
    choice.selected = 2;
    choice.showMessage = false;
    const CurrencySubmit submit = SubmitCurrencies(choice, QStringLiteral("Anna"));
    QVERIFY(!submit.refusal);
    QCOMPARE(submit.current, 2);
    QCOMPARE(submit.label, QStringLiteral("USD"));

    QStringList written;
    for (const SettingsStore::Write& w : submit.writes)
        written << w.section + u'/' + w.key + u'=' + w.value;
    written.sort();
    const QStringList expected = {"Anna/AffCurrMess=False",
                                  "Anna/CurDev=2",
                                  "Devises/Dev1=CHF",
                                  "Devises/Dev2=USD",
                                  "Devises/Dev3=GBP",
                                  "Devises/Dev4=",
                                  "Devises/Dev5=",
                                  "Devises/Taux1=1.54982",
                                  "Devises/Taux2=1.16064",
                                  "Devises/Taux3=0.693724",
                                  "Devises/Taux4=10",
                                  "Devises/Taux5=0",
                                  "Devises/TauxBis1=.64523622",
                                  "Devises/TauxBis2=.8615936",
                                  "Devises/TauxBis3=1.44149547",
                                  "Devises/TauxBis4=.1",
                                  "Devises/TauxBis5="};
    QCOMPARE(written, expected);
}

void tst_CurrencyTable::submitEuroRow()
{
    Environment env("en");
    CurrencyChoice choice = defaultChoice();
    choice.selected = 0;
    const CurrencySubmit submit = SubmitCurrencies(choice, QStringLiteral("Anna"));
    QVERIFY(!submit.refusal);
    QCOMPARE(submit.current, 0);
    QCOMPARE(submit.label, QStringLiteral("Euro"));
    bool curDevWritten = false;
    for (const SettingsStore::Write& w : submit.writes) {
        if (w.key == u"CurDev") {
            QCOMPARE(w.value, QStringLiteral("0"));
            curDevWritten = true;
        }
        if (w.key == u"AffCurrMess")
            QCOMPARE(w.value, QStringLiteral("True"));
    }
    QVERIFY(curDevWritten);
}

QTEST_GUILESS_MAIN(tst_CurrencyTable)
#include "tst_currencytable.moc"
