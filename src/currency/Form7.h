#pragma once

#include "currency/CurrencyTable.h"

#include <QDialog>

#include <array>
#include <memory>

class Form1;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace Ui
{
class Form7;
}

// The currency window: five currencies with their rates, the choice of the
// current one and the warning switch. Opened modally by the main window,
// whose currency label and state it sets when a Submit succeeds.
class Form7 : public QDialog
{
    Q_OBJECT

public:
    explicit Form7(Form1* main, QWidget* parent = nullptr);
    ~Form7() override;

    void Form_Activate();
    void Text2_Change(int Index);
    void Command1_Click();
    void ChckDevises();
    void AffTaux();

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
    Form1* m_main;
};
