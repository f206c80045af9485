#include "platform/windows/window/win32_wizard_window.h"

#include "platform/windows/window/win32_centered_message.h"
#include "platform/windows/window/win32_event_pump.h"
#include "platform/windows/window/win32_frame.h"
#include "platform/windows/window/win32_path_compaction.h"
#include "ui/message_box.h"
#include "ui/twips.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

namespace corvath {

namespace {

constexpr const char* kWindowClass = "CorvathWizard";
constexpr UINT_PTR kProgressTimerId = 1;
constexpr int kErrorStyle = msgbox::kOkOnly | msgbox::kIconCritical;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// The dialog font, 8.25 pt, in hundredths of a point.
constexpr int kFontCentipoints = 825;

HFONT dialogFont(int dpiY, bool bold) {
    return CreateFontA(-MulDiv(kFontCentipoints, dpiY, 7200), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
}

}  // namespace

Win32WizardWindow::Win32WizardWindow(WizardEvents& events) : events_(events) {
    // The list view and the progress bars are common controls.
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&classes);

    HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    twipsPerPixelX_ = twipsPerPixelAt(dpiX);
    twipsPerPixelY_ = twipsPerPixelAt(dpiY);
    font_ = dialogFont(dpiY, false);
    boldFont_ = dialogFont(dpiY, true);
    banner_ = decodeBitmap(bannerPng, RGB(255, 255, 255));
    icon_ = decodeIcon(icon32Png);
    smallIcon_ = decodeIcon(icon16Png);

    createWindow();
    captions_[Control::frmWizard] = kProductName;
    buildControls();

