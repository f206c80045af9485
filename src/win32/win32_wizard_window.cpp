#include "win32/win32_wizard_window.h"

#include "win32/win32_centered_message.h"
#include "win32/win32_event_pump.h"
#include "win32/win32_frame.h"
#include "win32/win32_path_compaction.h"
#include "ui/twips.h"

#include <commctrl.h>

#include <stdexcept>
#include <string>

namespace corvath {

namespace {

constexpr const char* kWindowClass = "CorvathWizard";
constexpr UINT_PTR kProgressTimerId = 1;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// The dialog font, 8.25 pt, in hundredths of a point.
constexpr int kFontCentipoints = 825;

HFONT dialogFont(int dpiY, bool bold) {
    return CreateFontA(-MulDiv(kFontCentipoints, dpiY, 7200), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
}

}  // namespace

Win32WizardWindow::Win32WizardWindow(WizardEvents& events) : WizardWindowCore(events) {
    // The list view and the progress bars are common controls.
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&classes);

    HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    setTwipsPerPixel(twipsPerPixelAt(dpiX), twipsPerPixelAt(dpiY));
    font_ = dialogFont(dpiY, false);
    boldFont_ = dialogFont(dpiY, true);
    banner_ = decodeBitmap(bannerPng, RGB(255, 255, 255));
    icon_ = decodeIcon(icon32Png);
    smallIcon_ = decodeIcon(icon16Png);

    createWindow();
    buildControls();
}

Win32WizardWindow::~Win32WizardWindow() {
    if (window_ != nullptr) {
        KillTimer(window_, kProgressTimerId);
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(boldFont_),
                           static_cast<HGDIOBJ>(banner_)}) {
        if (object != nullptr) DeleteObject(object);
    }
    if (icon_ != nullptr) DestroyIcon(icon_);
    if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
}

void Win32WizardWindow::createWindow() {
    const auto instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExA(instance, kWindowClass, &existing)) {
        WNDCLASSEXA cls{};
        cls.cbSize = sizeof cls;
        cls.lpfnWndProc = windowProc;
        cls.hInstance = instance;
        cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
        cls.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        cls.lpszClassName = kWindowClass;
        RegisterClassExA(&cls);
    }
    // Sized from its client area, which the design fixes.
    RECT outer{0, 0, twipsToPixels(kClientWidthTwips, twipsPerPixelXExact()),
               twipsToPixels(kClientHeightTwips, twipsPerPixelYExact())};
    AdjustWindowRectEx(&outer, kWindowStyle, FALSE, 0);
    window_ = CreateWindowExA(0, kWindowClass, "", kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                              outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance, this);
    if (window_ == nullptr) {
        throw std::runtime_error("The window cannot be created (error " + std::to_string(GetLastError()) + ").");
    }
    SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    if (icon_ != nullptr) SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    if (smallIcon_ != nullptr) SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
}

