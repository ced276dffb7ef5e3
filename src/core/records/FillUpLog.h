#pragma once

#include "core/frame/Speech.h"
#include "core/records/FillUps.h"

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

FillUpTotals SumFillUps(const FillUpList& records);
// "12 fill-ups · 7800 km · ...": a figure that cannot be known is "–".
QString TotalsText(const FillUpTotals& totals, const Speech& speech);

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

    FillUpLog(FillUps& fillUps, const Speech& speech, QObject* parent = nullptr);

    // Shows the user's fill-ups as the log holds them now; the rows keep the sort chosen.
    void read(const QString& user);
    const FillUpList& list() const { return *m_list; }
    // Another program changed the fill-ups since they were read.
    bool isStale() const { return !m_fillUps.isCurrent(m_user, *m_list); }
    const FillUpTotals& totals() const { return m_totals; }

    // The stored position of the fill-up a row shows, and back.
    size_t position(int row) const { return size_t(m_rows[size_t(row)]); }
    int row(size_t position) const;

    FillUps::Outcome replace(size_t position, const FillUp& fillUp);
    FillUps::Outcome remove(size_t position);
    FillUps::Outcome insert(size_t position, const FillUp& fillUp);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    QString display(size_t position, int column) const;
    void order();
    void resort();
    void edited();

    FillUps& m_fillUps;
    const Speech& m_speech;
    QString m_user;
    std::shared_ptr<const FillUpList> m_list = std::make_shared<FillUpList>();
    FillUpTotals m_totals;
    std::vector<qint32> m_rows; // stored position of each row
    int m_column = -1;          // none: stored order
    Qt::SortOrder m_order = Qt::AscendingOrder;
};
