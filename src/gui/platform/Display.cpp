#include "gui/platform/Display.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{
struct Held
{
    QtMsgType type;
    QByteArray category;
    QString message;
};

std::vector<Held>& held()
{
    static std::vector<Held> messages;
    return messages;
}

QByteArray noDisplay()
{
    const QByteArray display = qgetenv("DISPLAY"), wayland = qgetenv("WAYLAND_DISPLAY");
    QByteArray why = "neither DISPLAY nor WAYLAND_DISPLAY is set";
    if (!display.isEmpty() || !wayland.isEmpty())
        why = (display.isEmpty() ? "WAYLAND_DISPLAY=" + wayland : "DISPLAY=" + display) + " cannot be reached";
    return "tankometer: no display to open the windows on: " + why + " (--export and --import need none)\n";
}

// Qt's last word on a display it cannot open is a fatal message, after which
// it aborts: the program ends first, in its own words.
void holdBack(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fputs(noDisplay().constData(), stderr);
        std::_Exit(1);
    }
    held().push_back({type, QByteArray(context.category), message});
}
} // namespace

std::unique_ptr<QApplication> applicationOnDisplay(int& argc, char** argv)
{
    const QtMessageHandler previous = qInstallMessageHandler(holdBack);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    for (const Held& message : held())
        if (previous)
            previous(message.type, QMessageLogContext(nullptr, 0, nullptr, message.category.constData()),
                     message.message);
    held().clear();
    return app;
}