    // The banner's labels lie over its picture.
    SetWindowPos(control(Control::Image1), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // The banner, the separator and the buttons lie over the pages, whose own
    // borders they hide.
    for (const Control c : {Control::frmTop, Control::frmBar, Control::cmdCancel, Control::cmdNext, Control::cmdConfig}) {
        bringToFront(c);
    }
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
    RECT outer{0, 0, twipsToPixels(kClientWidthTwips, twipsPerPixelX_),
               twipsToPixels(kClientHeightTwips, twipsPerPixelY_)};
    AdjustWindowRectEx(&outer, kWindowStyle, FALSE, 0);
    window_ = CreateWindowExA(0, kWindowClass, kProductName, kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
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
        onCommand(LOWORD(wParam), HIWORD(wParam));
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
        if (wParam == kProgressTimerId && timerRunning_) dispatch([this] { events_.onTimerTick(); });
        return 0;
    case WM_CLOSE:
        onCloseBox();
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

void Win32WizardWindow::onCommand(int id, int code) {
    if (code != BN_CLICKED || unloaded_) return;
    // IDOK and IDCANCEL (Enter and Esc away from a button) map to no control.
    switch (controlOfId(id)) {
    case Control::cmdNext:
        dispatch([this] { events_.onNextClick(); });
        break;
    case Control::cmdCancel:
        dispatch([this] { events_.onCancelClick(); });
        break;
    case Control::chkRememberSettings:
    case Control::chkCloseWhenDone: {
        const Control box = controlOfId(id);
        dispatch([this, box] { runCheckHandler(box); });
        break;
    }
    default:
        break;
    }
}

HWND Win32WizardWindow::control(Control c) const {
    if (c == Control::frmWizard) return window_;
    const auto it = controls_.find(c);
    return it == controls_.end() ? nullptr : it->second;
}

void Win32WizardWindow::dispatch(const std::function<void()>& handler) {
    ++handlersRunning_;
    try {
        handler();
    } catch (const std::exception& e) {
        showCenteredMessage(e.what(), kErrorStyle, kProductName);
    } catch (...) {
        showCenteredMessage("An unexpected error ended the operation.", kErrorStyle, kProductName);
    }
    --handlersRunning_;
    closedIfIdle();
}

void Win32WizardWindow::closedIfIdle() {
    if (unloaded_ && handlersRunning_ == 0 && onClosed_) {
        auto onClosed = std::move(onClosed_);
        onClosed_ = nullptr;
        onClosed();
    }
}

void Win32WizardWindow::runCheckHandler(Control box) {
    if (box == Control::chkRememberSettings) {
        events_.onRememberSettingsClick();
    } else {
        events_.onCloseWhenDoneClick();
    }
}

void Win32WizardWindow::show() {
    if (unloaded_) return;
    if (!shownOnce_) {
        // Centred on the work area the first time.
        RECT work{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        RECT outer{};
        GetWindowRect(window_, &outer);
        const int w = outer.right - outer.left;
        const int h = outer.bottom - outer.top;
        SetWindowPos(window_, nullptr, work.left + (work.right - work.left - w) / 2,
                     work.top + (work.bottom - work.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        shownOnce_ = true;
    }
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
}

void Win32WizardWindow::processEvents() {
    dispatchPendingMessages([this](MSG& msg) { return preTranslate(msg); });
}

void Win32WizardWindow::setFocus() {
    if (unloaded_) return;
    SetForegroundWindow(window_);
    SetActiveWindow(window_);
    HWND focused = GetFocus();
    if (focused != nullptr && IsChild(window_, focused)) return;
    for (const ControlDesign& design : focusOrder()) {
        if (focusable(design.name)) {
            SetFocus(control(design.name));
            break;
        }
    }
}

void Win32WizardWindow::unload() {
    if (unloaded_) return;
    unloaded_ = true;
    applyTimer();
    ShowWindow(window_, SW_HIDE);
    events_.onUnload(false);
    closedIfIdle();
}

void Win32WizardWindow::onCloseBox() {
    if (unloaded_) return;
    unloaded_ = true;
    applyTimer();
    ShowWindow(window_, SW_HIDE);
    dispatch([this] { events_.onUnload(true); });
}

void Win32WizardWindow::setVisible(Control c, bool visible) {
    if (unloaded_) return;
    if (c == Control::frmWizard) {
        if (visible) {
            show();
        } else {
            ShowWindow(window_, SW_HIDE);
        }
        return;
    }
    if (HWND w = control(c)) ShowWindow(w, visible ? SW_SHOWNA : SW_HIDE);
}

bool Win32WizardWindow::isVisible(Control c) const {
    if (c == Control::tmrProgress) return true;
    HWND w = control(c);
    return w != nullptr && (GetWindowLongPtrA(w, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32WizardWindow::setEnabled(Control c, bool enabled) {
    if (unloaded_) return;
    if (c == Control::tmrProgress) {
        setTimerEnabled(enabled);
        return;
    }
    HWND w = control(c);
    if (w == nullptr) return;
    const bool lendsFocus = !enabled && GetFocus() == w;
    EnableWindow(w, enabled ? TRUE : FALSE);
    if (lendsFocus) {
        moveFocus(false);
        focusLentBy_ = w;
        focusLentTo_ = GetFocus();
    } else if (enabled && w == focusLentBy_) {
        if (GetFocus() == focusLentTo_) SetFocus(w);
        focusLentBy_ = nullptr;
        focusLentTo_ = nullptr;
    }
}

bool Win32WizardWindow::isEnabled(Control c) const {
    if (c == Control::tmrProgress) return timerEnabled_;
    HWND w = control(c);
    return w != nullptr && IsWindowEnabled(w);
}

void Win32WizardWindow::bringToFront(Control c) {
    if (unloaded_ || c == Control::frmWizard) return;
    if (HWND w = control(c)) {
        SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        InvalidateRect(w, nullptr, TRUE);
    }
}

void Win32WizardWindow::sendToBack(Control c) {
    if (unloaded_ || c == Control::frmWizard) return;
    if (HWND w = control(c)) {
        SetWindowPos(w, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        // What lay under it shows now.
        RECT rect;
        GetWindowRect(w, &rect);
        MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
        RedrawWindow(window_, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

void Win32WizardWindow::refresh(Control c) {
    if (unloaded_) return;
    HWND w = control(c);
    if (w == nullptr) return;
    // The control's area of the whole window, so that what lies over it is
    // painted too; at once, without running other messages.
    RECT rect;
    GetWindowRect(w, &rect);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
    RedrawWindow(window_, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Win32WizardWindow::setCaption(Control c, const std::string& text) {
    if (unloaded_) return;
    captions_[c] = text;
    showCaption(c);
}

void Win32WizardWindow::showCaption(Control c) {
    HWND w = control(c);
    if (w == nullptr) return;
    const std::string& text = captions_[c];
    const auto found = geometry_.find(c);
    const ControlKind kind = c == Control::frmWizard || found == geometry_.end() ? ControlKind::Window
                                                                                 : found->second.kind;
    switch (kind) {
    case ControlKind::Frame:
        setFrameCaption(w, text.c_str());
        break;
    case ControlKind::Image:
    case ControlKind::Timer:
    case ControlKind::ListView:
    case ControlKind::ProgressBar:
        break;
    default:
        SetWindowTextA(w, text.c_str());
        if (kind == ControlKind::CheckBox || c == Control::lblTitle || c == Control::lblDesc) placeControl(c);
        if (kind == ControlKind::Label) InvalidateRect(w, nullptr, TRUE);
        break;
    }
}

std::string Win32WizardWindow::caption(Control c) const {
    // The caption as the window logic set it.
    const auto it = captions_.find(c);
    return it == captions_.end() ? std::string() : it->second;
}

int Win32WizardWindow::left(Control c) const {
    if (c == Control::frmWizard) {
        RECT outer{};
        GetWindowRect(window_, &outer);
        return roundHalfEven(outer.left * twipsPerPixelX_);
    }
    const auto it = geometry_.find(c);
    return it == geometry_.end() ? 0 : it->second.left;
}

void Win32WizardWindow::setLeft(Control c, int twips) {
    if (unloaded_) return;
    if (c == Control::frmWizard) {
        RECT outer{};
        GetWindowRect(window_, &outer);
        SetWindowPos(window_, nullptr, twipsToPixels(twips, twipsPerPixelX_), outer.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    const auto it = geometry_.find(c);
    if (it == geometry_.end() || c == Control::tmrProgress) return;
    it->second.left = twips;
    placeControl(c);
}

int Win32WizardWindow::width(Control c) const {
    if (c == Control::frmWizard) {
        RECT outer{};
        GetWindowRect(window_, &outer);
        return roundHalfEven((outer.right - outer.left) * twipsPerPixelX_);
    }
    const auto it = geometry_.find(c);
    return it == geometry_.end() ? 0 : it->second.width;
}

int Win32WizardWindow::value(Control c) const {
    HWND w = control(c);
    if (w == nullptr) return 0;
    const auto found = geometry_.find(c);
    if (found == geometry_.end()) return 0;
    if (found->second.kind == ControlKind::CheckBox) {
        // BST_UNCHECKED, BST_CHECKED and BST_INDETERMINATE are the check_state codes.
        return static_cast<int>(SendMessageA(w, BM_GETCHECK, 0, 0));
    }
    if (found->second.kind == ControlKind::ProgressBar) return static_cast<int>(SendMessageA(w, PBM_GETPOS, 0, 0));
    return 0;
}

void Win32WizardWindow::setValue(Control c, int newValue) {
    if (unloaded_) return;
    HWND w = control(c);
    const auto found = geometry_.find(c);
    if (w == nullptr || found == geometry_.end()) return;
    if (found->second.kind == ControlKind::CheckBox) {
        const int state = newValue == check_state::kUnchecked ? BST_UNCHECKED
                          : newValue == check_state::kGrayed  ? BST_INDETERMINATE
                                                              : BST_CHECKED;
        if (value(c) == state) return;
        if (state == BST_INDETERMINATE) SendMessageA(w, BM_SETSTYLE, BS_AUTO3STATE, TRUE);
        SendMessageA(w, BM_SETCHECK, static_cast<WPARAM>(state), 0);
        // Run here, directly, so that a failure it reports reaches the code that
        // set the box.
        runCheckHandler(c);
    } else if (found->second.kind == ControlKind::ProgressBar) {
        SendMessageA(w, PBM_SETPOS, static_cast<WPARAM>(std::clamp(newValue, 0, 100)), 0);
    }
}

void Win32WizardWindow::setWordWrap(Control c, bool wrap) {
    if (unloaded_ || c == Control::lblTitle || c == Control::lblDesc) return;
    HWND w = control(c);
    const auto found = geometry_.find(c);
    if (w == nullptr || found == geometry_.end() || found->second.kind != ControlKind::Label) return;
    auto style = GetWindowLongPtrA(w, GWL_STYLE);
    const LONG_PTR alignment = SS_TYPEMASK;
    if ((style & alignment) == SS_RIGHT) return;
    style = (style & ~alignment) | (wrap ? SS_LEFT : SS_LEFTNOWORDWRAP);
    SetWindowLongPtrA(w, GWL_STYLE, style);
    InvalidateRect(w, nullptr, TRUE);
}

void Win32WizardWindow::applyTimer() {
    // An interval of 0 means no ticks.
    if (!unloaded_ && timerEnabled_ && timerInterval_ > 0) {
        SetTimer(window_, kProgressTimerId, static_cast<UINT>(timerInterval_), nullptr);
        timerRunning_ = true;
    } else {
        KillTimer(window_, kProgressTimerId);
        timerRunning_ = false;
    }
}

void Win32WizardWindow::setTimerEnabled(bool enabled) {
    if (unloaded_ || enabled == timerEnabled_) return;
    timerEnabled_ = enabled;
    applyTimer();
}

void Win32WizardWindow::setTimerInterval(int milliseconds) {
    if (unloaded_) return;
    timerInterval_ = std::max(0, milliseconds);
    applyTimer();
}

void Win32WizardWindow::enableListCheckBoxes() {
    if (unloaded_) return;
    driveList_.enableCheckBoxes();
}

void Win32WizardWindow::setListColumnWidth(int twips) {
    if (unloaded_) return;
    SendMessageA(control(Control::lvwDrives), LVM_SETCOLUMNWIDTH, 0,
                 std::max(0, twipsToPixels(twips, twipsPerPixelX_)));
}

int Win32WizardWindow::twipsPerPixelX() const { return roundHalfEven(twipsPerPixelX_); }

std::string Win32WizardWindow::compactPath(const std::string& path, int widthPixels) const {
    return compactPathWithFont(path, widthPixels, font_);
}

int Win32WizardWindow::showCenteredMessage(const std::string& text, int style, const std::string& title) {
    return showCenteredMessageBox(window_, text, style, title, twipsPerPixelX_, twipsPerPixelY_);
}

}  // namespace corvath
