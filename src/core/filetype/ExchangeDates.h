#pragma once

// The dates of other logs, read in one order for the whole file. A date of
// three numbers (05/08/2020, 5.8.20) is day first or month first; which one
// is decided from every date of the file together, never one by one, so
// that no file is ever read with one date in one order and another in the
// other. ISO dates (2020-08-05) and the stored form (05 August 2020) read as
// they stand.

#include "core/frame/LocaleInfo.h"

#include <QDate>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <vector>

namespace Exchange
{
enum class DateOrder : quint8
{
    Unknown,
    Dmy,
    Mdy,
    Ymd
};

// "dmy", "mdy", "ymd"
QString keyword(DateOrder order);
std::optional<DateOrder> dateOrderOfKeyword(QStringView keyword);
// A Java or .NET date pattern ("M/d/yyyy", "dd.MM.yyyy"): the order it writes.
DateOrder dateOrderOfPattern(QStringView pattern);

// A date of the file in the order given; for a date of three numbers with
// DateOrder::Unknown, nothing.
std::optional<QDate> readDate(QStringView cell, DateOrder order, const LocaleInfo& locale);

// Which orders read every date of three numbers that the file holds.
class DateVote
{
public:
    void add(QStringView cell);
    // The one order that reads them all, or that reads the most when none
    // reads them all; Unknown when two read as many (and no date needs one).
    DateOrder decided() const;
    // The orders still in question when decided() is Unknown.
    std::vector<DateOrder> candidates() const;
    bool needed() const { return m_numeric > 0; }
    // A date of the file that the candidates read differently: "05/08/2020".
    QString example() const { return m_example; }

private:
    std::array<qint64, 4> m_reads{};
    qint64 m_numeric = 0;
    QString m_example;
};
} // namespace Exchange
