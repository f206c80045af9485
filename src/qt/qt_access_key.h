#pragma once

#include <QString>

#include <string>

namespace corvath {

// The text a button or tick box shows for its caption, with its access key
// marked, as Qt marks one ("&Next >" shows "Next >" and Alt+N clicks it). A
// translation (shown differs from the English caption) brings its own mark. An
// English caption gets the mark before the first `key` in it, or before its
// first letter when key is 0; any "&" of its own stays a plain "&".
QString withAccessKey(const std::string& english, const QString& shown, char key = 0);

}  // namespace corvath
