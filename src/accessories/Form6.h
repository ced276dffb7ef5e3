#pragma once

#include <QDate>
#include <QDialog>

#include <memory>

class QLabel;

namespace Ui
{
class Form6;
}

// The calendar: shows the fill-up date of the main window and writes every
// date the user clicks straight back into it, so closing needs no saving.
class Form6 : public QDialog
{
    Q_OBJECT

public:
    // mainDate is the main window's date label, read and written in place.
    explicit Form6(QLabel* mainDate, QWidget* parent = nullptr);
    ~Form6() override;

    void Form_Activate();
    void MonthView1_DateClick(QDate DateClicked);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Command1_Click();

    std::unique_ptr<Ui::Form6> ui;
    QLabel* m_mainDate;
};
