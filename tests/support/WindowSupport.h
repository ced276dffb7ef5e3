#pragma once

#include "TestSupport.h"

#include "gui/WindowContext.h"

#include <QObject>
#include <QWidget>

#include <deque>
#include <functional>
#include <vector>

class QObject;
class QWidget;

// What window tests share beyond the core's support.
namespace WindowSupport
{
struct Message
{
    QString text;
    int style;
    QString title;
};

class FakeMessages : public Platform::MessageBoxes
{
public:
    void show(QWidget*, const QString& text, int style, const QString& title) override
    {
        shown.push_back({text, style, title});
    }
    int ask(QWidget*, const QString& text, const QStringList& buttons, int style, const QString& title) override
    {
        shown.push_back({text + QStringLiteral(" [") + buttons.join(u'|') + u']', style, title});
        return answer ? answer(text) : -1;
    }
    std::vector<Message> shown;
    std::function<int(const QString& text)> answer; // unset: the box is closed
};

class FakeFiles : public Platform::FileDialogs
{
public:
    Answer show(QWidget*, const Request& request) override
    {
        asked.push_back(request);
        if (answers.empty())
            return {};
        Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::vector<Request> asked;
    std::deque<Answer> answers; // nothing left: the user cancels
};

// Renames as the real one does, and keeps "objectName=name" for each time,
// "objectName>text" for each text told.
class FakeAnnouncer : public Platform::Announcer
{
public:
    void rename(QObject* control, const QString& name) override
    {
        control->setProperty("accessibleName", name);
        said << control->objectName() + u'=' + name;
    }
    void tell(QWidget* control, const QString& text) override { said << control->objectName() + u'>' + text; }
    QStringList said;
};

// A test's world with the windows' services: its context is a WindowContext.
class Environment : public TestSupport::Environment
{
public:
    using TestSupport::Environment::Environment;
    WindowContext& context() { return static_cast<WindowContext&>(TestSupport::Environment::context()); }

    FakeMessages messages;
    FakeFiles files;
    FakeAnnouncer announcer;

protected:
    std::unique_ptr<Context> makeContext() override;
};

// A control of a window by its objectName ("Text1_3"), not one of another
// window it owns; a test without it stops.
template <typename T = QWidget> T* child(const QWidget& window, const QString& name)
{
    for (T* found : window.findChildren<T*>(name))
        if (found->window() == window.window())
            return found;
    qFatal("%s has no %s", qPrintable(window.objectName()), qPrintable(name));
}

// Hidden and shown again by the program, as a return from another window
// does: the window is activated once more.
void activateAgain(QWidget* window);

// Shows a window and waits until the offscreen platform has exposed it.
void show(QWidget* window);

// Runs `inside` on the modal window the next step opens, then closes it if it
// is still open. Nothing runs once `context` is gone.
void inNextModal(QObject* context, const std::function<void(QWidget*)>& inside);

// A known user with a stored language, as the user window leaves one behind.
void putUser(TestSupport::Environment& env, const QString& user, int language);
} // namespace WindowSupport
