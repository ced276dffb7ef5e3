// Moving fill-ups through files: the exports of other fuel logs as their
// files are shaped (units, flags, sections, vehicles, dates), generic logs
// and our own files, what needs asking, bad input and sources that are no
// files, the round trip under each locale, a cancelled import, and the sort
// offered after an import with its undo.
#include "core/filetype/Exchange.h"
#include "core/frame/Plural.h"

#include "TestSupport.h"

#include <QTest>

#include <sys/stat.h>

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

// "MM-DD km litres consumption amount[ paid]" of each record, English store.
QString readings(const Environment& env)
{
    QStringList list;
    for (int n = 1; n <= env.stored("Anna", "TotEntry").toInt(); ++n) {
        const auto key = [&](const char* name) { return env.stored("Anna", name + QString::number(n)); };
        QString r = QDate::fromString(key("Date"), "dd MMMM yyyy").toString("MM-dd") + ' ' +
                    key("Kms").replace("<absent>", "-") + ' ' + key("Ltrs") + ' ' + key("Tanko") + ' ' + key("Pay");
        list << (key("PayCom") == "<absent>" ? r : r + ' ' + key("PayCom"));
    }
    return list.join(" + ");
}

// "vehicle=Golf / order=mdy / columns=date=1,... / remember=date=1,..."
Exchange::ImportChoices choicesOf(const QString& text, Context& context, const QByteArray& file)
{
    Exchange::ImportChoices choices;
    QString error;
    for (const QString& part : text.split(" / ", Qt::SkipEmptyParts)) {
        const QString key = part.section(u'=', 0, 0), value = part.section(u'=', 1);
        if (key == u"vehicle")
            choices.vehicle = value;
        else if (key == u"order")
            choices.dateOrder = *Exchange::dateOrderOfKeyword(value);
        else if (key == u"columns")
            choices.columnsText = value;
        else if (key == u"remember")
            Exchange::RememberColumns(context, Exchange::PlanImport(file, context),
                                      *Exchange::Assignment::fromText(value, QStringList(20, {}), error));
    }
    return choices;
}

// What a plan says in one line.
QString described(const Exchange::ImportPlan& plan)
{
    if (!plan.problem.isEmpty() || !plan.wrongColumns.isEmpty())
        return plan.problem + plan.wrongColumns;
    if (plan.question == Exchange::ImportPlan::Question::Vehicle)
        return "asks vehicle: " + plan.vehicles.join(", ");
    QStringList orders;
    for (const Exchange::DateOrder order : plan.dateOrders)
        orders << Exchange::keyword(order);
    if (plan.question == Exchange::ImportPlan::Question::DateOrder)
        return "asks order: " + orders.join(' ') + " (" + plan.dateExample + ")";
    QStringList days;
    for (size_t i = 0; i < plan.fillUps.size(); ++i)
        days << (plan.fillUps[i].date.value ? plan.fillUps[i].date.value->toString(Qt::ISODate) : "-");
    QStringList refused;
    for (const Exchange::Refusal& r : plan.refused.first)
        refused << QString::number(r.line) + (r.lastLine ? '-' + QString::number(r.lastLine) : "") + ": " + r.reason;
    return QString("%1 in %2 / %3 refused%4%5")
        .arg(plan.fillUps.size())
        .arg(days.join(' '))
        .arg(plan.refused.lines)
        .arg(refused.isEmpty() ? "" : ' ' + refused.join(" / "),
             plan.confirm.isEmpty() ? "" : " / confirm " + plan.confirm.join(", "));
}

