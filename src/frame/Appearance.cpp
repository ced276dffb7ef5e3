#include "frame/Appearance.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QScreen>
#include <QWidget>

// The resources are compiled into the static core library, whose
// initialiser the linker would otherwise drop.
void ensureResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(done);
}

void installProgramFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(8.25);
    QApplication::setFont(font);
}

void centreOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen)
        window->move(screen->availableGeometry().center() - window->rect().center());
}

QIcon programIcon()
{
    ensureResources();
    return QIcon(QStringLiteral(":/icons/tankometer.svg"));
}
