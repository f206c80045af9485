#include "cancel_signals.h"

#include <csignal>
#include <pthread.h>

namespace corvath {

namespace {

// Sent by the destructor to end the watcher.
constexpr int kEndWatch = SIGUSR2;

sigset_t watchedSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, kEndWatch);
    return set;
}

}  // namespace

CancelSignals::CancelSignals() {
    const sigset_t set = watchedSignals();
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
    watcher_ = std::thread([this] { watch(); });
}

CancelSignals::~CancelSignals() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
        action_ = nullptr;
    }
    ::pthread_kill(watcher_.native_handle(), kEndWatch);
    watcher_.join();
}

void CancelSignals::watch() {
    const sigset_t set = watchedSignals();
    for (;;) {
        int signal = 0;
        if (::sigwait(&set, &signal) != 0) continue;
        std::lock_guard lock(mutex_);
        if (ending_) return;
        if (signal == kEndWatch) continue;
        signalled_ = signal;
        if (action_) action_();
    }
}

void CancelSignals::setAction(std::function<void()> action) {
    std::lock_guard lock(mutex_);
    action_ = std::move(action);
    if (signalled_ != 0 && action_) action_();
}

int CancelSignals::signalled() const {
    std::lock_guard lock(mutex_);
    return signalled_;
}

}  // namespace corvath
