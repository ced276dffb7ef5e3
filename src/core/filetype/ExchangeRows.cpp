#include "core/filetype/ExchangeRows.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace Exchange
{
namespace
{
constexpr qsizetype kBlockChars = 512 * 1024;
constexpr qsizetype kBlockBytes = 1024 * 1024;
constexpr QChar kEndOfCell = QChar(0x1F);
constexpr qint8 kRawDouble = 99; // Digits holding a double's bits
constexpr qint64 kNone = std::numeric_limits<qint64>::min();

} // namespace

void Refusals::add(qint64 line, const QString& reason, qint64 lastLine)
{
    lines += lastLine > line ? lastLine - line + 1 : 1;
    ++entries;
    // The first by line, whichever step refused them.
    const auto at =
        std::upper_bound(first.begin(), first.end(), line, [](qint64 l, const Refusal& r) { return l < r.line; });
    if (first.size() < Kept || at != first.end()) {
        first.insert(at, {line, reason, lastLine > line ? lastLine : 0});
        if (first.size() > Kept)
            first.pop_back();
    }
}

RowStore::RowStore(const Assignment& assignment)
{
    for (int r = 0; r < RoleCount; ++r) {
        m_column[r] = assignment.use[r].column;
        if (m_column[r] >= 0 || r == Vehicle)
            m_roles.push_back(Role(r));
    }
}

void RowStore::add(qint64 line, const QStringList& fields, const QString& vehicle)
{
    qsizetype size = 0;
    for (const Role role : m_roles)
        size += (role == Vehicle && m_column[role] < 0 ? vehicle.size() : fields.value(m_column[role]).size()) + 1;
    if (m_blocks.empty() || m_blocks.back().size() + size > kBlockChars) {
        m_blocks.emplace_back();
        m_blocks.back().reserve(std::max(kBlockChars, size));
    }
    QString& block = m_blocks.back();
    m_rows.push_back({line, quint32(m_blocks.size() - 1), quint32(block.size())});
    for (const Role role : m_roles) {
        block += role == Vehicle && m_column[role] < 0 ? vehicle : fields.value(m_column[role]);
        block += kEndOfCell;
    }
}

RowStore::Cells RowStore::cells(size_t row) const
{
    Cells out;
    const QString& block = m_blocks[m_rows[row].block];
    qsizetype at = m_rows[row].at;
    for (const Role role : m_roles) {
        const qsizetype end = block.indexOf(kEndOfCell, at);
        out[role] = QStringView(block).sliced(at, end - at);
        at = end + 1;
    }
    return out;
}

double Digits::value() const
{
    if (decimals == kRawDouble)
        return std::bit_cast<double>(mantissa);
    return decimals < 0 ? NAN : double(mantissa) / std::pow(10.0, decimals);
}

QString Digits::text() const
{
    if (decimals < 0)
        return {};
    // Written as the program writes a number with an exponent: 1E+20.
    if (decimals == kRawDouble)
        return QString::number(value(), 'G', 17);
    QString digits = QString::number(mantissa).rightJustified(decimals + std::max<int>(width, 1), u'0');
    if (decimals > 0)
        digits.insert(digits.size() - decimals, u'.');
    return digits;
}

Digits Digits::of(const QString& digits)
{
    const qsizetype point = digits.indexOf(u'.');
    QString plain = digits;
    plain.remove(u'.');
    bool ok = false;
    const qint64 mantissa = plain.toLongLong(&ok);
    if (ok && !digits.contains(u'e', Qt::CaseInsensitive) && plain.size() <= 18)
        return {mantissa, qint8(point < 0 ? 0 : digits.size() - point - 1), qint8(point < 0 ? digits.size() : point)};
    return {std::bit_cast<qint64>(digits.toDouble()), kRawDouble, 1};
}

Digits Digits::rounded(double value, int decimals)
{
    // Half up, as money is rounded: 36.705 is 36.71.
    const double scaled = value * std::pow(10.0, decimals);
    return {qint64(std::floor(scaled + 0.5 + 1e-9)), qint8(decimals), 1};
}

// Compared to the cent, as the program shows them: 60.00 is 60.
qint64 PlannedFillUps::cents(double value)
{
    if (std::isnan(value))
        return kNone;
    if (std::fabs(value) < 1e15)
        return std::llround(value * 100);
    return std::bit_cast<qint64>(value);
}

PlannedFillUps::Key PlannedFillUps::keyOf(const FillUp& f)
{
    return {f.date.value ? f.date.value->toJulianDay() : kNone, cents(f.consumption.value.value_or(NAN)),
            cents(f.euro.value.value_or(NAN))};
}

void PlannedFillUps::push_back(const FillUp& fillUp)
{
    const QString* texts[] = {&fillUp.date.text, &fillUp.consumption.text, &fillUp.euro.text,
                              &fillUp.paid.text, &fillUp.distance.text,    &fillUp.litres.text};
    Entry entry;
    QByteArray bytes;
    for (int f = 0; f < 6; ++f) {
        const QByteArray utf8 = texts[f]->toUtf8();
        entry.size[f] = texts[f]->isNull() ? -1 : qint32(utf8.size());
        bytes += utf8;
    }
    if (m_blocks.empty() || m_blocks.back().size() + bytes.size() > kBlockBytes) {
        m_blocks.emplace_back();
        m_blocks.back().reserve(std::max(kBlockBytes, bytes.size()));
    }
    entry.block = quint32(m_blocks.size() - 1);
    entry.at = quint32(m_blocks.back().size());
    entry.key = keyOf(fillUp);
    m_blocks.back() += bytes;
    m_entries.push_back(entry);
}

FillUp PlannedFillUps::operator[](size_t i) const
{
    const Entry& e = m_entries[i];
    QString texts[6];
    qsizetype at = e.at;
    for (int f = 0; f < 6; ++f) {
        if (e.size[f] >= 0)
            texts[f] =
                e.size[f] == 0 ? QStringLiteral("") : QString::fromUtf8(m_blocks[e.block].constData() + at, e.size[f]);
        at += std::max(e.size[f], 0);
    }
    FillUp fillUp;
    fillUp.date = FillUpText::readDate(texts[0], m_locale);
    fillUp.consumption = FillUpText::readNumber(texts[1], m_locale);
    fillUp.euro = FillUpText::readNumber(texts[2], m_locale);
    fillUp.paid = FillUpText::readPaid(texts[3], m_locale);
    fillUp.distance = FillUpText::readNumber(texts[4], m_locale);
    fillUp.litres = FillUpText::readNumber(texts[5], m_locale);
    return fillUp;
}
} // namespace Exchange
