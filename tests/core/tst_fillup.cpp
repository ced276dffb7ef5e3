// The fill-up being typed (distance, consumption, the save rule), the record a
// save writes, and the total average over the records stored.
#include "core/fuel/FuelCalc.h"
#include "core/records/FillUp.h"
#include "core/records/FillUps.h"
#include "core/records/Report.h"

#include "TestSupport.h"

#include <QTest>

using TestSupport::addRows;
using namespace std::string_literals;

namespace
{
// The store and language of a row's locale, holding the user's keys "Key=value&Key=value".
struct World
{
    World(const QString& localeName, const QString& keys)
        : env(localeName, localeName == u"fr"   ? 1
                          : localeName == u"nl" ? 2
                                                : 0)
    {
        for (const QString& entry : keys.split(u'&', Qt::SkipEmptyParts))
            env.put("Anna", entry.section(u'=', 0, 0), entry.section(u'=', 1));
    }
    TestSupport::Environment env;
};

NumberOrText factorOf(const QString& factor)
{
    return factor.isEmpty() ? NumberOrText(1) : NumberOrText(factor);
}
} // namespace

class TestFillUp : public QObject
{
    Q_OBJECT

private slots:
    // locale|USD factor, "" the Euro|the four fields apart by "/"|distance caption|consumption
    // caption|save button. The consumption is compared as CalLtrs leaves it,
    // given the distance caption: an error there must keep saving off by itself.
    void calculation_data()
    {
        addRows("%1 %2: %3 shows %4 / %5, save %6", R"(
            en||10000/10650/40/60| 650 Kms|06.15 Liters / 100 Kms|1
            en||/650/40/| 650 Kms|06.15 Liters / 100 Kms|1
            en||10650/10000/40/60|No valid distance|Amount impossible|0
            en||///60|No valid distance|Amount impossible|1
            en||///|No valid distance||0
            en||/650//60| 650 Kms||1
            en||/100/1/| 100 Kms|01.00 Liter / 100 Kms|1
            en||/1//| 1 Km||0
            en||/100/0.004/| 100 Kms||0
            en||abc///60|Error|Amount impossible|0
            nl||abc/650/40/60|Vergissing|Berekening onmogelijk|0
            en||/650/abc/60| 650 Kms|Error|0
            fr||10 000/10 650/40,5/60| 650 Kms|06,23 Litres / 100 Kms|1
            en||/650/31,0/60| 650 Kms|Error|0
            nl||/650/41.37/| 650 Kms|Vergissing|0
            nl||/1.650/40/| 1650 Kms|02,42 Liters / 100 Kms|1
            en||/650/40/60,50| 650 Kms|Error|0
            en||-1e308/1e308/40/60|Error|Amount impossible|0
            en||/650/1e308/| 650 Kms|Error|0
            en|x|/650/40/10| 650 Kms|Error|0
            en|0|/650/40/10| 650 Kms|Error|0
            en|2|/650/40/1e308| 650 Kms|Error|0
            nl|.8|/650/40/46,80| 650 Kms|06,15 Liters / 100 Kms|1)");
    }

    void calculation()
    {
        QFETCH(QStringList, row);
        World world(row[0], "");
        const Speech& speech = world.env.context().speech();
        FuelValues values;
        const QStringList f = row[2].split(u'/');
        const EntryTexts texts{f[0], f[1], f[2], f[3]};
        const CaptionOutcome kms = CalcKms(values, texts, speech);
        QCOMPARE(kms.caption.value_or(Caption{"<kept>"}).text, row[3]);
        const AmountProblem amount = CheckAmount(texts[3], !row[1].isEmpty(), factorOf(row[1]), speech.locale);
        const CaptionOutcome ltrs = CalLtrs(values, texts, kms.caption && kms.caption->error, amount, speech);
        QCOMPARE(ltrs.caption.value_or(Caption{"<kept>"}).text, row[4]);
        QCOMPARE(ltrs.saveEnabled, row[5] == u"1");
    }

