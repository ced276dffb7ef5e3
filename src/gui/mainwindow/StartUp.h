#pragma once

#include <QPointer>
#include <QString>

#include <memory>

class Form1;
class Form3;
class WindowContext;

// The program's two lasting windows. The main window is created when it is
// first shown and then kept, hidden or not, until the program ends; the user
// window is created each time it is shown and unloads itself when it closes.
class StartUp
{
public:
    explicit StartUp(WindowContext& context);
    // Destroys both windows, before the application object goes.
    ~StartUp();
    StartUp(const StartUp&) = delete;
    StartUp& operator=(const StartUp&) = delete;

    Form1& mainWindow();
    bool mainWindowLoaded() const { return m_form1 != nullptr; }
    // Shows the main window, creating it when it is not loaded.
    void showMainWindow();
    // Shows the user and language window, creating it when it is not loaded.
    Form3& showUserWindow();
    // nullptr when the user window is not loaded.
    Form3* userWindow() const;
    // A later start of the program asked for us: the window in use comes to the front.
    void bringToFront();
    // The desktop asked to open a data file: its import is offered to the
    // current user once one is chosen (at once when the main window shows).
    void openDataFile(const QString& path);

private:
    void offerPending();

    WindowContext& m_ctx;
    std::unique_ptr<Form1> m_form1;
    QPointer<Form3> m_form3;
    QString m_openPath;
};
