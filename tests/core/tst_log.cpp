// The fill-up log: the keys a removal, a correction and their undoing leave
// in the file, whatever gaps and strays it held; what the log shows and
// totals; dates in the three languages; the chart's months.
#include "core/frame/Conversions.h"
#include "core/records/FillUp.h"
#include "core/records/FillUpEdits.h"
#include "core/records/FillUpLog.h"
#include "core/records/FillUpTrend.h"
#include "core/records/FillUps.h"

#include "TestSupport.h"

#include <QTest>

using TestSupport::addRows;
using Outcome = FillUps::Outcome;

namespace
{
// A store in the row's locale and language holding `records` as putRecords
// takes them (" + " between records), then the keys "Key=value&...".
struct World
{
    World(const QString& localeName, QString records, const QString& keys)
        : env(localeName, int(QStringList{"en", "fr", "nl"}.indexOf(localeName)))
    {
        env.putRecords(records.replace(" + ", "|"));
        for (const QString& entry : keys.split(u'&', Qt::SkipEmptyParts))
            env.put("Anna", entry.section(u'=', 0, 0), entry.section(u'=', 1));
        readLog();
    }
    // The log as a window opened now shows it.
    void readLog()
    {
        log.emplace(env.context().fillUps(), env.context().speech());
        log->read("Anna");
    }
    // "Key=value&..." as the file holds each key now, "-" for none.
    QString stored(const QString& keys) const
    {
        QStringList out;
        for (const QString& entry : keys.split(u'&', Qt::SkipEmptyParts))
            out << entry.section(u'=', 0, 0) + u'=' + env.stored("Anna", entry.section(u'=', 0, 0));
        return out.join(u'&').replace("<absent>", "-");
    }
    TestSupport::Environment env;
    std::optional<FillUpLog> log;
};

const QString kThree = "01 May 2004;06.00;10 + 02 May 2004;07.00;20;25 USD + 03 May 2004;08.00;30";
const QString kThreeKeys = "TotEntry=3&Date1=01 May 2004&Tanko1=06.00&Pay1=10&PayCom1=-&Kms1=-&Date2=02 May 2004&"
                           "Tanko2=07.00&Pay2=20&PayCom2=25 USD&Date3=03 May 2004&Tanko3=08.00&Pay3=30&Kms3=600&"
                           "Ltrs3=48&Date4=-&Tanko4=-";
} // namespace