    // locale|keys stored before|consumption|amount|USD factor, "" the Euro|the
    // record the save leaves in the file beside the counter and Date & n ("-": none).
    void recordWrites_data()
    {
        addRows("%1 after %2: %3, %4 (factor %5) writes %6", R"(
            en||06.15|60||1: Tanko1=06.15 Pay1=60
            en||06.15|||1: Tanko1=06.15 Pay1=0
            en||0|60||1: Tanko1=00.00 Pay1=60
            en||06.15|1,234.50||1: Tanko1=06.15 Pay1=1234.50
            nl||06,15|1.234,50||1: Tanko1=06,15 Pay1=1234,50
            fr||06,15|1 234,50||1: Tanko1=06,15 Pay1=1234,50
            en||06.15|46.80|0.8|1: Tanko1=06.15 Pay1=37.44 PayCom1=46.80 USD
            nl||06,15|46,80|.8|1: Tanko1=06,15 Pay1=37,44 PayCom1=46,80 USD
            en|TotEntry=2|06.15|60||3: Tanko3=06.15 Pay3=60
            en|TotEntry=1&PayCom2=77.5 CHF|06.15|60||2: Tanko2=06.15 Pay2=60
            en|TotEntry=abc&Date2=x&Tanko3=6&Pay4=1&PayCom5=2 USD|06.15|||6: Tanko6=06.15 Pay6=0
            en|TotEntry=-4&Date2=x&Tanko3=6&Pay4=1&PayCom5=2 USD|06.15|||6: Tanko6=06.15 Pay6=0
            en|TotEntry=2.5&Date2=x&Tanko3=6&Pay4=1&PayCom5=2 USD|06.15|||6: Tanko6=06.15 Pay6=0
            en|TotEntry=99999999999&Date7=x|06.15|||8: Tanko8=06.15 Pay8=0
            en|Date2=x&Tanko3=6|06.15|||4: Tanko4=06.15 Pay4=0
            en|TotEntry=2147483647|06.15|60||-
            en||06.15|abc||-
            en||06.15|10|x|-
            en||06.15|1e308|2|-)",
                // A counter longer than any the program writes cannot be used.
                {"en|TotEntry=" + QString(70000, u'1') + "&Date2=x&Tanko3=6|06.15|||4: Tanko4=06.15 Pay4=0"});
    }

    void recordWrites()
    {
        QFETCH(QStringList, row);
        World world(row[0], row[1]);
        Context& context = world.env.context();
        const std::optional<FillUp> fillUp =
            EnteredFillUp("05 December 2026", 0, 0, row[2], row[3], row[4].isEmpty() ? "Euro" : "USD",
                          row[4].isEmpty() ? "1" : row[4], context.locale());
        const bool saved = fillUp && context.fillUps().save("Anna", *fillUp) == FillUps::Outcome::Done;
        const QString n = saved ? world.env.stored("Anna", "TotEntry") : "-";
        QStringList keys{n + ':'};
        for (const char* key : {"Date", "Tanko", "Pay", "PayCom"})
            if (const QString value = world.env.stored("Anna", key + n);
                saved && value != u"<absent>" && key != "Date"s)
                keys << key + n + u'=' + value;
        QCOMPARE(saved ? world.env.stored("Anna", "Date" + n) : "05 December 2026", "05 December 2026");
        QCOMPARE(saved ? keys.join(u' ') : n, row[5]);
    }

    // locale|stored keys|status bar panel
    void totalAverage_data()
    {
        addRows("%1 %2: %3", R"(
            en|TotEntry=3&Tanko1=06.15&Tanko2=05.91&Tanko3=00.00|06.03 Liters / 100 Kms
            en|TotEntry=1&Tanko1=01.00|01.00 Liter / 100 Kms
            fr|TotEntry=1&Tanko1=00,50|0,5
            en|TotEntry=2&Tanko1=00.00&Tanko2=00.00|No saved data
            nl|TotEntry=2&Tanko1=06.15&Tanko2=05,91|06,03 Liters / 100 Kms
            en|TotEntry=2&Tanko1=06,15&Tanko2=05.91|06.03 Liters / 100 Kms
            en|TotEntry=100&Tanko91=06.00&Tanko100=08.00|07.00 Liters / 100 Kms
            en|TotEntry=abc&Tanko1=06.00&Tanko2=08.00|07.00 Liters / 100 Kms
            en|TotEntry=1&Tanko1=06.00&Tanko2=08.00|06.00 Liters / 100 Kms
            en|Tanko1=06.00|No saved data
            en|TotEntry=2&Tanko1=1e308&Tanko2=1e308|Error)");
    }

    void totalAverage()
    {
        QFETCH(QStringList, row);
        World world(row[0], row[1]);
        Context& context = world.env.context();
        QCOMPARE(TotalAverageText(context.fillUps().average("Anna"), context.speech()), row[2]);
    }
};

QTEST_GUILESS_MAIN(TestFillUp)
#include "tst_fillup.moc"
