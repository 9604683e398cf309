#include "app/operations.h"

#include <gtest/gtest.h>

#include "host/fake/fake_host.h"

using namespace app;

class OperationsTest : public ::testing::Test {
protected:
    host::FakeEventPump pump;
    std::vector<double> progress;
    Operations ops{pump, {[this](double f) { progress.push_back(f); }, nullptr}};
};

TEST_F(OperationsTest, EscapeWhileIdleCancelsNothingLater) {
    ops.requestCancel();  // pressed once while nothing runs
    Operations::Scope scope(ops);
    core::Operation& op = scope.operation();
    EXPECT_FALSE(op.cancelled());
    long done = 0;
    while (op.step(++done, 1000) && done < 1000) {
    }
    EXPECT_EQ(done, 1000);
    EXPECT_EQ(pump.busyDepth, 1);
}

TEST_F(OperationsTest, EscapeDuringWorkStopsItAtTheNextYieldAndNoMore) {
    {
        Operations::Scope scope(ops);
        core::Operation& op = scope.operation();
        pump.onProcess = [this](int) { ops.requestCancel(); };
        long done = 0;
        while (op.step(++done) && done < 1000) {
        }
        EXPECT_EQ(done, 100);  // events first run at the hundredth item
        pump.onProcess = nullptr;
    }
    EXPECT_EQ(pump.busyDepth, 0);
    EXPECT_FALSE(ops.running());
    Operations::Scope next(ops);
    EXPECT_FALSE(next.operation().cancelled());
}

TEST_F(OperationsTest, NestedWorkSharesTheOuterOperation) {
    Operations::Scope outer(ops);
    {
        Operations::Scope inner(ops);
        EXPECT_EQ(&inner.operation(), &outer.operation());
        ops.requestCancel();
    }
    EXPECT_TRUE(ops.running());
    EXPECT_TRUE(outer.operation().cancelled());
    EXPECT_EQ(pump.busyDepth, 1);
}

TEST_F(OperationsTest, TimerWorkWaitsForTheOperationToEnd) {
    std::vector<int> ran;
    ops.whenIdle([&] { ran.push_back(1); });
    EXPECT_EQ(ran, (std::vector<int>{1}));  // idle: at once
    {
        Operations::Scope scope(ops);
        ops.whenIdle([&] { ran.push_back(2); });
        ops.whenIdle([&] {
            // Queued work may start work of its own.
            Operations::Scope own(ops);
            ran.push_back(3);
        });
        EXPECT_EQ(ran.size(), 1u);
        EXPECT_EQ(ops.queuedWork(), 2u);
    }
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(ops.queuedWork(), 0u);
    EXPECT_FALSE(ops.running());
}

TEST_F(OperationsTest, ProgressIsShownAndHiddenAtTheEnd) {
    {
        Operations::Scope scope(ops);
        for (long i = 1; i <= 300; ++i) scope.operation().step(i, 300);
    }
    ASSERT_GE(progress.size(), 3u);
    EXPECT_DOUBLE_EQ(progress[0], 100.0 / 300.0);
    EXPECT_LT(progress.back(), 0);  // hidden when the operation ends
}
