#pragma once

// The main window: the four entry fields of one fill-up, its distance and
// consumption, the total average in the status bar, and the buttons that open
// every other window.
//
// Event procedures keep the names of the original program (Text1_Change,
// CalcKms, Form_Activate ...). The arithmetic lives in plain code (fuel/,
// records/) that tests call directly; this class reads the fields, calls it
// and shows the results. Everything it reads or writes of the store goes
// through the owners of the context it is given (the fill-up log, the
// currency table). Form_Activate runs when the window becomes the program's
// active window: when it is shown and when a modal window opened from here
// closes, not when the desktop merely gives it the focus back.

#include "core/frame/Conversions.h"
#include "core/fuel/FuelCalc.h"
#include "gui/base/Accessibility.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>

class QLabel;
class QLineEdit;
class WindowContext;

namespace Ui
{
class Form1;
}

class Form1 : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(WindowContext& context, QWidget* parent = nullptr);
    ~Form1() override;

    // Offers the data file's fill-ups for import into the current user's.
    void OfferImport(const QString& path);

signals:
    // The window was closed: the program ends.
    void closed();
    // The user button: the user window takes over until a user is confirmed.
    void userWanted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void makeStatusBar();
    void Form_Load();
    void Form_Activate();
    void SelLang();
    void SelLangCurrency();
    void CalcKms();
    void CalLtrs();
    void MoyenneTot();
    void Text1_Change(int Index);
    void Text1_KeyPress(int Index, int KeyAscii);
    void Timer1_Timer();
    void Label1_Click(int Index);
    void Image1_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Import_Export(qint16 mode);
    void setLabel2Shown(bool shown);
    void updateClock();
    void showAmountTooltip(const QString& byCurrency);
    void showCaption(QLabel* label, const Caption& caption, bool& error);
    AmountProblem amountProblem() const;
    QString whySaveIsOff() const;
    EntryTexts entryTexts() const;

    WindowContext& m_ctx;
    std::unique_ptr<Ui::Form1> ui;
    Accessibility::Names m_names;
    std::array<QLineEdit*, 4> Text1{};
    std::array<QLabel*, 9> Label1{};
    QLabel* Label2 = nullptr;
    QTimer Timer1;
    std::array<QLabel*, 3> m_panels{};
    QTimer m_clock;

    // The window's values of the fill-up being typed, and of the currency.
    FuelValues values;
    double MoyTot = 0;
    QString CurDevName = QStringLiteral("Euro");
    bool ShowCurrMess = true;
    NumberOrText CurRate = 1;
    NumberOrText CurRateBis = 1;
    // Whether the distance and the consumption captions show the error text.
    bool m_distanceError = false;
    bool m_consumptionError = false;

    bool m_placed = false;
    bool m_label2Shown = true;
};