QByteArray fixture(const QString& name)
{
    QFile file(TANKO_TEST_DATA "/exchange/" + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class TestExchange : public QObject
{
    Q_OBJECT

private slots:
    // name|file of tests/data/exchange|choices|the columns read, as --columns writes them|to import,
    // partial, missed, lines refused, lines left out|what Anna has after the import
    void apps_data()
    {
        addRows("%1", QString::fromUtf8(R"(
Fuelio log, km and litres, newest first|fuelio-log-metric.csv||date=1,odometer=2@km,litres=3@l,amount=5,full=4,\
    missed=11|8 1 1 0 0|01-06 - 45.2 00.00 78.60 + 01-21 642 43.85 06.83 75.82 + 02-04 518 20 00.00 35.18 + 02-17 \
    605 54.2 06.61 94.80 + 03-09 1025 52.1 00.00 92.16 + 03-23 648 44.75 06.91 80.06 + 04-07 633 42.9 06.78 77.18 + \
    04-20 619 41.3 06.67 74.71
Fuelio log alone, miles and US gallons|fuelio-log-us.csv||date=1,odometer=2@mi,litres=3@usgal,amount=5,full=4,\
    missed=11|7 1 1 0 0|09-02 - 53.791 00.00 51.99 + 09-16 469.928 52.519 11.18 49.93 + 09-29 463.491 24.605 00.00 \
    24.04 + 10-11 452.226 79.683 11.39 76.81 + 10-26 481.194 55.456 11.52 52.14 + 11-08 458.663 52.92 00.00 48.78 + \
    11-22 476.366 54.169 11.37 49.50
Fuelio in kg refused|fuelio-log-cng.csv||date=1,odometer=2@km,litres=3@kg,amount=5,full=4,missed=11,\
    fuel=13@fuelio,tank=12|0 0 0 6 0|
Fuelio backup, costs left out|fuelio-backup-vehicle-1-sync.csv||date=1,odometer=2@km,litres=3@l,amount=5,full=4,\
    missed=11,fuel=13@fuelio,tank=12|6 1 0 0 8|03-04 - 38.4 00.00 70.23 + 03-19 521 36.95 07.09 66.47 + 04-02 519 \
    37.2 07.17 66.18 + 04-15 312 15 00.00 26.88 + 04-29 508 43.1 07.09 76.24 + 05-13 534 36.6 06.85 64.01
Fuelio backup, miles and litres|fuelio-backup-vehicle-2-sync.csv||date=1,odometer=2@mi,litres=3@l,amount=5,full=4,\
    missed=11,fuel=13@fuelio,tank=12|5 0 0 0 2|06-03 - 44.3 00.00 65.96 + 06-17 603.504 42.1 06.98 62.27 + 07-01 \
    600.285 41.85 06.97 61.48 + 07-16 630.863 43.7 06.93 63.76 + 07-29 595.457 41.25 06.93 60.43
Fuelio, the second of two vehicles|fuelio-two-vehicles.csv|vehicle=Road Van|date=1,odometer=2@km,litres=3@l,\
    amount=5,full=4,missed=11|2 0 0 0 2|01-22 - 11 00.00 38.50 + 02-12 500 35 07.00 35.00
Fuelly, price per litre|fuelly-metric.csv||date=9,odometer=4@km,litres=6@l,price=7,partial=14,missed=13,\
    vehicle=1|8 1 1 0 0|02-05 - 48.2 00.00 79.96 + 02-19 660 45.9 06.95 77.53 + 03-05 630 44.1 07.00 83.75 + 03-12 \
    220 18 00.00 36.52 + 03-26 630 41.5 07.00 82.13 + 04-09 950 47.3 00.00 92.19 + 04-23 640 45.75 07.15 86.88 + \
    05-07 655 46.4 07.08 89.51
Fuelly, US gallons given|fuelly-us.csv|columns=date=9,odometer=4,litres=6@usgal,price=7,partial=14,missed=13,\
    vehicle=1|date=9,odometer=4@mi,litres=6@usgal,price=7,partial=14,missed=13,vehicle=1|7 1 1 0 0|06-05 - 44.827 \
    00.00 36.70 + 06-18 555.224 45.822 08.25 37.88 + 07-01 539.13 44.024 08.17 36.74 + 07-09 233.355 18.927 00.00 \
    16.00 + 07-20 523.037 43.229 08.22 36.42 + 08-14 1038.027 46.977 00.00 39.08 + 08-27 535.912 45.33 08.46 37.95
Fuelly app, a service left out|fuelly-app-us.csv|columns=date=3,odometer=6@mi,litres=9@usgal,amount=10,full=7,\
    vehicle=5,kind=1|date=3,odometer=6@mi,litres=9@usgal,amount=10,full=7,vehicle=5,kind=1|6 1 0 0 1|03-02 - 42.412 \
    00.00 36.51 + 03-14 502.115 41.185 08.20 35.89 + 03-22 222.089 17.034 00.00 15.12 + 04-03 531.084 44.668 08.19 \
    39.99 + 04-17 523.037 41.696 07.97 37.66 + 04-29 519.818 41.465 07.98 37.78
Spritmonitor, German|spritmonitor-de.csv||date=1,odometer=2@km,litres=4@l,amount=5,currency=6,full=7@spritmonitor,\
    fuel=11@spritmonitor|8 1 1 0 0|01-07 - 41.37 00.00 73.60 + 01-21 595 40.12 06.74 71.77 + 02-04 575 38.9 06.77 \
    68.43 + 02-15 250 17.5 00.00 31.83 + 03-01 570 37.6 06.72 66.51 + 03-18 612 42.08 06.88 73.18 + 04-01 593 39.66 \
    06.69 67.38 + 04-15 615 41.25 06.71 70.91
Spritmonitor, English, in kg|spritmonitor-en-cng.csv||date=1,odometer=2@km,litres=4@l,amount=5,currency=6,\
    full=7@spritmonitor,fuel=11@spritmonitor|0 0 0 6 0|
LubeLogger, month first|lubelogger-us.csv|columns=date=1,odometer=2@mi,litres=3@usgal,amount=4,full=6,missed=7|\
    date=1,odometer=2@mi,litres=3@usgal,amount=4,full=6,missed=7|8 1 1 0 0|04-11 - 42.423 00.00 21.96 + 04-25 \
    506.943 41.39 08.16 20.45 + 05-08 503.725 42.843 08.51 20.71 + 05-19 210.824 17.034 00.00 8.37 + 05-30 514.99 \
    43.911 08.40 21.91 + 06-14 1100.791 44.062 00.00 22.47 + 06-27 518.209 41.848 08.08 22.55 + 07-11 519.818 \
    42.737 08.22 23.48
aCar, the metric car in dollars|acar-fillups.csv|vehicle=Golf / columns=date=2,odometer=4,distance-unit=5,\
    litres=6,volume-unit=7,amount=9@USD,partial=11,missed=12,vehicle=1|date=2,odometer=4@km,litres=6@l,\
    amount=9@USD,partial=11,missed=12,vehicle=1,distance-unit=5,volume-unit=7|5 0 0 0 7|01-08 - 42.5 00.00 56.41 \
    70.51 USD + 01-22 612 40.8 06.67 55.13 68.91 USD + 02-05 618 41.36 06.69 56.88 71.10 USD + 02-19 611 40.05 \
    06.55 56.36 70.45 USD + 03-05 614 41.7 06.79 70.02 87.53 USD
Drivvo, services and expenses left out|drivvo.csv||date=2,odometer=1@km,litres=6@l,amount=5,full=7,fuel=3|\
    7 1 0 0 2|02-03 - 45.02 00.00 83.69 + 02-17 622 43.6 07.01 81.92 + 03-01 608 42.15 06.93 80.04 + 03-09 210 15 \
    00.00 28.94 + 03-23 625 43.3 06.98 82.66 + 04-06 625 44.2 07.07 83.49 + 04-20 615 43.1 07.01 80.55
My Fuel Manager, one of two cars|myfuelmanager.csv|vehicle=City Car / columns=date=1,litres=2@l,odometer=3@km,\
    amount=4,currency=5,full=7,vehicle=10|date=1,odometer=3@km,litres=2@l,amount=4,currency=5,full=7,vehicle=10|\
    4 1 0 0 5|01-09 - 31.2 00.00 56.13 + 01-28 246 14 00.00 25.33 + 02-11 222 15.9 06.39 28.57 + 02-25 486 30.75 \
    06.33 55.41)"),
                {}, u'\n');
    }

    void apps()
    {
        QFETCH(QStringList, row);
        Environment env;
        env.put("Devises", "Dev2", "USD");
        env.put("Devises", "TauxBis2", ".8");
        Context& context = env.context();
        const QByteArray file = fixture(row[1]);
        const Exchange::ImportPlan plan = Exchange::PlanImport(file, context, choicesOf(row[2], context, file));
        QCOMPARE(plan.problem + plan.wrongColumns + plan.confirm.join(", "), QString());
        QCOMPARE(plan.assignment.text(), row[3]);
        QCOMPARE(QString("%1 %2 %3 %4 %5")
                     .arg(plan.toImport())
                     .arg(plan.partial)
                     .arg(plan.missed)
                     .arg(plan.refused.lines)
                     .arg(plan.leftOutLines),
                 row[4]);
        QCOMPARE(Exchange::ApplyImport(context, plan).outcome, FillUps::Outcome::Done);
        QCOMPARE(readings(env), row[5]);
    }

    // name|locale|Anna's records before|the file ("\n" ends a line)|choices|the lines refused|Anna's
    // records after. Separators and decimal signs of each kind, headers in several languages with a
    // price per litre beside the total, currencies, our own file with its duplicates.
    void generic_data()
    {
        addRows("%2: %1", QString::fromUtf8(R"(
a Dutch log, odometer|en||Datum;Kilometerstand;Getankte liters;Bedrag\n\
    01-12-2026;10.000;40,5;60,50\n05-12-2026;10.650;40,5;61\n07-12-2026;10.600;40,5;61\n|order=dmy|4: the odometer \
    reading is below that of the previous fill-up|2: 01 December 2026;00.00;60.50;-;-;40.5 + 05 December 2026;06.23;\
    61;-;650;40.5
a German log|fr||Datum;Kilometerstand;Menge (L);Preis/Liter;Gesamtpreis;Währung\n\
    13.11.2026;1.000;40,0;1,49;59,60;EUR\n14.11.2026;1.800;40,0;1,17;46,80;usd\n|||2: 13 novembre 2026;00,00;59,60;-;-;\
    40 + 14 novembre 2026;05,00;37,44;46,80 USD;800;40
a French log, refusals|nl||Date;Litres;Montant;Devise;Distance parcourue (km)\n\
    31/12/2026;40;60;;650\n12/31/2026;40;60;;650\n2026-12-02;-4;60;;650\n2026-12-03;abc;60;;650\n\
    2026-12-04;40;60;XYZ;650\n2026-12-05;40;60;;650;9\n2026-12-06;1e308;60;;1e-300\n;;;;\n|order=dmy|3: Date: \
    "12/31/2026" is geen datum / 4: Litres: "-4" is geen getal van 0 of meer / 5: Litres: "abc" is geen getal van 0 \
    of meer / 6: de munteenheid "XYZ" staat niet in de tabel van munteenheden / 7: 6 velden waar de kopregel \
    er 5 heeft / 8: het verbruik kan niet berekend worden|1: 31 december 2026;06,15;60;-;650;40
own file, duplicates|en|05 December 2026;06.15;60;-;650;40|\
    date,distance_km,litres,consumption_l_per_100km,amount_eur,amount_paid,currency\r\n\
    2026-12-05,650,40,06.15,60.00,,\r\n2026-12-05,650,40,06.15,60,,\r\n2026-12-06,650,40,06.15,60,,\r\n|||3: \
    05 December 2026;06.15;60;-;650;40 + 05 December 2026;06.15;60;-;650;40 + 06 December 2026;06.15;60;-;650;40
a reading that names both, odometer first|en||Datum;km teller;Liters\n01-12-2026;10000;40\n05-12-2026;10650;40\n\
    06-12-2026;10650;5\n|order=dmy||3: 01 December 2026;00.00;0;-;-;40 + 05 December 2026;06.15;0;-;650;40 + \
    06 December 2026;00.00;0;-;-;5
three decimals after a comma, in a file apart by semicolons|en||datum;liters\n01-12-2026;40,500\n|order=dmy||\
    1: 01 December 2026;00.00;0;-;-;40.5
newest first, in date order|en||Date,Mileage (km),Liters,Total\n\
    5.12.26,10650,40,61\n01/12/2026 08:30,10000,40.5,60.5\n2026/11/20,9200,41,\n|order=dmy||3: 20 November 2026;\
    00.00;0;-;-;41 + 01 December 2026;05.06;60.5;-;800;40.5 + 05 December 2026;06.15;61;-;650;40)"),
                {}, u'\n');
    }

    void generic()
    {
        QFETCH(QStringList, row);
        Environment env(row[1], row[1] == u"fr" ? 1 : row[1] == u"nl" ? 2 : 0);
        env.put("Devises", "Dev2", "USD");
        env.put("Devises", "TauxBis2", ".8");
        putRecords(env, "Anna", row[2]);
        Context& context = env.context();
        const QByteArray file = row[3].replace("\\n", "\n").replace("\\r", "\r").toUtf8();
        const Exchange::ImportPlan plan = Exchange::PlanImport(file, context, choicesOf(row[4], context, file));
        QStringList refused;
        for (const Exchange::Refusal& r : plan.refused.first)
            refused << QString::number(r.line) + ": " + r.reason;
        QCOMPARE(refused.join(" / "), row[5]);
        QCOMPARE(Exchange::ApplyImport(context, plan).outcome, FillUps::Outcome::Done);
        QCOMPARE(records(env, "Anna"), row[6]);
    }

    // name|the file|choices|what the plan says: the question it asks, or the fill-ups and their days,
    // the lines refused and what must be confirmed
    void decisions_data()
    {
        addRows("%1", QString::fromUtf8(R"(
month first, told by one date|date,litres\n5/8/2020,40\n5/30/2020,41\n||2 in 2020-05-08 2020-05-30 / 0 refused
day first, told by one date|date,litres\n5/8/2020,40\n30/5/2020,41\n||2 in 2020-05-30 2020-08-05 / 0 refused
neither told, so asked|date,litres\n5/8/2020,40\n6/9/2020,41\n||asks order: dmy mdy (5/8/2020)
neither told, answered|date,litres\n5/8/2020,40\n6/9/2020,41\n|order=mdy|2 in 2020-05-08 2020-06-09 / 0 refused
a date no order reads is refused, never read the other way|date,litres\n13/13/2020,40\n5/30/2020,41\n\
    5/8/2020,42\n||2 in 2020-05-08 2020-05-30 / 1 refused 2: date: "13/13/2020" is not a date
years of two digits|Datum;Liter\n05.08.20;40\n31.08.20;41\n||2 in 2020-08-05 2020-08-31 / 0 refused
years of two digits, last century|Datum;Liter\n05.08.98;40\n31.08.70;41\n||2 in 1970-08-31 1998-08-05 / 0 refused
several vehicles|date,litres,vehicle\n2026-01-01,40,Civic\n2026-01-02,40,Golf\n||asks vehicle: Civic, Golf
a vehicle the file does not name|date,litres,vehicle\n2026-01-01,40,Civic\n2026-01-02,40,Golf\n|vehicle=Polo|\
    This file holds no vehicle named "Polo"; its vehicles are Civic, Golf.
no quantity|date,odometer (km),total\n2026-01-01,1000,60\n2026-01-02,1500,60\n||2 in 2026-01-01 2026-01-02 / 0 \
    refused / confirm the file has no column of litres
units not stated|date,odometer,fuel\n2026-01-01,1000,40\n||1 in 2026-01-01 / 0 refused / confirm the file does \
    not say whether its distances are in km or in miles, the file does not say in which unit its quantities are
gallons of either kind|date,gallons\n2026-01-01,10\n||1 in 2026-01-01 / 0 refused / confirm the file does not say \
    whether its gallons are US or imperial gallons
dollars read as Euro|date,km,liters,total\n2026-01-01,500,40,$60\n||1 in 2026-01-01 / 0 refused / confirm the \
    amounts are written with $ but would be read as Euro
columns chosen before for this header|date,odometer,fuel\n2026-01-01,1000,40\n|remember=date=1,odometer=2@mi,\
    litres=3@usgal|1 in 2026-01-01 / 0 refused
columns that do not fit|date,odometer,fuel\n2026-01-01,1000,40\n|columns=date=1,litres=9|\
    litres: the file has no column "9"
unit not given with the columns|date,odometer,fuel\n2026-01-01,1000,40\n|columns=date=1,odometer=2@km,litres=3|\
    1 in 2026-01-01 / 0 refused / confirm the file does not say in which unit its quantities are)"),
                {}, u'\n');
    }

    void decisions()
    {
        QFETCH(QStringList, row);
        Environment env;
        const QByteArray file = row[1].replace("\\n", "\n").toUtf8();
        const Exchange::ImportPlan plan =
            Exchange::PlanImport(file, env.context(), choicesOf(row[2], env.context(), file));
        QCOMPARE(described(plan), row[3]);
    }

    // What is refused, line by line or whole, and why: nothing dropped without a word.
    void badInput_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("plan");
        const QByteArray head = "date,litres\n2026-01-01,40\n";
        QTest::newRow("an unterminated quote takes in the rest")
            << head + "2026-01-02,\"41\n2026-01-03,42\n2026-01-04,43\n"
            << "1 in 2026-01-01 / 3 refused 3-5: a quote opened on this line is never closed: it took in lines 4 to "
               "5";
        QTest::newRow("a line of 10 MB") << head + QByteArray(10 << 20, 'x') + "\n2026-01-03,42\n"
                                         << "2 in 2026-01-01 2026-01-03 / 1 refused 3: longer than 65536 characters";
        QTest::newRow("a million columns") << head + QByteArray(1 << 20, ',') + "\n2026-01-03,42\n"
                                           << "2 in 2026-01-01 2026-01-03 / 1 refused 3: more than 512 columns";
        QTest::newRow("line ends of CR alone, Windows-1252")
            << QByteArray("date;litres;note\r2026-01-01;40;caf\xE9\r2026-01-02;41;\r")
            << "2 in 2026-01-01 2026-01-02 / 0 refused";
        QTest::newRow("blanks") << QByteArray(" \r\n\t\n") << "This file is empty.";
        QTest::newRow("binary") << QByteArray("PK\x03\x04\x00\x00"
                                              "date,litres",
                                              17)
                                << "This file is not text: it holds binary data.";
        const QString none = "No fill-up columns were found in this file: it needs a date column and a distance, "
                             "odometer, litres or amount column.";
        QTest::newRow("no columns we know") << QByteArray("name,age\nAnna,31\n") << none;
        QTest::newRow("a date and nothing else") << QByteArray("date;comment\n2026-12-05;x\n") << none;
        QTest::newRow("a header too long") << "date," + QByteArray(70000, 'x') + "\n2026-01-01,40\n"
                                           << "The header of this file cannot be read (row 1: longer than 65536 "
                                              "characters).";
        QTest::newRow("a file of My Fuel Manager without fill-ups")
            << QByteArray("My Fuel Manager - Vehicles\nName;Make\nVan;Ford\n")
            << "This file (My Fuel Manager - Vehicles) holds no fill-ups.";
    }

    void badInput()
    {
        QFETCH(QByteArray, file);
        Environment env;
        QTEST(described(Exchange::PlanImport(file, env.context())), "plan");
    }

    // Refused before they are opened, so that none can block the import.
    void sources_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("problem");
        QTest::newRow("a pipe") << "~/fifo"
                                << "~/fifo is a pipe (FIFO), not a file: it is not read, so that "
                                   "nothing waits on it.";
        QTest::newRow("a device") << "/dev/zero"
                                  << "/dev/zero is a device, not a file.";
        QTest::newRow("a folder") << "~"
                                  << "~ is a folder, not a file.";
        QTest::newRow("a loop of links") << "~/loop"
                                         << "cannot read ~/loop: Too many levels of symbolic links";
        QTest::newRow("nothing there") << "~/none"
                                       << "cannot read ~/none: No such file or directory";
    }

    void sources()
    {
        QFETCH(QString, path);
        QFETCH(QString, problem);
        Environment env;
        const QString home = QFileInfo(env.storePath()).path();
        QVERIFY(::mkfifo(QFile::encodeName(home + "/fifo").constData(), 0600) == 0);
        QVERIFY(QFile::link(home + "/loop", home + "/loop2") && QFile::link(home + "/loop2", home + "/loop"));
        QCOMPARE(Exchange::PlanImportFile(path.replace(u'~', home), env.context()).problem,
                 problem.replace(u'~', home));
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

    // Older fill-ups than the newest present are offered a sort, which is
    // undone while nothing else changed the log.
    void sortAfterImportUndone()
    {
        Environment env;
        putRecords(env, "Anna", "10 December 2026;06.00;60;-;-;- + 20 December 2026;07.00;70;-;-;-");
        Context& context = env.context();
        const Exchange::ImportPlan plan = Exchange::PlanImport("date,total\n2026-12-15,65\n", context);
        QVERIFY(plan.olderThanPresent);
        QCOMPARE(Exchange::ApplyImport(context, plan).written, 1);
        QCOMPARE(context.fillUps().sortByDate("Anna"), FillUps::Outcome::Done);
        QCOMPARE(env.stored("Anna", "Date2") + " " + env.stored("Anna", "Pay3"), "15 December 2026 70");
        QCOMPARE(context.fillUps().undoSort("Anna"), FillUps::Outcome::Done);
        QCOMPARE(records(env, "Anna"), "3: 10 December 2026;06.00;60;-;-;- + 20 December 2026;07.00;70;-;-;- + "
                                       "15 December 2026;00.00;65;-;-;-");
        QCOMPARE(context.fillUps().sortByDate("Anna"), FillUps::Outcome::Done);
        context.fillUps().save("Anna", FillUp{});
        QCOMPARE(context.fillUps().undoSort("Anna"), FillUps::Outcome::ChangedElsewhere);
        QVERIFY(!Exchange::PlanImport("date,total\n2026-12-25,65\n", context).olderThanPresent);
    }

    // language|count|the text
    void plural_data()
    {
        addRows("%1 %2", R"(
0|0|0 fill-ups to import;0|1|1 fill-up to import;0|2|2 fill-ups to import;1|0|0 plein à importer;\
    1|1|1 plein à importer;1|2|2 pleins à importer;2|0|0 tankbeurten om aan te brengen;\
    2|1|1 tankbeurt om aan te brengen)");
    }

    void plural()
    {
        QFETCH(QStringList, row);
        QCOMPARE(Plural(Speech{row[0].toInt(), LocaleInfo::english()}, Text::ToImport, row[1].toInt()), row[2]);
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
