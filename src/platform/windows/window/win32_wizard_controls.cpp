// The wizard window's controls, made and placed from the layout table.
#include "platform/windows/window/win32_wizard_window.h"

#include "platform/windows/window/win32_frame.h"
#include "ui/twips.h"

#include <commctrl.h>

#include <algorithm>

namespace corvath {

namespace {

constexpr int kFirstControlId = 100;  // clear of IDOK and IDCANCEL, which Enter and Esc send
constexpr COLORREF kBannerColour = RGB(255, 255, 255);

bool isBannerLabel(Control control) { return control == Control::lblTitle || control == Control::lblDesc; }

}  // namespace

HWND Win32WizardWindow::createControl(const ControlDesign& design, HWND parent, int id) {
    const auto instance = GetModuleHandleA(nullptr);
    const auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    // Siblings clip each other, so the z-order alone decides what shows where
    // controls overlap.
    const DWORD child = WS_CHILD | WS_CLIPSIBLINGS;
    const auto make = [&](DWORD exStyle, const char* cls, DWORD style) {
        return CreateWindowExA(exStyle, cls, design.caption, child | style, 0, 0, 0, 0, parent, menu, instance, nullptr);
    };
    switch (design.kind) {
    case ControlKind::Button:
        return make(0, "BUTTON", BS_PUSHBUTTON);
    case ControlKind::Frame:
        return createFrame(parent, window_, design.name == Control::frmTop ? kBannerColour : GetSysColor(COLOR_BTNFACE),
                           id);
    case ControlKind::Label: {
        // The banner's labels are drawn over the banner picture by the window
        // itself; the others are plain static texts.
        if (isBannerLabel(design.name)) return make(0, "STATIC", SS_OWNERDRAW | SS_NOPREFIX);
        const bool right = design.name == Control::lblDiskCount || design.name == Control::lblFileFldCount;
        return make(0, "STATIC", (right ? SS_RIGHT : SS_LEFTNOWORDWRAP) | SS_NOPREFIX);
    }
    case ControlKind::Image: {
        HWND image = make(0, "STATIC", SS_BITMAP);
        if (banner_ != nullptr) SendMessageA(image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner_));
        return image;
    }
    case ControlKind::CheckBox:
        return make(0, "BUTTON", BS_AUTOCHECKBOX);
    case ControlKind::TextBox:
        return make(WS_EX_CLIENTEDGE, "EDIT", ES_MULTILINE | ES_READONLY | ES_LEFT);
    case ControlKind::ListView: {
        HWND list = make(WS_EX_CLIENTEDGE, WC_LISTVIEWA,
                         LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS);
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH;
        column.cx = twipsToPixels(kListColumnWidthTwips, twipsPerPixelX_);
        SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
        driveList_.attach(list);
        return list;
    }
    case ControlKind::ProgressBar: {
        HWND bar = make(0, PROGRESS_CLASSA, 0);
        SendMessageA(bar, PBM_SETRANGE32, 0, 100);
        SendMessageA(bar, PBM_SETPOS, 0, 0);
        return bar;
    }
    case ControlKind::Window:
    case ControlKind::Timer:
        break;
    }
    return nullptr;
}

void Win32WizardWindow::buildControls() {
    int id = kFirstControlId;
    for (const ControlDesign& design : kWizardControls) {
        geometry_.emplace(design.name, design);
        ++id;
        if (design.kind == ControlKind::Timer) continue;
        HWND parent = design.container == Control::frmWizard ? window_ : controls_.at(design.container);
        captions_[design.name] = design.caption;
        HWND w = createControl(design, parent, id);
        if (w == nullptr) continue;
        controls_.emplace(design.name, w);
        SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(design.name == Control::lblTitle ? boldFont_ : font_),
                     FALSE);
        // Each control over the ones made before it, as the design stacks them.
        SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        placeControl(design.name);
        EnableWindow(w, design.enabled ? TRUE : FALSE);
        ShowWindow(w, design.visible ? SW_SHOWNA : SW_HIDE);
    }
}

int Win32WizardWindow::textWidth(HWND control, const std::string& text) const {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size.cx;
}

void Win32WizardWindow::placeControl(Control control) {
    const auto found = controls_.find(control);
    if (found == controls_.end()) return;
    const ControlDesign& g = geometry_.at(control);
    HWND w = found->second;
    int width = twipsToPixels(g.width, twipsPerPixelX_);
    // The banner's texts and the tick boxes were measured for the original font;
    // in a wider one they run on to the right rather than lose their ends.
    if (isBannerLabel(control)) {
        width = std::max(width, textWidth(w, captions_[control]) + 1);
    } else if (g.kind == ControlKind::CheckBox) {
        const int box = GetSystemMetrics(SM_CXMENUCHECK) + 6;
        width = std::max(width, textWidth(w, captions_[control]) + box);
    }
    SetWindowPos(w, nullptr, twipsToPixels(g.left, twipsPerPixelX_), twipsToPixels(g.top, twipsPerPixelY_), width,
                 twipsToPixels(g.height, twipsPerPixelY_), SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32WizardWindow::drawBannerLabel(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    const RECT area = item.rcItem;
    HBRUSH white = CreateSolidBrush(kBannerColour);
    FillRect(dc, &area, white);
    DeleteObject(white);
    // The part of the picture that lies under the label, so that the picture
    // shows around the letters.
    HWND image = control(Control::Image1);
    if (banner_ != nullptr && image != nullptr && IsWindowVisible(image)) {
        RECT labelRect;
        RECT imageRect;
        GetWindowRect(item.hwndItem, &labelRect);
        GetWindowRect(image, &imageRect);
        HDC picture = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(picture, banner_);
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, picture,
               labelRect.left - imageRect.left, labelRect.top - imageRect.top, SRCCOPY);
        SelectObject(picture, old);
        DeleteDC(picture);
    }
    char text[256] = {};
    GetWindowTextA(item.hwndItem, text, sizeof text);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    // Dark on the white banner whatever the desktop's colours.
    SetTextColor(dc, RGB(0, 0, 0));
    RECT textRect = area;
    DrawTextA(dc, text, -1, &textRect, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
}

bool Win32WizardWindow::focusable(Control c) const {
    HWND w = control(c);
    return w != nullptr && IsWindowVisible(w) && IsWindowEnabled(w) &&
           (GetParent(w) == window_ || IsWindowEnabled(GetParent(w)));
}

void Win32WizardWindow::moveFocus(bool backwards) {
    const std::vector<ControlDesign> order = focusOrder();
    const int n = static_cast<int>(order.size());
    int at = -1;
    HWND focused = GetFocus();
    for (int i = 0; i < n; ++i) {
        if (control(order[static_cast<std::size_t>(i)].name) == focused) at = i;
    }
    for (int step = 1; step <= n; ++step) {
        const int next = ((at < 0 ? (backwards ? 0 : -1) : at) + (backwards ? -step : step) + 2 * n) % n;
        const Control c = order[static_cast<std::size_t>(next)].name;
        if (focusable(c)) {
            SetFocus(control(c));
            return;
        }
    }
}

bool Win32WizardWindow::preTranslate(MSG& msg) {
    if (window_ == nullptr || (msg.hwnd != window_ && !IsChild(window_, msg.hwnd))) return false;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB) {
        moveFocus(GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    // Arrow keys between buttons, Space and Enter on a focused button; Esc and
    // Enter elsewhere send commands the window ignores.
    return IsDialogMessageA(window_, &msg) != FALSE;
}

}  // namespace corvath
