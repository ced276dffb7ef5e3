#pragma once

#include "gui/base/Accessibility.h"

#include <QDate>
#include <QDialog>

#include <memory>

class QLabel;
class WindowContext;

namespace Ui
{
class Form6;
}

// The calendar: shows the fill-up date of the main window and reports every
// date the user clicks at once, which the main window puts in its date label;
// so closing needs no saving.
class Form6 : public QDialog
{
    Q_OBJECT

public:
    // mainDate is the text of the main window's date label.
    Form6(WindowContext& context, const QString& mainDate, QWidget* parent = nullptr);
    ~Form6() override;

signals:
    // A date was clicked: the main window's date label, "dd mmmm yyyy".
    void dateChosen(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Activate();
    void MonthView1_DateClick(QDate DateClicked);
    void Command1_Click();

    WindowContext& m_ctx;
    std::unique_ptr<Ui::Form6> ui;
    Accessibility::Names m_names;
    QString m_mainDate;
};
