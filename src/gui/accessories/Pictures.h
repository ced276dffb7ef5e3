#pragma once

#include <QLabel>
#include <QPixmap>
#include <QSize>
#include <QString>

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

// A picture the user clicks: with the mouse, or with Enter or Space once Tab
// has brought the focus to it. A screen reader reads it as a button.
class Picture : public QLabel
{
    Q_OBJECT

public:
    explicit Picture(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
