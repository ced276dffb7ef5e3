#include "gui/records/FillUpChart.h"

#include "core/frame/Conversions.h"
#include "gui/WindowContext.h"
#include "gui/base/Accessibility.h"
#include "gui/base/Colours.h"

#include <QDateTimeAxis>
#include <QLabel>
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

// Qt Charts writes the axes' numbers through a QLocale: one with the user's
// decimal sign, without grouping ("10,0" in French).
QLocale numberLocale(const LocaleInfo& notation)
{
    QLocale locale = QLocale::system();
    if (locale.decimalPoint() != QString(notation.decimalSeparator))
        locale = notation.decimalSeparator == u',' ? QLocale(QLocale::French) : QLocale::c();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

QColor between(const QColor& from, const QColor& to, float share)
{
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * share,
                            from.greenF() + (to.greenF() - from.greenF()) * share,
                            from.blueF() + (to.blueF() - from.blueF()) * share);
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
    m_chart->setLocalizeNumbers(true);
    m_chart->setLocale(numberLocale(m_ctx.locale()));
    setChart(m_chart);
    setRenderHint(QPainter::Antialiasing);
    setFocusPolicy(Qt::StrongFocus);

    m_fillUps = new QLineSeries(m_chart);
    m_months = new QLineSeries(m_chart);
    m_amounts = new QLineSeries(m_chart);
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
    m_empty = new QLabel(viewport());
    m_empty->setObjectName(QStringLiteral("EmptyChart"));
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setWordWrap(true);
    m_empty->hide();
    followPalette();
    setTexts();
}

void FillUpChart::resizeEvent(QResizeEvent* event)
{
    QChartView::resizeEvent(event);
    m_empty->setGeometry(viewport()->rect());
}

void FillUpChart::changeEvent(QEvent* event)
{
    QChartView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        followPalette();
}

// The chart's own theme is light whatever the desktop's: its face, its
// lines and its words take the palette's instead.
void FillUpChart::followPalette()
{
    const QPalette colours = palette();
    const QColor face = colours.color(QPalette::Base), ink = colours.color(QPalette::Text);
    m_chart->setBackgroundBrush(face);
    m_chart->setBackgroundPen(Qt::NoPen);
    m_chart->legend()->setLabelColor(ink);
    for (QAbstractAxis* axis : {static_cast<QAbstractAxis*>(m_time), static_cast<QAbstractAxis*>(m_litres),
                                static_cast<QAbstractAxis*>(m_euros)}) {
        axis->setLabelsColor(ink);
        axis->setTitleBrush(ink);
        axis->setLinePenColor(between(face, ink, 0.4f));
        axis->setGridLineColor(between(face, ink, 0.15f));
    }
    m_fillUps->setColor(Colours::readable(Colours::Teal, colours, QPalette::Base));
    m_months->setPen(QPen(Colours::readable(Colours::Maroon, colours, QPalette::Base), 2));
    m_amounts->setColor(Colours::readable(QColor(96, 96, 96), colours, QPalette::Base));
}

void FillUpChart::setTexts()
{
    m_fillUps->setName(m_ctx.text(Text::FillUpsTab));
    m_months->setName(m_ctx.text(Text::MonthlyAverage));
    m_amounts->setName(m_ctx.text(Text::PaidAmountInEuro));
    m_time->setTitleText(m_ctx.text(Text::DateColumn));
    m_litres->setTitleText(m_ctx.text(Text::AverageConsumption) + QStringLiteral(" (l/100 km)"));
    m_euros->setTitleText(m_ctx.text(Text::PaidAmountInEuro));
    m_empty->setText(m_ctx.text(Text::NothingToDraw));
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
    // Axes over nothing would only repeat their few labels.
    const bool empty = trend.consumption.empty() && trend.monthAmount.empty();
    m_empty->setVisible(empty);
    m_chart->legend()->setVisible(!empty);
    for (QAbstractAxis* axis : m_chart->axes())
        axis->setVisible(!empty);
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
