// The number readers and writers under English, French and Dutch notation:
// what a typed text means, what a stored text means, and the Euro value.
#include "core/frame/Conversions.h"

#include "TestSupport.h"

#include <QTest>

using TestSupport::locale;

using TestSupport::addRows;

class TestConversions : public QObject
{
    Q_OBJECT

private slots:
    // locale|reader|text|value, "-" for a text that is not a number. Typed texts
    // are read in the user's notation, stored ones with one "." or "," among
    // digits as the decimal separator, ValText up to what it cannot use.
    void reading_data()
    {
        addRows("%1: %2 \"%3\" reads %4", R"(
            en|typed|12.5|12.5; en|typed|1,234.5|1234.5; en|typed|1,234,567|1234567; en|typed|+12|12
            en|typed|31,0|-; en|typed|60,50|-; en|typed|1,23,456|-; en|typed|12,3456|-; en|typed|1,234,56|-
            en|typed|,5|-; en|typed|1.234,5|-; en|typed|1.2.3|-; en|typed|12abc|-; en|typed|12.5x|-
            en|typed|1e5x|-; en|typed|1e|-; en|typed|12-|-; en|typed|--12|-; en|typed||-
            en|typed|1e308|1e308; en|typed|1.7976931348623157e308|1.7976931348623157e308; en|typed|1.8e308|-
            en|typed|1e999|-; en|typed|1e-320|1e-320; en|typed|1e-400|0
            fr|typed|12,50|12.5; fr|typed|1 234,5|1234.5; fr|typed|12.50|-; fr|typed|1 23|-
            nl|typed|1.234,5|1234.5; nl|typed|1.000|1000; nl|typed|41.37|-
            fr|typed|1e999|-; fr|typed|-1,5e-400|0; fr|typed|1 234.5|-; fr|typed|12,5-|-; nl|typed|12,5.3|-
            nl|typed|1.23|-; nl|typed|1.234.567,8|1234567.8; nl|typed|-1,5E+3|-1500
            en|stored|06,15|6.15; nl|stored|06.15|6.15; fr|stored|.8615936|0.8615936; en|stored|,64523622|0.64523622
            en|stored|2.|2; en|stored|1,234|1.234; fr|stored|-3.5|-3.5; en|stored|-06,15|-6.15; fr|stored|1.5E+16|1.5e16
            nl|stored|1.234,50|1234.5; fr|stored|12|12; en|stored|1.2.3|-; fr|stored|06,15x|-; en|stored|abc|-
            fr|ValText|12,50|12; en|ValText|-3.5e2x|-350; en|ValText|1e999|0)",
                {"en|typed| -1.5E-2 |-0.015", "en|typed|1\t2|-", "en|typed|12\x07|-", "fr|typed|1\u202F234,5|1234.5",
                 "en|typed|" + QString(400, u'9') + "|-", "en|typed|0." + QString(400, u'0') + "1|0",
                 "en|ValText|1 2\t3|123"});
    }

    void reading()
    {
        QFETCH(QStringList, row);
        const LocaleInfo info = locale(row[0]);
        const std::optional<double> read = row[1] == u"typed"    ? tryLocaleNumber(row[2], info)
                                           : row[1] == u"stored" ? StoredNumber(row[2], info)
                                                                 : std::optional(ValText(row[2]));
        QCOMPARE(read.has_value(), row[3] != u"-");
        if (read)
            QCOMPARE(*read, row[3].toDouble());
    }

    // locale|how|number|text: StrNumber writes "." under every notation,
    // LocaleText and FormatPattern write the user's.
    void writing_data()
    {
        addRows("%1: %2 of %3 is \"%4\"", R"(
            nl|StrNumber|6.5| 6.5; en|StrNumber|-2|-2; en|StrNumber|0.30000000000000004| 0.3
            en|StrNumber|1e16| 1E+16; nl|LocaleText|12.5|12,5; fr|LocaleText|1234567|1234567
            en|StrNumber|0.00001| 0.00001; fr|LocaleText|0.000001|1E-06; en|StrNumber|-1.5e-6|-1.5E-06
            en|00.00|6.544|06.54; en|00.00|6.545|06.55; en|00.00|9.999|10.00; en|00.00|123.456|123.46
            fr|00.00|0|00,00; en|00.000|7.466666666666667|07.467; fr|##.########|0.5|,5)");
    }

    void writing()
    {
        QFETCH(QStringList, row);
        const LocaleInfo info = locale(row[0]);
        const double number = row[2].toDouble();
        QCOMPARE(row[1] == u"StrNumber"    ? StrNumber(number)
                 : row[1] == u"LocaleText" ? LocaleText(number, info)
                                           : FormatPattern(number, row[1], info),
                 row[3]);
    }

    // locale|amount|factor|Euro value, "-" when it fails: the amount read in
    // the user's notation, the factor as stored, rounded half away to cents.
    void euroValue_data()
    {
        addRows("%1: %2 at %3 is %4 €", R"(
            en|46.80|0.8|37.44; en|50|0.861594|43.08; en|2.675|1|2.68; en|1,234.50|.8|987.6
            fr|46,80|,8|37.44; nl|46,80|.8|37.44; en|1e308|2|-; en|1.7976931348623157e308|1|-
            en|60,50|1|-; fr|10||-)");
    }

    void euroValue()
    {
        QFETCH(QStringList, row);
        const LocaleInfo info = locale(row[0]);
        if (row[3] == u"-")
            QVERIFY_THROWS_EXCEPTION(ConversionError, EuroValue(row[1], NumberOrText(row[2]), info));
        else
            QCOMPARE(EuroValue(row[1], NumberOrText(row[2]), info), row[3].toDouble());
    }

    void wholeNumbersAndDates()
    {
        QCOMPARE(LocaleWholeNumber(u"2.5", locale("en")), 2); // half to even
        QVERIFY_THROWS_EXCEPTION(ConversionError, LocaleWholeNumber(u"2147483648", locale("en")));
        const QDate date(2026, 12, 5);
        QCOMPARE(FormatPattern(date, u"dd mmmm yyyy", locale("fr")), QString("05 décembre 2026"));
        QCOMPARE(FormatPattern(date, u"dddd dd mmmm yyyy", locale("nl")), QString("zaterdag 05 december 2026"));
        QCOMPARE(DateFromText(u"05 December 2026", locale("en")), date);
    }
};

QTEST_GUILESS_MAIN(TestConversions)
#include "tst_conversions.moc"
