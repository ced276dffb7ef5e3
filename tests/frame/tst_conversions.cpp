#include "frame/Conversions.h"

#include "TestSupport.h"

#include <QTest>

using TestSupport::locale;

class TestConversions : public QObject
{
    Q_OBJECT

private slots:
    void valText_data();
    void valText();
    void strNumber_data();
    void strNumber();
    void localeNumber_data();
    void localeNumber();
    void localeWholeNumber_data();
    void localeWholeNumber();
    void localeText_data();
    void localeText();
    void formatPattern_data();
    void formatPattern();
    void formatDate_data();
    void formatDate();
    void euroValue_data();
    void euroValue();
};

void TestConversions::valText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("a comma ends the number: 12,50 is 12") << "12,50" << 12.0;
    QTest::newRow("12.50 is 12.5") << "12.50" << 12.5;
    QTest::newRow("blanks inside are dropped: 1 234") << "1 234" << 1234.0;
    QTest::newRow("tabs and line feeds are dropped") << "\t1\n2" << 12.0;
    QTest::newRow("empty is 0") << "" << 0.0;
    QTest::newRow("letters are 0") << "abc" << 0.0;
    QTest::newRow("reads up to the second point") << "1.2.3" << 1.2;
    QTest::newRow("sign and exponent") << " -3.5e2x" << -350.0;
    QTest::newRow("an exponent without digits is ignored") << "7e" << 7.0;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("stops at a letter") << "12abc" << 12.0;
    QTest::newRow("beyond the double range reads 0") << "1e999" << 0.0;
}

void TestConversions::valText()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(ValText(text), expected);
}

void TestConversions::strNumber_data()
{
    QTest::addColumn<double>("number");
    QTest::addColumn<QString>("expected");
    QTest::newRow("350 gets a leading blank") << 350.0 << " 350";
    QTest::newRow("6.5") << 6.5 << " 6.5";
    QTest::newRow("negative gets the sign only") << -2.0 << "-2";
    QTest::newRow("zero") << 0.0 << " 0";
    QTest::newRow("15 significant digits") << 1.0 / 3 << " 0.333333333333333";
    QTest::newRow("0.1 + 0.2 is written 0.3") << 0.1 + 0.2 << " 0.3";
    QTest::newRow("very large uses the exponent") << 1e16 << " 1E+16";
    QTest::newRow("very small uses the exponent") << 1.5e-7 << " 1.5E-07";
    QTest::newRow("650.5") << 650.5 << " 650.5";
}

void TestConversions::strNumber()
{
    QFETCH(double, number);
    QFETCH(QString, expected);
    for (const char* name : {"en", "fr", "nl"}) {
        setUserLocale(locale(QString::fromLatin1(name)));
        QCOMPARE(StrNumber(number), expected);
    }
}

void TestConversions::localeNumber_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("expected");
    QTest::newRow("en: 12.5") << "en" << "12.5" << true << 12.5;
    QTest::newRow("en: 46,80 is 4680, the comma groups") << "en" << "46,80" << true << 4680.0;
    QTest::newRow("en: 1,234.5") << "en" << "1,234.5" << true << 1234.5;
    QTest::newRow("en: surrounding blanks") << "en" << "  7 " << true << 7.0;
    QTest::newRow("en: sign and exponent") << "en" << "-1.5E-2" << true << -0.015;
    QTest::newRow("en: trailing point") << "en" << "12." << true << 12.0;
    QTest::newRow("en: empty fails") << "en" << "" << false << 0.0;
    QTest::newRow("en: letters fail") << "en" << "abc" << false << 0.0;
    QTest::newRow("en: two points fail") << "en" << "1.2.3" << false << 0.0;
    QTest::newRow("en: grouping before any digit fails") << "en" << ",5" << false << 0.0;
    QTest::newRow("en: exponent without digits fails") << "en" << "1e" << false << 0.0;
    QTest::newRow("en: beyond the double range fails") << "en" << "1e400" << false << 0.0;
    QTest::newRow("en: a blank inside fails") << "en" << "1 2" << false << 0.0;
    QTest::newRow("fr: 12,50 reads 12.5") << "fr" << "12,50" << true << 12.5;
    QTest::newRow("fr: plain space groups") << "fr" << "1 234,5" << true << 1234.5;
    QTest::newRow("fr: narrow no-break space groups") << "fr" << QString::fromUtf8("1\u202F234,5") << true << 1234.5;
    QTest::newRow("fr: 12.50 fails") << "fr" << "12.50" << false << 0.0;
    QTest::newRow("fr: 1.2.3 fails") << "fr" << "1.2.3" << false << 0.0;
    QTest::newRow("nl: 06,15") << "nl" << "06,15" << true << 6.15;
    QTest::newRow("nl: 37.44 is 3744, the point groups") << "nl" << "37.44" << true << 3744.0;
    QTest::newRow("nl: 1.234,5") << "nl" << "1.234,5" << true << 1234.5;
}

