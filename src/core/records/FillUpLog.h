#pragma once

#include "core/records/FillUpTable.h"

#include <QAbstractTableModel>

#include <optional>
#include <vector>

// The totals of the log: what was driven, bought and paid, and what that
// makes per 100 km. Distances are known only for fill-ups saved since they
// were kept, so the two figures per 100 km count only those.
struct FillUpTotals
{
    qint64 fillUps = 0;
    double km = 0;                    // distances known
    double litres = 0;                // litres known
    double euro = 0;                  // every amount
    std::optional<double> euroPer100; // amounts of the fill-ups with a distance, over that distance
    std::optional<double> weighted;   // consumptions weighted by their distance
};

FillUpTotals SumFillUps(const FillUpTable& records);
// "12 fill-ups · 7800 km · ...": a figure that cannot be known is "–".
QString TotalsText(const FillUpTotals& totals);

// One row per fill-up, in stored order until sorted by a column. A value that
// is absent is blank; one that reads as nothing is shown as stored and
// marked (UnreadableRole, and a tooltip a screen reader reads).
class FillUpLog : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        Number,
        Date,
        Distance,
        Litres,
        Consumption,
        Amount,
        Paid,
        ColumnCount
    };
    static constexpr int UnreadableRole = Qt::UserRole + 1;

    explicit FillUpLog(QObject* parent = nullptr);

    // Reads the user's records anew; the rows keep the sort chosen.
    bool read(const SettingsStore& store, const QString& user);
    const FillUpTable& table() const { return m_table; }
    const FillUpTotals& totals() const { return m_totals; }

    // The stored position of the fill-up a row shows, and back.
    size_t position(int row) const { return size_t(m_rows[size_t(row)]); }
    int row(size_t position) const;

    FillUpTable::Outcome replace(SettingsStore& store, size_t position, const FillUpTable::Texts& texts);
    FillUpTable::Outcome remove(SettingsStore& store, size_t position);
    FillUpTable::Outcome insert(SettingsStore& store, size_t position, const FillUpTable::Texts& texts);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    QString display(const FillUpTable::Record& record, int column) const;
    void order();
    void resort();
    void edited();

    FillUpTable m_table;
    FillUpTotals m_totals;
    std::vector<qint32> m_rows; // stored position of each row
    int m_column = -1;          // none: stored order
    Qt::SortOrder m_order = Qt::AscendingOrder;
};
