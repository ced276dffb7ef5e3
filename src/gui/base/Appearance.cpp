#include "gui/base/Appearance.h"

#include "core/frame/Resources.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include <algorithm>

// The pictures are compiled into the static window library, whose
// initialiser the linker would otherwise drop.
void ensureResources()
{
    ensureCoreResources();
    static const bool done = [] {
        Q_INIT_RESOURCE(gui);
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

namespace
{
QRect freeArea(const QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QMargins frameAround(const QWidget* window)
{
    if (window->windowFlags() & Qt::FramelessWindowHint)
        return {};
    if (const QWindow* handle = window->windowHandle(); handle && !handle->frameMargins().isNull())
        return handle->frameMargins();
    // Before its first showing the desktop has not said how wide its frame is:
    // the style's title bar and border stand in.
    const int border = window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    return {border, window->style()->pixelMetric(QStyle::PM_TitleBarHeight) + border, border, border};
}

// The window's controls move into a scrolled view that fills the window;
// within one window Qt keeps their tab order as it was.
void scrollContents(QWidget* window, QSize size)
{
    auto* scroll = new QScrollArea(window);
    scroll->setObjectName(QStringLiteral("qt_fit_scroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("qt_fit_content"));
    content->setFixedSize(window->size());
    scroll->setWidget(content);
    const QObjectList children = window->children();
    for (QObject* child : children) {
        auto* control = qobject_cast<QWidget*>(child);
        if (!control || control == scroll || control->isWindow())
            continue;
        const bool shown = !control->isHidden();
        control->setParent(content);
        control->setVisible(shown);
    }
    window->setFixedSize(size);
    scroll->setGeometry(window->rect());
    scroll->show();
}

// Moves the window's frame to top left, then back inside area where it overflows.
void moveInside(QWidget* window, QPoint topLeft, const QRect& area)
{
    const QSize outer = window->size().grownBy(frameAround(window));
    topLeft.setX(std::max(area.left(), std::min(topLeft.x(), area.right() + 1 - outer.width())));
    topLeft.setY(std::max(area.top(), std::min(topLeft.y(), area.bottom() + 1 - outer.height())));
    window->move(topLeft);
}
} // namespace

bool fitOnScreen(QWidget* window)
{
    const QRect area = freeArea(window);
    if (area.isEmpty())
        return false;
    const QSize room = area.size().shrunkBy(frameAround(window));
    const QSize size = window->size();
    if (size.width() <= room.width() && size.height() <= room.height()) {
        moveInside(window, window->pos(), area);
        return false;
    }
    if (window->minimumSize() != window->maximumSize()) {
        window->setMinimumSize(window->minimumSize().boundedTo(room));
        window->resize(size.boundedTo(room));
    } else {
        scrollContents(window, size.boundedTo(room));
    }
    moveInside(window, area.topLeft(), area);
    return true;
}

void centreOnScreen(QWidget* window)
{
    fitOnScreen(window);
    const QRect area = freeArea(window);
    const QSize outer = window->size().grownBy(frameAround(window));
    moveInside(window,
               area.topLeft() + QPoint((area.width() - outer.width()) / 2, (area.height() - outer.height()) / 2), area);
}

bool shownByProgram(QWidget* window, const QShowEvent* event, bool& shownBefore, QWidget* first)
{
    if (event->spontaneous())
        return false;
    if (!shownBefore) {
        shownBefore = true;
        centreOnScreen(window);
        first->setFocus();
    }
    return true;
}

bool shownByProgram(QWidget* window, const QShowEvent* event)
{
    if (event->spontaneous())
        return false;
    fitOnScreen(window);
    return true;
}

QIcon programIcon()
{
    ensureResources();
    return QIcon(QStringLiteral(":/icons/tankometer.svg"));
}
