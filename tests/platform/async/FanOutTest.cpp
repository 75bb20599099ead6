// Ordered fan-out: values in order, first error in await order, cancellation of the rest, nothing left
// running.
#include "platform/async/FanOut.h"

#include "platform/async/Clock.h"
#include "tests/support/AsyncTest.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace huddlepod;
using namespace std::chrono_literals;
using huddlepod::test::waitForTask;

namespace {

struct ChildError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Records how each child ended.
struct Children {
    ManualClock clock;
    std::vector<std::string> endings;

    QCoro::Task<int> child(std::string name, Clock::Duration delay, int value, bool fails,
                           CancellationToken token, bool honoursCancellation = true) {
        // Named, not a ?: temporary inside co_await: GCC 12 destroys such temporaries twice.
        const CancellationToken sleepToken = honoursCancellation ? token : CancellationToken();
        try {
            co_await clock.sleep(delay, sleepToken);
        } catch (const CancelledError&) {
            endings.push_back(name + " cancelled");
            throw;
        }
        if (fails) {
            endings.push_back(name + " failed");
            throw ChildError(name);
        }
        endings.push_back(name + " done");
        co_return value;
    }
};

std::string errorOf(QCoro::Task<std::vector<int>>& task) {
    try {
        waitForTask(std::move(task));
    } catch (const ChildError& error) {
        return error.what();
    } catch (const CancelledError&) {
        return "CancelledError";
    }
    return "none";
}

} // namespace

TEST(FanOut, returnsHeterogeneousValuesInArgumentOrderAndKeepsFactoriesAlive) {
    Children c;
    auto task = fanOut(
        CancellationToken(), [&](CancellationToken t) { return c.child("a", 20ms, 1, false, t); },
        // A capturing lambda coroutine: its capture is read after it resumes.
        [&c, text = std::string(64, 'x')](CancellationToken t) -> QCoro::Task<std::string> {
            co_await c.clock.sleep(10ms, t);
            co_return text;
        },
        [&](CancellationToken t) -> QCoro::Task<void> { co_await c.clock.sleep(5ms, t); });
    EXPECT_FALSE(task.isReady());
    c.clock.advance(20ms);
    ASSERT_TRUE(task.isReady());
    auto [number, text, nothing] = waitForTask(std::move(task));
    EXPECT_EQ(number, 1);
    EXPECT_EQ(text, std::string(64, 'x'));
    EXPECT_EQ(nothing, std::monostate());
}

TEST(FanOut, firstErrorInAwaitOrderWinsOnlyAfterEveryChildHasEnded) {
    struct Plan {
        std::string name;
        Clock::Duration delay;
        bool fails;
        bool honoursCancellation = true;
    };
    struct Case {
        std::vector<Plan> children;
        Clock::Duration lastEnd; // when the last child to be awaited ends
        std::string error;
        std::vector<std::string> endings;
    };
    const Case cases[] = {
        // The first failure in time is not the first in await order.
        {{{"slow", 20ms, true}, {"fast", 10ms, true}}, 20ms, "slow", {"fast failed", "slow failed"}},
        // Earlier children run on while a later one has failed; the ones after it are cancelled.
        {{{"first", 30ms, false}, {"second", 0ms, true}, {"third", 1h, false}},
         30ms,
         "second",
         {"second failed", "first done", "third cancelled"}},
        // A child that ignores cancellation is still waited for.
        {{{"failure", 0ms, true}, {"stubborn", 50ms, false, false}},
         50ms,
         "failure",
         {"failure failed", "stubborn done"}},
    };
    for (const Case& test : cases) {
        Children c;
        std::vector<ChildTask<int>> children;
        for (const Plan& plan : test.children)
            children.push_back([&c, plan](CancellationToken t) {
                return c.child(plan.name, plan.delay, 0, plan.fails, t, plan.honoursCancellation);
            });
        auto task = fanOut(CancellationToken(), std::move(children));
        c.clock.advance(test.lastEnd - 1ms);
        EXPECT_FALSE(task.isReady()) << test.error;
        c.clock.advance(1ms);
        EXPECT_EQ(errorOf(task), test.error);
        EXPECT_EQ(c.endings, test.endings);
        EXPECT_EQ(c.clock.sleeperCount(), 0u);
    }
}

TEST(FanOut, vectorFormKeepsChildOrderAndParentCancellationEndsEveryChild) {
    for (const bool cancelled : {false, true}) {
        Children c;
        CancellationSource parent;
        std::vector<ChildTask<int>> children;
        for (int i = 0; i < 4; ++i)
            children.push_back([&c, i](CancellationToken t) {
                return c.child(std::to_string(i), (4 - i) * 1ms, i * 10, false, t);
            });
        auto task = fanOut(parent.token(), std::move(children));
        if (!cancelled) {
            c.clock.advance(4ms);
            EXPECT_EQ(waitForTask(std::move(task)), (std::vector<int>{0, 10, 20, 30}));
            continue;
        }
        parent.cancel();
        ASSERT_TRUE(task.isReady());
        EXPECT_EQ(errorOf(task), "CancelledError");
        EXPECT_EQ(c.endings,
                  (std::vector<std::string>{"0 cancelled", "1 cancelled", "2 cancelled", "3 cancelled"}));
    }
    EXPECT_TRUE(waitForTask(fanOut(CancellationToken(), std::vector<ChildTask<int>>{})).empty());
}
