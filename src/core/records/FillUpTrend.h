#pragma once

#include "core/records/FillUpList.h"

#include <vector>

// What the chart draws, worked out without a widget: each fill-up's
// consumption at its date, the average of each calendar month, and the Euro
// spent in it. Records whose date reads as nothing have no place in time and
// are left out; so are consumptions of 0 (none was measured).
struct TrendPoint
{
    double day = 0; // Julian day
    double value = 0;
    bool operator==(const TrendPoint&) const = default;
};

struct FillUpTrend
{
    std::vector<TrendPoint> consumption;  // by date, thinned to the points asked for
    std::vector<TrendPoint> monthAverage; // mean of the month's consumptions, on its 15th
    std::vector<TrendPoint> monthAmount;  // Euro spent in the month, on its 15th
};

FillUpTrend BuildTrend(const FillUpList& records, size_t maxPoints);

// At most maxPoints (at least 2) of the points, which are in order of day:
// the lowest and the highest of each stretch, so that no peak is lost when a
// chart a thousand pixels wide draws 100,000 fill-ups.
std::vector<TrendPoint> Thin(const std::vector<TrendPoint>& points, size_t maxPoints);
