#include "gui/base/Appearance.h"

#include "core/frame/Resources.h"

#include <QApplication>
#include <QFont>
#include <QHelpEvent>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QStyle>
#include <QToolTip>
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

namespace
{
// The size the original windows were laid out for.
constexpr double ProgramPointSize = 8.25;
// The whole text of a control that shows it cut short.
constexpr char ElidedText[] = "tankoElidedText";

// Every text Qt's styles draw on one line goes through drawItemText: one
// wider than its place loses its end to "…" instead of being cut anywhere,
// and the control remembers the whole text for its tooltip.
class ElidingStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    void drawItemText(QPainter* painter, const QRect& rect, int flags, const QPalette& palette, bool enabled,
                      const QString& text, QPalette::ColorRole textRole) const override
    {
        QString shown = text;
        if (!(flags & Qt::TextWordWrap) && !text.contains(u'\n')) {
            const QFontMetrics metrics(painter->font());
            if (metrics.size(flags, text).width() > rect.width())
                shown = metrics.elidedText(text, Qt::ElideRight, rect.width(), flags & Qt::TextShowMnemonic);
        }
        if (auto* control = dynamic_cast<QWidget*>(painter->device()))
            if (control->property(ElidedText).toString() != (shown == text ? QString() : text))
                control->setProperty(ElidedText, shown == text ? QVariant() : QVariant(text));
        QProxyStyle::drawItemText(painter, rect, flags, palette, enabled, shown, textRole);
    }
};

// The tooltip of a control whose text shows cut short holds the whole text,
// then the control's own tooltip.
class WholeTextTips : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
            return false;
        const QString whole = watched->property(ElidedText).toString();
        if (whole.isEmpty())
            return false;
        auto* control = static_cast<QWidget*>(watched);
        const QString own = control->toolTip();
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(),
                           own.isEmpty() || own == whole ? whole : whole + u'\n' + own, control);
        return true;
    }
};

// Whether each label of the window, at that size, is as tall as a line of
// its text. A label with a size of its own does not follow the window's.
bool linesHold(const QWidget* window, double size)
{
    const QList<QLabel*> labels = window->findChildren<QLabel*>();
    for (const QLabel* label : labels) {
        if (label->window() != window || label->wordWrap() || label->font().pointSizeF() != window->font().pointSizeF())
            continue;
        QFont font = label->font();
        font.setPointSizeF(size);
        if (QFontMetrics(font).height() > label->contentsRect().height())
            return false;
    }
    return true;
}
} // namespace

void installProgramFont()
{
    // The desktop's size, read before the program's font replaces the desktop's.
    static const double desktopSize =
        QApplication::font().pointSizeF() > 0 ? QApplication::font().pointSizeF() : ProgramPointSize;
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(desktopSize);
    QApplication::setFont(font);
}

void installProgramLook()
{
    installProgramFont();
    // A fresh copy of the desktop's style: the application owns the one it has.
    QApplication::setStyle(new ElidingStyle(QApplication::style()->name()));
    qApp->installEventFilter(new WholeTextTips(qApp));
}

void fitFontToLayout(QWidget* window)
{
    if (window->minimumSize() != window->maximumSize() || window->property("tankoFontFitted").toBool())
        return;
    window->setProperty("tankoFontFitted", true);
    const double was = window->font().pointSizeF();
    double size = QApplication::font().pointSizeF();
    while (size > ProgramPointSize && !linesHold(window, size))
        size = std::max(ProgramPointSize, size - 0.25);
    if (size == was)
        return;
    const auto resized = [size](QWidget* control) {
        QFont font = control->font();
        font.setPointSizeF(size);
        control->setFont(font);
    };
    resized(window);
    // A control with a style sheet keeps the size it was polished with: it is told.
    const QList<QWidget*> controls = window->findChildren<QWidget*>();
    for (QWidget* control : controls)
        if (control->window() == window && control->font().pointSizeF() == was)
            resized(control);
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
    fitFontToLayout(window);
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
    fitFontToLayout(window);
    fitOnScreen(window);
    return true;
}

QIcon programIcon()
{
    ensureResources();
    return QIcon(QStringLiteral(":/icons/tankometer.svg"));
}
