#pragma once

#include <string>

namespace corvath {

// A button's or tick box's caption with its access key marked as both toolkits
// mark one ("&Next >" shows "Next >" and Alt+N clicks it): the mark goes before
// the first `key` in the caption, or before its first letter when key is 0 (no
// mark when the key is not in it); any "&" of the caption's own is doubled, so
// that it shows as itself.
std::string markAccessKey(const std::string& caption, char key);

// The letter markAccessKey marks, in lower case; 0 for none.
char accessLetter(const std::string& caption, char key);

}  // namespace corvath
