// The wizard window's controls as child windows: made from the layout table,
// and the primitives the window core acts on them with.
#include "win32/win32_wizard_window.h"

#include "win32/win32_frame.h"
#include "ui/twips.h"
#include "wizard/access_key.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace corvath {

namespace {

constexpr int kFirstControlId = 100;  // clear of IDOK and IDCANCEL, which Enter and Esc send
constexpr COLORREF kWhite = RGB(255, 255, 255);

bool isBannerLabel(const ControlDesign& design) { return design.kind == ControlKind::Label && liesOnWhite(design); }

bool hasAccessKey(ControlKind kind) { return kind == ControlKind::Button || kind == ControlKind::CheckBox; }

}  // namespace

HWND Win32WizardWindow::createControl(const ControlDesign& design, HWND parent, int id) {
    const auto instance = GetModuleHandleA(nullptr);
    const auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    // Siblings clip each other, so the z-order alone decides what shows where
    // controls overlap.
    const DWORD child = WS_CHILD | WS_CLIPSIBLINGS;
    const auto make = [&](DWORD exStyle, const char* cls, DWORD style) {
        return CreateWindowExA(exStyle, cls, "", child | style, 0, 0, 0, 0, parent, menu, instance, nullptr);
    };
    switch (design.kind) {
    case ControlKind::Button:
        return make(0, "BUTTON", BS_PUSHBUTTON);
    case ControlKind::Frame:
        return createFrame(parent, window_, (design.looks & look::kWhiteGround) != 0 ? kWhite : GetSysColor(COLOR_BTNFACE),
                           id);
    case ControlKind::Label: {
        // The banner's labels are drawn over the banner picture by the window
        // itself; the others are plain static texts.
        if (isBannerLabel(design)) return make(0, "STATIC", SS_OWNERDRAW | SS_NOPREFIX);
        const bool right = (design.looks & look::kRightAligned) != 0;
        return make(0, "STATIC", (right ? SS_RIGHT : SS_LEFTNOWORDWRAP) | SS_NOPREFIX);
    }
    case ControlKind::Image: {
        // Drawn at the control's size, which follows the screen's scale.
        HWND image = make(0, "STATIC", SS_BITMAP | SS_REALSIZECONTROL);
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
        column.cx = twipsToPixels(kListColumnWidthTwips, twipsPerPixelXExact());
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

void Win32WizardWindow::makeControl(const ControlDesign& design) {
    HWND parent = design.container == Control::frmWizard ? window_ : controls_.at(design.container);
    const int id = kFirstControlId + 1 + static_cast<int>(controls_.size());
    HWND w = createControl(design, parent, id);
    if (w == nullptr) throw std::runtime_error("A control of the window cannot be created.");
    controls_.emplace(design.name, w);
    const bool bold = (design.looks & look::kBold) != 0;
    SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(bold ? boldFont_ : font_), FALSE);
    // Each control over the ones made before it, as the design stacks them.
    SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32WizardWindow::showCaption(Control c, const std::string& caption) {
    HWND w = control(c);
    if (c == Control::frmWizard) {
        SetWindowTextA(w, caption.c_str());
        return;
    }
    const ControlDesign& d = design(c);
    switch (d.kind) {
    case ControlKind::Frame:
        setFrameCaption(w, caption.c_str());
        break;
    case ControlKind::Button:
    case ControlKind::CheckBox:
        SetWindowTextA(w, markAccessKey(caption, d.accessKey).c_str());
        break;
    case ControlKind::Label:
    case ControlKind::TextBox:
        SetWindowTextA(w, caption.c_str());
        InvalidateRect(w, nullptr, TRUE);
        break;
    default:
        break;
    }
}

int Win32WizardWindow::textWidth(HWND w, const std::string& text) const {
    HDC dc = GetDC(w);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(w, dc);
    return size.cx;
}

Win32WizardWindow::PixelSize Win32WizardWindow::textRoom(Control c) const {
    const int text = textWidth(control(c), englishCaption(c));
    if (design(c).kind == ControlKind::CheckBox) return {text + GetSystemMetrics(SM_CXMENUCHECK) + 6, 0};
    return {text + 1, 0};
}

int Win32WizardWindow::wrappedTextHeight(Control c, int widthPixels) const {
    HWND w = control(c);
    HDC dc = GetDC(w);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)));
    RECT room{0, 0, widthPixels, 0};
    const std::string& text = englishCaption(c);
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &room, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(w, dc);
    return room.bottom - room.top;
}

