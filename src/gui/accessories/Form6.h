#pragma once

#include <QDate>
#include <QDialog>

#include <memory>

class QLabel;

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
    explicit Form6(const QString& mainDate, QWidget* parent = nullptr);
    ~Form6() override;

    void Form_Activate();
    void MonthView1_DateClick(QDate DateClicked);

signals:
    // A date was clicked: the main window's date label, "dd mmmm yyyy".
    void dateChosen(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Command1_Click();

    std::unique_ptr<Ui::Form6> ui;
    QString m_mainDate;
};
