#pragma once

#include "wizard/wizard_view.h"

#include <algorithm>
#include <array>
#include <vector>

namespace corvath {

enum class ControlKind { Window, Button, Timer, Frame, Label, Image, CheckBox, TextBox, ListView, ProgressBar };

// How a control looks beyond its kind, as flags.
namespace look {
inline constexpr unsigned kRightAligned = 1;  // a label's text ends at its right edge
inline constexpr unsigned kBold = 2;
// White on every desktop (the banner), so what lies on it is dark on every
// desktop too, a dark theme included.
inline constexpr unsigned kWhiteGround = 4;
// Measured for a narrower font than most desktops have: the control runs on to
// the right (and a tick box grows about its middle) rather than lose its text.
inline constexpr unsigned kGrowsWithText = 8;
}  // namespace look

// One control of the wizard's static design: where it sits (twips, relative to
// its container's outer top-left corner), what it says and how it starts.
struct ControlDesign {
    Control name;
    ControlKind kind;
    Control container;  // frmWizard for controls on the window itself
    const char* caption;
    int left, top, width, height;
    int tabIndex;  // -1: none
    bool visible;
    bool enabled;
    unsigned looks = 0;  // look:: flags
    // The letter of the English caption that Alt with it clicks the control; 0
    // for its first letter (buttons and tick boxes only).
    char accessKey = 0;
};

// The window's client area in twips.
inline constexpr int kClientWidthTwips = 6465;
inline constexpr int kClientHeightTwips = 5070;
// The drive list's column width at design time.
inline constexpr int kListColumnWidthTwips = 1440;

// Every control, in creation order.
inline constexpr std::array<ControlDesign, 23> kWizardControls{{
    {Control::cmdConfig, ControlKind::Button, Control::frmWizard, "Configure", 240, 4500, 1095, 350, 19, false, true, 0, 'o'},
    {Control::tmrProgress, ControlKind::Timer, Control::frmWizard, "", 0, 0, 0, 0, -1, true, false},
    {Control::cmdNext, ControlKind::Button, Control::frmWizard, "Next >", 5055, 4500, 1095, 350, 4, true, true},
    {Control::cmdCancel, ControlKind::Button, Control::frmWizard, "Cancel", 3885, 4500, 1095, 350, 6, true, true},
    {Control::frmTop, ControlKind::Frame, Control::frmWizard, "", -90, -120, 8775, 975, 0, true, true, look::kWhiteGround},
    {Control::lblTitle, ControlKind::Label, Control::frmTop, "Select drives to analyze", 270, 315, 2895, 255, 2, true, true,
     look::kBold | look::kGrowsWithText},
    {Control::lblDesc, ControlKind::Label, Control::frmTop, "Select drives from the following list, and click on Next >",
     390, 555, 3975, 255, 1, true, true, look::kGrowsWithText},
    {Control::Image1, ControlKind::Image, Control::frmTop, "", -555, -105, 7500, 1050, -1, true, true},
    {Control::frmBar, ControlKind::Frame, Control::frmWizard, "", -75, 4200, 7335, 1815, 3, true, true},
    {Control::frmDrives, ControlKind::Frame, Control::frmWizard, "", -120, 480, 6720, 4500, 5, true, true},
    {Control::chkRememberSettings, ControlKind::CheckBox, Control::frmDrives, "Remember these settings", 360, 3450, 3600,
     195, 20, true, true, look::kGrowsWithText},
    {Control::txtLoading, ControlKind::TextBox, Control::frmDrives, "Loading local disks...please wait...", 360, 480,
     5940, 2865, 17, true, false},
    {Control::lvwDrives, ControlKind::ListView, Control::frmDrives, "", 360, 480, 5940, 2865, 7, true, true},
    {Control::frmProgress, ControlKind::Frame, Control::frmWizard, "", -120, 480, 6975, 4500, 8, true, true},
    {Control::chkCloseWhenDone, ControlKind::CheckBox, Control::frmProgress,
     "Close this dialog box when disk analysis is complete", 315, 3345, 4650, 255, 18, true, true, look::kGrowsWithText,
     'd'},  // Cancel has the C
    {Control::pbOverallProgress, ControlKind::ProgressBar, Control::frmProgress, "", 315, 2760, 5940, 255, 13, true, true},
    {Control::pbDiskProgress, ControlKind::ProgressBar, Control::frmProgress, "", 315, 1920, 5940, 255, 9, true, true},
    {Control::lblDiskCount, ControlKind::Label, Control::frmProgress, "", 3600, 2490, 2655, 255, 16, true, true,
     look::kRightAligned},
    {Control::lblOverallProgress, ControlKind::Label, Control::frmProgress, "Overall progress", 315, 2505, 3255, 210, 15,
     true, true},
    {Control::lblDiskProgStatus, ControlKind::Label, Control::frmProgress, "Analyzing drive ", 315, 1650, 3375, 255, 14,
     true, true},
    {Control::lblFileFldCount, ControlKind::Label, Control::frmProgress, "", 3600, 1650, 2655, 255, 12, true, true,
     look::kRightAligned},
    {Control::lblFolderName, ControlKind::Label, Control::frmProgress, "", 315, 1080, 5940, 195, 11, true, true},
    {Control::Label3, ControlKind::Label, Control::frmProgress, "Analyzing", 315, 840, 825, 210, 10, true, true},
}};

// How far the banner picture's artwork lies from the picture's left edge
// (345 of its 500 pixels); left of it the picture is near white. A banner
// label that grows with its text stops short of it and wraps instead.
inline constexpr int kBannerArtworkOffsetTwips = 5175;

// The banner, the separator and the buttons lie over the pages, whose own
// borders they hide: brought to the front after any page.
inline constexpr std::array<Control, 5> kOverPages{Control::frmTop, Control::frmBar, Control::cmdCancel,
                                                   Control::cmdNext, Control::cmdConfig};

// Whether the control lies on a white ground (the banner's labels).
inline constexpr bool liesOnWhite(const ControlDesign& design) {
    for (const ControlDesign& container : kWizardControls) {
        if (container.name == design.container) return (container.looks & look::kWhiteGround) != 0;
    }
    return false;
}

// The controls a user can move the focus to, in tab order.
inline std::vector<ControlDesign> focusOrder() {
    std::vector<ControlDesign> order;
    for (const ControlDesign& design : kWizardControls) {
        const ControlKind kind = design.kind;
        if (kind == ControlKind::Button || kind == ControlKind::CheckBox || kind == ControlKind::ListView ||
            kind == ControlKind::TextBox) {
            order.push_back(design);
        }
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const ControlDesign& a, const ControlDesign& b) { return a.tabIndex < b.tabIndex; });
    return order;
}

}  // namespace corvath
