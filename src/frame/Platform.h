#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

class QWidget;

// Services of the desktop that the windows use, each behind a small interface
// so that tests can answer in their place and never block on a modal box.
namespace Platform
{
// Message box styles: an OK button with a critical, exclamation or
// information icon.
enum MessageStyle
{
    Critical = 16,
    Exclamation = 48,
    Information = 64
};

class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    virtual void show(QWidget* parent, const QString& text, int style, const QString& title) = 0;
};

class Launcher
{
public:
    virtual ~Launcher() = default;
    // Starts a program in its own window; false when it could not be started.
    virtual bool start(const QString& program) = 0;
    // The calculator programs to start, in order.
    virtual QStringList calculatorPaths() = 0;
};

class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() = 0;
    QDate today() { return now().date(); }
};

struct Services
{
    MessageBoxes* messages = nullptr;
    Launcher* launcher = nullptr;
    Clock* clock = nullptr;
};

// The services in use: the real ones unless a test installed its own.
Services& services();
} // namespace Platform
