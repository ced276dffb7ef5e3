#pragma once

#include "core/currency/Currencies.h"
#include "gui/base/Accessibility.h"

#include <QDialog>

#include <array>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QRadioButton;
class WindowContext;

namespace Ui
{
class Form7;
}

// The currency window: five currencies with their rates, the choice of the
// current one and the warning switch. Opened modally by the main window,
// which reads what it decided once it closes: the warning switch as shown,
// and after a successful Submit the new current currency. Enter submits from
// anywhere in the window; Escape leaves it without storing.
class Form7 : public QDialog
{
    Q_OBJECT

public:
    explicit Form7(WindowContext& context, QWidget* parent = nullptr);
    ~Form7() override;

    // What the main window takes over: ShowCurrMess as activation read it,
    // and the currency a Submit made current (nothing when none succeeded).
    struct Chosen
    {
        QString label;      // the main window's currency label
        QString CurDevName; // the current currency's name as stored
    };
    bool showsWarning() const { return ShowCurrMess; }
    const std::optional<Chosen>& chosen() const { return m_chosen; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Activate();
    void Text2_Change(int Index);
    void Command1_Click();
    void ChckDevises();
    void AffTaux();

    WindowContext& m_ctx;
    std::unique_ptr<Ui::Form7> ui;
    Accessibility::Names m_names;
    bool ShowCurrMess = true;
    std::optional<Chosen> m_chosen;
    std::array<QRadioButton*, CurrencyRows> Option1{};
    std::array<QLineEdit*, CurrencyRows> Text1{};
    std::array<QLineEdit*, CurrencyRows> Text2{};
    std::array<QLineEdit*, CurrencyRows> Text4{};
};