void TestConversions::localeNumber()
{
    QFETCH(QString, localeName);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, expected);
    setUserLocale(locale(localeName));
    if (!ok) {
        QVERIFY_THROWS_EXCEPTION(VbError, LocaleNumber(text));
        QVERIFY_THROWS_EXCEPTION(VbError, StrNumber(Mixed(text)));
        return;
    }
    QCOMPARE(LocaleNumber(text), expected);
}

void TestConversions::localeWholeNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("expected");
    QTest::newRow("2.5 rounds to the even 2") << "2.5" << true << 2;
    QTest::newRow("3.5 rounds to the even 4") << "3.5" << true << 4;
    QTest::newRow("smallest 32-bit number") << "-2147483648" << true << int(-2147483648LL);
    QTest::newRow("beyond 32 bits overflows") << "2147483648" << false << 0;
    QTest::newRow("99999999999 overflows") << "99999999999" << false << 0;
    QTest::newRow("abc is a type mismatch") << "abc" << false << 0;
}

void TestConversions::localeWholeNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, expected);
    setUserLocale(locale(QStringLiteral("en")));
    if (ok)
        QCOMPARE(LocaleWholeNumber(text), expected);
    else
        QVERIFY_THROWS_EXCEPTION(VbError, LocaleWholeNumber(text));
}

void TestConversions::localeText_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<double>("number");
    QTest::addColumn<QString>("expected");
    QTest::newRow("en: 12.5") << "en" << 12.5 << "12.5";
    QTest::newRow("fr: 12,5") << "fr" << 12.5 << "12,5";
    QTest::newRow("nl: 12,5") << "nl" << 12.5 << "12,5";
    QTest::newRow("whole numbers have no separator") << "fr" << 43.0 << "43";
    QTest::newRow("zero") << "nl" << 0.0 << "0";
    QTest::newRow("no grouping") << "en" << 1234567.0 << "1234567";
    QTest::newRow("negative, no leading blank") << "en" << -0.5 << "-0.5";
    QTest::newRow("37.44 stays as it is") << "en" << 37.44 << "37.44";
}

void TestConversions::localeText()
{
    QFETCH(QString, localeName);
    QFETCH(double, number);
    QFETCH(QString, expected);
    setUserLocale(locale(localeName));
    QCOMPARE(LocaleText(number), expected);
}

