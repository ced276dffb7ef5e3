#include "gui/records/FillUpLogPage.h"

#include "core/frame/Conversions.h"
#include "core/records/FillUpLog.h"
#include "gui/WindowContext.h"
#include "gui/base/Colours.h"
#include "gui/records/FillUpEditor.h"
#include "ui_FillUpLogPage.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QUndoCommand>

#include <numeric>

namespace
{
// A value that reads as nothing is shown as stored, in italics and dark red.
class MarkUnreadable : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(FillUpLog::UnreadableRole).toBool()) {
            option->font.setItalic(true);
            option->palette.setColor(QPalette::Text,
                                     Colours::readable(Colours::Maroon, option->palette, QPalette::Base));
        }
    }
};

// One correction or removal; undoing it is the same change the other way.
class FillUpCommand : public QUndoCommand
{
public:
    FillUpCommand(FillUpLogPage& page, size_t position, std::optional<FillUp> before, std::optional<FillUp> after)
        : m_page(page), m_position(position), m_before(std::move(before)), m_after(std::move(after))
    {
    }
    void redo() override { setObsolete(!m_page.apply(m_position, m_before, m_after)); }
    void undo() override { setObsolete(!m_page.apply(m_position, m_after, m_before)); }

private:
    FillUpLogPage& m_page;
    size_t m_position;
    std::optional<FillUp> m_before;
    std::optional<FillUp> m_after;
};
} // namespace

FillUpLogPage::FillUpLogPage(WindowContext& context, FillUpLog& log, QWidget* parent)
    : QWidget(parent), m_ctx(context), ui(std::make_unique<Ui::FillUpLogPage>()),
      m_names(context.announcer(), context.speech()), m_log(log)
{
    ui->setupUi(this);
    QTableView* view = ui->FillUpLog;
    view->setModel(&m_log);
    view->setItemDelegate(new MarkUnreadable(view));
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    view->horizontalHeader()->setSortIndicatorClearable(true);
    view->setSortingEnabled(true);
    view->installEventFilter(this);

    connect(view, &QTableView::doubleClicked, this, &FillUpLogPage::editCurrent);
    connect(ui->EditButton, &QPushButton::clicked, this, &FillUpLogPage::editCurrent);
    connect(ui->DeleteButton, &QPushButton::clicked, this, &FillUpLogPage::removeCurrent);
    connect(ui->UndoButton, &QPushButton::clicked, &m_history, &QUndoStack::undo);
    connect(ui->RedoButton, &QPushButton::clicked, &m_history, &QUndoStack::redo);
    connect(&m_history, &QUndoStack::canUndoChanged, ui->UndoButton, &QPushButton::setEnabled);
    connect(&m_history, &QUndoStack::canRedoChanged, ui->RedoButton, &QPushButton::setEnabled);
    ui->UndoButton->setEnabled(false);
    ui->RedoButton->setEnabled(false);
    const auto chosen = [this] {
        const bool any = ui->FillUpLog->currentIndex().isValid();
        ui->EditButton->setEnabled(any);
        ui->DeleteButton->setEnabled(any);
    };
    connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this, chosen);
    connect(&m_log, &QAbstractItemModel::modelReset, this, chosen);
    connect(&m_log, &QAbstractItemModel::rowsRemoved, this, chosen);
    chosen();
}

FillUpLogPage::~FillUpLogPage() = default;

void FillUpLogPage::setTexts()
{
    const auto withKeys = [](const QString& text, const QList<QKeySequence>& keys) {
        QStringList names;
        for (const QKeySequence& key : keys)
            names << key.toString(QKeySequence::NativeText);
        return names.isEmpty() ? text : text + QStringLiteral(" (") + names.join(QStringLiteral(", ")) + u')';
    };
    ui->EditButton->setText(m_ctx.text(Text::EditButton));
    ui->DeleteButton->setText(m_ctx.text(Text::Delete));
    ui->UndoButton->setText(m_ctx.text(Text::Undo));
    ui->RedoButton->setText(m_ctx.text(Text::Redo));
    ui->UndoButton->setToolTip(withKeys(m_ctx.text(Text::Undo), m_undoKeys));
    ui->RedoButton->setToolTip(withKeys(m_ctx.text(Text::Redo), m_redoKeys));
    const std::array<int, 7> widths = columnWidths();
    for (int column = 0; column < FillUpLog::Paid; ++column)
        ui->FillUpLog->setColumnWidth(column, widths[size_t(column)]);
    showTotals();
}

void FillUpLogPage::setKeys(const QList<QKeySequence>& undo, const QList<QKeySequence>& redo)
{
    m_undoKeys = undo;
    m_redoKeys = redo;
}

