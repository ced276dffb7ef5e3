// The number and text conversions and the Euro value under English, French
// and Dutch notation, and the string table.
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
    // ValText reads up to the first character it cannot use; LocaleNumber reads the whole
    // text in the user's notation or raises the type-mismatch error (-1 here).
    void reading_data()
    {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        const auto row = [](const char* name, const char* reader, const char* locale, const QString& text,
                            double expected) {
            QTest::newRow(name) << QString(reader) << QString(locale) << text << expected;
        };
        row("ValText: a comma ends the number, 12,50 is 12", "ValText", "fr", "12,50", 12.0);
        row("ValText: 12.50 is 12.5", "ValText", "fr", "12.50", 12.5);
        row("ValText: blanks, tabs and line feeds are dropped", "ValText", "en", "1 2\t3\n4", 1234.0);
        row("ValText: empty is 0", "ValText", "en", "", 0.0);
        row("ValText: sign and exponent", "ValText", "en", " -3.5e2x", -350.0);
        row("ValText: beyond the double range reads 0", "ValText", "en", "1e999", 0.0);
        row("en: 12.5", "LocaleNumber", "en", "12.5", 12.5);
        row("en: 46,80 is 4680, the comma groups", "LocaleNumber", "en", "46,80", 4680.0);
        row("en: surrounding blanks, sign and exponent", "LocaleNumber", "en", "  -1.5E-2 ", -0.015);
        row("en: empty fails", "LocaleNumber", "en", "", -1);
        row("en: letters fail", "LocaleNumber", "en", "abc", -1);
        row("en: grouping before any digit fails", "LocaleNumber", "en", ",5", -1);
        row("fr: 12,50 reads 12.5", "LocaleNumber", "fr", "12,50", 12.5);
        row("fr: plain space groups", "LocaleNumber", "fr", "1 234,5", 1234.5);
        row("fr: narrow no-break space groups", "LocaleNumber", "fr", "1\u202F234,5", 1234.5);
        row("fr: 12.50 fails", "LocaleNumber", "fr", "12.50", -1);
        row("nl: 37.44 is 3744, the point groups", "LocaleNumber", "nl", "37.44", 3744.0);
    }

    void reading()
    {
        QFETCH(QString, reader);
        QFETCH(QString, localeName);
        QFETCH(QString, text);
        QFETCH(double, expected);
        setUserLocale(locale(localeName));
        if (reader == u"ValText") {
            QCOMPARE(ValText(text), expected);
        } else if (expected == -1) {
            QVERIFY_THROWS_EXCEPTION(VbError, LocaleNumber(text));
            QVERIFY_THROWS_EXCEPTION(VbError, StrNumber(Mixed(text)));
        } else {
            QCOMPARE(LocaleNumber(text), expected);
        }
    }

    void wholeNumbers()
    {
        setUserLocale(locale("en"));
        QCOMPARE(LocaleWholeNumber(u"2.5"), 2); // half to even
        QCOMPARE(LocaleWholeNumber(u"3.5"), 4);
        QCOMPARE(LocaleWholeNumber(u"-2147483648"), int(-2147483648LL));
        QVERIFY_THROWS_EXCEPTION(VbError, LocaleWholeNumber(u"2147483648"));
        QVERIFY_THROWS_EXCEPTION(VbError, LocaleWholeNumber(u"abc"));
    }

    // StrNumber writes "." under every notation; LocaleText and FormatPattern write the user's.
    void writing_data()
    {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<QString>("how");   // StrNumber, LocaleText or a pattern
        QTest::addColumn<QString>("value"); // a number in "." notation, or "text:" and a text
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* locale, const char* how, const char* value,
                            const char* expected) {
            QTest::newRow(name) << QString(locale) << QString(how) << QString(value) << QString(expected);
        };
        row("StrNumber: 350 gets a leading blank", "en", "StrNumber", "350", " 350");
        row("StrNumber: nl 6.5 keeps its point", "nl", "StrNumber", "6.5", " 6.5");
        row("StrNumber: negative gets the sign only", "fr", "StrNumber", "-2", "-2");
        row("StrNumber: 15 significant digits", "en", "StrNumber", "0.33333333333333331", " 0.333333333333333");
        row("StrNumber: 0.1 + 0.2 is written 0.3", "en", "StrNumber", "0.30000000000000004", " 0.3");
        row("StrNumber: very large uses the exponent", "en", "StrNumber", "1e16", " 1E+16");
        row("LocaleText: en 12.5", "en", "LocaleText", "12.5", "12.5");
        row("LocaleText: nl 12,5", "nl", "LocaleText", "12.5", "12,5");
        row("LocaleText: no grouping, no separator for whole numbers", "fr", "LocaleText", "1234567", "1234567");
        row("6.544 gives 06.54", "en", "00.00", "6.544", "06.54");
        // Rounded half away from zero on 15 significant digits, where binary rounding gives 06.54.
        row("6.545 rounds up to 06.55", "en", "00.00", "6.545", "06.55");
        row("123.456 keeps its integer digits", "en", "00.00", "123.456", "123.46");
        row("9.999 carries into the integer", "en", "00.00", "9.999", "10.00");
        row("fr: 0 gives 00,00", "fr", "00.00", "0", "00,00");
        row("7.4666 in three decimals", "en", "00.000", "7.466666666666667", "07.467");
        row("inverse rate 2. keeps its point", "en", "##.########", "2", "2.");
        row("fr: inverse rate ,5", "fr", "##.########", "0.5", ",5");
        row("a text that is no number stays", "en", "00.00", "text:abc", "abc");
        row("fr: a text is read in the locale", "fr", "00.00", "text:6,547", "06,55");
    }

    void writing()
    {
        QFETCH(QString, localeName);
        QFETCH(QString, how);
        QFETCH(QString, value);
        setUserLocale(locale(localeName));
        const double number = value.toDouble();
        if (how == u"StrNumber")
            QTEST(StrNumber(number), "expected");
        else if (how == u"LocaleText")
            QTEST(LocaleText(number), "expected");
        else if (value.startsWith("text:"))
            QTEST(FormatPattern(Mixed(value.mid(5)), how), "expected");
        else
            QTEST(FormatPattern(number, how), "expected");
    }

    void dates()
    {
        const QDate date(2026, 12, 5);
        for (const auto& [name, expected] :
             {std::pair{"en", "05 December 2026"}, std::pair{"fr", "05 décembre 2026"}}) {
            setUserLocale(locale(name));
            QCOMPARE(FormatPattern(date, u"dd mmmm yyyy"), QString(expected));
            QCOMPARE(DateFromText(QString(expected)), date);
        }
        setUserLocale(locale("nl"));
        QCOMPARE(FormatPattern(date, u"dddd dd mmmm yyyy"), QString("zaterdag 05 december 2026"));
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

    void stringTable()
    {
        for (int id = 101; id <= 284; ++id)
            QVERIFY2(!LoadResString(id).isEmpty(), qPrintable(QString::number(id)));
        QCOMPARE(LoadResString(100), QString());
        // Texts are used as they stand, missing letters and English in the Dutch slot included.
        QCOMPARE(LoadResString(280) + " / " + LoadResString(269),
                 QString("L'mport des données a échoué / Data Imported"));
        const std::pair<float, int> lookups[] = {{2, 128}, {1, 186}, {1, 243}, {0.9999f, 110}};
        QStringList found;
        for (const auto& [langOfs, base] : lookups) {
            Module1::LangOfs = langOfs;
            found << LocalizedText(base);
        }
        // 128 is a run of four: Dutch is Sluiten, not Afsluiten.
        QCOMPARE(found, (QStringList{"Sluiten", "Erreur", "Montant payé en ", "Fermer"}));
    }
};

QTEST_GUILESS_MAIN(TestConversions)
#include "tst_conversions.moc"
