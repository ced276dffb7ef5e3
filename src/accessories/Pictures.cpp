#include "accessories/Pictures.h"

#include "frame/Appearance.h"

#include <QPainter>
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
} // namespace Pictures
