#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

class QLabel;

// The program's pictures are drawn as SVG and rendered at the size and pixel
// density they are shown at, so they stay sharp on every screen.
namespace Pictures
{
inline const QString About = QStringLiteral(":/pictures/about.svg");
inline const QString Main = QStringLiteral(":/pictures/main.svg");

// The picture stretched to size (in device-independent pixels); a null
// pixmap when the resource is missing or unreadable.
QPixmap render(const QString& resource, QSize size, qreal devicePixelRatio);

// Shows the picture stretched over label and draws it again whenever the
// label's size or pixel density changes (a move to a screen of another scale).
void showIn(QLabel* label, const QString& resource);
} // namespace Pictures
