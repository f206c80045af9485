#include "qt/qt_event_pump.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QThread>

namespace corvath {

QtEventPump::QtEventPump() : thread_(QThread::currentThread()) {}

bool QtEventPump::takeWake() {
    const std::lock_guard lock(mutex_);
    if (pendingWakes_ == 0) return false;
    --pendingWakes_;
    return true;
}

void QtEventPump::run() {
    QEventLoop loop;
    // Waiting for more events rather than exec(): after an application-wide
    // quit, exec() would return at once every time and this would spin. A wake()
    // between the test and the wait leaves the dispatcher signalled, so the wait
    // returns at once and the test is made again.
    while (!takeWake()) {
        loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

void QtEventPump::wake() {
    {
        const std::lock_guard lock(mutex_);
        ++pendingWakes_;
    }
    // Looked up each time: the dispatcher may not exist yet when the pump is made.
    if (auto* dispatcher = QAbstractEventDispatcher::instance(thread_)) dispatcher->wakeUp();
}

}  // namespace corvath
