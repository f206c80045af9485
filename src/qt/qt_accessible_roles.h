#pragma once

#include <QAccessible>

class QWidget;

namespace corvath {

// Gives screen readers a role that says something where Qt's would say
// nothing ("filler", "unknown"): the wizard's window is a dialog, its frames
// and both windows' plain containers are panels, a splitter's handle is a
// separator. Once per process; safe to call again.
void installAccessibleRoles();

// Declares the role a screen reader is to be told for a widget whose class Qt
// presents with none that says anything (a chart, a composite of our own).
// Call it first, before naming the widget: Qt keeps the interface it made first.
void setAccessibleRole(QWidget* widget, QAccessible::Role role);

}  // namespace corvath
