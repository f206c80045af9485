#include "qt/qt_accessible_roles.h"

#include "qt/qt_frame.h"
#include "qt/qt_wizard_form.h"

#include <QAccessibleWidget>
#include <QSplitterHandle>
#include <QTabWidget>

namespace corvath {

namespace {

constexpr const char* kRoleProperty = "corvathAccessibleRole";

// A widget that only holds others: Qt's own class, not one derived from it.
bool plainContainer(const QWidget* widget) {
    const QMetaObject* kind = widget->metaObject();
    return !widget->isWindow() && (kind == &QWidget::staticMetaObject || kind == &QTabWidget::staticMetaObject);
}

QAccessibleInterface* accessibleWithRole(const QString& /*className*/, QObject* object) {
    // The wizard's classes do not declare themselves to Qt's meta-object
    // system, so they are told apart here, first, rather than by the class
    // name Qt passes.
    if (auto* form = dynamic_cast<QtWizardForm*>(object)) return new QAccessibleWidget(form, QAccessible::Dialog);
    if (auto* frame = dynamic_cast<QtFrame*>(object)) return new QAccessibleWidget(frame, QAccessible::Pane);
    if (auto* handle = qobject_cast<QSplitterHandle*>(object)) {
        return new QAccessibleWidget(handle, QAccessible::Separator);
    }
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) return nullptr;
    if (const QVariant role = widget->property(kRoleProperty); role.isValid()) {
        return new QAccessibleWidget(widget, static_cast<QAccessible::Role>(role.toInt()));
    }
    if (plainContainer(widget)) return new QAccessibleWidget(widget, QAccessible::Pane);
    return nullptr;
}

}  // namespace

void installAccessibleRoles() {
    static const bool installed = [] {
        QAccessible::installFactory(accessibleWithRole);
        return true;
    }();
    (void)installed;
}

void setAccessibleRole(QWidget* widget, QAccessible::Role role) {
    widget->setProperty(kRoleProperty, static_cast<int>(role));
}

}  // namespace corvath
