#include "qt/qt_wizard_accessibility.h"

#include "qt/qt_frame.h"
#include "qt/qt_wizard_form.h"

#include <QAccessibleWidget>

namespace corvath {

namespace {

QAccessibleInterface* wizardAccessible(const QString& /*className*/, QObject* object) {
    // Neither class declares itself to Qt's meta-object system, so they are
    // told apart here rather than by the class name Qt passes.
    if (auto* form = dynamic_cast<QtWizardForm*>(object)) return new QAccessibleWidget(form, QAccessible::Dialog);
    if (auto* frame = dynamic_cast<QtFrame*>(object)) return new QAccessibleWidget(frame, QAccessible::Pane);
    return nullptr;
}

}  // namespace

void installWizardAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(wizardAccessible);
        return true;
    }();
    (void)installed;
}

}  // namespace corvath
