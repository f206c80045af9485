#pragma once

#include "drives/drive_list.h"
#include "ui/message_box.h"
#include "ui/mouse_pointer.h"

#include <string>

namespace corvath {

// The wizard window's controls, by the names the window logic uses.
enum class Control {
    frmWizard,
    cmdConfig,
    tmrProgress,
    cmdNext,
    cmdCancel,
    frmTop,
    lblTitle,
    lblDesc,
    Image1,
    frmBar,
    frmDrives,
    chkRememberSettings,
    txtLoading,
    lvwDrives,
    frmProgress,
    chkCloseWhenDone,
    pbOverallProgress,
    pbDiskProgress,
    lblDiskCount,
    lblOverallProgress,
    lblDiskProgStatus,
    lblFileFldCount,
    lblFolderName,
    Label3,
};

// Check-box states, numbered as the platform numbers them.
namespace check_state {
inline constexpr int kUnchecked = 0;
inline constexpr int kChecked = 1;
inline constexpr int kGrayed = 2;
}  // namespace check_state

// The window's events, as the Qt window delivers them to the window logic.
class WizardEvents {
public:
    virtual ~WizardEvents() = default;
    virtual void onLoad() = 0;
    // On every unload: by code (byCloseBox false) or by the window's close box.
    virtual void onUnload(bool byCloseBox) = 0;
    virtual void onNextClick() = 0;
    virtual void onCancelClick() = 0;
    virtual void onRememberSettingsClick() = 0;
    virtual void onCloseWhenDoneClick() = 0;
    virtual void onTimerTick() = 0;
};

// What the window logic needs of the wizard window. The Qt window maps each call
// onto its widgets and nothing more; tests supply a fake. Positions and sizes are
// in twips. Setting a check box to a state different from its current one runs the
// box's click handler at once, as a user's click would; the same state runs nothing.
class WizardView : public MousePointer {
public:
    virtual ~WizardView() = default;

    // The window as a whole.
    virtual void show() = 0;          // without making it modal
    virtual void processEvents() = 0; // lets pending window events run once
    // Drops the clicks and keys aimed at the window that wait to be handled,
    // come while the window was busy; a close by the close box is kept, and so
    // is a click on Cancel, which acts once the program waits for events again.
    virtual void discardInput() = 0;
    virtual void setFocus() = 0;
    // Gives one control the focus, now or, while another window is active,
    // when this one is activated again; nothing when it cannot take it.
    virtual void setFocus(Control control) = 0;
    virtual void unload() = 0;        // runs the unload handler; does nothing when already unloaded
    virtual bool isLoaded() const = 0;

    // Any control by name.
    virtual void setVisible(Control control, bool visible) = 0;
    virtual bool isVisible(Control control) const = 0;
    virtual void setEnabled(Control control, bool enabled) = 0;
    virtual bool isEnabled(Control control) const = 0;
    virtual void bringToFront(Control control) = 0;
    virtual void sendToBack(Control control) = 0;
    // Paints the control, and what lies over it, at once, without letting other
    // events run: for a change the user must see before a long call.
    virtual void refresh(Control control) = 0;
    virtual void setCaption(Control control, const std::string& caption) = 0;
    virtual std::string caption(Control control) const = 0;
    virtual int left(Control control) const = 0;
    virtual void setLeft(Control control, int twips) = 0;
    virtual int width(Control control) const = 0;
    // Check boxes (check_state codes) and progress bars (0 to 100).
    virtual int value(Control control) const = 0;
    virtual void setValue(Control control, int value) = 0;
    virtual void setWordWrap(Control control, bool wrap) = 0;

    // tmrProgress.
    virtual void setTimerEnabled(bool enabled) = 0;
    virtual void setTimerInterval(int milliseconds) = 0;

    // lvwDrives.
    virtual DriveList& driveList() = 0;
    virtual void enableListCheckBoxes() = 0;
    virtual void setListColumnWidth(int twips) = 0;

    // Screen and dialog services.
    virtual int twipsPerPixelX() const = 0;
    // Shortens a path with "..." to widthPixels, measured with the window's font.
    virtual std::string compactPath(const std::string& path, int widthPixels) const = 0;
    // A modal box centred on the wizard window; returns the button code.
    virtual int showCenteredMessage(const std::string& text, int style, const std::string& title) = 0;
};

}  // namespace corvath
