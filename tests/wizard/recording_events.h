#pragma once

#include "wizard/wizard_view.h"

#include <functional>
#include <string>
#include <vector>

namespace corvath::test {

// Records every event the window delivers, in order; a test can hang an action
// on any of them.
class RecordingEvents : public WizardEvents {
public:
    std::vector<std::string> calls;
    std::function<void(const std::string&)> onCall;

    void onLoad() override { record("load"); }
    void onUnload(bool byCloseBox) override { record(byCloseBox ? "unload(closebox)" : "unload(code)"); }
    void onNextClick() override { record("next"); }
    void onCancelClick() override { record("cancel"); }
    void onRememberSettingsClick() override { record("remember"); }
    void onCloseWhenDoneClick() override { record("closewhendone"); }
    void onTimerTick() override { record("tick"); }

    int count(const std::string& call) const {
        int n = 0;
        for (const auto& c : calls) n += c == call ? 1 : 0;
        return n;
    }

private:
    void record(const std::string& call) {
        calls.push_back(call);
        if (onCall) onCall(call);
    }
};

}  // namespace corvath::test