void Win32WizardWindow::placeAt(Control c, const PixelRect& rect) {
    SetWindowPos(control(c), nullptr, rect.left, rect.top, rect.width, rect.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32WizardWindow::setShown(Control c, bool shown) { ShowWindow(control(c), shown ? SW_SHOWNA : SW_HIDE); }

bool Win32WizardWindow::isShown(Control c) const {
    HWND w = control(c);
    return w != nullptr && (GetWindowLongPtrA(w, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32WizardWindow::setActive(Control c, bool enabled) { EnableWindow(control(c), enabled ? TRUE : FALSE); }

bool Win32WizardWindow::isActive(Control c) const {
    HWND w = control(c);
    return w != nullptr && IsWindowEnabled(w);
}

void Win32WizardWindow::raise(Control c) {
    HWND w = control(c);
    SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    InvalidateRect(w, nullptr, TRUE);
}

void Win32WizardWindow::lower(Control c) {
    HWND w = control(c);
    SetWindowPos(w, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // What lay under it shows now.
    RECT rect;
    GetWindowRect(w, &rect);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
    RedrawWindow(window_, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

int Win32WizardWindow::checkState(Control c) const {
    // BST_UNCHECKED, BST_CHECKED and BST_INDETERMINATE are the check_state codes.
    return static_cast<int>(SendMessageA(control(c), BM_GETCHECK, 0, 0));
}

void Win32WizardWindow::setCheckState(Control c, int state) {
    HWND w = control(c);
    if (state == check_state::kGrayed) SendMessageA(w, BM_SETSTYLE, BS_AUTO3STATE, TRUE);
    SendMessageA(w, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

int Win32WizardWindow::barValue(Control c) const {
    return static_cast<int>(SendMessageA(control(c), PBM_GETPOS, 0, 0));
}

void Win32WizardWindow::setBarValue(Control c, int value) {
    SendMessageA(control(c), PBM_SETPOS, static_cast<WPARAM>(value), 0);
}

void Win32WizardWindow::setLabelWrap(Control c, bool wrap) {
    HWND w = control(c);
    auto style = GetWindowLongPtrA(w, GWL_STYLE);
    // A banner label draws itself, wrapped within its rectangle.
    if ((style & SS_TYPEMASK) == SS_OWNERDRAW) {
        InvalidateRect(w, nullptr, TRUE);
        return;
    }
    style = (style & ~static_cast<LONG_PTR>(SS_TYPEMASK)) | (wrap ? SS_LEFT : SS_LEFTNOWORDWRAP);
    SetWindowLongPtrA(w, GWL_STYLE, style);
    InvalidateRect(w, nullptr, TRUE);
}

void Win32WizardWindow::setListCheckBoxes() { driveList_.enableCheckBoxes(); }

void Win32WizardWindow::setListColumnPixels(int pixels) {
    SendMessageA(control(Control::lvwDrives), LVM_SETCOLUMNWIDTH, 0, pixels);
}

void Win32WizardWindow::drawBannerLabel(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    const RECT area = item.rcItem;
    HBRUSH white = CreateSolidBrush(kWhite);
    FillRect(dc, &area, white);
    DeleteObject(white);
    // The part of the picture that lies under the label, so that the picture
    // shows around the letters. The picture is drawn at its control's size,
    // which follows the screen's scale: the part is taken at that scale.
    HWND image = control(Control::Image1);
    BITMAP picture{};
    if (banner_ != nullptr && image != nullptr && IsWindowVisible(image) &&
        GetObjectA(banner_, sizeof picture, &picture) != 0) {
        RECT labelRect;
        RECT imageRect;
        GetWindowRect(item.hwndItem, &labelRect);
        GetWindowRect(image, &imageRect);
        const int shownWidth = std::max(1L, imageRect.right - imageRect.left);
        const int shownHeight = std::max(1L, imageRect.bottom - imageRect.top);
        const auto toPicture = [](long pixels, int pictureSize, int shownSize) {
            return static_cast<int>(static_cast<long long>(pixels) * pictureSize / shownSize);
        };
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, banner_);
        SetStretchBltMode(dc, HALFTONE);
        StretchBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, source,
                   toPicture(labelRect.left - imageRect.left, picture.bmWidth, shownWidth),
                   toPicture(labelRect.top - imageRect.top, picture.bmHeight, shownHeight),
                   toPicture(area.right - area.left, picture.bmWidth, shownWidth),
                   toPicture(area.bottom - area.top, picture.bmHeight, shownHeight), SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    }
    char text[256] = {};
    GetWindowTextA(item.hwndItem, text, sizeof text);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    // Dark on the white banner whatever the desktop's colours.
    SetTextColor(dc, RGB(0, 0, 0));
    RECT textRect = area;
    // Laid out one line wide unless the text must wrap before the artwork.
    DrawTextA(dc, text, -1, &textRect, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, oldFont);
}

bool Win32WizardWindow::preTranslate(MSG& msg) {
    if (window_ == nullptr || (msg.hwnd != window_ && !IsChild(window_, msg.hwnd))) return false;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB) {
        moveFocus(GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    if (msg.message == WM_SYSCHAR) {
        // Alt with a button's or tick box's access key focuses and clicks it.
        const char key = static_cast<char>(std::tolower(static_cast<int>(msg.wParam & 0xFF)));
        for (const ControlDesign& d : kWizardControls) {
            if (!hasAccessKey(d.kind) || !canTakeFocus(d.name)) continue;
            if (accessLetter(englishCaption(d.name), d.accessKey) != key) continue;
            giveFocus(d.name);
            SendMessageA(control(d.name), BM_CLICK, 0, 0);
            return true;
        }
        // No control has the key: a beep, as dialogs give, rather than the
        // window menu's keyboard loop. Alt+Space still opens that menu.
        if (key != ' ') {
            MessageBeep(MB_OK);
            return true;
        }
    }
    // Arrow keys between buttons, Space and Enter on a focused button; Esc and
    // Enter elsewhere send commands the window ignores.
    return IsDialogMessageA(window_, &msg) != FALSE;
}

}  // namespace corvath
