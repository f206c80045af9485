#include "platform/gate.h"
#include "platform/shared/bounded_call.h"
#include "platform/shared/bounded_queries.h"

#include <gtest/gtest.h>
#include <atomic>
#include <stdexcept>
#include <thread>

namespace corvath {
namespace {

using namespace std::chrono_literals;
using test::eventually;
using test::Gate;

TEST(BoundedCall, GivesTheAnswerOfAPromptCall) {
    auto budget = std::make_shared<WorkerBudget>(4);
    auto call = BoundedCall<int>::start([] { return 42; }, budget);
    ASSERT_TRUE(call);
    EXPECT_EQ(call->waitUntil(Clock::now() + 5s), 42);
    EXPECT_TRUE(eventually([&] { return budget->inUse() == 0; }));
}

TEST(BoundedCall, StopsWaitingAtTheDeadlineAndLetsTheWorkerFinishLater) {
    auto budget = std::make_shared<WorkerBudget>(4);
    auto gate = std::make_shared<Gate>();
    auto call = BoundedCall<int>::start(
        [gate] {
            gate->wait();
            return 7;
        },
        budget);
    ASSERT_TRUE(call);
    const auto before = Clock::now();
    EXPECT_FALSE(call->waitUntil(before + 200ms).has_value());
    const auto waited = Clock::now() - before;
    EXPECT_GE(waited, 200ms);
    EXPECT_LT(waited, 400ms);
    EXPECT_EQ(budget->inUse(), 1u);

    gate->open();
    EXPECT_EQ(call->waitUntil(Clock::now() + 5s), 7);
    EXPECT_TRUE(eventually([&] { return budget->inUse() == 0; }));
}

TEST(BoundedCall, AWorkerOutlivesEveryoneWhoStartedIt) {
    auto budget = std::make_shared<WorkerBudget>(4);
    auto gate = std::make_shared<Gate>();
    {
        auto call = BoundedCall<std::string>::start(
            [gate] {
                gate->wait();
                return std::string(1000, 'x');
            },
            budget);
        ASSERT_TRUE(call);
        EXPECT_FALSE(call->waitUntil(Clock::now() + 10ms).has_value());
    }
    // Nobody holds the call any more; the worker still has what it needs.
    gate->open();
    EXPECT_TRUE(eventually([&] { return budget->inUse() == 0; }));
}

TEST(BoundedCall, RefusesToStartBeyondTheBudgetUntilAWorkerEnds) {
    auto budget = std::make_shared<WorkerBudget>(2);
    auto gate = std::make_shared<Gate>();
    auto blocked = [gate] {
        gate->wait();
        return 1;
    };
    auto first = BoundedCall<int>::start(blocked, budget);
    auto second = BoundedCall<int>::start(blocked, budget);
    ASSERT_TRUE(first && second);
    EXPECT_FALSE(BoundedCall<int>::start([] { return 3; }, budget));

    gate->open();
    EXPECT_TRUE(eventually([&] { return budget->inUse() == 0; }));
    auto third = BoundedCall<int>::start([] { return 3; }, budget);
    ASSERT_TRUE(third);
    EXPECT_EQ(third->waitUntil(Clock::now() + 5s), 3);
}

TEST(BoundedCall, AThrowingCallEndsWithoutAnAnswer) {
    auto budget = std::make_shared<WorkerBudget>(1);
    auto call = BoundedCall<int>::start([]() -> int { throw std::runtime_error("boom"); }, budget);
    ASSERT_TRUE(call);
    EXPECT_TRUE(eventually([&] { return call->finished(); }));
    EXPECT_FALSE(call->waitUntil(Clock::now()).has_value());
    EXPECT_TRUE(eventually([&] { return budget->inUse() == 0; }));
}

// The window's thread keeps its window painted while a drive keeps it waiting:
// the task runs often, on that thread only, never inside itself, and not once
// its scope has gone.
TEST(BoundedCall, RunsTheWaitingThreadsTaskWhileItWaits) {
    auto budget = std::make_shared<WorkerBudget>(4);
    auto gate = std::make_shared<Gate>();
    auto call = BoundedCall<int>::start(
        [gate] {
            gate->wait();
            return 1;
        },
        budget);
    ASSERT_TRUE(call);
    int runs = 0;
    int nested = 0;
    bool elsewhere = false;
    const std::thread::id waiter = std::this_thread::get_id();
    {
        const WhileWaiting task([&] {
            ++runs;
            elsewhere = elsewhere || std::this_thread::get_id() != waiter;
            // A wait inside the task does not run the task again.
            const int before = runs;
            EXPECT_FALSE(call->waitUntil(Clock::now() + 3 * kWaitSlice).has_value());
            nested += runs - before;
        });
        EXPECT_FALSE(call->waitUntil(Clock::now() + 400ms).has_value());
        std::thread([&] { EXPECT_FALSE(call->waitUntil(Clock::now() + 100ms).has_value()); }).join();
    }
    EXPECT_GE(runs, 3);
    EXPECT_EQ(nested, 0);
    EXPECT_FALSE(elsewhere);
    const int afterScope = runs;
    EXPECT_FALSE(call->waitUntil(Clock::now() + 100ms).has_value());
    EXPECT_EQ(runs, afterScope);
    gate->open();
    EXPECT_EQ(call->waitUntil(Clock::now() + 5s), 1);
}

TEST(BoundedQueries, WaitsOnAnUnansweredCallInsteadOfRepeatingItUntilItEnds) {
    auto budget = std::make_shared<WorkerBudget>(4);
    BoundedQueries<int> queries(100ms, budget);
    auto gate = std::make_shared<Gate>();
    auto started = std::make_shared<std::atomic<int>>(0);
    auto hung = [gate, started] {
        ++*started;
        gate->wait();
        return 5;
    };
    EXPECT_FALSE(queries.ask("P:\\", hung).has_value());
    // The same drive again: no second worker, and no second wait of the bound.
    const auto before = Clock::now();
    EXPECT_FALSE(queries.ask("P:\\", hung).has_value());
    EXPECT_LT(Clock::now() - before, 50ms);
    EXPECT_EQ(started->load(), 1);
    EXPECT_EQ(queries.ask("Q:\\", [] { return 6; }), 6);  // another drive has its own call

    gate->open();
    EXPECT_TRUE(eventually([&] { return budget->inUse() == 0; }));
    // Once it has ended, the next ask is a new call.
    EXPECT_EQ(queries.ask("P:\\", [] { return 7; }), 7);
}

}  // namespace
}  // namespace corvath
