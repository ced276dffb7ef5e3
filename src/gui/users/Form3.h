#pragma once

// The user and language window, the first window of every run: the person at
// the keyboard picks or types a name and a language, and OK makes that name
// the current user and opens the main window.
//
// The user list itself (Users) needs no window. Selecting an entry from
// code runs that box's click procedure explicitly, as every path here relies
// on it, even when the index does not change (Qt stays silent then).

#include "gui/base/Accessibility.h"

#include <QWidget>

#include <array>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class WindowContext;

namespace Ui
{
class Form3;
}

class Form3 : public QWidget
{
    Q_OBJECT

public:
    explicit Form3(WindowContext& context, QWidget* parent = nullptr);
    ~Form3() override;

signals:
    // OK: the user and the language are set and stored; the window is on its way out.
    void confirmed();
    // Closed without OK: the language is the current user's stored one, or as
    // it was when the window opened for a user without one.
    void closedWithoutOk();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_Activate();
    void CheckUsers();
    void SaveUsers();
    void ChckLang();
    void ChangLang();
    void Command1_Click();
    void Combo1_Click();
    void Combo2_Click();
    void Combo1_KeyUp();
    void Combo1_Scroll();
    void Combo1_KeyPress(int KeyAscii);
    void Combo2_KeyUp();
    void Combo2_Scroll();
    void Combo2_KeyPress(int KeyAscii);
    void selectCombo1(int index);
    void selectCombo2(int index);

    WindowContext& m_ctx;
    std::unique_ptr<Ui::Form3> ui;
    // The count last read from TotUsers.
    float UserTotal = 0;
    QComboBox* Combo1 = nullptr;
    QComboBox* Combo2 = nullptr;
    QPushButton* Command1 = nullptr;
    // Only members 0 and 2 exist.
    std::array<QLabel*, 3> Label1{};
    bool m_placed = false;
    bool m_unloaded = false;
    // What the main window showed before this window opened, for a close without OK.
    int m_languageAtOpen = 0;
};
