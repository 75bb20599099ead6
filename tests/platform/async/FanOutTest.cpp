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

// Counts children that have started and not yet ended, and records how each ended.
struct Children {
    ManualClock clock;
    int running = 0;
    std::vector<std::string> endings;

    QCoro::Task<int> child(std::string name, Clock::Duration delay, int value, bool fails,
                           CancellationToken token, bool honoursCancellation = true) {
        ++running;
        struct End {
            int& running;
            ~End() { --running; }
        } end{running};
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

TEST(FanOut, returnsHeterogeneousValuesInArgumentOrder) {
    Children c;
    auto task = fanOut(
        CancellationToken(), [&](CancellationToken t) { return c.child("a", 20ms, 1, false, t); },
        [&](CancellationToken t) -> QCoro::Task<std::string> {
            co_await c.clock.sleep(10ms, t);
            co_return "text";
        },
        [&](CancellationToken t) -> QCoro::Task<void> { co_await c.clock.sleep(5ms, t); });
    EXPECT_FALSE(task.isReady());
    c.clock.advance(20ms);
    ASSERT_TRUE(task.isReady());
    auto [number, text, nothing] = waitForTask(std::move(task));
    EXPECT_EQ(number, 1);
    EXPECT_EQ(text, "text");
    EXPECT_EQ(nothing, std::monostate());
}

TEST(FanOut, firstErrorInAwaitOrderWinsOverAnEarlierFailureInTime) {
    Children c;
    std::vector<ChildTask<int>> children{
        [&](CancellationToken t) { return c.child("slow-failure", 20ms, 0, true, t); },
        [&](CancellationToken t) { return c.child("fast-failure", 10ms, 0, true, t); },
    };
    auto task = fanOut(CancellationToken(), std::move(children));
    c.clock.advance(10ms);
    EXPECT_FALSE(task.isReady()) << "the first child is still being awaited";
    c.clock.advance(10ms);
    EXPECT_EQ(errorOf(task), "slow-failure");
    EXPECT_EQ(c.endings, (std::vector<std::string>{"fast-failure failed", "slow-failure failed"}));
}

TEST(FanOut, earlierChildrenRunOnWhileALaterOneHasFailed) {
    Children c;
    std::vector<ChildTask<int>> children{
        [&](CancellationToken t) { return c.child("first", 30ms, 1, false, t); },
        [&](CancellationToken t) { return c.child("second", 0ms, 0, true, t); },
        [&](CancellationToken t) { return c.child("third", 1h, 3, false, t); },
    };
    auto task = fanOut(CancellationToken(), std::move(children));
    c.clock.advance(30ms);
    EXPECT_EQ(errorOf(task), "second");
    EXPECT_EQ(c.endings, (std::vector<std::string>{"second failed", "first done", "third cancelled"}));
    EXPECT_EQ(c.running, 0);
    EXPECT_EQ(c.clock.sleeperCount(), 0u);
}

TEST(FanOut, waitsForAChildThatIgnoresCancellationBeforeRethrowing) {
    Children c;
    std::vector<ChildTask<int>> children{
        [&](CancellationToken t) { return c.child("failure", 0ms, 0, true, t); },
        [&](CancellationToken t) { return c.child("stubborn", 50ms, 2, false, t, false); },
    };
    auto task = fanOut(CancellationToken(), std::move(children));
    EXPECT_FALSE(task.isReady());
    EXPECT_EQ(c.running, 1);
    c.clock.advance(50ms);
    ASSERT_TRUE(task.isReady());
    EXPECT_EQ(errorOf(task), "failure");
    EXPECT_EQ(c.running, 0);
}

TEST(FanOut, parentCancellationCancelsEveryChild) {
    Children c;
    CancellationSource parent;
    std::vector<ChildTask<int>> children;
    for (int i = 0; i < 4; ++i)
        children.push_back(
            [&, i](CancellationToken t) { return c.child(std::to_string(i), 1h, i, false, t); });
    auto task = fanOut(parent.token(), std::move(children));
    EXPECT_EQ(c.running, 4);
    parent.cancel();
    ASSERT_TRUE(task.isReady());
    EXPECT_EQ(errorOf(task), "CancelledError");
    EXPECT_EQ(c.running, 0);
    EXPECT_EQ(c.endings.size(), 4u);
}

TEST(FanOut, vectorFormKeepsChildOrderAndHandlesNoChildren) {
    Children c;
    std::vector<ChildTask<int>> children;
    for (int i = 0; i < 5; ++i)
        children.push_back(
            [&, i](CancellationToken t) { return c.child("c", (5 - i) * 1ms, i * 10, false, t); });
    auto task = fanOut(CancellationToken(), std::move(children));
    c.clock.advance(5ms);
    EXPECT_EQ(waitForTask(std::move(task)), (std::vector<int>{0, 10, 20, 30, 40}));

    EXPECT_TRUE(waitForTask(fanOut(CancellationToken(), std::vector<ChildTask<int>>{})).empty());
}

TEST(FanOut, capturingLambdaCoroutinesStayAliveUntilTheyFinish) {
    ManualClock clock;
    auto task =
        fanOut(CancellationToken(),
               [&clock, text = std::string(64, 'x')](CancellationToken t) -> QCoro::Task<std::size_t> {
                   co_await clock.sleep(1ms, t);
                   co_return text.size(); // reads the lambda's capture after resuming
               });
    clock.advance(1ms);
    EXPECT_EQ(std::get<0>(waitForTask(std::move(task))), 64u);
}

TEST(FanOut, childTokensAreLinkedButIndependentOfSiblings) {
    CancellationSource parent;
    std::vector<CancellationToken> seen;
    auto task = fanOut(
        parent.token(),
        [&](CancellationToken t) -> QCoro::Task<int> {
            seen.push_back(t);
            co_return 1;
        },
        [&](CancellationToken t) -> QCoro::Task<int> {
            seen.push_back(t);
            co_return 2;
        });
    EXPECT_EQ(waitForTask(std::move(task)), std::make_tuple(1, 2));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_FALSE(seen[0].isCancelled());
    parent.cancel();
    EXPECT_TRUE(seen[0].isCancelled());
    EXPECT_TRUE(seen[1].isCancelled());
}
