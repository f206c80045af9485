#include "qt/qt_event_pump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

namespace corvath {

QtEventPump::QtEventPump() : thread_(QThread::currentThread()) {}

void QtEventPump::run() {
    QEventLoop loop;
    // Waiting for more events rather than exec(): after an application-wide
    // quit, exec() would return at once every time and this would spin. A wake()
    // between the test and the wait leaves the dispatcher signalled, so the wait
    // returns at once and the test is made again.
    while (!wakes_.take()) {
        loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

void QtEventPump::wake() {
    wakes_.add();
    // Looked up each time: the dispatcher may not exist yet when the pump is made.
    if (auto* dispatcher = QAbstractEventDispatcher::instance(thread_)) dispatcher->wakeUp();
}

void runWindowSystemEvents() {
    const QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || app->thread() != QThread::currentThread()) return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::X11ExcludeTimers);
}

}  // namespace corvath
