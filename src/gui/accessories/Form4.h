#pragma once

#include "gui/base/Accessibility.h"

#include <QDialog>

#include <array>
#include <memory>

class QLabel;
class WindowContext;

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
    explicit Form4(WindowContext& context, QWidget* parent = nullptr);
    ~Form4() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Activate();
    void Image1_Click();

    WindowContext& m_ctx;
    std::unique_ptr<Ui::Form4> ui;
    Accessibility::Names m_names;
    std::array<QLabel*, 2> Label1{};
};
