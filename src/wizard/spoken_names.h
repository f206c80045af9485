#pragma once

#include "wizard/wizard_view.h"

#include <array>
#include <utility>

namespace corvath {

// What a screen reader calls the controls whose caption does not say what they
// are, in English; each toolkit shows them in the user's language.
inline constexpr std::array<std::pair<Control, const char*>, 4> kSpokenNames{{
    {Control::lvwDrives, "Drives to analyze"},
    {Control::pbDiskProgress, "Progress of the current drive"},
    {Control::pbOverallProgress, "Overall progress"},
    {Control::Image1, "Corvath Analyzer banner"},
}};

// The heading of the drive list's one column, read before each drive.
inline constexpr const char* kDriveColumnName = "Drive";
// A drive that failed the accessibility probe, as it is read out; %1 is its
// name in the list.
inline constexpr const char* kUnreadableDriveName = "%1, cannot be read";

}  // namespace corvath
