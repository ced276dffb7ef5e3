#include "core/filetype/ExchangeChain.h"

#include "core/frame/Conversions.h"
#include "core/fuel/FuelCalc.h"

#include <algorithm>
#include <cmath>

namespace Exchange
{
namespace
{
bool isEuro(const QString& currency)
{
    const QString c = currency.trimmed().toLower();
    return c.isEmpty() || c == u"eur" || c == u"euro" || c == u"euros" || c == u"€";
}

std::optional<QString> ownAmounts(const Reading& r, const ChainInput& in, const Speech& speech, FillUp& f)
{
    const LocaleInfo& locale = speech.locale;
    const QString currency = r.currency >= 0 ? in.currencies[r.currency] : QString();
    if (r.amount.isSet())
        f.euro = FillUpText::fileNumber(r.amount.text(), locale);
    if (r.paid.isSet() && currency.isEmpty())
        return speech.text(Text::UnknownCurrency).arg(currency);
    if (!r.paid.isSet() && !currency.isEmpty())
        return speech.text(Text::NotANumber).arg(in.paidColumn, QString());
    if (r.paid.isSet())
        f.paid = FillUpText::paid(FillUpText::fileNumber(r.paid.text(), locale).text, currency, locale);
    return std::nullopt;
}

// Another log's amount, in Euro unless its currency says otherwise.
std::optional<QString> amounts(const Reading& r, const ChainInput& in, const Speech& speech, FillUp& f)
{
    if (in.own)
        return ownAmounts(r, in, speech, f);
    const LocaleInfo& locale = speech.locale;
    f.euro = FillUpText::typedEuro(QString(), locale);
    if (!r.amount.isSet())
        return std::nullopt;
    const QString currency = r.currency >= 0 ? in.currencies[r.currency] : in.currency;
    if (isEuro(currency)) {
        f.euro = FillUpText::fileNumber(r.amount.text(), locale);
        return std::nullopt;
    }
    const auto entry = std::find_if(in.table.begin(), in.table.end(), [&](const CurrencyRow& row) {
        return row.name.trimmed().compare(currency.trimmed(), Qt::CaseInsensitive) == 0;
    });
    if (entry == in.table.end())
        return speech.text(Text::UnknownCurrency).arg(currency);
    const QString typed = FillUpText::fileNumber(r.amount.text(), locale).text;
    const NumberOrText factor(entry->inverse);
    if (const AmountProblem problem = CheckAmount(typed, true, factor, locale); problem != AmountProblem::None)
        return AmountProblemText(problem, speech);
    f.euro = FillUpText::euro(EuroValue(typed, factor, locale), locale);
    f.paid = FillUpText::paid(typed, entry->name, locale);
    return std::nullopt;
}

// Distances from the odometer: the difference to the reading before in
// time. A line without a reading keeps the distance it gives.
void distances(std::vector<Reading>& readings, const Speech& speech, Refusals& refused, std::vector<char>& out)
{
    double before = NAN;
    for (size_t i = 0; i < readings.size(); ++i) {
        Reading& r = readings[i];
        if (std::isnan(r.odometer))
            continue;
        r.distance = NAN;
        if (!std::isnan(before)) {
            if (r.odometer < before) {
                refused.add(r.line, speech.text(Text::OdometerBelow));
                out[i] = 1;
                continue;
            }
            // To the metre: 10000.3 - 9999.1 is 1.2, not 1.20000000000073.
            r.distance = std::round((r.odometer - before) * 1000) / 1000;
        }
        before = r.odometer;
    }
}

// The consumption of the program's own line: as a save computes it, or
// the one the file kept for a line without a distance and litres.
std::optional<Stored<double>> ownConsumption(const Reading& r, const LocaleInfo& locale)
{
    if (r.distance > 0 && r.litres > 0) {
        if (!ConsumptionText(r.litres, r.distance, locale))
            return std::nullopt;
        return FillUpText::consumption(r.litres * 100 / r.distance, locale);
    }
    if (r.consumption.isSet())
        return FillUpText::fileNumber(r.consumption.text(), locale);
    return Stored<double>{QStringLiteral(""), std::nullopt};
}

struct TankLevel
{
    double litres = 0, distance = 0;
    bool known = true; // every litre and km since the last full fill-up
};

// The consumption of another log's line, over the litres and distance
// since the last full fill-up; 0 for none.
std::optional<double> chained(const Reading& r, TankLevel& tank, const LocaleInfo& locale)
{
    tank.litres += r.litres > 0 ? r.litres : 0;
    tank.distance += r.distance > 0 ? r.distance : 0;
    tank.known = tank.known && r.litres > 0 && r.distance > 0 && !(r.flags & Reading::Missed);
    if (r.flags & Reading::Partial)
        return 0.0;
    const TankLevel full = tank;
    tank = TankLevel();
    if (!full.known)
        return 0.0;
    if (!ConsumptionText(full.litres, full.distance, locale))
        return std::nullopt;
    return full.litres * 100 / full.distance;
}
} // namespace

ChainCounts PlanFillUps(std::vector<Reading>& readings, const ChainInput& input, const Speech& speech,
                        PlannedFillUps& out, Refusals& refused)
{
    const LocaleInfo& locale = speech.locale;
    if (!input.own)
        std::stable_sort(readings.begin(), readings.end(), [](const Reading& a, const Reading& b) {
            const double ao = std::isnan(a.odometer) ? INFINITY : a.odometer;
            const double bo = std::isnan(b.odometer) ? INFINITY : b.odometer;
            return a.day != b.day ? a.day < b.day : ao < bo;
        });
    std::vector<char> skip(readings.size(), 0);
    if (!input.own)
        distances(readings, speech, refused, skip);
    ChainCounts counts;
    TankLevel tank;
    for (size_t i = 0; i < readings.size(); ++i) {
        if (skip[i])
            continue;
        const Reading& r = readings[i];
        FillUp f;
        f.date = r.flags & Reading::NoDate ? Stored<QDate>{QStringLiteral(""), std::nullopt}
                                           : FillUpText::date(QDate::fromJulianDay(r.day), locale);
        f.distance = FillUpText::measured(r.distance);
        f.litres = FillUpText::measured(r.litres);
        std::optional<Stored<double>> consumption;
        if (input.own)
            consumption = ownConsumption(r, locale);
        else if (const std::optional<double> value = chained(r, tank, locale))
            consumption = FillUpText::consumption(*value, locale);
        if (!consumption) {
            refused.add(r.line, speech.text(Text::NoConsumption));
            continue;
        }
        f.consumption = *consumption;
        if (input.own)
            f.euro.text = QStringLiteral("");
        if (const std::optional<QString> reason = amounts(r, input, speech, f)) {
            refused.add(r.line, *reason);
            continue;
        }
        counts.partial += (r.flags & Reading::Partial) ? 1 : 0;
        counts.missed += (r.flags & Reading::Missed) ? 1 : 0;
        out.push_back(f);
    }
    return counts;
}
} // namespace Exchange
