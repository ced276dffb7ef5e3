#include "gui/base/Accessibility.h"

#include "gui/base/AccessibleTabList.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTabBar>

namespace Accessibility
{
namespace
{
// Object names rather than pointers: a caption is found again in the control's
// own window, so a stale entry cannot point into freed memory.
constexpr char CaptionsProperty[] = "tankoAccessibleCaptions";
constexpr char RowProperty[] = "tankoAccessibleRow";
constexpr char HeadingProperty[] = "tankoAccessibleHeading";
constexpr char ButtonProperty[] = "tankoAccessibleButton";
constexpr char FrameProperty[] = "tankoAccessibleFrame";

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

// Through the announcer: it is where a test hears what a screen reader would be told.
void Names::setName(QWidget* control, const QString& name)
{
    if (control->accessibleName() != name)
        m_announcer.rename(control, name);
}

namespace
{
class PictureButton : public QAccessibleWidget
{
public:
    explicit PictureButton(QWidget* picture) : QAccessibleWidget(picture, QAccessible::Button) {}

    QStringList actionNames() const override { return QAccessibleWidget::actionNames() << pressAction(); }

    void doAction(const QString& action) override
    {
        if (action != pressAction())
            return QAccessibleWidget::doAction(action);
        // Posted: the window a click opens is modal, and the screen reader
        // waits for this call to return.
        QCoreApplication::postEvent(
            widget(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" ")));
    }
};

// Asked once per class from the object's own up to QObject; a class of the
// program's own comes first, before Qt answers for the class it derives from.
QAccessibleInterface* factory(const QString& className, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    if (widget->property(ButtonProperty).toBool())
        return new PictureButton(widget);
    // Marked, not told by being a window: a message box's own button has no
    // parent yet when it is first asked for, and would be a frame for good.
    if (widget->property(FrameProperty).toBool())
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (auto* bar = qobject_cast<QTabBar*>(widget))
        return accessibleTabList(bar);
    return nullptr;
}
} // namespace

void install()
{
    static bool installed = false;
    if (!installed)
        QAccessible::installFactory(factory);
    installed = true;
}

void readAsFrame(QWidget* window)
{
    install();
    window->setProperty(FrameProperty, true);
}

void Names::nameAfter(QWidget* control, std::initializer_list<const QWidget*> captions)
{
    QStringList names;
    for (const QWidget* caption : captions)
        names << caption->objectName();
    control->setProperty(CaptionsProperty, names);
    setName(control, nameOf(control));
}

void Names::nameRow(QWidget* control, const QWidget* heading, int row)
{
    control->setProperty(RowProperty, row);
    nameAfter(control, {heading});
}

void Names::nameRow(QWidget* control, Text::Id headingText, int row, std::initializer_list<const QWidget*> captions)
{
    control->setProperty(RowProperty, row);
    control->setProperty(HeadingProperty, headingText);
    nameAfter(control, captions);
}

void labelField(QLabel* label, QWidget* field)
{
    label->setBuddy(field);
}

void actAsButton(QWidget* picture)
{
    install();
    picture->setProperty(ButtonProperty, true);
    picture->setFocusPolicy(Qt::StrongFocus);
}

QString Names::nameOf(const QWidget* control) const
{
    const QVariant captions = control->property(CaptionsProperty);
    if (!captions.isValid())
        return captionText(control);
    QStringList parts;
    if (const QVariant heading = control->property(HeadingProperty); heading.isValid())
        parts << m_speech.text(Text::Id(heading.toInt()));
    for (const QString& name : captions.toStringList()) {
        const QWidget* caption =
            name == control->objectName() ? control : control->window()->findChild<const QWidget*>(name);
        const QString text = caption ? captionText(caption).simplified() : QString();
        if (!text.isEmpty())
            parts << text;
    }
    const QVariant row = control->property(RowProperty);
    if (row.isValid() && !parts.isEmpty())
        parts[0] = parts[0] + QStringLiteral(", ") + m_speech.text(Text::Row) + u' ' + QString::number(row.toInt());
    return parts.isEmpty() ? control->toolTip() : parts.join(QStringLiteral(": "));
}

void Names::nameControls(QWidget* window)
{
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (control->window() == window && control->property(CaptionsProperty).isValid())
            setName(control, nameOf(control));
    }
}

void Names::showResult(QLabel* label, const QString& text)
{
    if (label->text() == text)
        return;
    // The label keeps its old name meanwhile, so Qt does not read the text out on its own.
    label->setText(text);
    setName(label, nameOf(label));
}
} // namespace Accessibility
