#pragma once

#include "core/currency/CurrencyTable.h"

#include <QDialog>

#include <array>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QRadioButton;

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
    explicit Form7(QWidget* parent = nullptr);
    ~Form7() override;

    void Form_Activate();
    void Text2_Change(int Index);
    void Command1_Click();
    void ChckDevises();
    void AffTaux();

    // What the main window takes over: ShowCurrMess as activation read it,
    // and the currency a Submit made current (nothing when none succeeded).
    struct Chosen
    {
        QString label;      // the main window's currency label
        QString CurDevName; // the current currency's name as stored
    };
    bool ShowCurrMess = true;
    std::optional<Chosen> chosen;

    std::array<QString, CurrencyRows> DefNames;
    std::array<double, CurrencyRows> DefRates{};

    std::array<QRadioButton*, CurrencyRows> Option1{};
    std::array<QLineEdit*, CurrencyRows> Text1{};
    std::array<QLineEdit*, CurrencyRows> Text2{};
    std::array<QLineEdit*, CurrencyRows> Text4{};

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::Form7> ui;
};
