#include "win32/win32_centered_message.h"

#include "ui/centered_placement.h"
#include "ui/message_box.h"

namespace corvath {

namespace {

// One centred box at a time, on the window's thread.
struct PendingBox {
    HHOOK hook = nullptr;
    HWND owner = nullptr;
    double twipsPerPixelX = 15;
    double twipsPerPixelY = 15;
};
thread_local PendingBox pending;

void removeHook() {
    if (pending.hook != nullptr) {
        UnhookWindowsHookEx(pending.hook);
        pending.hook = nullptr;
    }
}

LRESULT CALLBACK activationHook(int code, WPARAM wParam, LPARAM /*lParam*/) {
    // Wine may report one more activation, of no window, once the box has
    // closed: only a real box is moved.
    const auto box = reinterpret_cast<HWND>(wParam);
    if (code != HCBT_ACTIVATE || box == nullptr || pending.hook == nullptr) return 0;
    RECT boxRect{};
    RECT ownerRect{};
    if (GetWindowRect(box, &boxRect) && GetWindowRect(pending.owner, &ownerRect)) {
        const double tx = pending.twipsPerPixelX;
        const double ty = pending.twipsPerPixelY;
        const TwipsRect owner{ownerRect.left * tx, ownerRect.top * ty, (ownerRect.right - ownerRect.left) * tx,
                              (ownerRect.bottom - ownerRect.top) * ty};
        const int w = boxRect.right - boxRect.left;
        const int h = boxRect.bottom - boxRect.top;
        const PixelPoint at = centeredBoxPosition(owner, tx, ty, w, h);
        MoveWindow(box, at.x, at.y, w, h, TRUE);
    }
    removeHook();
    return 0;
}

}  // namespace

int showCenteredMessageBox(HWND owner, const std::string& text, int style, const std::string& title,
                           double twipsPerPixelX, double twipsPerPixelY) {
    const std::string caption = title.empty() ? std::string(kProductName) : title;
    removeHook();
    if (owner != nullptr) {
        pending.owner = owner;
        pending.twipsPerPixelX = twipsPerPixelX;
        pending.twipsPerPixelY = twipsPerPixelY;
        const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
        pending.hook = SetWindowsHookExA(WH_CBT, activationHook, instance, GetCurrentThreadId());
    }
    const int result = MessageBoxA(owner, text.c_str(), caption.c_str(), static_cast<UINT>(style));
    // A box that never appeared leaves its hook behind.
    removeHook();
    return result;
}

}  // namespace corvath
