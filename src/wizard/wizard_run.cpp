#include "wizard/wizard.h"

#include "run/file_manager.h"
#include "drives/selection_gathering.h"
#include "settings/analyzer_settings.h"

#include <string>

namespace corvath {

namespace {

constexpr int kTickMilliseconds = 100;
constexpr int kFinishedBarValue = 100;

// Marks the run as going for as long as the Next handler is inside it.
class RunningScope {
public:
    explicit RunningScope(bool& running) : running_(running) { running_ = true; }
    ~RunningScope() { running_ = false; }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;

private:
    bool& running_;
};

}  // namespace

void Wizard::setCheckBox(Control box, bool ticked) {
    view_.setValue(box, ticked ? check_state::kChecked : check_state::kUnchecked);
}

void Wizard::onNextClick() {
    statusFields.assign(2, std::string());
    state_.noDrivesSelected = false;
    view_.setWordWrap(Control::lblFolderName, false);

    // Re-read on every click, also when the run then does not start; a change of
    // the box's state makes its handler store the normalized text.
    if (readCloseWhenDone(store_)) {
        closeWhenDone = true;
        setCheckBox(Control::chkCloseWhenDone, true);
    } else {
        closeWhenDone = false;
        setCheckBox(Control::chkCloseWhenDone, false);
    }

    const ShowInformation showInformation = [this](const std::string& text) {
        view_.showCenteredMessage(text, msgbox::kOkOnly | msgbox::kIconInformation, kProductName);
    };
    if (!collectCheckedDrives(view_.driveList(), volumes_, showInformation, state_.driveSelection,
                              state_.noDrivesSelected) ||
        state_.noDrivesSelected) {
        return;
    }

    RunningScope running(running_);
    if (rememberSettings) {
        saveSelection(store_, state_.driveSelection);
    }
    for (const std::string& drive : state_.driveSelection) {
        state_.totals.totalUsedBytes += usedBytesOfDrive(volumes_, drive);
    }
    if (state_.driveSelection.size() == 1) {
        view_.setVisible(Control::lblDiskCount, false);
        view_.setVisible(Control::lblOverallProgress, false);
        view_.setVisible(Control::pbOverallProgress, false);
    }
    view_.setCaption(Control::lblTitle, "Analyzing...");
    view_.setCaption(Control::lblDesc, "Corvath is currently analyzing your disk...Please wait...");
    showPage(Control::frmProgress, Control::frmDrives);

    // From here the window has one button, in Next's place, still reading "Cancel".
    view_.setLeft(Control::cmdCancel, view_.left(Control::cmdNext));
    view_.setVisible(Control::cmdNext, false);

    view_.setTimerEnabled(true);
    view_.setTimerInterval(kTickMilliseconds);
    state_.totals.completedBytes = 0;

    runDrives();
}

bool Wizard::endRunIfCancelled() {
    if (!bCancelled) {
        return false;
    }
    stopProgressTimer();
    view_.unload();
    return true;
}

void Wizard::runDrives() {
    // A copy: handlers run nested inside the engine, and the run's drives must
    // not change under it.
    const std::vector<std::string> drives = state_.driveSelection;
    const std::size_t count = drives.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& drive = drives[i];
        if (endRunIfCancelled()) {
            return;
        }
        view_.setCaption(Control::lblDiskCount, "Disk " + std::to_string(i + 1) + " of " + std::to_string(count));
        view_.setCaption(Control::lblDiskProgStatus, "Scanning " + drive);
        state_.totals.currentDriveUsedBytes = usedBytesOfDrive(volumes_, drive);
        if (endRunIfCancelled()) {
            return;
        }
        // Ticks and Cancel clicks are handled inside this call.
        if (!engineCall([&drive](AnalysisEngine& engine) { engine.AnalyzeDrive(drive); })) {
            return;
        }
        if (endRunIfCancelled()) {
            return;
        }
        // Once more after the scan: the last tick may be up to one interval old,
        // and a scan shorter than one interval has had none.
        if (!showEngineProgress()) {
            return;
        }
        if (!engineCall([](AnalysisEngine& engine) { engine.FinishDrive(); })) {
            return;
        }
        state_.totals.completedBytes += state_.totals.processedBytes;
    }
    finishRun();
}

void Wizard::finishRun() {
    view_.setValue(Control::pbOverallProgress, kFinishedBarValue);
    view_.setValue(Control::pbDiskProgress, kFinishedBarValue);
    view_.setCaption(Control::lblTitle, "Analyzing...Done");
    view_.setCaption(Control::lblDesc, "Corvath has finished analyzing your disk.");
    view_.setCaption(Control::cmdCancel, "Finish");
    // Where the run left the focus (a tick box, or a message box's window
    // restoring its own) is no help: Enter on Finish ends the program.
    view_.setFocus(Control::cmdCancel);
    stopProgressTimer();

    // A cancel that came during the last FinishDrive closes the window, yet the
    // analysis is complete, so the file manager still opens when configured.
    if (bCancelled) {
        view_.unload();
    }
    if (readStartExplorer(store_)) {
        launchExplorer(state_.driveSelection, fileManager_);
    }
    // Read now, not at the start: a change of the box during the run counts.
    if (closeWhenDone) {
        view_.unload();
    }
}

}  // namespace corvath
