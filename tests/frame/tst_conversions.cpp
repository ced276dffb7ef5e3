// The five number and text conversions and the Euro value under English,
// French and Dutch notation, and the string table.
#include "frame/Conversions.h"
#include "frame/Module1.h"
#include "frame/StringTable.h"

#include "TestSupport.h"

#include <QTest>

using TestSupport::locale;

class TestConversions : public QObject
{
    Q_OBJECT

private slots:
    void valText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("a comma ends the number: 12,50 is 12") << "12,50" << 12.0;
        QTest::newRow("12.50 is 12.5") << "12.50" << 12.5;
        QTest::newRow("blanks, tabs and line feeds are dropped") << "1 2\t3\n4" << 1234.0;
        QTest::newRow("empty is 0") << "" << 0.0;
        QTest::newRow("letters are 0") << "abc" << 0.0;
        QTest::newRow("reads up to the second point") << "1.2.3" << 1.2;
        QTest::newRow("sign and exponent") << " -3.5e2x" << -350.0;
        QTest::newRow("beyond the double range reads 0") << "1e999" << 0.0;
    }

    void valText()
    {
        QFETCH(QString, text);
        QTEST(ValText(text), "expected");
    }

    void strNumber_data()
    {
        QTest::addColumn<double>("number");
        QTest::addColumn<QString>("expected");
        QTest::newRow("350 gets a leading blank") << 350.0 << " 350";
        QTest::newRow("6.5") << 6.5 << " 6.5";
        QTest::newRow("negative gets the sign only") << -2.0 << "-2";
        QTest::newRow("15 significant digits") << 1.0 / 3 << " 0.333333333333333";
        QTest::newRow("0.1 + 0.2 is written 0.3") << 0.1 + 0.2 << " 0.3";
        QTest::newRow("very large uses the exponent") << 1e16 << " 1E+16";
        QTest::newRow("very small uses the exponent") << 1.5e-7 << " 1.5E-07";
    }

    // The same under every notation.
    void strNumber()
    {
        QFETCH(double, number);
        for (const char* name : {"en", "fr", "nl"}) {
            setUserLocale(locale(name));
            QTEST(StrNumber(number), "expected");
        }
    }

    void localeNumber_data()
    {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected"); // -1: the type-mismatch error
        const auto row = [](const char* name, const char* locale, const QString& text, double expected) {
            QTest::newRow(name) << QString(locale) << text << expected;
        };
        row("en: 12.5", "en", "12.5", 12.5);
        row("en: 46,80 is 4680, the comma groups", "en", "46,80", 4680.0);
        row("en: surrounding blanks, sign and exponent", "en", "  -1.5E-2 ", -0.015);
        row("en: empty fails", "en", "", -1);
        row("en: letters fail", "en", "abc", -1);
        row("en: two points fail", "en", "1.2.3", -1);
        row("en: grouping before any digit fails", "en", ",5", -1);
        row("en: beyond the double range fails", "en", "1e400", -1);
        row("fr: 12,50 reads 12.5", "fr", "12,50", 12.5);
        row("fr: plain space groups", "fr", "1 234,5", 1234.5);
        row("fr: narrow no-break space groups", "fr", "1\u202F234,5", 1234.5);
        row("fr: 12.50 fails", "fr", "12.50", -1);
        row("nl: 37.44 is 3744, the point groups", "nl", "37.44", 3744.0);
        row("nl: 1.234,5", "nl", "1.234,5", 1234.5);
    }

    void localeNumber()
    {
        QFETCH(QString, localeName);
        QFETCH(QString, text);
        QFETCH(double, expected);
        setUserLocale(locale(localeName));
        if (expected == -1) {
            QVERIFY_THROWS_EXCEPTION(VbError, LocaleNumber(text));
            QVERIFY_THROWS_EXCEPTION(VbError, StrNumber(Mixed(text)));
        } else {
            QCOMPARE(LocaleNumber(text), expected);
        }
    }

    void localeWholeNumber()
    {
        setUserLocale(locale("en"));
        QCOMPARE(LocaleWholeNumber(u"2.5"), 2); // half to even
        QCOMPARE(LocaleWholeNumber(u"3.5"), 4);
        QCOMPARE(LocaleWholeNumber(u"-2147483648"), int(-2147483648LL));
        QVERIFY_THROWS_EXCEPTION(VbError, LocaleWholeNumber(u"2147483648"));
        QVERIFY_THROWS_EXCEPTION(VbError, LocaleWholeNumber(u"abc"));
    }

    void localeText()
    {
        setUserLocale(locale("en"));
        QCOMPARE(LocaleText(12.5), QString("12.5"));
        QCOMPARE(LocaleText(1234567.0), QString("1234567")); // no grouping
        QCOMPARE(LocaleText(-0.5), QString("-0.5"));
        setUserLocale(locale("nl"));
        QCOMPARE(LocaleText(12.5), QString("12,5"));
        QCOMPARE(LocaleText(43.0), QString("43"));
    }

    void formatPattern_data()
    {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<QString>("value"); // a number in "." notation, or a text to read in the locale
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* locale, const char* value, const char* pattern,
                            const char* expected) {
            QTest::newRow(name) << QString(locale) << QString(value) << QString(pattern) << QString(expected);
        };
        row("6.544 gives 06.54", "en", "6.544", "00.00", "06.54");
        // Rounded half away from zero on 15 significant digits, where binary rounding gives 06.54.
        row("6.545 rounds up to 06.55", "en", "6.545", "00.00", "06.55");
        row("1.005 rounds up to 01.01", "en", "1.005", "00.00", "01.01");
        row("0 gives 00.00", "en", "0", "00.00", "00.00");
        row("123.456 keeps its integer digits", "en", "123.456", "00.00", "123.46");
        row("9.999 carries into the integer", "en", "9.999", "00.00", "10.00");
        row("negative", "en", "-1.5", "00.00", "-01.50");
        row("fr: 0 gives 00,00", "fr", "0", "00.00", "00,00");
        row("7.4666 in three decimals", "en", "7.466666666666667", "00.000", "07.467");
        row("inverse rate of 1.54982", "en", "0.6452362209804", "##.########", ".64523622");
        row("inverse rate 2. keeps its point", "en", "2", "##.########", "2.");
        row("fr: inverse rate ,5", "fr", "0.5", "##.########", ",5");
        row("a text that is no number stays", "en", "text:abc", "00.00", "abc");
        row("fr: a text is read in the locale", "fr", "text:6,547", "00.00", "06,55");
        row("fr: a point text is no number there", "fr", "text: 6.03", "00.00", " 6.03");
    }

    void formatPattern()
    {
        QFETCH(QString, localeName);
        QFETCH(QString, value);
        QFETCH(QString, pattern);
        setUserLocale(locale(localeName));
        if (value.startsWith("text:"))
            QTEST(FormatPattern(Mixed(value.mid(5)), pattern), "expected");
        else
            QTEST(FormatPattern(value.toDouble(), pattern), "expected");
    }

    void formatDate_data()
    {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        QTest::newRow("en short") << "en"
                                  << "dd mmmm yyyy"
                                  << "05 December 2026";
        QTest::newRow("fr short") << "fr"
                                  << "dd mmmm yyyy"
                                  << "05 décembre 2026";
        QTest::newRow("nl long") << "nl"
                                 << "dddd dd mmmm yyyy"
                                 << "zaterdag 05 december 2026";
    }

    void formatDate()
    {
        QFETCH(QString, localeName);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        setUserLocale(locale(localeName));
        QCOMPARE(FormatPattern(QDate(2026, 12, 5), pattern), expected);
        QCOMPARE(DateFromText(expected), QDate(2026, 12, 5));
        QVERIFY(!DateFromText(u"5 Dezember 2026").isValid());
    }

    // The amount read with ValText where "." is the decimal separator, with LocaleNumber elsewhere.
    void euroValue_data()
    {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("factor");
        QTest::addColumn<double>("expected"); // -1: fails
        QTest::newRow("en: 46.80 at 0.8") << "en"
                                          << "46.80"
                                          << "0.8" << 37.44;
        QTest::newRow("en: 46,80 is read as 46") << "en"
                                                 << "46,80"
                                                 << "0.8" << 36.8;
        QTest::newRow("en: 50 at 0.861594 rounds to cents") << "en"
                                                            << "50"
                                                            << "0.861594" << 43.08;
        QTest::newRow("fr: 46,80 at 0,8") << "fr"
                                          << "46,80"
                                          << "0,8" << 37.44;
        QTest::newRow("nl: 46,80 at 0,8 is not a hundredfold") << "nl"
                                                               << "46,80"
                                                               << "0,8" << 37.44;
        QTest::newRow("fr: an unreadable factor fails") << "fr"
                                                        << "10"
                                                        << "" << -1.0;
        QTest::newRow("fr: an unreadable amount fails") << "fr"
                                                        << "1.2.3"
                                                        << "1" << -1.0;
    }

    void euroValue()
    {
        QFETCH(QString, localeName);
        QFETCH(QString, amount);
        QFETCH(QString, factor);
        QFETCH(double, expected);
        setUserLocale(locale(localeName));
        if (expected == -1)
            QVERIFY_THROWS_EXCEPTION(VbError, EuroValue(amount, Mixed(factor)));
        else
            QCOMPARE(EuroValue(amount, Mixed(factor)), expected);
    }

    void everyIdHasItsText()
    {
        for (int id = 101; id <= 284; ++id)
            QVERIFY2(!LoadResString(id).isEmpty(), qPrintable(QString::number(id)));
        QCOMPARE(LoadResString(100), QString());
        // Texts are used as they stand, missing letters included.
        QCOMPARE(LoadResString(131), QString("Afsluiten"));
        QCOMPARE(LoadResString(280), QString("L'mport des données a échoué"));
        QCOMPARE(LoadResString(284), QString("Data Export failed"));
    }

    void localizedText_data()
    {
        QTest::addColumn<float>("langOfs");
        QTest::addColumn<int>("base");
        QTest::addColumn<QString>("expected");
        QTest::newRow("nl: 128 is Sluiten, not Afsluiten") << 2.0f << 128 << "Sluiten";
        QTest::newRow("fr: 128 is Quitter") << 1.0f << 128 << "Quitter";
        QTest::newRow("fr: 186 is Erreur") << 1.0f << 186 << "Erreur";
        QTest::newRow("en: 186 is Error") << 0.0f << 186 << "Error";
        QTest::newRow("en: 132 after the run of four") << 0.0f << 132 << "Data";
        QTest::newRow("nl: 269 holds English") << 2.0f << 267 << "Data Imported";
        QTest::newRow("fr: 243 keeps its trailing blank") << 1.0f << 243 << QString::fromUtf8("Montant payé en ");
        QTest::newRow("an offset a hair off still rounds to the language") << 0.9999f << 110 << "Fermer";
    }

    void localizedText()
    {
        QFETCH(float, langOfs);
        QFETCH(int, base);
        QFETCH(QString, expected);
        Module1::LangOfs = langOfs;
        QCOMPARE(LocalizedText(base), expected);
    }
};

QTEST_GUILESS_MAIN(TestConversions)
#include "tst_conversions.moc"
