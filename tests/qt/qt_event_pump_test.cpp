#include "qt/qt_event_pump.h"

#include "qt/qt_test_app.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

namespace corvath {
namespace {

using namespace std::chrono_literals;

class EventPumpTest : public ::testing::Test {
protected:
    void SetUp() override { test::qtApp(); }
};

TEST_F(EventPumpTest, AWakeBeforeRunMakesRunReturnAtOnce) {
    QtEventPump pump;
    pump.wake();
    QElapsedTimer clock;
    clock.start();
    pump.run();
    EXPECT_LT(clock.elapsed(), 1000);
}

TEST_F(EventPumpTest, RunsTheWindowsEventsUntilAnotherThreadWakesIt) {
    QtEventPump pump;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);
    std::atomic<bool> woken{false};
    std::thread worker([&] {
        std::this_thread::sleep_for(150ms);
        woken = true;
        pump.wake();
    });
    pump.run();
    worker.join();
    EXPECT_TRUE(woken.load());
    EXPECT_GE(ticks, 5);
}

TEST_F(EventPumpTest, AnApplicationQuitDoesNotEndTheRun) {
    QtEventPump pump;
    std::atomic<bool> woken{false};
    QTimer::singleShot(10, [] { QCoreApplication::exit(0); });
    QTimer::singleShot(30, [] { QCoreApplication::quit(); });
    std::thread worker([&] {
        std::this_thread::sleep_for(200ms);
        woken = true;
        pump.wake();
    });
    pump.run();
    worker.join();
    EXPECT_TRUE(woken.load()) << "run() returned before its wake";
}

TEST_F(EventPumpTest, EachWakeEndsOneRun) {
    QtEventPump pump;
    pump.wake();
    pump.wake();
    pump.run();
    pump.run();
    std::atomic<bool> woken{false};
    std::thread worker([&] {
        std::this_thread::sleep_for(100ms);
        woken = true;
        pump.wake();
    });
    pump.run();  // the two earlier wakes are used up
    worker.join();
    EXPECT_TRUE(woken.load());
}

TEST_F(EventPumpTest, AWakeFromAHandlerInsideTheRunEndsIt) {
    QtEventPump pump;
    QTimer::singleShot(20, [&] { pump.wake(); });
    QElapsedTimer clock;
    clock.start();
    pump.run();
    EXPECT_LT(clock.elapsed(), 5000);
}

}  // namespace
}  // namespace corvath
