#pragma once

// How a file of fill-ups writes what it holds: which column is what, by the
// words of its header, and which sign its numbers use before their decimals.
// Shared by the readers of files (ExchangeReader) and the planning of an
// import (ExchangePlan).

#include "core/filetype/ExchangeAssignment.h"

#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>

namespace Exchange
{
// Another log's columns by the words of their titles, in English, French,
// Dutch, German, Italian, Spanish or Portuguese; or the program's own names,
// all of them or some that a spreadsheet left.
Assignment columnsOf(const QStringList& header);

bool isDigit(QChar c);
// Units and currency signs that other logs write beside their numbers.
QStringView withoutAffixes(QStringView t);
// The sign of a currency other than the Euro beside a number ("$3.09"), or a null QChar.
QChar foreignSign(QStringView cell);
// A sign that groups thousands in a file whose decimal sign is `decimal`.
bool isGrouping(QChar c, QChar decimal);

// Which sign the file's numbers use before their decimals: a sign followed by
// other than three digits, or the last of two different signs, is the
// decimal one. Where nothing tells, "," with ";" between fields, else ".".
class DecimalSign
{
public:
    void add(QStringView cell)
    {
        const QStringView t = withoutAffixes(cell);
        const qsizetype lastPoint = t.lastIndexOf(u'.'), lastComma = t.lastIndexOf(u',');
        if (lastPoint >= 0 && lastComma >= 0) {
            (lastComma > lastPoint ? m_comma : m_point) += 1;
        } else if (lastPoint >= 0 || lastComma >= 0) {
            const QChar sign = lastPoint >= 0 ? u'.' : u',';
            const qsizetype at = std::max(lastPoint, lastComma);
            qsizetype after = 0;
            while (at + 1 + after < t.size() && isDigit(t[at + 1 + after]))
                ++after;
            if (t.count(sign) > 1)
                (sign == u'.' ? m_comma : m_point) += 1; // a grouping sign: the other is decimal
            else if (after != 3)
                (sign == u'.' ? m_point : m_comma) += 1;
            else if (sign == u',')
                m_ambiguousComma = true;
        }
    }

    QChar sign(QChar separator) const
    {
        if (m_point != m_comma)
            return m_comma > m_point ? u',' : u'.';
        return m_ambiguousComma && separator == u';' ? u',' : u'.';
    }

private:
    qint64 m_point = 0, m_comma = 0;
    bool m_ambiguousComma = false;
};
} // namespace Exchange
