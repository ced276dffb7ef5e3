#include "WindowSupport.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace WindowSupport
{
std::unique_ptr<Context> Environment::makeContext()
{
    return std::make_unique<WindowContext>(store(), services(),
                                           Platform::DesktopServices{&messages, &files, &announcer}, m_locale);
}

void show(QWidget* window)
{
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        qWarning("%s was not exposed", qPrintable(window->objectName()));
}

void activateAgain(QWidget* window)
{
    window->hide();
    window->show();
    // A desktop activates a window shown again; the offscreen platform is told to.
    if (QTest::qWaitForWindowExposed(window))
        QApplication::setActiveWindow(window);
}

void inNextModal(QObject* context, const std::function<void(QWidget*)>& inside)
{
    QTimer::singleShot(0, context, [inside] {
        const QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        // Keys go to the focus, which a window has once it is active; a
        // desktop activates a new window, the offscreen platform is told to.
        modal->activateWindow();
        for (int i = 0; i < 200 && QApplication::activeWindow() != modal; ++i)
            QTest::qWait(5);
        inside(modal);
        if (modal && modal->isVisible())
            modal->close();
    });
}

void putUser(TestSupport::Environment& env, const QString& user, int language)
{
    env.put(QStringLiteral("Option"), QStringLiteral("TotUsers"), QStringLiteral("1"));
    env.put(QStringLiteral("Option"), QStringLiteral("User1"), user);
    env.put(QStringLiteral("Option"), QStringLiteral("LastUser"), user);
    env.put(user, QStringLiteral("Lang"), QString::number(language));
}
} // namespace WindowSupport
