#pragma once

namespace corvath {

// Makes screen readers read the wizard's window as a dialog and its frames as
// panels, which Qt would present as fillers, roles that say nothing. Once per
// process; safe to call again.
void installWizardAccessibility();

}  // namespace corvath
