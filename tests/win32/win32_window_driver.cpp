// The Win32 wizard window for the window contract suite.
#include "win32/win32_event_pump.h"
#include "win32/win32_wizard_window.h"
#include "ui/message_box.h"
#include "wizard/wizard_window_contract.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace corvath::test {
namespace {

class Win32WindowDriver : public WindowDriver {
public:
    explicit Win32WindowDriver(WizardEvents& events) : window_(events) {
        current_ = this;
        // Message boxes run their own loop: they are answered from a timer.
        boxTimer_ = SetTimer(nullptr, 0, 20, answerBox);
    }
    ~Win32WindowDriver() override {
        KillTimer(nullptr, boxTimer_);
        current_ = nullptr;
    }

    WizardWindowCore& window() override { return window_; }

    void click(Control control) override { SendMessageA(window_.control(control), BM_CLICK, 0, 0); }

    void focus(Control control) override { SetFocus(window_.control(control)); }

    void pressAlt(char key) override {
        HWND focused = GetFocus();
        MSG msg{focused != nullptr ? focused : window_.window(), WM_SYSCHAR, static_cast<WPARAM>(key), 1 << 29, 0, {}};
        if (!window_.preTranslate(msg)) DispatchMessageA(&msg);
    }

    void pressCloseBox() override { SendMessageA(window_.window(), WM_CLOSE, 0, 0); }

    void runEventsFor(std::chrono::milliseconds duration) override {
        const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(duration.count());
        do {
            dispatchPendingMessages([this](MSG& msg) { return window_.preTranslate(msg); });
            Sleep(1);
        } while (GetTickCount64() < end);
    }

    bool onScreen() const override { return IsWindowVisible(window_.window()) != FALSE; }

    Rect clientSize() const override {
        RECT client;
        GetClientRect(window_.window(), &client);
        return {0, 0, client.right, client.bottom};
    }

    Rect rectInWindow(Control control) const override {
        RECT rect;
        GetWindowRect(window_.control(control), &rect);
        MapWindowPoints(nullptr, window_.window(), reinterpret_cast<POINT*>(&rect), 2);
        return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
    }

    std::optional<Control> focused() const override {
        HWND f = GetFocus();
        for (const ControlDesign& d : kWizardControls) {
            if (d.kind != ControlKind::Timer && window_.control(d.name) == f) return d.name;
        }
        return std::nullopt;
    }

    bool isBold(Control control) const override {
        LOGFONTA font{};
        const auto handle = reinterpret_cast<HFONT>(SendMessageA(window_.control(control), WM_GETFONT, 0, 0));
        GetObjectA(handle, sizeof font, &font);
        return font.lfWeight >= FW_BOLD;
    }

    void answerMessageBoxes(std::function<void(const std::string&)> seen) override { seen_ = std::move(seen); }

private:
    // Runs inside a box's modal loop as well as in the test's own.
    static void CALLBACK answerBox(HWND, UINT, UINT_PTR, DWORD) {
        HWND box = FindWindowA("#32770", kProductName);
        if (current_ == nullptr || box == nullptr || box == current_->answered_ || !IsWindowVisible(box)) return;
        current_->answered_ = box;
        char text[512] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the box's text
        if (current_->seen_) {
            current_->seen_(text);
        } else {
            ADD_FAILURE() << "an unexpected message box was open: " << text;
        }
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }

    static inline Win32WindowDriver* current_ = nullptr;
    Win32WizardWindow window_;
    UINT_PTR boxTimer_ = 0;
    HWND answered_ = nullptr;  // told to close, which it does a moment later
    std::function<void(const std::string&)> seen_;
};

}  // namespace

std::unique_ptr<WindowDriver> makeWindowDriver(WizardEvents& events) {
    return std::make_unique<Win32WindowDriver>(events);
}

}  // namespace corvath::test
