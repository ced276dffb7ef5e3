#include "gui/records/FillUpChart.h"

#include "core/frame/Conversions.h"
#include "gui/WindowContext.h"
#include "gui/base/Accessibility.h"

#include <QDateTimeAxis>
#include <QLineSeries>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace
{
double msecsOf(double day)
{
    return double(QDateTime(QDate::fromJulianDay(qint64(day)), QTime(12, 0)).toMSecsSinceEpoch());
}

QDate dateOf(double msecs)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(msecs)).date();
}

QList<QPointF> pointsOf(const std::vector<TrendPoint>& trend)
{
    QList<QPointF> points;
    points.reserve(qsizetype(trend.size()));
    for (const TrendPoint& p : trend)
        points.append({msecsOf(p.day), p.value});
    return points;
}

// A value axis from 0 to a round figure above the highest value.
void fit(QValueAxis* axis, const std::vector<TrendPoint>& values)
{
    double highest = 0;
    for (const TrendPoint& p : values)
        if (std::isfinite(p.value))
            highest = std::max(highest, p.value);
    axis->setRange(0, highest > 0 ? highest * 1.1 : 1);
    axis->applyNiceNumbers();
}
} // namespace

FillUpChart::FillUpChart(WindowContext& context, QWidget* parent) : QChartView(parent), m_ctx(context)
{
    setObjectName(QStringLiteral("FillUpChart"));
    m_chart = new QChart;
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_chart->setMargins(QMargins(2, 2, 2, 2));
    m_chart->setBackgroundRoundness(0);
    setChart(m_chart);
    setRenderHint(QPainter::Antialiasing);
    setFocusPolicy(Qt::StrongFocus);

    m_fillUps = new QLineSeries(m_chart);
    m_months = new QLineSeries(m_chart);
    m_amounts = new QLineSeries(m_chart);
    m_fillUps->setColor(QColor(0, 128, 128));
    m_months->setColor(QColor(128, 0, 0));
    m_amounts->setColor(QColor(96, 96, 96));
    m_months->setPen(QPen(QColor(128, 0, 0), 2));
    for (QLineSeries* series : {m_fillUps, m_months, m_amounts}) {
        m_chart->addSeries(series);
        connect(series, &QXYSeries::hovered, this,
                [this, series](const QPointF& point, bool over) { hovered(series, point, over); });
    }
    m_time = new QDateTimeAxis(m_chart);
    m_litres = new QValueAxis(m_chart);
    m_euros = new QValueAxis(m_chart);
    m_litres->setLabelFormat(QStringLiteral("%.1f"));
    m_euros->setLabelFormat(QStringLiteral("%.0f"));
    m_chart->addAxis(m_time, Qt::AlignBottom);
    m_chart->addAxis(m_litres, Qt::AlignLeft);
    m_chart->addAxis(m_euros, Qt::AlignRight);
    for (QLineSeries* series : {m_fillUps, m_months}) {
        series->attachAxis(m_time);
        series->attachAxis(m_litres);
    }
    m_amounts->attachAxis(m_time);
    m_amounts->attachAxis(m_euros);
    setTexts();
}

void FillUpChart::setTexts()
{
    m_fillUps->setName(m_ctx.text(Text::FillUpsTab));
    m_months->setName(m_ctx.text(Text::MonthlyAverage));
    m_amounts->setName(m_ctx.text(Text::PaidAmountInEuro));
    m_time->setTitleText(m_ctx.text(Text::DateColumn));
    m_litres->setTitleText(m_ctx.text(Text::AverageConsumption) + QStringLiteral(" (l/100 km)"));
    m_euros->setTitleText(m_ctx.text(Text::PaidAmountInEuro));
    // Its tab is named "Chart" already: the name says what it draws.
    Accessibility::Names(m_ctx.announcer(), m_ctx.speech())
        .setName(this,
                 m_ctx.text(Text::AverageConsumption) + QStringLiteral(", ") + m_ctx.text(Text::PaidAmountInEuro));
}

void FillUpChart::setTrend(const FillUpTrend& trend)
{
    m_fillUps->replace(pointsOf(trend.consumption));
    m_months->replace(pointsOf(trend.monthAverage));
    m_amounts->replace(pointsOf(trend.monthAmount));
    double first = 0, last = 0;
    for (const auto* points : {&trend.consumption, &trend.monthAmount}) {
        if (points->empty())
            continue;
        first = first == 0 ? points->front().day : std::min(first, points->front().day);
        last = std::max(last, points->back().day);
    }
    if (first == 0)
        first = last = double(QDate::currentDate().toJulianDay());
    m_time->setRange(QDateTime::fromMSecsSinceEpoch(qint64(msecsOf(first - 15))),
                     QDateTime::fromMSecsSinceEpoch(qint64(msecsOf(last + 15))));
    // Years alone once the months would crowd the axis.
    m_time->setFormat(last - first > 3 * 365 ? QStringLiteral("yyyy") : QStringLiteral("MM/yyyy"));
    fit(m_litres, trend.consumption);
    fit(m_euros, trend.monthAmount);
}

// The point nearest to the mouse along the time axis, in the user's notation.
void FillUpChart::hovered(const QXYSeries* series, const QPointF& point, bool over)
{
    const QList<QPointF> points = series->points();
    if (!over || points.isEmpty()) {
        QToolTip::hideText();
        return;
    }
    auto it =
        std::lower_bound(points.begin(), points.end(), point.x(), [](const QPointF& p, double x) { return p.x() < x; });
    if (it == points.end() || (it != points.begin() && point.x() - (it - 1)->x() < it->x() - point.x()))
        --it;
    const QDate date = dateOf(it->x());
    QString text;
    if (series == m_fillUps)
        text = FormatPattern(date, u"dd mmmm yyyy", m_ctx.locale()) + QStringLiteral(": ") +
               FormatPattern(it->y(), u"00.00", m_ctx.locale()) + QStringLiteral(" l/100 km");
    else if (series == m_months)
        text = FormatPattern(date, u"dd mmmm yyyy", m_ctx.locale()).mid(3) + QStringLiteral(": ") +
               FormatPattern(it->y(), u"00.00", m_ctx.locale()) + QStringLiteral(" l/100 km");
    else
        text = FormatPattern(date, u"dd mmmm yyyy", m_ctx.locale()).mid(3) + QStringLiteral(": ") +
               LocaleText(std::round(it->y() * 100) / 100, m_ctx.locale()) + QStringLiteral(" €");
    QToolTip::showText(QCursor::pos(), series->name() + u'\n' + text, this);
}