LRESULT CALLBACK Win32WizardWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        static_cast<Win32WizardWindow*>(create->lpCreateParams)->window_ = window;
    }
    auto* self = reinterpret_cast<Win32WizardWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT Win32WizardWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        // IDOK and IDCANCEL (Enter and Esc away from a button) map to no control.
        if (HIWORD(wParam) == BN_CLICKED) clicked(controlOfId(LOWORD(wParam)));
        return 0;
    case DM_GETDEFID: {
        // Enter clicks a button only while it has the focus; there is no default button.
        HWND focused = GetFocus();
        for (const Control c : {Control::cmdNext, Control::cmdCancel}) {
            if (focused != nullptr && focused == control(c)) {
                return MAKELRESULT(GetDlgCtrlID(focused), DC_HASDEFID);
            }
        }
        return 0;
    }
    case WM_TIMER:
        if (wParam == kProgressTimerId) timerFired();
        return 0;
    case WM_CLOSE:
        closeBoxPressed();
        return 0;
    case WM_SETCURSOR:
        if (pointer_.applyOverride()) return TRUE;
        break;
    case WM_ACTIVATE:
        // The focus goes back to the control that had it when the window was left.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focused = GetFocus();
            if (focused != nullptr && IsChild(window_, focused)) savedFocus_ = focused;
        } else if (savedFocus_ != nullptr && IsWindow(savedFocus_) && IsWindowEnabled(savedFocus_)) {
            SetFocus(savedFocus_);
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC:
        // The loading notice keeps a text box's white ground although it is disabled.
        if (reinterpret_cast<HWND>(lParam) == control(Control::txtLoading)) {
            const auto dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        break;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType == ODT_STATIC) {
            drawBannerLabel(*item);
            return TRUE;
        }
        break;
    }
    case WM_PRINTCLIENT: {
        RECT rect;
        GetClientRect(window_, &rect);
        FillRect(reinterpret_cast<HDC>(wParam), &rect, GetSysColorBrush(COLOR_BTNFACE));
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

Control Win32WizardWindow::controlOfId(int id) const {
    for (const auto& [name, w] : controls_) {
        if (GetDlgCtrlID(w) == id) return name;
    }
    return Control::frmWizard;
}

HWND Win32WizardWindow::control(Control c) const {
    if (c == Control::frmWizard) return window_;
    const auto it = controls_.find(c);
    return it == controls_.end() ? nullptr : it->second;
}

void Win32WizardWindow::processEvents() {
    dispatchPendingMessages([this](MSG& msg) { return preTranslate(msg); });
}

void Win32WizardWindow::showWindow() {
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
}

void Win32WizardWindow::hideWindow() { ShowWindow(window_, SW_HIDE); }

void Win32WizardWindow::activateWindow() {
    SetForegroundWindow(window_);
    SetActiveWindow(window_);
}

Win32WizardWindow::PixelRect Win32WizardWindow::windowFrame() const {
    RECT outer{};
    GetWindowRect(window_, &outer);
    return {outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top};
}

Win32WizardWindow::PixelRect Win32WizardWindow::workArea() const {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return {work.left, work.top, work.right - work.left, work.bottom - work.top};
}

void Win32WizardWindow::moveWindow(int left, int top) {
    SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32WizardWindow::paintNow(Control c) {
    // The control's area of the whole window, so that what lies over it is
    // painted too; at once, without running other messages.
    RECT rect;
    GetWindowRect(control(c), &rect);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
    RedrawWindow(window_, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Win32WizardWindow::dropQueuedInput() {
    // Only this window lives on the thread. The close box's messages are not
    // client input and stay queued. A click on Cancel is kept: posted again, it
    // acts once start-up has returned, as it would have without the drain.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    HWND cancel = control(Control::cmdCancel);
    bool pressedOnCancel = false;
    bool cancelClicked = false;
    while (PeekMessageA(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
        if (msg.message == WM_LBUTTONDOWN) pressedOnCancel = msg.hwnd == cancel;
        if (msg.message == WM_LBUTTONUP) {
            cancelClicked = cancelClicked || (pressedOnCancel && msg.hwnd == cancel);
            pressedOnCancel = false;
        }
    }
    if (cancelClicked && IsWindowEnabled(cancel) && IsWindowVisible(cancel)) PostMessageA(cancel, BM_CLICK, 0, 0);
}

void Win32WizardWindow::startTimer(int milliseconds) {
    SetTimer(window_, kProgressTimerId, static_cast<UINT>(milliseconds), nullptr);
}

void Win32WizardWindow::stopTimer() { KillTimer(window_, kProgressTimerId); }

std::optional<Control> Win32WizardWindow::focusedControl() const {
    HWND focused = GetFocus();
    for (const auto& [name, w] : controls_) {
        if (w == focused) return name;
    }
    return std::nullopt;
}

bool Win32WizardWindow::canTakeFocus(Control c) const {
    HWND w = control(c);
    return w != nullptr && IsWindowVisible(w) && IsWindowEnabled(w) &&
           (GetParent(w) == window_ || IsWindowEnabled(GetParent(w)));
}

void Win32WizardWindow::giveFocus(Control c) { SetFocus(control(c)); }

std::string Win32WizardWindow::compactPath(const std::string& path, int widthPixels) const {
    return compactPathWithFont(path, widthPixels, font_);
}

int Win32WizardWindow::showCenteredMessage(const std::string& text, int style, const std::string& title) {
    return showCenteredMessageBox(window_, text, style, title, twipsPerPixelXExact(), twipsPerPixelYExact());
}

}  // namespace corvath
