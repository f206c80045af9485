#include "wizard/fake_wizard_view.h"

#include <algorithm>
#include <stdexcept>

namespace corvath::test {

FakeWizardView::FakeWizardView() {
    // Every control exists from the start, visible, in the order the layout
    // creates them; the sizes are those of the window's layout, in twips.
    for (int c = static_cast<int>(Control::frmWizard); c <= static_cast<int>(Control::Label3); ++c) {
        const auto control = static_cast<Control>(c);
        controls[control];
        zOrder.push_back(control);
    }
    controls[Control::cmdNext].left = 5400;
    controls[Control::cmdCancel].left = 6720;
    controls[Control::cmdCancel].caption = "Cancel";
    controls[Control::cmdNext].caption = "Next >";
    controls[Control::lvwDrives].width = 6975;
    controls[Control::lblFolderName].width = 5940;
}

void FakeWizardView::clickCheckBox(Control box) {
    setValue(box, value(box) == check_state::kUnchecked ? check_state::kChecked : check_state::kUnchecked);
}

void FakeWizardView::closeBox() {
    if (!loaded) {
        return;
    }
    loaded = false;
    ++unloads;
    events_->onUnload(true);
}

void FakeWizardView::discardInput() {
    discards.push_back({isEnabled(Control::cmdNext), isEnabled(Control::chkRememberSettings), list.count()});
}

void FakeWizardView::unload() {
    if (!loaded) {
        return;
    }
    loaded = false;
    ++unloads;
    events_->onUnload(false);
}

void FakeWizardView::bringToFront(Control control) {
    zOrder.erase(std::remove(zOrder.begin(), zOrder.end(), control), zOrder.end());
    zOrder.push_back(control);
}

void FakeWizardView::sendToBack(Control control) {
    zOrder.erase(std::remove(zOrder.begin(), zOrder.end(), control), zOrder.end());
    zOrder.insert(zOrder.begin(), control);
}

bool FakeWizardView::inFront(Control a, Control b) const {
    const auto position = [this](Control c) { return std::find(zOrder.begin(), zOrder.end(), c) - zOrder.begin(); };
    return position(a) > position(b);
}

void FakeWizardView::setValue(Control control, int newValue) {
    const bool checkBox = control == Control::chkCloseWhenDone || control == Control::chkRememberSettings;
    if (!checkBox && (newValue < 0 || newValue > 100)) {
        throw std::out_of_range("progress bar value out of range");
    }
    valueHistory[control].push_back(newValue);
    const bool changed = controls[control].value != newValue;
    controls[control].value = newValue;
    if (!checkBox || !changed) {
        return;
    }
    if (control == Control::chkCloseWhenDone) {
        events_->onCloseWhenDoneClick();
    } else {
        events_->onRememberSettingsClick();
    }
}

void FakeWizardView::setTimerEnabled(bool enabled) {
    timerEnabled = enabled;
    timerCalls.push_back(std::string("enabled=") + (enabled ? "1" : "0"));
}

void FakeWizardView::setTimerInterval(int milliseconds) {
    timerInterval = milliseconds;
    timerCalls.push_back("interval=" + std::to_string(milliseconds));
}

std::string FakeWizardView::compactPath(const std::string& path, int widthPixels) const {
    lastCompactWidth = widthPixels;
    return path;
}

int FakeWizardView::showCenteredMessage(const std::string& text, int style, const std::string& title) {
    messages.push_back(Message{text, style, title});
    if (whileMessageOpen) {
        const Message opened = messages.back();
        whileMessageOpen(opened);
    }
    if (answers.empty()) {
        return msgbox::kOk;
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

void FakeWizardView::setMousePointer(int code) {
    pointer = code;
    pointerHistory.push_back(code);
}

}  // namespace corvath::test
