#include "gui/mainwindow/StartUp.h"

#include "core/frame/Log.h"
#include "gui/mainwindow/Form1.h"
#include "gui/users/Form3.h"

#include <QApplication>
#include <QTimer>

#include <utility>

StartUp::StartUp(WindowContext& context) : m_ctx(context) {}

StartUp::~StartUp()
{
    m_openPath.clear();
    delete m_form3.data();
    m_form1.reset();
}

// After the event that chose the user has run its course, so that the offer
// shows over the main window.
void StartUp::offerPending()
{
    QTimer::singleShot(0, m_form1.get(), [this] {
        // The main window shows once a user is chosen, and hides while the user window asks again.
        if (m_openPath.isEmpty() || !m_form1 || !m_form1->isVisible())
            return;
        m_form1->OfferImport(std::exchange(m_openPath, QString()));
    });
}

Form1& StartUp::mainWindow()
{
    if (!m_form1) {
        m_form1 = std::make_unique<Form1>(m_ctx);
        QObject::connect(m_form1.get(), &Form1::closed, QCoreApplication::instance(), &QCoreApplication::quit);
        QObject::connect(m_form1.get(), &Form1::userWanted, m_form1.get(), [this] { showUserWindow(); });
    }
    return *m_form1;
}

void StartUp::showMainWindow()
{
    mainWindow().show();
    offerPending();
}

Form3& StartUp::showUserWindow()
{
    if (!m_form3) {
        m_form3 = new Form3(m_ctx);
        m_form3->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(m_form3, &Form3::confirmed, m_form3, [this] { showMainWindow(); });
        // Closed without OK: the main window, if it waits hidden behind, comes
        // back as it was; at start-up there is none and the program ends.
        QObject::connect(m_form3, &Form3::closedWithoutOk, m_form3, [this] {
            if (mainWindowLoaded())
                showMainWindow();
            else
                QCoreApplication::quit();
        });
    }
    m_form3->show();
    return *m_form3;
}

Form3* StartUp::userWindow() const
{
    return m_form3.data();
}

void StartUp::bringToFront()
{
    QWidget* window = nullptr;
    if (m_form3 && m_form3->isVisible())
        window = m_form3.data();
    else if (m_form1 && m_form1->isVisible())
        window = m_form1.get();
    if (!window)
        return;
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
    // Where the desktop refuses to hand over the focus, the task bar entry asks for attention.
    QApplication::alert(window);
}

void StartUp::openDataFile(const QString& path)
{
    qCInfo(lcPlatform, "asked to open %s", qUtf8Printable(path));
    m_openPath = path;
    if (m_form1)
        offerPending();
}
