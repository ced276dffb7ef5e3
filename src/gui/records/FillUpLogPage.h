#pragma once

#include "core/records/FillUp.h"
#include "gui/base/Accessibility.h"

#include <QUndoStack>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class FillUpLog;
class WindowContext;

namespace Ui
{
class FillUpLogPage;
}

// The log tab of the report window: every fill-up in a table with its
// totals, corrected by Enter, a double click or Edit, removed by Delete after
// a confirmation, each change undone and redone while the window is open.
// Every change is written at once; one that cannot be written changes nothing
// and says why.
class FillUpLogPage : public QWidget
{
    Q_OBJECT

public:
    FillUpLogPage(WindowContext& context, FillUpLog& log, QWidget* parent = nullptr);
    ~FillUpLogPage() override;

    void setTexts();
    // The keys that undo and redo, which the buttons' tooltips name.
    void setKeys(const QList<QKeySequence>& undo, const QList<QKeySequence>& redo);
    // The width at which every column and the totals show on one line.
    int fullWidth() const;
    // The totals as the model holds them now.
    void showTotals();
    QUndoStack& history() { return m_history; }
    void editCurrent();
    void removeCurrent();

    // Turns the fill-up at position from one state to another (none: no
    // fill-up there); false when nothing could be written.
    bool apply(size_t position, const std::optional<FillUp>& from, const std::optional<FillUp>& to);

signals:
    // The records changed: the other tabs show them anew.
    void changed();
    // Another program changed them: read them again.
    void readAgain();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void failed(const QString& message);
    std::array<int, 7> columnWidths() const;

    WindowContext& m_ctx;
    std::unique_ptr<Ui::FillUpLogPage> ui;
    Accessibility::Names m_names;
    FillUpLog& m_log;
    QUndoStack m_history;
    QList<QKeySequence> m_undoKeys;
    QList<QKeySequence> m_redoKeys;
};
