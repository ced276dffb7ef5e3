#pragma once

// The averages report window: the report of the current user in a read-only
// rich text box, and a close button under it. The main window opens it
// modally and creates it anew for every showing, so each opening reads the
// store again. The report itself is built by plain code (records/Report.h);
// this window shows its text and applies its bold and teal runs.

#include <QDialog>

#include <memory>

class QPushButton;
class QTextEdit;
struct Report;

namespace Ui
{
class Form2;
}

class Form2 : public QDialog
{
    Q_OBJECT

public:
    // The smallest client area: an outer size of 6000 x 4200 twips less the
    // frame the layout rules allow for (120 twips across, 405 down).
    static constexpr int MinimumWidth = 392;
    static constexpr int MinimumHeight = 253;
    // Command1 is 375 twips high and sits 15 twips below Text1.
    static constexpr int ButtonHeight = 25;
    static constexpr int ButtonGap = 1;

    explicit Form2(QWidget* parent = nullptr);
    ~Form2() override;

    void Form_Activate();
    void Form_Resize();
    void Command1_Click();
    void Text1_KeyDown(int& KeyCode, int Shift);
    void AffMoy();

    // The state of the last build.
    QString ReportText;
    double TotalAverage = 0;

    QTextEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::Form2> ui;
    bool m_shown = false;
};

// Shows the report in a text box: its text, then each run over the same
// characters, then the box is made read-only.
void ShowReport(QTextEdit* box, const Report& report);
