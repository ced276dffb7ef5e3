#pragma once

#include "core/records/FillUpTrend.h"

#include <QChartView>

class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QValueAxis;
class QXYSeries;
class WindowContext;

// The chart tab: each fill-up's consumption over time with the average of
// each month on the left axis, and what was spent in each month on the
// right, in the colours of the window's palette and the user's notation. A
// point's date and value show under the mouse; without any, a sentence says so.
class FillUpChart : public QChartView
{
    Q_OBJECT

public:
    explicit FillUpChart(WindowContext& context, QWidget* parent = nullptr);

    void setTrend(const FillUpTrend& trend);
    void setTexts();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void followPalette();
    void hovered(const QXYSeries* series, const QPointF& point, bool over);

    WindowContext& m_ctx;
    QChart* m_chart = nullptr;
    QLineSeries* m_fillUps = nullptr;
    QLineSeries* m_months = nullptr;
    QLineSeries* m_amounts = nullptr;
    QDateTimeAxis* m_time = nullptr;
    QValueAxis* m_litres = nullptr;
    QValueAxis* m_euros = nullptr;
    QLabel* m_empty = nullptr;
};
