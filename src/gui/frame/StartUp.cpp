#include "gui/frame/StartUp.h"

#include "core/frame/Log.h"

#include "gui/frame/Form1.h"
#include "gui/users/Form3.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <utility>

namespace
{
std::unique_ptr<Form1> g_form1;
QPointer<Form3> g_form3;
QString g_openPath;

// After the event that chose the user has run its course, so that the offer
// shows over the main window.
void offerPending()
{
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        // The main window shows once a user is chosen, and hides while the user window asks again.
        if (g_openPath.isEmpty() || !g_form1 || !g_form1->isVisible())
            return;
        const QString path = std::exchange(g_openPath, QString());
        g_form1->OfferImport(path);
    });
}
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
        QObject::connect(g_form3, &Form3::confirmed, QCoreApplication::instance(), [] {
            showMainWindow();
            offerPending();
        });
        // Closed without OK: the main window, if it waits hidden behind, comes
        // back as it was; at start-up there is none and the program ends.
        QObject::connect(g_form3, &Form3::closedWithoutOk, QCoreApplication::instance(), [] {
            if (mainWindowLoaded()) {
                showMainWindow();
                offerPending();
            } else
                QCoreApplication::quit();
        });
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

void openDataFile(const QString& path)
{
    qCInfo(lcPlatform, "asked to open %s", qUtf8Printable(path));
    g_openPath = path;
    offerPending();
}

void unloadAll()
{
    g_openPath.clear();
    delete g_form3.data();
    g_form1.reset();
}
} // namespace StartUp
