#pragma once

#include "engine/event_pump.h"

#include <windows.h>

#include <functional>

namespace corvath {

// Lets a message go to the window's keyboard handling (Tab, Esc, Enter) before it
// is dispatched; true when that handling took it.
using MessageFilter = std::function<bool(MSG&)>;

// Runs the thread's pending messages once; a WM_QUIT met is posted again for
// the outermost loop. False when a WM_QUIT was met.
bool dispatchPendingMessages(const MessageFilter& filter);

// Answers the messages sent to the thread's windows and paints what needs it,
// leaving input, timers and other posted messages queued: for the window's
// thread while it waits for a drive that may not answer.
void runWindowSystemMessages();

// Runs the window's messages while the engine scans. run() returns once wake()
// has been called, from whatever thread; it waits on an event as well as on the
// message queue, so a wake from a worker ends the wait at once. Make it on the
// window's thread, which is the one that runs it.
class Win32EventPump : public EventPump {
public:
    Win32EventPump();
    ~Win32EventPump() override;
    Win32EventPump(const Win32EventPump&) = delete;
    Win32EventPump& operator=(const Win32EventPump&) = delete;

    void setMessageFilter(MessageFilter filter) { filter_ = std::move(filter); }

    void run() override;
    void wake() override;

private:
    HANDLE woken_;
    WakeCount wakes_;
    MessageFilter filter_;
};

}  // namespace corvath
