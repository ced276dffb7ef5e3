#pragma once

class QAccessibleInterface;
class QTabBar;

namespace Accessibility
{
// A tab list read by the name it was given, not by its current tab's; one
// without a name of its own is read as Qt reads it.
QAccessibleInterface* accessibleTabList(QTabBar* bar);
} // namespace Accessibility
