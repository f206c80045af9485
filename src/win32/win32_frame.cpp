#include "win32/win32_frame.h"

#include <string>

namespace corvath {

namespace {

constexpr const char* kFrameClass = "CorvathFrame";

struct FrameData {
    HWND notified;
    COLORREF background;
    std::string caption;
    HFONT font = nullptr;
};

FrameData* dataOf(HWND frame) { return reinterpret_cast<FrameData*>(GetWindowLongPtrA(frame, GWLP_USERDATA)); }

void paintFrame(HWND frame, HDC dc, const FrameData& data) {
    RECT rect;
    GetClientRect(frame, &rect);
    HBRUSH fill = CreateSolidBrush(data.background);
    FillRect(dc, &rect, fill);
    DeleteObject(fill);
    DrawEdge(dc, &rect, EDGE_ETCHED, BF_RECT);
    if (!data.caption.empty()) {
        HGDIOBJ old = SelectObject(dc, data.font != nullptr ? data.font : GetStockObject(DEFAULT_GUI_FONT));
        SetBkColor(dc, data.background);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        TextOutA(dc, 8, 0, data.caption.c_str(), static_cast<int>(data.caption.size()));
        SelectObject(dc, old);
    }
}

LRESULT CALLBACK frameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    FrameData* data = dataOf(frame);
    switch (message) {
    case WM_NCCREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        break;
    }
    case WM_NCDESTROY:
        delete data;
        SetWindowLongPtrA(frame, GWLP_USERDATA, 0);
        break;
    case WM_ERASEBKGND:
        return 1;  // painted whole in WM_PAINT
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(frame, &paint);
        if (data != nullptr) paintFrame(frame, dc, *data);
        EndPaint(frame, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        if (data != nullptr) paintFrame(frame, reinterpret_cast<HDC>(wParam), *data);
        return 0;
    case WM_SETFONT:
        if (data != nullptr) data->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return data != nullptr ? reinterpret_cast<LRESULT>(data->font) : 0;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
        if (data != nullptr && data->notified != nullptr) {
            return SendMessageA(data->notified, message, wParam, lParam);
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(frame, message, wParam, lParam);
}

void registerFrameClass(HINSTANCE instance) {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(instance, kFrameClass, &existing)) return;
    WNDCLASSEXA cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = frameProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
    cls.lpszClassName = kFrameClass;
    RegisterClassExA(&cls);
}

}  // namespace

HWND createFrame(HWND parent, HWND notified, COLORREF background, int id) {
    const auto instance = GetModuleHandleA(nullptr);
    registerFrameClass(instance);
    auto* data = new FrameData{notified, background, {}, nullptr};
    // Clipped by its siblings: the banner, the separator and the buttons lie over
    // the pages and hide their borders by the z-order alone.
    HWND frame = CreateWindowExA(WS_EX_CONTROLPARENT, kFrameClass, "",
                                 WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, data);
    if (frame == nullptr) delete data;
    return frame;
}

void setFrameCaption(HWND frame, const char* caption) {
    if (FrameData* data = dataOf(frame)) {
        data->caption = caption;
        InvalidateRect(frame, nullptr, TRUE);
    }
}

}  // namespace corvath
