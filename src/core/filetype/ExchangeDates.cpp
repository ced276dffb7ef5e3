#include "core/filetype/ExchangeDates.h"

#include "core/records/FillUp.h"

#include <QRegularExpression>

namespace Exchange
{
namespace
{
// Three numbers: a year of four digits first, or one of two or four digits last.
const QRegularExpression& threeNumbers()
{
    static const QRegularExpression re(QStringLiteral("^(\\d{1,4})[-/.](\\d{1,2})[-/.](\\d{1,4})(?:$|[T\\s])"));
    return re;
}

struct Parts
{
    int a = 0, b = 0, c = 0;
    qsizetype aDigits = 0, cDigits = 0;
};

std::optional<Parts> partsOf(QStringView cell)
{
    const QRegularExpressionMatch m = threeNumbers().match(cell.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    Parts p{m.capturedView(1).toInt(), m.capturedView(2).toInt(), m.capturedView(3).toInt(), m.capturedLength(1),
            m.capturedLength(3)};
    if (p.aDigits == 3 || p.cDigits == 3 || (p.aDigits == 4 && p.cDigits > 2) || (p.aDigits < 4 && p.cDigits == 1))
        return std::nullopt;
    return p;
}

// Before 70 a year of two digits is of this century.
int fullYear(int year, qsizetype digits)
{
    return digits == 2 ? year + (year < 70 ? 2000 : 1900) : year;
}

std::optional<QDate> dateOf(const Parts& p, DateOrder order)
{
    QDate date;
    if (p.aDigits == 4 || order == DateOrder::Ymd) {
        if (p.aDigits == 4 || (p.aDigits == 2 && p.cDigits == 2))
            date = QDate(fullYear(p.a, p.aDigits), p.b, p.c);
    } else if (order == DateOrder::Dmy) {
        date = QDate(fullYear(p.c, p.cDigits), p.b, p.a);
    } else if (order == DateOrder::Mdy) {
        date = QDate(fullYear(p.c, p.cDigits), p.a, p.b);
    }
    return date.isValid() ? std::optional(date) : std::nullopt;
}

const DateOrder kOrders[] = {DateOrder::Dmy, DateOrder::Mdy, DateOrder::Ymd};
} // namespace

QString keyword(DateOrder order)
{
    switch (order) {
    case DateOrder::Dmy:
        return QStringLiteral("dmy");
    case DateOrder::Mdy:
        return QStringLiteral("mdy");
    case DateOrder::Ymd:
        return QStringLiteral("ymd");
    case DateOrder::Unknown:
        break;
    }
    return {};
}

std::optional<DateOrder> dateOrderOfKeyword(QStringView word)
{
    for (const DateOrder order : kOrders)
        if (word.compare(keyword(order), Qt::CaseInsensitive) == 0)
            return order;
    return std::nullopt;
}

DateOrder dateOrderOfPattern(QStringView pattern)
{
    const qsizetype day = pattern.indexOf(u'd'), month = pattern.indexOf(u'M'), year = pattern.indexOf(u'y');
    if (day < 0 || month < 0 || year < 0)
        return DateOrder::Unknown;
    if (year < month && month < day)
        return DateOrder::Ymd;
    return day < month ? DateOrder::Dmy : DateOrder::Mdy;
}

std::optional<QDate> readDate(QStringView cell, DateOrder order, const LocaleInfo& locale)
{
    const QStringView t = cell.trimmed();
    if (const std::optional<Parts> parts = partsOf(t))
        return dateOf(*parts, parts->aDigits == 4 ? DateOrder::Ymd : order);
    return ReadFillUpDate(t, locale);
}

void DateVote::add(QStringView cell)
{
    const std::optional<Parts> parts = partsOf(cell);
    if (!parts || parts->aDigits == 4)
        return;
    ++m_numeric;
    for (const DateOrder order : kOrders)
        if (dateOf(*parts, order))
            ++m_reads[int(order)];
    const std::optional<QDate> dayFirst = dateOf(*parts, DateOrder::Dmy), monthFirst = dateOf(*parts, DateOrder::Mdy);
    if (m_example.isEmpty() && dayFirst && monthFirst && *dayFirst != *monthFirst)
        m_example = cell.trimmed().toString();
}

std::vector<DateOrder> DateVote::candidates() const
{
    // A year of two digits is read last, unless no date of the file reads that way.
    const qint64 dmy = m_reads[int(DateOrder::Dmy)], mdy = m_reads[int(DateOrder::Mdy)];
    if (dmy == m_numeric || mdy == m_numeric) {
        std::vector<DateOrder> all;
        for (const DateOrder order : {DateOrder::Dmy, DateOrder::Mdy})
            if (m_reads[int(order)] == m_numeric)
                all.push_back(order);
        return all;
    }
    const qint64 most = std::max({dmy, mdy, m_reads[int(DateOrder::Ymd)]});
    std::vector<DateOrder> best;
    for (const DateOrder order : kOrders)
        if (m_reads[int(order)] == most && most > 0)
            best.push_back(order);
    return best;
}

DateOrder DateVote::decided() const
{
    const std::vector<DateOrder> orders = candidates();
    return orders.size() == 1 ? orders.front() : DateOrder::Unknown;
}
} // namespace Exchange
