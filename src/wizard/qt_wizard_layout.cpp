#include "wizard/qt_wizard_layout.h"

namespace corvath {

std::optional<ControlSpec> controlSpec(Control name) {
    for (const auto& spec : kWizardControls) {
        if (spec.name == name) return spec;
    }
    return std::nullopt;
}

}  // namespace corvath
