// Moving fill-ups through files: the format written, what a read understands
// of our own files and of other logs' exports (columns, separators, decimal
// signs, dates, odometers, currencies), duplicates, files that are none, the
// round trip under each locale, and a cancelled import.
#include "core/filetype/Exchange.h"

#include "TestSupport.h"

#include <QTest>

using namespace TestSupport;

namespace
{
const char* const kKeys[] = {"Date", "Tanko", "Pay", "PayCom", "Kms", "Ltrs"};

// Writes records "date;tanko;pay;paycom;kms;ltrs" apart by " + ", "-" for a key not written.
void putRecords(Environment& env, const QString& user, const QString& records)
{
    const QStringList list = records.split(" + ", Qt::SkipEmptyParts);
    std::vector<SettingsStore::Write> writes{{user, "TotEntry", QString::number(list.size())}};
    for (int n = 1; n <= list.size(); ++n)
        for (int k = 0; k < 6; ++k)
            if (const QString value = list[n - 1].section(u';', k, k); value != u"-")
                writes.push_back({user, kKeys[k] + QString::number(n), value});
    QVERIFY(env.store().saveAll(writes));
}

// The same as the file holds them, after the count.
QString records(const Environment& env, const QString& user)
{
    const QString total = env.stored(user, "TotEntry");
    QStringList list;
    for (int n = 1; n <= total.toInt(); ++n) {
        QStringList fields;
        for (const char* key : kKeys)
            fields << env.stored(user, key + QString::number(n)).replace("<absent>", "-");
        list << fields.join(u';');
    }
    return total + ": " + list.join(" + ");
}
} // namespace

