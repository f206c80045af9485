#include "wizard/qt_wizard_layout.h"

namespace corvath {

std::optional<ControlDesign> controlDesign(Control name) {
    for (const auto& design : kWizardControls) {
        if (design.name == name) return design;
    }
    return std::nullopt;
}

}  // namespace corvath
