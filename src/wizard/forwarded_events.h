#pragma once

#include "wizard/wizard_view.h"

namespace corvath {

// The window needs the logic's handlers and the logic needs the window; this
// hands the window's events to the logic once both exist.
class ForwardedEvents : public WizardEvents {
public:
    WizardEvents* target = nullptr;
    void onLoad() override { target->onLoad(); }
    void onUnload(bool byCloseBox) override { target->onUnload(byCloseBox); }
    void onNextClick() override { target->onNextClick(); }
    void onCancelClick() override { target->onCancelClick(); }
    void onRememberSettingsClick() override { target->onRememberSettingsClick(); }
    void onCloseWhenDoneClick() override { target->onCloseWhenDoneClick(); }
    void onTimerTick() override { target->onTimerTick(); }
};

}  // namespace corvath
