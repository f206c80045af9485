#include "win32/win32_event_pump.h"

namespace corvath {

bool dispatchPendingMessages(const MessageFilter& filter) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        if (filter && filter(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

void runWindowSystemMessages() {
    // A window procedure that leaves its area invalid would be asked to paint
    // again at once: a bounded number of rounds.
    constexpr int kMostPaints = 64;
    MSG msg;
    for (int i = 0; i < kMostPaints && PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE | PM_QS_PAINT); ++i) {
        DispatchMessageA(&msg);
    }
}

Win32EventPump::Win32EventPump() : woken_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

Win32EventPump::~Win32EventPump() {
    if (woken_ != nullptr) CloseHandle(woken_);
}

void Win32EventPump::run() {
    // The test comes before each wait; a wake() in between leaves the event set,
    // so the wait returns at once and the test is made again.
    while (!wakes_.take()) {
        if (!dispatchPendingMessages(filter_)) {
            // Quitting is for the outermost loop; this one still waits for its
            // wake, without spinning on the quit message it has put back.
            WaitForSingleObject(woken_, INFINITE);
            continue;
        }
        MsgWaitForMultipleObjectsEx(1, &woken_, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void Win32EventPump::wake() {
    wakes_.add();
    SetEvent(woken_);
}

}  // namespace corvath
