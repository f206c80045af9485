#include "wizard/wizard.h"

#include "drives/enumerate_drives.h"
#include "settings/analyzer_settings.h"
#include "ui/wait_cursor.h"

#include <optional>
#include <utility>

namespace corvath {

namespace {

// "Remember these settings" as loadRememberFlag sets it: through the window, so
// that a change of state runs the box's handler.
class RememberSettingsBox : public RememberBox {
public:
    explicit RememberSettingsBox(WizardView& view) : view_(view) {}
    void setTicked(bool ticked) override {
        view_.setValue(Control::chkRememberSettings, ticked ? check_state::kChecked : check_state::kUnchecked);
    }

private:
    WizardView& view_;
};

// Twips kept free to the right of the list's one column.
constexpr int kListColumnMargin = 1000;

}  // namespace

Wizard::Wizard(WizardView& view, RegistryStore& store, VolumeLayer& volumes, RunState& state,
               FileManager& fileManager, EngineFactory makeEngine, RunCompanion* companion)
    : view_(view),
      store_(store),
      volumes_(volumes),
      state_(state),
      fileManager_(fileManager),
      makeEngine_(std::move(makeEngine)),
      companion_(companion) {}

Wizard::~Wizard() = default;

void Wizard::startInteractive() {
    if (companion_ != nullptr) {
        int slotA = 0;
        companion_->CompanionStartA(slotA);
        int slotB = 0;
        companion_->CompanionStartB(slotB);
    }

    // The window's first use loads it, which shows the drive page.
    onLoad();
    view_.setTimerEnabled(false);
    view_.setTimerInterval(0);

    view_.show();
    view_.processEvents();

    // Ticks the box when remembering; its handler then stores "yes".
    RememberSettingsBox rememberBox(view_);
    state_.rememberSelection = loadRememberFlag(store_, &rememberBox);

    view_.setFocus();

    // The notice covers the list, and nothing can start, until the list is filled.
    // Painted now, the disabled controls with it: the window may not get to
    // paint again before a slow drive has answered.
    view_.bringToFront(Control::txtLoading);
    view_.setEnabled(Control::cmdNext, false);
    view_.setEnabled(Control::chkRememberSettings, false);
    view_.refresh(Control::frmWizard);

    std::optional<WaitCursor> waitCursor;
    waitCursor.emplace(view_);
    waitCursor->SetCursor(pointer::kHourglass);

    view_.enableListCheckBoxes();

    // The saved selection decides which drives the enumeration ticks, so it is
    // loaded first, and only when remembering.
    if (state_.rememberSelection) {
        loadSavedSelection(store_, state_.savedSelection);
    }
    enumerateDrives(volumes_, &view_.driveList(), state_.savedSelection, state_.driveSelection,
                    state_.noDrivesSelected);

    view_.sendToBack(Control::txtLoading);
    view_.refresh(Control::lvwDrives);
    // A click or key the user gave while the list loaded was meant for a window
    // that could not yet act on it, and must not start a run now. A click on
    // Cancel still asks its question, after start-up, with the engine there.
    view_.discardInput();
    view_.setEnabled(Control::cmdNext, true);
    view_.setEnabled(Control::chkRememberSettings, true);

    try {
        engine_ = makeEngine_();
    } catch (const std::exception& failure) {
        // Without an engine nothing can be analysed: say why and close.
        endOnEngineFailure(failure);
        return;
    }

    view_.setListColumnWidth(view_.width(Control::lvwDrives) - kListColumnMargin);
    bCancelled = false;
    waitCursor->SetCursor(pointer::kArrow);
}

}  // namespace corvath
