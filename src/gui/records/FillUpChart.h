#pragma once

#include "core/records/FillUpTrend.h"

#include <QChartView>

class QDateTimeAxis;
class QLineSeries;
class QValueAxis;
class QXYSeries;
class WindowContext;

// The chart tab: each fill-up's consumption over time with the average of
// each month on the left axis, and what was spent in each month on the
// right. A point's date and value show under the mouse.
class FillUpChart : public QChartView
{
    Q_OBJECT

public:
    explicit FillUpChart(WindowContext& context, QWidget* parent = nullptr);

    void setTrend(const FillUpTrend& trend);
    void setTexts();

private:
    void hovered(const QXYSeries* series, const QPointF& point, bool over);

    WindowContext& m_ctx;
    QChart* m_chart = nullptr;
    QLineSeries* m_fillUps = nullptr;
    QLineSeries* m_months = nullptr;
    QLineSeries* m_amounts = nullptr;
    QDateTimeAxis* m_time = nullptr;
    QValueAxis* m_litres = nullptr;
    QValueAxis* m_euros = nullptr;
};
