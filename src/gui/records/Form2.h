#pragma once

// The averages report window: three tabs above a close button, Enter and
// Escape close it too. "Averages" is the report of the current user in a
// read-only rich text box, "Fill-ups" the log where a fill-up is corrected or
// removed, "Chart" the consumption and spending over time. The main window
// opens it modally and creates it anew for every showing; the records are
// read once into one model that the three tabs share, and again when another
// program changed them. It opens wide enough for every column of the log and
// its totals, or where and as large as the user last left it. The report itself is built by plain code
// (records/Report.h); this window shows its text and applies its bold and
// teal runs.

#include "core/records/FillUpLog.h"
#include "core/users/Users.h"
#include "gui/base/Accessibility.h"

#include <QDialog>
#include <QPlainTextEdit>

#include <memory>

class FillUpChart;
class FillUpLogPage;
class QPushButton;
class QTabWidget;
class WindowContext;
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

    explicit Form2(WindowContext& context, QWidget* parent = nullptr);
    ~Form2() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Form_Activate();
    void Form_Resize();
    void placeWindow();
    Users::Place place() const;
    void Command1_Click();
    void Text1_KeyDown(int& KeyCode, int Shift);
    void AffMoy();
    void showStale();
    void changed();

    WindowContext& m_ctx;
    std::unique_ptr<Ui::Form2> ui;
    Accessibility::Names m_names;
    // The state of the last build.
    double TotalAverage = 0;
    QPlainTextEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;
    QTabWidget* ReportTabs = nullptr;
    FillUpLog m_log;
    FillUpLogPage* m_logPage = nullptr;
    FillUpChart* m_chart = nullptr;
    bool m_averagesStale = true;
    bool m_chartStale = true;
    bool m_shown = false;
    // Where it opened: a place the user did not change is not stored.
    Users::Place m_opened;
};

// Shows the report in a text box: its text, then each run over the same
// characters, then the box is made read-only.
void ShowReport(QPlainTextEdit* box, Report report);
