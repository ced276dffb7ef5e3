#include "core/records/FillUpLog.h"

#include "core/frame/Conversions.h"
#include "core/frame/StringTable.h"

#include <QDate>

#include <algorithm>
#include <numeric>

namespace
{
using Record = FillUpTable::Record;

// Column -> the key whose text it shows.
constexpr int kKeyOf[] = {-1,
                          FillUpTable::Date,
                          FillUpTable::Kms,
                          FillUpTable::Ltrs,
                          FillUpTable::Tanko,
                          FillUpTable::Pay,
                          FillUpTable::PayCom};

// A consumption or an amount of 0 is what a save stores when there was none.
bool known(double value)
{
    return !std::isnan(value) && value != 0;
}

QString figure(std::optional<double> value, const char16_t* pattern)
{
    if (!value)
        return QStringLiteral("–");
    if (!std::isfinite(*value))
        return LocalizedText(Text::Error);
    return pattern ? FormatPattern(*value, pattern) : LocaleText(std::round(*value * 100) / 100);
}

// What a row is ordered by in a column; NaN is blank and goes last either way.
double sortKey(const Record& record, int column, size_t position)
{
    switch (column) {
    case FillUpLog::Date:
        return record.day == Record::NoDay ? NAN : double(record.day);
    case FillUpLog::Distance:
        return record.km;
    case FillUpLog::Litres:
        return record.l;
    case FillUpLog::Consumption:
        return known(record.conso) ? record.conso : NAN;
    case FillUpLog::Amount:
        return known(record.euro) ? record.euro : NAN;
    default:
        return double(position);
    }
}
} // namespace

FillUpTotals SumFillUps(const FillUpTable& records)
{
    FillUpTotals totals;
    totals.fillUps = qint64(records.size());
    double drivenWithConso = 0, weightedSum = 0, drivenWithAmount = 0, paidWhileDriven = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        const bool driven = r.km > 0;
        if (driven)
            totals.km += r.km;
        if (r.l > 0)
            totals.litres += r.l;
        if (!std::isnan(r.euro))
            totals.euro += r.euro;
        if (driven && known(r.conso)) {
            const double weight = r.km;
            drivenWithConso += weight;
            weightedSum += r.conso * weight;
        }
        if (driven && known(r.euro)) {
            drivenWithAmount += r.km;
            paidWhileDriven += r.euro;
        }
    }
    if (drivenWithConso > 0)
        totals.weighted = weightedSum / drivenWithConso;
    if (drivenWithAmount > 0)
        totals.euroPer100 = paidWhileDriven * 100 / drivenWithAmount;
    return totals;
}

QString TotalsText(const FillUpTotals& totals)
{
    const auto some = [](double sum) { return sum > 0 ? std::optional(sum) : std::nullopt; };
    return LocalizedText(Text::LogTotals).arg(QString::number(totals.fillUps), figure(some(std::round(totals.km)), nullptr),
                                  figure(some(totals.litres), nullptr), figure(totals.euro, nullptr),
                                  figure(totals.euroPer100, u"00.00"), figure(totals.weighted, u"00.00"));
}

FillUpLog::FillUpLog(QObject* parent) : QAbstractTableModel(parent) {}

bool FillUpLog::read(const SettingsStore& store, const QString& user)
{
    beginResetModel();
    const bool read = m_table.read(store, user);
    m_rows.resize(m_table.size());
    std::iota(m_rows.begin(), m_rows.end(), 0);
    if (m_column >= 0)
        order();
    m_totals = SumFillUps(m_table);
    endResetModel();
    return read;
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

QString FillUpLog::display(const Record& record, int column) const
{
    const int key = kKeyOf[column];
    if (key >= 0 && record.isUnreadable(key))
        return m_table.text(record, key).toString();
    switch (column) {
    case Number:
        return QString::number(record.number);
    case Date:
        return record.day == Record::NoDay ? QString()
                                           : FormatPattern(QDate::fromJulianDay(record.day), u"dd mmmm yyyy");
    case Distance:
        return std::isnan(record.km) ? QString() : LocaleText(record.km);
    case Litres:
        return std::isnan(record.l) ? QString() : LocaleText(record.l);
    case Consumption:
        return known(record.conso) ? FormatPattern(record.conso, u"00.00") : QString();
    case Amount:
        return known(record.euro) ? LocaleText(record.euro) : QString();
    default:
        return m_table.text(record, FillUpTable::PayCom).toString();
    }
}

QVariant FillUpLog::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Record& record = m_table[position(index.row())];
    const int key = kKeyOf[index.column()];
    const bool unreadable = key >= 0 && record.isUnreadable(key);
    switch (role) {
    case Qt::DisplayRole:
        return display(record, index.column());
    case Qt::TextAlignmentRole:
        return index.column() == Date || index.column() == Paid ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                                                : int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        return unreadable ? QVariant(LocalizedText(Text::Error)) : QVariant();
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
    return LocalizedText(titles[section]);
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
            const QStringView x = m_table.text(m_table[size_t(a)], FillUpTable::PayCom);
            const QStringView y = m_table.text(m_table[size_t(b)], FillUpTable::PayCom);
            if (x.isEmpty() != y.isEmpty())
                return y.isEmpty();
            const int c = x.compare(y, Qt::CaseInsensitive);
            return c != 0 ? (ascending ? c < 0 : c > 0) : a < b;
        });
        return;
    }
    std::vector<double> keys(m_table.size());
    for (size_t p = 0; p < keys.size(); ++p)
        keys[p] = sortKey(m_table[p], m_column, p);
    std::sort(m_rows.begin(), m_rows.end(), [&](qint32 a, qint32 b) {
        const double x = keys[size_t(a)], y = keys[size_t(b)];
        if (std::isnan(x) != std::isnan(y))
            return std::isnan(y);
        if (x != y && !std::isnan(x))
            return ascending ? x < y : x > y;
        return a < b;
    });
}

FillUpTable::Outcome FillUpLog::replace(SettingsStore& store, size_t position, const FillUpTable::Texts& texts)
{
    const FillUpTable::Outcome outcome = m_table.replace(store, position, texts);
    if (outcome == FillUpTable::Outcome::Done) {
        const int r = row(position);
        emit dataChanged(index(r, 0), index(r, ColumnCount - 1));
        edited();
    }
    return outcome;
}

FillUpTable::Outcome FillUpLog::remove(SettingsStore& store, size_t position)
{
    const FillUpTable::Outcome outcome = m_table.remove(store, position);
    if (outcome != FillUpTable::Outcome::Done)
        return outcome;
    const int r = row(position);
    beginRemoveRows({}, r, r);
    m_rows.erase(m_rows.begin() + r);
    for (qint32& p : m_rows)
        p -= p > qint32(position) ? 1 : 0;
    endRemoveRows();
    edited();
    return outcome;
}

FillUpTable::Outcome FillUpLog::insert(SettingsStore& store, size_t position, const FillUpTable::Texts& texts)
{
    const FillUpTable::Outcome outcome = m_table.insert(store, position, texts);
    if (outcome != FillUpTable::Outcome::Done)
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
    m_totals = SumFillUps(m_table);
    if (rowCount() > 0)
        emit dataChanged(index(0, Number), index(rowCount() - 1, Number));
    resort();
}
