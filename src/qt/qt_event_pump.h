#pragma once

#include "engine/event_pump.h"

class QThread;

namespace corvath {

// Runs the window's events in a nested Qt event loop while the engine scans. run()
// returns only once wake() has been called, from whatever thread: the loop waits
// on its own flag, so a quit of the application's event loops (which ends every
// nested loop) does not end it early. Make it on the window's thread.
class QtEventPump : public EventPump {
public:
    QtEventPump();
    void run() override;
    void wake() override;

private:
    QThread* thread_;
    WakeCount wakes_;
};

// Runs the window system's pending events once, with what they post, except
// the user's input and timers: a window repaints when exposed or restored,
// while clicks and keys wait their turn and no tick fires. For the window's
// thread while it waits for a drive that may not answer.
void runWindowSystemEvents();

}  // namespace corvath
