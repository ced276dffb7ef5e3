#pragma once

#include <QDialog>

#include <array>
#include <memory>

class QLabel;

namespace Ui
{
class Form4;
}

// The about card: a borderless picture with the product's and the author's
// names. A click on the picture closes it, as do Enter, Space and Escape.
class Form4 : public QDialog
{
    Q_OBJECT

public:
    explicit Form4(QWidget* parent = nullptr);
    ~Form4() override;

    void Form_Activate();

    std::array<QLabel*, 2> Label1{};

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Image1_Click();

    std::unique_ptr<Ui::Form4> ui;
};
