// Qt reads a tab list by the name of its current tab, whatever name it was
// given, so that a reader says "Averages" twice, once for the list and once
// for the tab. This reads the list by its own name and its tabs as Qt does.
#include "gui/base/AccessibleTabList.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QTabBar>

#include <map>

namespace Accessibility
{
namespace
{
class Tab : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    Tab(QTabBar* bar, int index) : m_bar(bar), m_index(index) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    bool isValid() const override { return m_bar && m_index < m_bar->count(); }
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_bar.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    void setText(QAccessible::Text, const QString&) override {}

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        if (t == QAccessible::Description)
            return m_bar->tabToolTip(m_index);
        if (t != QAccessible::Name)
            return {};
        const QString name = m_bar->accessibleTabName(m_index);
        return name.isEmpty() ? QString(m_bar->tabText(m_index)).remove(u'&') : name;
    }

    // The current tab says it has the focus, as Qt's own does.
    QAccessible::State state() const override
    {
        QAccessible::State s = parent() ? parent()->state() : QAccessible::State();
        s.invalid = !isValid();
        s.selectable = true;
        s.focused = s.selected = isValid() && m_index == m_bar->currentIndex();
        return s;
    }

    QRect rect() const override
    {
        return isValid() ? m_bar->tabRect(m_index).translated(m_bar->mapToGlobal(QPoint(0, 0))) : QRect();
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override
    {
        if (isValid() && action == pressAction())
            m_bar->setCurrentIndex(m_index);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    int index() const { return m_index; }

private:
    QPointer<QTabBar> m_bar;
    int m_index;
};

class TabList : public QAccessibleWidget
{
public:
    explicit TabList(QTabBar* bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
    ~TabList() override
    {
        for (const auto& [index, id] : m_tabs)
            QAccessible::deleteAccessibleInterface(id);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !widget()->accessibleName().isEmpty())
            return QAccessibleWidget::text(t);
        const QAccessibleInterface* current = child(bar()->currentIndex());
        return current ? current->text(t) : QString();
    }

    int childCount() const override { return bar()->count(); }

    // Made when first asked for, and kept: a reader holds on to them.
    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= bar()->count())
            return nullptr;
        if (const auto found = m_tabs.find(index); found != m_tabs.end())
            return QAccessible::accessibleInterface(found->second);
        auto* tab = new Tab(bar(), index);
        m_tabs[index] = QAccessible::registerAccessibleInterface(tab);
        return tab;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && child->role() == QAccessible::PageTab && child->parent() == this
                   ? static_cast<const Tab*>(child)->index()
                   : -1;
    }

    QAccessibleInterface* focusChild() const override
    {
        return widget()->hasFocus() ? child(bar()->currentIndex()) : nullptr;
    }

private:
    QTabBar* bar() const { return static_cast<QTabBar*>(widget()); }
    mutable std::map<int, QAccessible::Id> m_tabs;
};
} // namespace

QAccessibleInterface* accessibleTabList(QTabBar* bar)
{
    return new TabList(bar);
}
} // namespace Accessibility
