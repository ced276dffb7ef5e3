#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

// The program's colours, maroon and teal, are specified for a light window.
// Under a light palette they are shown exactly so; under a dark one (its
// background darker than its text) each becomes the lightest-needed tint of
// the same hue that stands out from the background by the contrast WCAG asks
// of text, 4.5:1. Black, which has no hue, becomes the palette's text colour.
namespace Colours
{
inline const QColor Maroon{128, 0, 0};
inline const QColor Teal{0, 128, 128};
constexpr double MinimumContrast = 4.5;

// The WCAG 2 contrast ratio of two colours, 1 to 21.
double contrast(const QColor& a, const QColor& b);
// The colour to draw `specified` with over the palette's `background` role
// (Window for a window's face, Base for a text box or a table).
QColor readable(const QColor& specified, const QPalette& palette, QPalette::ColorRole background = QPalette::Window);
// The colours of the window's style sheets ("color: rgb(0, 128, 128)") shown
// readably, now and whenever the palette changes.
void follow(QWidget* window);
} // namespace Colours
