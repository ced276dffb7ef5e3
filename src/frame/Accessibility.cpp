#include "frame/Accessibility.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>

namespace Accessibility
{
namespace
{
// Object names rather than pointers: a caption is found again in the control's
// own window, so a stale entry cannot point into freed memory.
constexpr char CaptionsProperty[] = "tankoAccessibleCaptions";

class PlatformAnnouncer : public Announcer
{
public:
    void announce(QAccessibleEvent& event) override { QAccessible::updateAccessibility(&event); }
};

Announcer* g_announcer = nullptr;

QString captionText(const QWidget* widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (const auto* frame = qobject_cast<const QGroupBox*>(widget))
        return frame->title();
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(widget))
        return combo->currentText();
    if (const auto* text = qobject_cast<const QPlainTextEdit*>(widget))
        return text->toPlainText();
    return {};
}
} // namespace

Announcer& announcer()
{
    static PlatformAnnouncer platform;
    return g_announcer ? *g_announcer : platform;
}

void setAnnouncer(Announcer* announcer)
{
    g_announcer = announcer;
}

void nameAfter(QWidget* control, std::initializer_list<const QWidget*> captions)
{
    QStringList names;
    for (const QWidget* caption : captions)
        names << caption->objectName();
    control->setProperty(CaptionsProperty, names);
    control->setAccessibleName(nameOf(control));
}

void labelField(QLabel* label, QWidget* field)
{
    label->setBuddy(field);
    nameAfter(field, {label});
}

QString nameOf(const QWidget* control)
{
    const QVariant captions = control->property(CaptionsProperty);
    if (!captions.isValid())
        return captionText(control);
    QStringList parts;
    for (const QString& name : captions.toStringList()) {
        const QWidget* caption =
            name == control->objectName() ? control : control->window()->findChild<const QWidget*>(name);
        const QString text = caption ? captionText(caption).simplified() : QString();
        if (!text.isEmpty())
            parts << text;
    }
    return parts.isEmpty() ? control->toolTip() : parts.join(QStringLiteral(": "));
}

void nameControls(QWidget* window)
{
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (control->window() == window && control->property(CaptionsProperty).isValid())
            control->setAccessibleName(nameOf(control));
    }
}

void showResult(QLabel* label, const QString& text)
{
    if (label->text() == text)
        return;
    label->setText(text);
    nameControls(label->window());
    QAccessibleEvent event(label, QAccessible::NameChanged);
    announcer().announce(event);
}
} // namespace Accessibility