class TestExchange : public QObject
{
    Q_OBJECT

private slots:
    // name|locale|Anna's records before|the file ("\n" ends a line)|the lines refused as
    // the summary lists them, apart by " / "|Anna's records after. Separators and
    // decimal signs of each kind, headers in three languages with a price per
    // litre beside the total, day-first and ISO dates, a file newest first.
    void import_data()
    {
        addRows("%2: %1", R"(
a Dutch log, odometer|en||Datum;Kilometerstand;Getankte liters;Bedrag\n\
    01-12-2026;10.000;40,5;60,50\n05-12-2026;10.650;40,5;61\n07-12-2026;10.600;40,5;61\n|row 4: the odometer reading is below \
    that of the previous fill-up|2: 01 December 2026;00.00;60.50;-;-;40.5 + 05 December 2026;06.23;61;-;650;40.5
quoted commas, dollars|fr||\
    Date,Odometer (km),Fuel (L),Price/L,Total cost,Currency\n2026-12-01T08:00,1000,"40,0","1,49","59,60",EUR\n\
    2026-12-05,1800,"40,0","1,17","46,80",usd\n||2: 01 décembre 2026;00,00;59,60;-;-;40 + 05 décembre 2026;05,00;37,44;46,80 USD;800;40
a French log, refusals|nl||Date;Litres;Montant;Devise;Distance parcourue\n\
    31/12/2026;40;60;;650\n12/31/2026;40;60;;650\n2026-12-02;-4;60;;650\n2026-12-03;abc;60;;650\n\
    2026-12-04;40;60;XYZ;650\n2026-12-05;40;60;;650;9\n2026-12-06;1e308;60;;1e-300\n;;;;\n|rij 3: Date: "12/31/2026" is geen datum / rij 4: Litres: "-4" is geen getal van 0 of meer / \
    rij 5: Litres: "abc" is geen getal van 0 of meer / rij 6: de munteenheid "XYZ" staat niet in de tabel van \
    munteenheden / rij 7: 6 velden waar de kopregel er 5 heeft / rij 8: het verbruik kan niet berekend worden|\
    1: 31 december 2026;06,15;60;-;650;40
own file, duplicates|en|05 December 2026;06.15;60;-;650;40|\
    date,distance_km,litres,consumption_l_per_100km,amount_eur,amount_paid,currency\r\n\
    2026-12-05,650,40,06.15,60.00,,\r\n2026-12-05,650,40,06.15,60,,\r\n2026-12-06,650,40,06.15,60,,\r\n||3: \
    05 December 2026;06.15;60;-;650;40 + 05 December 2026;06.15;60;-;650;40 + 06 December 2026;06.15;60;-;650;40
newest first, dates|en||Date,Mileage,Liters,Total\n\
    5.12.26,10650,40,61\n01/12/2026 08:30,10000,40.5,60.5\n2026/11/20,9200,41,\n||3: 05 December 2026;06.15;61;-;650;40 + \
    01 December 2026;05.06;60.5;-;800;40.5 + 20 November 2026;00.00;0;-;-;41)",
                {}, u'\n');
    }

    void import()
    {
        QFETCH(QStringList, row);
        Environment env(row[1], row[1] == u"fr" ? 1 : row[1] == u"nl" ? 2 : 0);
        env.put("Devises", "Dev2", "USD");
        env.put("Devises", "TauxBis2", ".8");
        putRecords(env, "Anna", row[2]);
        Context& context = env.context();
        const Exchange::ImportPlan plan =
            Exchange::PlanImport(row[3].replace("\\n", "\n").replace("\\r", "\r").toUtf8(), context);
        QCOMPARE(Exchange::Summary(plan, context, "f").section(u'\n', 6).replace(u'\n', " / "), row[4]);
        QCOMPARE(Exchange::ApplyImport(context, plan).outcome, FillUps::Outcome::Done);
        QCOMPARE(records(env, "Anna"), row[5]);
    }

    void notAFillUpFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("problem");
        QTest::newRow("blanks") << QByteArray(" \r\n\t\n") << "This file is empty.";
        QTest::newRow("binary") << QByteArray("PK\x03\x04\x00\x00"
                                              "date,litres",
                                              17)
                                << "This file is not text: it holds binary data.";
        const QString none = "No fill-up columns were found in this file: it needs a date column and a distance, "
                             "odometer, litres or amount column.";
        QTest::newRow("no columns we know") << QByteArray("name,age\nAnna,31\n") << none;
        QTest::newRow("a date and nothing else") << QByteArray("date;comment\n2026-12-05;x\n") << none;
        QTest::newRow("too large") << QByteArray(32 * 1024 * 1024 + 1, '1')
                                   << "This file is too large to be a log of fill-ups.";
    }

    void notAFillUpFile()
    {
        QFETCH(QByteArray, file);
        Environment env;
        QTEST(Exchange::PlanImport(file, env.context()).problem, "problem");
        QCOMPARE(Exchange::PlanImportFile(env.storePath() + "x", env.context()).problem,
                 "cannot read " + env.storePath() + "x: No such file or directory");
    }

    // locale|Anna's records as saves there wrote them: a foreign amount, one
    // without distance and litres (its date in another language), one with
    // nothing readable, one with unreadable parts|what the import of her file gives Bert
    void roundTrip_data()
    {
        addRows("%1", R"(
en|05 December 2026;06.15;60.50;-;650;40 + 06 December 2026;05.00;37.44;46.80 USD;800;40 + \
    07 décembre 2026;07.10;0;-;-;- + garbage;abc;x;-;-;- + 08 December 2026;06.00;12;zz USD;-x;30|\
    5: 05 December 2026;06.15;60.50;-;650;40 + 06 December 2026;05.00;37.44;46.80 USD;800;40 + \
    07 December 2026;07.10;0;-;-;- + ;;;-;-;- + 08 December 2026;06.00;12;-;-;30
fr|05 décembre 2026;06,15;60,50;-;650;40 + 06 décembre 2026;05,00;37,44;46,80 USD;800;40 + \
    07 December 2026;07,10;0;-;-;- + garbage;abc;x;-;-;- + 08 décembre 2026;06,00;12;zz USD;-x;30|\
    5: 05 décembre 2026;06,15;60,50;-;650;40 + 06 décembre 2026;05,00;37,44;46,80 USD;800;40 + \
    07 décembre 2026;07,10;0;-;-;- + ;;;-;-;- + 08 décembre 2026;06,00;12;-;-;30
nl|05 december 2026;06,15;60,50;-;650;40 + 06 december 2026;05,00;37,44;46,80 USD;800;40 + \
    07 décembre 2026;07,10;0;-;-;- + garbage;abc;x;-;-;- + 08 december 2026;06,00;12;zz USD;-x;30|\
    5: 05 december 2026;06,15;60,50;-;650;40 + 06 december 2026;05,00;37,44;46,80 USD;800;40 + \
    07 december 2026;07,10;0;-;-;- + ;;;-;-;- + 08 december 2026;06,00;12;-;-;30)",
                {}, u'\n');
    }

    void roundTrip()
    {
        QFETCH(QStringList, row);
        Environment env(row[0]);
        putRecords(env, "Anna", row[1]);
        Context& context = env.context();
        const QByteArray first = Exchange::ExportText(*context.fillUps().list("Anna"), context.locale());
        QCOMPARE(first, "date,distance_km,litres,consumption_l_per_100km,amount_eur,amount_paid,currency\r\n"
                        "2026-12-05,650,40,06.15,60.50,,\r\n2026-12-06,800,40,05.00,37.44,46.80,USD\r\n"
                        "2026-12-07,,,07.10,0,,\r\n,,,,,,\r\n2026-12-08,,30,06.00,12,,\r\n");
        context.setUser("Bert");
        Exchange::ApplyImport(context, Exchange::PlanImport(first, context));
        QCOMPARE(records(env, "Bert"), row[2]);
        QCOMPARE(Exchange::ExportText(*context.fillUps().list("Bert"), context.locale()), first);
    }

    // A cancel at the first or a later batch leaves the store as it was.
    void cancelledImportWritesNothing()
    {
        Environment env;
        const QByteArray file = "date,litres\n" + QByteArray("2026-12-05,40\n").repeated(4500);
        const Exchange::ImportPlan plan = Exchange::PlanImport(file, env.context());
        for (const qint64 stopAt : {0, 2000}) {
            const FillUps::Appended result =
                Exchange::ApplyImport(env.context(), plan, [stopAt](qint64 done, qint64) { return done < stopAt; });
            QVERIFY(result.cancelled && result.outcome == FillUps::Outcome::Declined);
            QCOMPARE(env.stored("Anna", "TotEntry") + env.stored("Anna", "Ltrs1"), "<absent><absent>");
        }
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
