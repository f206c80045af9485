#pragma once

#include "platform/windows/window/win32_artwork.h"
#include "platform/windows/window/win32_drive_list.h"
#include "platform/windows/window/win32_mouse_pointer.h"
#include "wizard/wizard_layout.h"
#include "wizard/wizard_view.h"

#include <windows.h>

#include <functional>
#include <map>
#include <string>

namespace corvath {

// The wizard window in Win32 and the common controls. It builds the controls of
// the window's static design, converted from twips with the screen's twips per
// pixel, maps every WizardView call onto them and hands the controls' messages to
// the window logic; it makes no decisions of its own. It never calls onLoad: the
// logic runs its load handler itself during start-up.
//
// Unloading hides the window for good: calls that change it do nothing, reads
// still answer, and it never shows again. The on-screen window goes with the
// object.
class Win32WizardWindow : public WizardView {
public:
    explicit Win32WizardWindow(WizardEvents& events);
    ~Win32WizardWindow() override;
    Win32WizardWindow(const Win32WizardWindow&) = delete;
    Win32WizardWindow& operator=(const Win32WizardWindow&) = delete;

    // WizardView.
    void show() override;
    void processEvents() override;
    void setFocus() override;
    void unload() override;
    bool isLoaded() const override { return !unloaded_; }

    void setVisible(Control control, bool visible) override;
    bool isVisible(Control control) const override;
    void setEnabled(Control control, bool enabled) override;
    bool isEnabled(Control control) const override;
    void bringToFront(Control control) override;
    void sendToBack(Control control) override;
    void refresh(Control control) override;
    void setCaption(Control control, const std::string& caption) override;
    std::string caption(Control control) const override;
    int left(Control control) const override;
    void setLeft(Control control, int twips) override;
    int width(Control control) const override;
    int value(Control control) const override;
    void setValue(Control control, int value) override;
    void setWordWrap(Control control, bool wrap) override;

    void setTimerEnabled(bool enabled) override;
    void setTimerInterval(int milliseconds) override;

    DriveList& driveList() override { return driveList_; }
    void enableListCheckBoxes() override;
    void setListColumnWidth(int twips) override;

    int twipsPerPixelX() const override;
    std::string compactPath(const std::string& path, int widthPixels) const override;
    int showCenteredMessage(const std::string& text, int style, const std::string& title) override;

    int mousePointer() const override { return pointer_.mousePointer(); }
    void setMousePointer(int code) override { pointer_.setMousePointer(code); }

    // The top-level window and each control's window (nullptr for the timer).
    HWND window() const { return window_; }
    HWND control(Control control) const;
    const Win32DriveList& drives() const { return driveList_; }
    bool timerRunning() const { return timerRunning_; }
    double twipsPerPixelY() const { return twipsPerPixelY_; }
    // The window's keyboard handling (Tab order, Enter on a focused button, Esc
    // clicking nothing) for a message before it is dispatched; true when taken.
    bool preTranslate(MSG& msg);
    // Called once the window has been unloaded and no handler the window started
    // is still running (a run nests the timer's handlers inside its own): the
    // moment the program may end.
    void setOnClosed(std::function<void()> onClosed) { onClosed_ = std::move(onClosed); }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void createWindow();
    void buildControls();
    HWND createControl(const ControlDesign& design, HWND parent, int id);
    void placeControl(Control control);
    void showCaption(Control control);
    int textWidth(HWND control, const std::string& text) const;
    void drawBannerLabel(const DRAWITEMSTRUCT& item);
    void onCommand(int id, int code);
    void onCloseBox();
    void moveFocus(bool backwards);
    bool focusable(Control control) const;
    void applyTimer();
    // Runs a handler for an event that came from a message; a failure it reports
    // ends the handler and is shown to the user instead of unwinding through the
    // window procedure.
    void dispatch(const std::function<void()>& handler);
    void runCheckHandler(Control control);
    void closedIfIdle();
    Control controlOfId(int id) const;

    WizardEvents& events_;
    GdiplusSession gdiplus_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HFONT boldFont_ = nullptr;
    HBITMAP banner_ = nullptr;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    std::map<Control, HWND> controls_;
    std::map<Control, ControlDesign> geometry_;
    std::map<Control, std::string> captions_;
    Win32DriveList driveList_;
    Win32MousePointer pointer_;
    bool timerEnabled_ = false;
    int timerInterval_ = 0;
    bool timerRunning_ = false;
    bool unloaded_ = false;
    int handlersRunning_ = 0;
    std::function<void()> onClosed_;
    bool shownOnce_ = false;
    HWND savedFocus_ = nullptr;
    // Disabling the focused control lends its focus to the next one in the tab
    // order; enabled again, it takes the focus back if nobody moved it since.
    HWND focusLentBy_ = nullptr;
    HWND focusLentTo_ = nullptr;
    double twipsPerPixelX_ = 15;
    double twipsPerPixelY_ = 15;
};

}  // namespace corvath
