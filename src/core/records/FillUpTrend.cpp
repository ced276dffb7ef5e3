#include "core/records/FillUpTrend.h"

#include <QDate>

#include <algorithm>

namespace
{
double fifteenth(int year, int month)
{
    return double(QDate(year, month, 15).toJulianDay());
}
} // namespace

FillUpTrend BuildTrend(const FillUpList& records, size_t maxPoints)
{
    struct Dated
    {
        qint64 day;
        double conso;
        double euro;
    };
    std::vector<Dated> dated;
    dated.reserve(records.size());
    const auto orZero = [](double value) { return std::isnan(value) ? 0 : value; };
    for (size_t i = 0; i < records.size(); ++i)
        if (const double day = records.value(i, FillUpList::Date); !std::isnan(day))
            dated.push_back({qint64(day), orZero(records.value(i, FillUpList::Consumption)),
                             orZero(records.value(i, FillUpList::Euro))});
    std::stable_sort(dated.begin(), dated.end(), [](const Dated& a, const Dated& b) { return a.day < b.day; });

    FillUpTrend trend;
    std::vector<TrendPoint> all;
    all.reserve(dated.size());
    for (size_t i = 0; i < dated.size();) {
        const QDate first = QDate::fromJulianDay(dated[i].day);
        // The month runs to the day before the first of the next one.
        const qint64 end = QDate(first.year(), first.month(), 1).addMonths(1).toJulianDay();
        double sum = 0, euro = 0;
        int count = 0;
        for (; i < dated.size() && dated[i].day < end; ++i) {
            if (dated[i].conso != 0) {
                all.push_back({double(dated[i].day), dated[i].conso});
                sum += dated[i].conso;
                ++count;
            }
            euro += dated[i].euro;
        }
        if (count > 0)
            trend.monthAverage.push_back({fifteenth(first.year(), first.month()), sum / count});
        trend.monthAmount.push_back({fifteenth(first.year(), first.month()), euro});
    }
    trend.consumption = Thin(all, maxPoints);
    trend.monthAverage = Thin(trend.monthAverage, maxPoints);
    trend.monthAmount = Thin(trend.monthAmount, maxPoints);
    return trend;
}

std::vector<TrendPoint> Thin(const std::vector<TrendPoint>& points, size_t maxPoints)
{
    maxPoints = std::max<size_t>(maxPoints, 2);
    if (points.size() <= maxPoints)
        return points;
    const size_t stretches = maxPoints / 2;
    std::vector<TrendPoint> out;
    out.reserve(maxPoints);
    for (size_t s = 0; s < stretches; ++s) {
        const auto from = points.begin() + qsizetype(s * points.size() / stretches);
        const auto to = points.begin() + qsizetype((s + 1) * points.size() / stretches);
        const auto [low, high] =
            std::minmax_element(from, to, [](const TrendPoint& a, const TrendPoint& b) { return a.value < b.value; });
        out.push_back(low < high ? *low : *high);
        if (low != high)
            out.push_back(low < high ? *high : *low);
    }
    return out;
}
