#include "gui/accessories/Pictures.h"

#include "gui/base/Accessibility.h"
#include "gui/base/Appearance.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QSvgRenderer>

#include <cmath>

namespace Pictures
{
QPixmap render(const QString& resource, QSize size, qreal devicePixelRatio)
{
    ensureResources();
    QSvgRenderer renderer(resource);
    if (!renderer.isValid() || size.isEmpty())
        return {};
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QPixmap pixmap(int(std::ceil(size.width() * ratio)), int(std::ceil(size.height() * ratio)));
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        // The whole drawing fills the rectangle, stretched if its shape differs.
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixmap.size())));
    }
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

namespace
{
class SharpPicture : public QObject
{
public:
    SharpPicture(const QString& resource, QLabel* label) : QObject(label), m_resource(resource), m_label(label) {}

    void refresh()
    {
        const qreal ratio = m_label->devicePixelRatioF();
        const QPixmap shown = m_label->pixmap();
        const QSize pixels(int(std::ceil(m_label->width() * ratio)), int(std::ceil(m_label->height() * ratio)));
        if (!shown.isNull() && shown.devicePixelRatio() == ratio && shown.size() == pixels)
            return;
        m_label->setPixmap(render(m_resource, m_label->size(), ratio));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A move to a screen of another scale reaches a widget as a screen
        // change; later Qt versions also say when the scale itself changes.
        const QEvent::Type type = event->type();
        bool newDensity = type == QEvent::ScreenChangeInternal;
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
        newDensity = newDensity || type == QEvent::DevicePixelRatioChange;
#endif
        if (watched == m_label && (newDensity || type == QEvent::Show || type == QEvent::Resize))
            refresh();
        return QObject::eventFilter(watched, event);
    }

private:
    QString m_resource;
    QLabel* m_label;
};
} // namespace

void showIn(QLabel* label, const QString& resource)
{
    auto* keeper = new SharpPicture(resource, label);
    label->installEventFilter(keeper);
    keeper->refresh();
}
} // namespace Pictures

Picture::Picture(QWidget* parent) : QLabel(parent)
{
    Accessibility::actAsButton(this);
}

void Picture::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void Picture::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        event->accept();
        emit clicked();
        break;
    default:
        QLabel::keyPressEvent(event);
    }
}

void Picture::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect().adjusted(2, 2, -2, -2);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}