void TestConversions::formatPattern_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QString>("value"); // a number written in "." notation, or a text
    QTest::addColumn<bool>("isText");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");
    QTest::newRow("6.544 gives 06.54") << "en" << "6.544" << false << "00.00" << "06.54";
    QTest::newRow("6.545 rounds up to 06.55") << "en" << "6.545" << false << "00.00" << "06.55";
    QTest::newRow("1.005 rounds up to 01.01") << "en" << "1.005" << false << "00.00" << "01.01";
    QTest::newRow("0 gives 00.00") << "en" << "0" << false << "00.00" << "00.00";
    QTest::newRow("123.456 keeps its integer digits") << "en" << "123.456" << false << "00.00" << "123.46";
    QTest::newRow("9.999 carries into the integer") << "en" << "9.999" << false << "00.00" << "10.00";
    QTest::newRow("negative") << "en" << "-1.5" << false << "00.00" << "-01.50";
    QTest::newRow("fr: 0 gives 00,00") << "fr" << "0" << false << "00.00" << "00,00";
    QTest::newRow("nl: 6.15") << "nl" << "6.15" << false << "00.00" << "06,15";
    QTest::newRow("7.75 in three decimals") << "en" << "7.75" << false << "00.000" << "07.750";
    QTest::newRow("7.4666 in three decimals") << "en" << "7.466666666666667" << false << "00.000" << "07.467";
    QTest::newRow("12.5 in three decimals") << "en" << "12.5" << false << "00.000" << "12.500";
    QTest::newRow("a text that is no number stays") << "en" << "abc" << true << "00.00" << "abc";
    QTest::newRow("a text is read in the locale") << "fr" << "6,547" << true << "00.00" << "06,55";
    QTest::newRow("fr: a point text is no number there") << "fr" << " 6.03" << true << "00.00" << " 6.03";
    QTest::newRow("inverse rate of 1.54982") << "en" << "0.6452362209804" << false << "##.########" << ".64523622";
    QTest::newRow("inverse rate .5") << "en" << "0.5" << false << "##.########" << ".5";
    QTest::newRow("inverse rate 2. keeps its point") << "en" << "2" << false << "##.########" << "2.";
    QTest::newRow("fr: inverse rate ,5") << "fr" << "0.5" << false << "##.########" << ",5";
}

void TestConversions::formatPattern()
{
    QFETCH(QString, localeName);
    QFETCH(QString, value);
    QFETCH(bool, isText);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    setUserLocale(locale(localeName));
    if (isText)
        QCOMPARE(FormatPattern(Mixed(value), pattern), expected);
    else
        QCOMPARE(FormatPattern(value.toDouble(), pattern), expected);
}

void TestConversions::formatDate_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");
    QTest::newRow("en short") << "en" << "dd mmmm yyyy" << "05 December 2026";
    QTest::newRow("fr short") << "fr" << "dd mmmm yyyy" << QString::fromUtf8("05 décembre 2026");
    QTest::newRow("nl short") << "nl" << "dd mmmm yyyy" << "05 december 2026";
    QTest::newRow("en long") << "en" << "dddd dd mmmm yyyy" << "Saturday 05 December 2026";
    QTest::newRow("fr long") << "fr" << "dddd dd mmmm yyyy" << QString::fromUtf8("samedi 05 décembre 2026");
}

void TestConversions::formatDate()
{
    QFETCH(QString, localeName);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    setUserLocale(locale(localeName));
    const QDate date(2026, 12, 5);
    QCOMPARE(FormatPattern(date, pattern), expected);
    QCOMPARE(DateFromText(expected), date);
    QVERIFY(!DateFromText(u"5 Dezember 2026").isValid());
}

void TestConversions::euroValue_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("factor");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("expected");
    QTest::newRow("en: 46.80 at 0.8") << "en" << "46.80" << "0.8" << true << 37.44;
    QTest::newRow("en: 46,80 is read as 46") << "en" << "46,80" << "0.8" << true << 36.8;
    QTest::newRow("en: 50 at 0.861594 rounds to cents") << "en" << "50" << "0.861594" << true << 43.08;
    QTest::newRow("fr: 46,80 at 0,8") << "fr" << "46,80" << "0,8" << true << 37.44;
    QTest::newRow("nl: 46,80 at 0,8 is not a hundredfold") << "nl" << "46,80" << "0,8" << true << 37.44;
    QTest::newRow("fr: an unreadable factor fails") << "fr" << "10" << "" << false << 0.0;
    QTest::newRow("fr: an unreadable amount fails") << "fr" << "1.2.3" << "1" << false << 0.0;
}

void TestConversions::euroValue()
{
    QFETCH(QString, localeName);
    QFETCH(QString, amount);
    QFETCH(QString, factor);
    QFETCH(bool, ok);
    QFETCH(double, expected);
    setUserLocale(locale(localeName));
    if (ok)
        QCOMPARE(EuroValue(amount, Mixed(factor)), expected);
    else
        QVERIFY_THROWS_EXCEPTION(VbError, EuroValue(amount, Mixed(factor)));
}

QTEST_GUILESS_MAIN(TestConversions)
#include "tst_conversions.moc"
