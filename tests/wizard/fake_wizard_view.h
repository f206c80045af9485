#pragma once

#include "support/fake_drive_list.h"
#include "wizard/wizard_view.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace corvath::test {

struct Message {
    std::string text;
    int style = 0;
    std::string title;
};

// The wizard window in memory: each control keeps its state, a check box whose
// state changes runs its handler, message boxes answer from a script and every
// message is recorded.
class FakeWizardView : public WizardView {
public:
    struct ControlState {
        bool visible = true;
        bool enabled = true;
        std::string caption;
        int left = 0;
        int width = 0;
        int value = 0;
        bool wordWrap = true;
        bool operator==(const ControlState&) const = default;
    };

    FakeWizardView();
    void attach(WizardEvents& events) { events_ = &events; }

    // What a user does.
    void clickCheckBox(Control box);  // toggles ticked and unticked
    void closeBox();                  // the window's close box

    void show() override { ++shown; }
    void processEvents() override { ++eventRounds; }
    void discardInput() override;
    void setFocus() override { ++focused; }
    void setFocus(Control control) override { focusedControls.push_back(control); }
    void unload() override;
    bool isLoaded() const override { return loaded; }

    void setVisible(Control control, bool visible) override { controls[control].visible = visible; }
    bool isVisible(Control control) const override { return controls.at(control).visible; }
    void setEnabled(Control control, bool enabled) override { controls[control].enabled = enabled; }
    bool isEnabled(Control control) const override { return controls.at(control).enabled; }
    void bringToFront(Control control) override;
    void sendToBack(Control control) override;
    void refresh(Control control) override { refreshes.push_back(control); }
    void setCaption(Control control, const std::string& caption) override { controls[control].caption = caption; }
    std::string caption(Control control) const override { return controls.at(control).caption; }
    int left(Control control) const override { return controls.at(control).left; }
    void setLeft(Control control, int twips) override { controls[control].left = twips; }
    int width(Control control) const override { return controls.at(control).width; }
    int value(Control control) const override { return controls.at(control).value; }
    void setValue(Control control, int value) override;
    void setWordWrap(Control control, bool wrap) override { controls[control].wordWrap = wrap; }

    void setTimerEnabled(bool enabled) override;
    void setTimerInterval(int milliseconds) override;
    bool timerRunning() const { return timerEnabled && timerInterval > 0; }

    DriveList& driveList() override { return list; }
    void enableListCheckBoxes() override { listCheckBoxes = true; }
    void setListColumnWidth(int twips) override { listColumnWidth = twips; }

    int twipsPerPixelX() const override { return 15; }
    std::string compactPath(const std::string& path, int widthPixels) const override;
    int showCenteredMessage(const std::string& text, int style, const std::string& title) override;

    int mousePointer() const override { return pointer; }
    void setMousePointer(int code) override;

    // True when a lies in front of b.
    bool inFront(Control a, Control b) const;

    std::map<Control, ControlState> controls;
    std::map<Control, std::vector<int>> valueHistory;  // every value set, in order
    std::vector<Control> zOrder;  // back to front
    std::vector<Control> refreshes;  // every control painted at once, in order
    // The window as it was each time waiting input was dropped.
    struct Discard {
        bool nextEnabled, rememberEnabled;
        int listedDrives;
    };
    std::vector<Discard> discards;
    FakeDriveList list;
    bool loaded = true;
    int unloads = 0;  // unload handler runs
    int shown = 0;
    int eventRounds = 0;
    int focused = 0;
    std::vector<Control> focusedControls;  // every control given the focus, in order
    bool listCheckBoxes = false;
    int listColumnWidth = 0;
    bool timerEnabled = false;
    int timerInterval = 0;
    std::vector<std::string> timerCalls;  // "enabled=1", "interval=100", ...
    int pointer = pointer::kDefault;
    std::vector<int> pointerHistory;
    mutable int lastCompactWidth = -1;

    std::deque<int> answers;  // scripted message-box results; kOk when empty
    std::vector<Message> messages;
    // Runs while a message box is open, before it answers.
    std::function<void(const Message&)> whileMessageOpen;

private:
    WizardEvents* events_ = nullptr;
};

}  // namespace corvath::test
