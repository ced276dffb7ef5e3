#include "gui/base/Colours.h"

#include <QEvent>
#include <QRegularExpression>
#include <QVariant>
#include <QWidget>

#include <cmath>

namespace Colours
{
namespace
{
double luminance(const QColor& colour)
{
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

// The sheet as the .ui file gives it, kept on the control the first time.
constexpr char Designed[] = "tankoDesignedSheet";

QString readableSheet(const QString& sheet, const QPalette& palette)
{
    static const QRegularExpression rule(
        QStringLiteral(R"((?:^|[\s;{])color:\s*(rgb\(\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*\)|black))"));
    QString shown;
    qsizetype done = 0;
    for (auto it = rule.globalMatch(sheet); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QColor specified =
            match.captured(2).isEmpty()
                ? QColor(Qt::black)
                : QColor(match.captured(2).toInt(), match.captured(3).toInt(), match.captured(4).toInt());
        const QColor colour = readable(specified, palette);
        shown +=
            sheet.mid(done, match.capturedStart(1) - done) + (colour == specified ? match.captured(1) : colour.name());
        done = match.capturedEnd(1);
    }
    return shown + sheet.mid(done);
}

void apply(QWidget* window)
{
    const QPalette palette = window->palette();
    const QList<QWidget*> controls = window->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        // A dialog the window owns follows the palette on its own.
        if (control->window() != window)
            continue;
        QVariant designed = control->property(Designed);
        if (!designed.isValid()) {
            if (!control->styleSheet().contains(QStringLiteral("color")))
                continue;
            designed = control->styleSheet();
            control->setProperty(Designed, designed);
        }
        const QString sheet = readableSheet(designed.toString(), palette);
        if (sheet != control->styleSheet())
            control->setStyleSheet(sheet);
    }
}

class Follower : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::PaletteChange)
            apply(static_cast<QWidget*>(watched));
        return false;
    }
};
} // namespace

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readable(const QColor& specified, const QPalette& palette, QPalette::ColorRole background)
{
    const QColor ground = palette.color(background);
    const QColor text = palette.color(background == QPalette::Base ? QPalette::Text : QPalette::WindowText);
    if (luminance(ground) >= luminance(text))
        return specified;
    if (specified.lightness() == 0)
        return text;
    const double hue = specified.hslHueF(), saturation = specified.hslSaturationF();
    for (double lightness = specified.lightnessF(); lightness < 1; lightness += 0.01) {
        const QColor tint = QColor::fromHslF(float(hue), float(saturation), float(lightness));
        if (contrast(tint, ground) >= MinimumContrast)
            return tint;
    }
    return QColor(Qt::white);
}

void follow(QWidget* window)
{
    apply(window);
    window->installEventFilter(new Follower(window));
}
} // namespace Colours
