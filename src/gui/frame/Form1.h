#pragma once

// The main window: the four entry fields of one fill-up, its distance and
// consumption, the total average in the status bar, and the buttons that open
// every other window.
//
// Event procedures keep the names of the original program (Text1_Change,
// CalcKms, Form_Activate ...). The arithmetic lives in plain code (fuel/,
// records/) that tests call directly; this class reads the fields, calls it
// and shows the results. Form_Activate runs when the window becomes the
// program's active window: when it is shown and when a modal window opened
// from here closes, not when the desktop merely gives it the focus back.

#include "core/frame/Conversions.h"
#include "core/fuel/FuelCalc.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>

class QLabel;
class QLineEdit;

namespace Ui
{
class Form1;
}

class Form1 : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    void Form_Activate();
    void SelLang();
    void CalcKms();
    void CalLtrs();
    void MoyenneTot();
    void Text1_Change(int Index);
    void Command2_Click();
    void Import_Export(qint16 mode);
    // Offers the data file's fill-ups for import into the current user's.
    void OfferImport(const QString& path);

    // Window values shared with the other windows.
    FuelValues values;
    double MoyTot = 0;
    QString CurDevName = QStringLiteral("Euro");
    bool ShowCurrMess = true;
    Mixed CurRate = 1;
    Mixed CurRateBis = 1;

    std::array<QLineEdit*, 4> Text1{};
    std::array<QLabel*, 9> Label1{};
    QLabel* Label2 = nullptr;
    QTimer Timer1;
    // Whether the blink shows the currency name at this moment.
    bool label2Shown() const { return m_label2Shown; }

signals:
    // The window was closed: the program ends.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Timer1_Timer();
    void Text1_KeyPress(int Index, int KeyAscii);
    void Label1_Click(int Index);
    void Image1_Click();
    void Command1_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void setLabel2Shown(bool shown);
    void updateClock();
    void showAmountTooltip(const QString& byCurrency);

    std::unique_ptr<Ui::Form1> ui;
    std::array<QLabel*, 3> m_panels{};
    QTimer m_clock;
    bool m_placed = false;
    bool m_label2Shown = true;
};
