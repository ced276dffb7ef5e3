#include "users/StartUp.h"

#include "frame/Form1.h"
#include "users/Form3.h"

#include <QApplication>
#include <QPointer>

#include <memory>

namespace
{
std::unique_ptr<Form1> g_form1;
QPointer<Form3> g_form3;
} // namespace

namespace StartUp
{
Form1& mainWindow()
{
    if (!g_form1) {
        g_form1 = std::make_unique<Form1>();
        QObject::connect(g_form1.get(), &Form1::closed, QCoreApplication::instance(), &QCoreApplication::quit);
    }
    return *g_form1;
}

bool mainWindowLoaded()
{
    return g_form1 != nullptr;
}

void showMainWindow()
{
    mainWindow().show();
}

Form3& showUserWindow()
{
    if (!g_form3) {
        g_form3 = new Form3;
        g_form3->setAttribute(Qt::WA_DeleteOnClose);
    }
    g_form3->show();
    return *g_form3;
}

Form3* userWindow()
{
    return g_form3.data();
}

void bringToFront()
{
    QWidget* window = nullptr;
    if (g_form3 && g_form3->isVisible())
        window = g_form3.data();
    else if (g_form1 && g_form1->isVisible())
        window = g_form1.get();
    if (!window)
        return;
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
    // Where the desktop refuses to hand over the focus, the task bar entry asks for attention.
    QApplication::alert(window);
}

void unloadAll()
{
    delete g_form3.data();
    g_form1.reset();
}
} // namespace StartUp
