#include "core/records/FillUpLog.h"

#include "core/frame/Conversions.h"

#include <QDate>

#include <algorithm>
#include <numeric>

namespace
{
using F = FillUpList;

// Column -> the field whose text it shows.
constexpr int kFieldOf[] = {-1, F::Date, F::Distance, F::Litres, F::Consumption, F::Euro, F::Paid};

// A consumption or an amount of 0 is what a save stores when there was none.
bool known(double value)
{
    return !std::isnan(value) && value != 0;
}

QString figure(std::optional<double> value, const char16_t* pattern, const Speech& speech)
{
    if (!value)
        return QStringLiteral("–");
    if (!std::isfinite(*value))
        return speech.text(Text::Error);
    return pattern ? FormatPattern(*value, pattern, speech.locale)
                   : LocaleText(std::round(*value * 100) / 100, speech.locale);
}

// What a row is ordered by in a column; NaN is blank and goes last either way.
double sortKey(const FillUpList& list, size_t position, int column)
{
    switch (column) {
    case FillUpLog::Date:
    case FillUpLog::Distance:
    case FillUpLog::Litres:
        return list.value(position, F::Field(kFieldOf[column]));
    case FillUpLog::Consumption:
    case FillUpLog::Amount: {
        const double value = list.value(position, F::Field(kFieldOf[column]));
        return known(value) ? value : NAN;
    }
    default:
        return double(position);
    }
}
} // namespace

FillUpTotals SumFillUps(const FillUpList& records)
{
    FillUpTotals totals;
    totals.fillUps = qint64(records.size());
    double drivenWithConso = 0, weightedSum = 0, drivenWithAmount = 0, paidWhileDriven = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        const double km = records.value(i, F::Distance), litres = records.value(i, F::Litres);
        const double conso = records.value(i, F::Consumption), euro = records.value(i, F::Euro);
        const bool driven = km > 0;
        if (driven)
            totals.km += km;
        if (litres > 0)
            totals.litres += litres;
        if (!std::isnan(euro))
            totals.euro += euro;
        if (driven && known(conso)) {
            const double weight = km;
            drivenWithConso += weight;
            weightedSum += conso * weight;
        }
        if (driven && known(euro)) {
            drivenWithAmount += km;
            paidWhileDriven += euro;
        }
    }
    if (drivenWithConso > 0)
        totals.weighted = weightedSum / drivenWithConso;
    if (drivenWithAmount > 0)
        totals.euroPer100 = paidWhileDriven * 100 / drivenWithAmount;
    return totals;
}

QString TotalsText(const FillUpTotals& totals, const Speech& speech)
{
    const auto some = [](double sum) { return sum > 0 ? std::optional(sum) : std::nullopt; };
    return speech.text(Text::LogTotals)
        .arg(QString::number(totals.fillUps), figure(some(std::round(totals.km)), nullptr, speech),
             figure(some(totals.litres), nullptr, speech), figure(totals.euro, nullptr, speech),
             figure(totals.euroPer100, u"00.00", speech), figure(totals.weighted, u"00.00", speech));
}

FillUpLog::FillUpLog(FillUps& fillUps, const Speech& speech, QObject* parent)
    : QAbstractTableModel(parent), m_fillUps(fillUps), m_speech(speech)
{
}

void FillUpLog::read(const QString& user)
{
    beginResetModel();
    m_user = user;
    m_list = m_fillUps.list(user);
    m_rows.resize(m_list->size());
    std::iota(m_rows.begin(), m_rows.end(), 0);
    if (m_column >= 0)
        order();
    m_totals = SumFillUps(*m_list);
    endResetModel();
}

int FillUpLog::row(size_t position) const
{
    const auto it = std::find(m_rows.begin(), m_rows.end(), qint32(position));
    return it == m_rows.end() ? -1 : int(it - m_rows.begin());
}

int FillUpLog::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FillUpLog::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString FillUpLog::display(size_t p, int column) const
{
    const FillUpList& list = *m_list;
    const int field = kFieldOf[column];
    if (field >= 0 && list.isUnreadable(p, F::Field(field)))
        return list.text(p, F::Field(field)).toString();
    const double value = field >= 0 ? list.value(p, F::Field(field)) : NAN;
    const LocaleInfo& locale = m_speech.locale;
    switch (column) {
    case Number:
        return QString::number(list.number(p));
    case Date:
        return std::isnan(value) ? QString()
                                 : FormatPattern(QDate::fromJulianDay(qint64(value)), u"dd mmmm yyyy", locale);
    case Distance:
    case Litres:
        return std::isnan(value) ? QString() : LocaleText(value, locale);
    case Consumption:
        return known(value) ? FormatPattern(value, u"00.00", locale) : QString();
    case Amount:
        return known(value) ? LocaleText(value, locale) : QString();
    default:
        return list.text(p, F::Paid).toString();
    }
}