class TestLog : public QObject
{
    Q_OBJECT

private slots:
    // case|locale|records|more keys|position removed|keys in the file after
    void removal_data()
    {
        addRows("%1", R"(
later records move down, the old last leaves no key|en|01 May 2004;06.00;10 + 02 May 2004;07.00;20;25 USD + \
    03 May 2004;08.00;30|Kms3=600&Ltrs3=48|0|TotEntry=2&Date1=02 May 2004&Tanko1=07.00&Pay1=20&\
    PayCom1=25 USD&Kms1=-&Date2=03 May 2004&Tanko2=08.00&Pay2=30&PayCom2=-&Kms2=600&Ltrs2=48&Date3=-&Tanko3=-&Pay3=-&\
    Kms3=-&Ltrs3=-
a gap closes: 1, 3 and 5 become 1 and 2|en||TotEntry=5&Date1=01 May 2004&Date3=03 May 2004&Tanko3=07.00&\
    Date5=05 May 2004&Tanko5=08.00|1|TotEntry=2&Date1=01 May 2004&Date2=05 May 2004&Tanko2=08.00&Date3=-&Tanko3=-&\
    Date5=-&Tanko5=-
a missing key stays missing|nl|01 mei 2004;06,00;10 + 02 mei 2004;07,00;-||0|TotEntry=1&Date1=02 mei 2004&\
    Tanko1=07,00&Pay1=-&Date2=-
a count beyond the records: 91 and 100 become 1|fr||TotEntry=100&Date91=01 mai 2004&Tanko91=06,00&\
    Date100=02 mai 2004&Tanko100=07,00&Kms100=650|0|TotEntry=1&Date1=02 mai 2004&Tanko1=07,00&Kms1=650&Date91=-&\
    Date100=-&Kms100=-)",
                {}, u'\n');
    }

    void removal()
    {
        QFETCH(QStringList, row);
        World world(row[1], row[2], row[3]);
        QCOMPARE(world.log->remove(row[4].toUInt()), Outcome::Done);
        QCOMPARE(world.stored(row[5]), row[5]);
        QCOMPARE(world.log->rowCount(), row[5].section(u'&', 0, 0).section(u'=', 1).toInt());
    }

    // Each removal and correction, then its undoing, leaves the file as it was.
    void undoIsTheInverse()
    {
        for (size_t position = 0; position < 3; ++position) {
            World world("en", kThree, "Kms3=600&Ltrs3=48");
            const FillUp removed = world.log->list()[position];
            QCOMPARE(world.log->remove(position), Outcome::Done);
            QCOMPARE(world.log->insert(position, removed), Outcome::Done);
            QCOMPARE(world.stored(kThreeKeys), kThreeKeys);
            FillUp changed = removed;
            changed.date.text = "x";
            changed.consumption.text = "01.00";
            changed.euro.text = QString();
            changed.paid.text = "1 USD";
            changed.distance.text = "1";
            changed.litres.text = QString();
            QCOMPARE(world.log->replace(position, changed), Outcome::Done);
            QCOMPARE(world.log->replace(position, removed), Outcome::Done);
            QCOMPARE(world.stored(kThreeKeys), kThreeKeys);
        }
    }

    // case|locale|record's keys|fields typed: date (yyyy-MM-dd), distance,
    // litres, consumption, amount, "=" as shown|keys after, or "refused: " and
    // the start of what the editor says
    void correction_data()
    {
        addRows("%1", R"(
distance and litres give the consumption|en|Date1=05 January 2004&Tanko1=07.45&Pay1=45.5|=;650;40;=;=|\
    Date1=05 January 2004&Tanko1=06.15&Pay1=45.5&Kms1=650&Ltrs1=40
a changed amount drops the amount as paid|fr|Tanko1=06,15&Pay1=37,44&PayCom1=46.80 USD|=;=;=;=;1 234,50|\
    Tanko1=06,15&Pay1=1234,50&PayCom1=-
a new date in the user's month names|nl|Date1=05 januari 2004&Tanko1=06,15|2026-12-05;=;=;=;=|\
    Date1=05 december 2026&Tanko1=06,15
cleared distance and litres go|en|Tanko1=06.15&Kms1=650&Ltrs1=40|=;;;7;=|Tanko1=07.00&Kms1=-&Ltrs1=-
unreadable consumption typed anew|nl|Tanko1=abc&Pay1=5|=;=;=;6,5;=|Tanko1=06,50&Pay1=5
unreadable consumption as shown|nl|Tanko1=abc&Pay1=5|=;=;=;=;=|refused: Vergissing
a misplaced grouping separator|en|Tanko1=06.15&Pay1=20|=;650;31,0;=;=|refused: Error
litres alone on an old fill-up|en|Tanko1=06.15&Pay1=60|=;=;40;=;=|refused: This fill-up has no distance: type
a distance alone on an old fill-up|fr|Tanko1=05,00&Pay1=20|=;650;=;=;=|refused: Ce plein n'a pas de litres
litres alone, no amount either|nl|Tanko1=06,15|=;=;40;=;=|refused: Deze tankbeurt heeft geen afstand
litres cleared|en|Tanko1=06.15&Kms1=650&Ltrs1=40|=;=;;=;=|refused: This fill-up has no litres
unreadable litres say so first|en|Tanko1=06.15&Pay1=60|=;=;4x;=;=|refused: Error
litres alone on a fill-up out of the averages|en|Tanko1=00.00&Pay1=20|=;=;40;=;=|Tanko1=00.00&Ltrs1=40)",
                {}, u'\n');
    }

    void correction()
    {
        QFETCH(QStringList, row);
        World world(row[1], "", "TotEntry=1&" + row[2]);
        const Speech& speech = world.env.context().speech();
        const FillUp stored = world.log->list()[0];
        const FillUp shown = Shown(stored, speech.locale);
        const QStringList typed = row[3].split(u';');
        FillUp fields = shown;
        const QDate date = QDate::fromString(typed[0], Qt::ISODate);
        if (date.isValid())
            fields.date.text = FormatPattern(date, u"dd mmmm yyyy", speech.locale);
        for (auto [i, field] : {std::pair{1, &fields.distance.text},
                                {2, &fields.litres.text},
                                {3, &fields.consumption.text},
                                {4, &fields.euro.text}})
            if (typed[i] != u"=")
                *field = typed[i];
        const FillUpCheck check = CheckCorrection(stored, shown, fields, speech);
        QCOMPARE(check.ok, !row[4].startsWith(u"refused: "));
        if (!check.ok)
            QCOMPARE("refused: " + check.caption.left(row[4].size() - 9), row[4]);
        if (check.ok)
            QCOMPARE(world.log->replace(0, check.fillUp), Outcome::Done);
        QCOMPARE(world.stored(check.ok ? row[4] : row[2]), check.ok ? row[4] : row[2]);
    }

    // Nothing is written over another program's change, nor half of a failed write.
    void aChangeThatCannotBeWrittenChangesNothing()
    {
        World world("en", kThree, "Kms3=600&Ltrs3=48");
        SettingsStore other(world.env.storePath());
        QVERIFY(other.open() && other.save("Anna", "Tanko1", "09.99"));
        QCOMPARE(world.log->remove(0), Outcome::ChangedElsewhere);
        const QString expected = QString(kThreeKeys).replace("Tanko1=06.00", "Tanko1=09.99");
        QCOMPARE(world.stored(expected), expected);
        TestSupport::refuseKey(world.env.storePath(), "PayCom1");
        world.env.reopen();
        world.readLog();
        QCOMPARE(world.log->remove(0), Outcome::Failed);
        QCOMPARE(world.stored(expected), expected);
    }

    // A save keeps the distance and the litres, with "." whatever the locale.
    void saveKeepsDistanceAndLitres()
    {
        World world("nl", "", "");
        const std::optional<FillUp> entry =
            EnteredFillUp("05 december 2026", 650.5, 40, "06,15", "", "Euro", "1", world.env.locale());
        QVERIFY(entry && world.env.context().fillUps().save("Anna", *entry) == Outcome::Done);
        QCOMPARE(world.stored("Kms1&Ltrs1&Pay1"), "Kms1=650.5&Ltrs1=40&Pay1=0");
    }

    // locale|records|more keys|the totals line
    void totals_data()
    {
        addRows("%1: totals of %2", R"(
en|01 May 2004;05.00;10 + 02 May 2004;09.00;30 + 03 May 2004;20.00;50|Kms1=100&Ltrs1=5&Kms2=300&Ltrs2=27|\
    3 fill-ups · 400 km · 32 liters · 90 € · 10.00 € per 100 km · 08.00 l/100 km weighted by distance
nl|05 januari 2004;07,45;45,5 + x;abc;y|Kms2=abc|\
    2 tankbeurten · – km · – liter · 45,5 € · – € per 100 km · – l/100 km gewogen naar afstand)",
                {}, u'\n');
    }

    void totals()
    {
        QFETCH(QStringList, row);
        World world(row[0], row[1], row[2]);
        QCOMPARE(TotalsText(world.log->totals(), world.env.context().speech()), row[3]);
    }

    // What the log shows of each row, "!" marking a value that reads as
    // nothing, in stored order and sorted by distance, blanks last; a date
    // in another language, with its weekday, in the user's.
    void logShowsWhatItCan()
    {
        World world("fr", "Monday 05 January 2004;07,45;45,5;60 USD + 31 février 2004;abc;- + -;00,00;0",
                    "TotEntry=4&Kms1=650&Ltrs1=48.4&Kms3=abc&Kms4=700");
        const auto rows = [&] {
            QString shown;
            for (int r = 0; r < world.log->rowCount(); ++r)
                for (int c = 0; c < FillUpLog::ColumnCount; ++c) {
                    const QModelIndex index = world.log->index(r, c);
                    shown += (c   ? "|"
                              : r ? " / "
                                  : "") +
                             index.data().toString() + (index.data(FillUpLog::UnreadableRole).toBool() ? "!" : "");
                }
            return shown;
        };
        QCOMPARE(rows(), "1|05 janvier 2004|650|48,4|07,45|45,5|60 USD / 2|31 février 2004!|||abc!|| / "
                         "3||abc!|||| / 4||700||||");
        world.log->sort(FillUpLog::Distance, Qt::DescendingOrder);
        QCOMPARE(rows().section(" / ", 0, 0), "4||700||||");
        QCOMPARE(world.log->position(3), 2u);
    }

    // Months by the calendar, their averages leaving 0 out, their amounts;
    // dates in any of the three languages, one that reads as nothing has no
    // place in time.
    void trend()
    {
        World world("en",
                    "03 January 2004;06.00;10 + 28 janvier 2004;08.00;20 + 01 februari 2004;00.00;30 + "
                    "05 Dezember 2004;09.00;40 + 15 MARCH 2005;05.00;0",
                    "");
        const FillUpTrend trend = BuildTrend(world.log->list(), 100);
        const double jan15 = QDate(2004, 1, 15).toJulianDay(), feb15 = QDate(2004, 2, 15).toJulianDay(),
                     mar15 = QDate(2005, 3, 15).toJulianDay();
        QCOMPARE(trend.monthAverage, (std::vector<TrendPoint>{{jan15, 7}, {mar15, 5}}));
        QCOMPARE(trend.monthAmount, (std::vector<TrendPoint>{{jan15, 30}, {feb15, 30}, {mar15, 0}}));
        const std::vector<TrendPoint> many{{1, 5}, {2, 9}, {3, 1}, {4, 4}, {5, 6}, {6, 2}, {7, 3}, {8, 8}};
        QCOMPARE(Thin(many, 4), (std::vector<TrendPoint>{{2, 9}, {3, 1}, {6, 2}, {8, 8}}));
    }
};

QTEST_GUILESS_MAIN(TestLog)
#include "tst_log.moc"