// No column is measured against 100,000 rows: each is as wide as its title or
// the widest text it can show, whichever is wider.
std::array<int, 7> FillUpLogPage::columnWidths() const
{
    static_assert(FillUpLog::ColumnCount == 7);
    const QTableView* view = ui->FillUpLog;
    const QFontMetrics text = view->fontMetrics(), title = view->horizontalHeader()->fontMetrics();
    int date = 0;
    for (int month = 1; month <= 12; ++month)
        date = std::max(date,
                        text.horizontalAdvance(FormatPattern(QDate(2026, month, 28), u"dd mmmm yyyy", m_ctx.locale())));
    const auto width = [&text](const char* sample) { return text.horizontalAdvance(QLatin1StringView(sample)); };
    std::array<int, 7> widths{width("000000"),      date,           width("0000.0"),
                              width("00.00"),       width("00.00"), width("0000.00"),
                              width("00000.00 WWW")};
    for (int column = 0; column < FillUpLog::ColumnCount; ++column)
        widths[size_t(column)] =
            std::max(widths[size_t(column)],
                     title.horizontalAdvance(m_log.headerData(column, Qt::Horizontal).toString())) +
            16;
    return widths;
}

int FillUpLogPage::fullWidth() const
{
    const std::array<int, 7> widths = columnWidths();
    const QTableView* view = ui->FillUpLog;
    const int table = std::accumulate(widths.begin(), widths.end(), 0) + 2 * view->frameWidth() +
                      view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view);
    const int totals = ui->Totals->fontMetrics().horizontalAdvance(ui->Totals->text()) + 2 * ui->Totals->margin() + 4;
    return std::max(table, totals);
}

// The totals also name the table for a screen reader: its tab already says "Fill-ups".
void FillUpLogPage::showTotals()
{
    const QString totals = TotalsText(m_log.totals(), m_ctx.speech());
    ui->Totals->setText(totals);
    m_names.setName(ui->FillUpLog, totals);
}

bool FillUpLogPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->FillUpLog && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // Enter would otherwise reach the window's default button and close it.
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            editCurrent();
            return true;
        }
        if (key == Qt::Key_Delete) {
            removeCurrent();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FillUpLogPage::editCurrent()
{
    const QModelIndex current = ui->FillUpLog->currentIndex();
    if (!current.isValid())
        return;
    const size_t position = m_log.position(current.row());
    const FillUp before = m_log.list()[position];
    FillUpEditor editor(m_ctx, before, this);
    if (editor.exec() != QDialog::Accepted)
        return;
    if (editor.fillUp() != before)
        m_history.push(new FillUpCommand(*this, position, before, editor.fillUp()));
}

void FillUpLogPage::removeCurrent()
{
    const QModelIndex current = ui->FillUpLog->currentIndex();
    if (!current.isValid())
        return;
    const size_t position = m_log.position(current.row());
    const QString number = m_log.index(current.row(), FillUpLog::Number).data().toString();
    const QString date = m_log.index(current.row(), FillUpLog::Date).data().toString();
    const int answer = m_ctx.messages().ask(this, m_ctx.text(Text::DeleteQuestion).arg(number, date),
                                            {m_ctx.text(Text::Delete), m_ctx.text(Text::Cancel)}, Platform::Exclamation,
                                            window()->windowTitle());
    if (answer == 0)
        m_history.push(new FillUpCommand(*this, position, m_log.list()[position], std::nullopt));
}

bool FillUpLogPage::apply(size_t position, const std::optional<FillUp>& from, const std::optional<FillUp>& to)
{
    const FillUps::Outcome outcome = !to     ? m_log.remove(position)
                                     : !from ? m_log.insert(position, *to)
                                             : m_log.replace(position, *to);
    if (outcome == FillUps::Outcome::Done) {
        // The focus stays where the change was: on the record, or the one that took its place.
        const int row = m_log.row(std::min(position, m_log.list().size() - 1));
        if (row >= 0)
            ui->FillUpLog->setCurrentIndex(m_log.index(row, 0));
        showTotals();
        emit changed();
        return true;
    }
    if (outcome == FillUps::Outcome::ChangedElsewhere) {
        failed(m_ctx.text(Text::ChangedElsewhere));
        emit readAgain();
    } else {
        failed(m_ctx.notWritten(Text::FillUpsNotChanged, m_ctx.fillUps().reason()));
    }
    return false;
}

// What the history holds no longer fits the store: it goes, once the stack
// is done with the command that failed.
void FillUpLogPage::failed(const QString& message)
{
    m_ctx.messages().show(this, message, Platform::Critical, window()->windowTitle());
    QMetaObject::invokeMethod(&m_history, &QUndoStack::clear, Qt::QueuedConnection);
}
