#pragma once

#include "run/file_manager.h"
#include "run/run_companion.h"
#include "run/run_state.h"
#include "drives/volume_layer.h"
#include "engine/analysis_engine.h"
#include "settings/registry_store.h"
#include "wizard/wizard_view.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvath {

// The wizard window's behaviour, free of any toolkit: start-up, the two pages, the
// check boxes, Cancel and Finish, the analysis run and its progress tick. Every
// handler runs on the window's thread; the tick and the Cancel click arrive nested
// inside the engine's AnalyzeDrive, which runs the window's event loop.
class Wizard : public WizardEvents {
public:
    using EngineFactory = std::function<std::unique_ptr<AnalysisEngine>()>;

    // companion may be null: a build need not provide one.
    Wizard(WizardView& view, RegistryStore& store, VolumeLayer& volumes, RunState& state, FileManager& fileManager,
           EngineFactory makeEngine, RunCompanion* companion);
    ~Wizard() override;
    Wizard(const Wizard&) = delete;
    Wizard& operator=(const Wizard&) = delete;

    // Shows the window, loads the settings, fills the drive list and creates the
    // engine; returns with the window waiting for the user.
    void startInteractive();

    void onLoad() override;
    void onUnload(bool byCloseBox) override;
    void onNextClick() override;
    void onCancelClick() override;
    void onRememberSettingsClick() override;
    void onCloseWhenDoneClick() override;
    void onTimerTick() override;

    void showPage(Control pageToShow, Control pageToHide);
    void stopProgressTimer();

    // Read-only views of the window's private members.
    bool isCloseWhenDone() const { return closeWhenDone; }
    bool isRememberSettings() const { return rememberSettings; }
    std::int16_t lastDiskPercent() const { return diskPercent; }
    const std::vector<std::string>& lastStatusFields() const { return statusFields; }
    // True once an engine failure has been shown and has closed the window.
    bool engineFailed() const { return engineFailed_; }

    // Set once the user has confirmed a cancel (or closed the window mid-run);
    // the run stops at its next test point.
    bool bCancelled = false;

private:
    // The run's test point: true when the run must end here (timer stopped,
    // window unloaded).
    bool endRunIfCancelled();
    void runDrives();
    void finishRun();
    void showEngineFailure(const std::exception& failure);
    // Shows the failure, stops a scan still going and closes the window.
    void endOnEngineFailure(const std::exception& failure);
    // Reads the engine's status and processed bytes and shows them; false when
    // the engine failed.
    bool showEngineProgress();
    // Runs one engine operation; a failure is shown to the user, closes the
    // window and gives false so that the calling handler ends.
    bool engineCall(const std::function<void(AnalysisEngine&)>& operation);
    void setCheckBox(Control box, bool ticked);

    WizardView& view_;
    RegistryStore& store_;
    VolumeLayer& volumes_;
    RunState& state_;
    FileManager& fileManager_;
    EngineFactory makeEngine_;
    RunCompanion* companion_;
    std::unique_ptr<AnalysisEngine> engine_;
    bool running_ = false;
    bool engineFailed_ = false;

    bool closeWhenDone = false;
    bool rememberSettings = false;
    std::int16_t diskPercent = 0;
    std::int16_t overallPercent = 0;
    std::vector<std::string> statusFields;
};

}  // namespace corvath