QVariant FillUpLog::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const size_t p = position(index.row());
    const int field = kFieldOf[index.column()];
    const bool unreadable = field >= 0 && m_list->isUnreadable(p, F::Field(field));
    switch (role) {
    case Qt::DisplayRole:
        return display(p, index.column());
    case Qt::TextAlignmentRole:
        return index.column() == Date || index.column() == Paid ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                                                : int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        return unreadable ? QVariant(m_speech.text(Text::Error)) : QVariant();
    case UnreadableRole:
        return unreadable;
    default:
        return {};
    }
}

QVariant FillUpLog::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    static constexpr Text::Id titles[] = {Text::NumberColumn,       Text::DateColumn,   Text::KmColumn,  Text::Liters,
                                          Text::AverageConsumption, Text::AmountColumn, Text::PaidAmount};
    return m_speech.text(titles[section]);
}

void FillUpLog::sort(int column, Qt::SortOrder order)
{
    m_column = column;
    m_order = order;
    resort();
}

void FillUpLog::resort()
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<size_t> positions;
    positions.reserve(size_t(before.size()));
    for (const QModelIndex& index : before)
        positions.push_back(position(index.row()));
    this->order();
    std::vector<qint32> rowOf(m_rows.size());
    for (size_t r = 0; r < m_rows.size(); ++r)
        rowOf[size_t(m_rows[r])] = qint32(r);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after << index(rowOf[positions[size_t(i)]], before[i].column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// Blanks last in either order; equal values keep their stored order.
void FillUpLog::order()
{
    const bool ascending = m_order == Qt::AscendingOrder;
    if (m_column == Paid) {
        std::sort(m_rows.begin(), m_rows.end(), [&](qint32 a, qint32 b) {
            const QStringView x = m_list->text(size_t(a), F::Paid);
            const QStringView y = m_list->text(size_t(b), F::Paid);
            if (x.isEmpty() != y.isEmpty())
                return y.isEmpty();
            const int c = x.compare(y, Qt::CaseInsensitive);
            return c != 0 ? (ascending ? c < 0 : c > 0) : a < b;
        });
        return;
    }
    std::vector<double> keys(m_list->size());
    for (size_t p = 0; p < keys.size(); ++p)
        keys[p] = sortKey(*m_list, p, m_column);
    std::sort(m_rows.begin(), m_rows.end(), [&](qint32 a, qint32 b) {
        const double x = keys[size_t(a)], y = keys[size_t(b)];
        if (std::isnan(x) != std::isnan(y))
            return std::isnan(y);
        if (x != y && !std::isnan(x))
            return ascending ? x < y : x > y;
        return a < b;
    });
}

FillUps::Outcome FillUpLog::replace(size_t position, const FillUp& fillUp)
{
    const FillUps::Outcome outcome = m_fillUps.replace(m_user, *m_list, position, fillUp);
    if (outcome == FillUps::Outcome::Done) {
        const int r = row(position);
        emit dataChanged(index(r, 0), index(r, ColumnCount - 1));
        edited();
    }
    return outcome;
}

FillUps::Outcome FillUpLog::remove(size_t position)
{
    const int r = row(position);
    const FillUps::Outcome outcome = m_fillUps.remove(m_user, *m_list, position);
    if (outcome != FillUps::Outcome::Done)
        return outcome;
    beginRemoveRows({}, r, r);
    m_rows.erase(m_rows.begin() + r);
    for (qint32& p : m_rows)
        p -= p > qint32(position) ? 1 : 0;
    endRemoveRows();
    edited();
    return outcome;
}

FillUps::Outcome FillUpLog::insert(size_t position, const FillUp& fillUp)
{
    const FillUps::Outcome outcome = m_fillUps.insert(m_user, *m_list, position, fillUp);
    if (outcome != FillUps::Outcome::Done)
        return outcome;
    for (qint32& p : m_rows)
        p += p >= qint32(position) ? 1 : 0;
    beginInsertRows({}, rowCount(), rowCount());
    m_rows.push_back(qint32(position));
    endInsertRows();
    edited();
    return outcome;
}

// Numbers move with a removal or an insertion, and a corrected value may
// belong elsewhere in the order shown.
void FillUpLog::edited()
{
    m_totals = SumFillUps(*m_list);
    if (rowCount() > 0)
        emit dataChanged(index(0, Number), index(rowCount() - 1, Number));
    resort();
}
