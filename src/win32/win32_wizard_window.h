#pragma once

#include "win32/win32_artwork.h"
#include "win32/win32_drive_list.h"
#include "win32/win32_mouse_pointer.h"
#include "wizard/wizard_window_core.h"

#include <windows.h>

#include <map>
#include <string>

namespace corvath {

// The wizard window in Win32 and the common controls: the window core's
// controls as child windows, converted from twips with the screen's twips per
// pixel, with the controls' messages handed to the core. The on-screen window
// goes with the object.
class Win32WizardWindow : public WizardWindowCore {
public:
    explicit Win32WizardWindow(WizardEvents& events);
    ~Win32WizardWindow() override;
    Win32WizardWindow(const Win32WizardWindow&) = delete;
    Win32WizardWindow& operator=(const Win32WizardWindow&) = delete;

    void processEvents() override;
    DriveList& driveList() override { return driveList_; }
    std::string compactPath(const std::string& path, int widthPixels) const override;
    int showCenteredMessage(const std::string& text, int style, const std::string& title) override;
    int mousePointer() const override { return pointer_.mousePointer(); }
    void setMousePointer(int code) override { pointer_.setMousePointer(code); }

    // The top-level window and each control's window (nullptr for the timer).
    HWND window() const { return window_; }
    HWND control(Control control) const;
    const Win32DriveList& drives() const { return driveList_; }
    // The window's keyboard handling (Tab order, Alt with an access key, Enter
    // on a focused button, Esc clicking nothing) for a message before it is
    // dispatched; true when taken.
    bool preTranslate(MSG& msg);

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void createWindow();
    HWND createControl(const ControlDesign& design, HWND parent, int id);
    int textWidth(HWND control, const std::string& text) const;
    void drawBannerLabel(const DRAWITEMSTRUCT& item);
    Control controlOfId(int id) const;

    void makeControl(const ControlDesign& design) override;
    void showCaption(Control control, const std::string& caption) override;
    void placeAt(Control control, const PixelRect& rect) override;
    PixelSize textRoom(Control control) const override;
    int wrappedTextHeight(Control control, int widthPixels) const override;
    void setShown(Control control, bool shown) override;
    bool isShown(Control control) const override;
    void setActive(Control control, bool enabled) override;
    bool isActive(Control control) const override;
    void raise(Control control) override;
    void lower(Control control) override;
    void paintNow(Control control) override;
    void dropQueuedInput() override;
    int checkState(Control control) const override;
    void setCheckState(Control control, int state) override;
    int barValue(Control control) const override;
    void setBarValue(Control control, int value) override;
    void setLabelWrap(Control control, bool wrap) override;
    void setListCheckBoxes() override;
    void setListColumnPixels(int pixels) override;
    std::optional<Control> focusedControl() const override;
    bool canTakeFocus(Control control) const override;
    void giveFocus(Control control) override;
    void showWindow() override;
    void hideWindow() override;
    void activateWindow() override;
    PixelRect windowFrame() const override;
    PixelRect workArea() const override;
    void moveWindow(int left, int top) override;
    void startTimer(int milliseconds) override;
    void stopTimer() override;

    GdiplusSession gdiplus_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HFONT boldFont_ = nullptr;
    HBITMAP banner_ = nullptr;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    std::map<Control, HWND> controls_;
    Win32DriveList driveList_;
    Win32MousePointer pointer_;
    HWND savedFocus_ = nullptr;
};

}  // namespace corvath
