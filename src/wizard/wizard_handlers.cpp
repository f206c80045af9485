#include "wizard/wizard.h"

#include "engine/engine_error.h"
#include "settings/analyzer_settings.h"
#include "text/ascii_case.h"
#include "wizard/wizard_layout.h"

namespace corvath {

namespace {

constexpr const char* kCancelQuestion = "Are you sure you want to cancel the Corvath Analyzer process?";

}  // namespace

void Wizard::onLoad() {
    // A window touched again after a confirmed cancel must not come back.
    if (!bCancelled) {
        showPage(Control::frmDrives, Control::frmProgress);
    }
}

void Wizard::onUnload(bool byCloseBox) {
    if (companion_ != nullptr) {
        RunCompanion* companion = companion_;
        companion_ = nullptr;  // cleared first: its end operations run at most once
        int slot = 0;
        companion->CompanionEndA(slot);
        companion->CompanionEndB();
    }
    // Closing the window mid-run ends the run, as a confirmed Cancel would,
    // rather than leaving the scan going with nothing to show it.
    if (byCloseBox && running_ && !bCancelled) {
        bCancelled = true;
        stopProgressTimer();
        if (engine_) {
            engineCall([](AnalysisEngine& engine) { engine.CancelAnalysis(); });
        }
    }
}

void Wizard::showPage(Control pageToShow, Control pageToHide) {
    view_.setVisible(pageToShow, true);
    view_.bringToFront(pageToShow);
    for (const Control over : kOverPages) view_.bringToFront(over);
    view_.setVisible(pageToHide, false);
}

void Wizard::stopProgressTimer() {
    view_.setTimerInterval(0);
    view_.setTimerEnabled(false);
}

void Wizard::onCloseWhenDoneClick() {
    const bool ticked = view_.value(Control::chkCloseWhenDone) != check_state::kUnchecked;
    writeCheckBoxSetting(store_, kCloseWhenDone, ticked);
    closeWhenDone = ticked;
}

void Wizard::onRememberSettingsClick() {
    const bool ticked = view_.value(Control::chkRememberSettings) != check_state::kUnchecked;
    writeCheckBoxSetting(store_, kSaveAnalyzerSettings, ticked);
    rememberSettings = ticked;
}

void Wizard::onCancelClick() {
    if (equalsIgnoringCase(view_.caption(Control::cmdCancel), "Finish")) {
        view_.unload();
        return;
    }
    if (view_.showCenteredMessage(kCancelQuestion, msgbox::kYesNo, kProductName) != msgbox::kYes) {
        return;
    }
    bCancelled = true;
    // Before start-up has made an engine there is nothing to stop.
    if (engine_ && !engineCall([](AnalysisEngine& engine) { engine.CancelAnalysis(); })) {
        return;
    }
    stopProgressTimer();
    view_.unload();
}

bool Wizard::engineCall(const std::function<void(AnalysisEngine&)>& operation) {
    try {
        if (!engine_) {
            throw EngineError("The analysis engine is not available.");
        }
        operation(*engine_);
        return true;
    } catch (const std::exception& failure) {
        endOnEngineFailure(failure);
        return false;
    }
}

void Wizard::endOnEngineFailure(const std::exception& failure) {
    // Stopped first: the message box lets the timer's events through.
    stopProgressTimer();
    showEngineFailure(failure);
    engineFailed_ = true;
    // The run ends at its next test point, and a scan still going is told to
    // stop; it has already failed once, so a second failure is not shown.
    bCancelled = true;
    if (running_ && engine_) {
        try {
            engine_->CancelAnalysis();
        } catch (const std::exception&) {
        }
    }
    view_.unload();
}

void Wizard::showEngineFailure(const std::exception& failure) {
    std::string text = failure.what();
    if (text.empty()) {
        text = "The analysis engine reported a failure.";
    }
    // The engine words its failures for a command line ("cannot analyze X: ..."),
    // the box shows them as a sentence.
    text[0] = asciiUpper(text[0]);
    // A failure, with a single OK button.
    view_.showCenteredMessage(text, msgbox::kOkOnly | msgbox::kIconCritical, kProductName);
}

}  // namespace corvath
