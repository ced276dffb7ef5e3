#pragma once

#include "core/filetype/Exchange.h"

#include <QDialog>

#include <array>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class WindowContext;

namespace Ui
{
class ColumnDialog;
}

// The columns of a file to import, as a spreadsheet's CSV import shows them:
// the file's first lines in a table, and for each figure of a fill-up the
// column that feeds it, with the unit of the distances and of the quantities
// and the currency of the amounts. Every control is reached by Tab and read
// by its label. OK gives the columns chosen; the caller plans with them.
class ColumnDialog : public QDialog
{
    Q_OBJECT

public:
    ColumnDialog(WindowContext& context, const Exchange::ImportPlan& plan, QWidget* parent = nullptr);
    ~ColumnDialog() override;

    Exchange::Assignment assignment() const;

    // Shows the window over owner; the columns chosen, nothing when cancelled.
    static std::optional<Exchange::Assignment> choose(WindowContext& context, const Exchange::ImportPlan& plan,
                                                      QWidget* owner);

private:
    void fillPreview(const Exchange::ImportPlan& plan);
    void fillUnits(const Exchange::Assignment& a);
    void check();

    WindowContext& m_ctx;
    std::unique_ptr<Ui::ColumnDialog> ui;
    std::array<QComboBox*, Exchange::ChoosableRoles> Role{};
    std::array<QLabel*, Exchange::ChoosableRoles> RoleLabel{};
    Exchange::Assignment m_start;
};
