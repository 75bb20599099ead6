// Sleeping on the manual and the system clock, with and without cancellation.
#include "platform/async/Clock.h"

#include "tests/support/AsyncTest.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace huddlepod;
using namespace std::chrono_literals;
using huddlepod::test::waitForTask;

namespace {

QCoro::Task<void> sleepAndRecord(Clock& clock, Clock::Duration duration, std::string name,
                                 std::vector<std::string>& log, CancellationToken token = {}) {
    try {
        co_await clock.sleep(duration, token);
        log.push_back(name + "@" + std::to_string((clock.now() - Clock::Instant{}) / 1ms));
    } catch (const CancelledError&) {
        log.push_back(name + " cancelled");
    }
}

} // namespace

TEST(ManualClock, resumesSleepersAtTheirDueTimeInOrder) {
    ManualClock clock;
    std::vector<std::string> log;
    auto late = sleepAndRecord(clock, 30ms, "late", log);
    auto early = sleepAndRecord(clock, 10ms, "early", log);
    auto tie = sleepAndRecord(clock, 10ms, "tie", log);
    EXPECT_EQ(clock.sleeperCount(), 3u);

    clock.advance(9ms);
    EXPECT_TRUE(log.empty());
    clock.advance(1ms);
    EXPECT_EQ(log, (std::vector<std::string>{"early@10", "tie@10"}));
    clock.advance(100ms);
    EXPECT_EQ(log.back(), "late@30");
    EXPECT_EQ(clock.now() - Clock::Instant{}, 110ms);
    EXPECT_EQ(clock.sleeperCount(), 0u);
    EXPECT_TRUE(late.isReady() && early.isReady() && tie.isReady());
}

TEST(ManualClock, sleepStartedByAWokenTaskFallsDueWithinTheSameAdvance) {
    ManualClock clock;
    std::vector<std::string> log;
    auto twoSleeps = [&]() -> QCoro::Task<void> {
        co_await clock.sleep(10ms);
        log.push_back("first");
        co_await clock.sleep(10ms);
        log.push_back("second@" + std::to_string((clock.now() - Clock::Instant{}) / 1ms));
    };
    auto task = twoSleeps(); // the lambda must outlive its coroutine
    clock.advance(25ms);
    EXPECT_EQ(log, (std::vector<std::string>{"first", "second@20"}));
    EXPECT_TRUE(task.isReady());
}

TEST(ManualClock, cancellationWakesTheSleeperAtOnce) {
    ManualClock clock;
    CancellationSource source;
    std::vector<std::string> log;
    auto task = sleepAndRecord(clock, 1h, "sleeper", log, source.token());
    source.cancel();
    EXPECT_EQ(log, (std::vector<std::string>{"sleeper cancelled"}));
    EXPECT_EQ(clock.sleeperCount(), 0u);
    clock.advance(2h);
    EXPECT_EQ(log.size(), 1u);
}

TEST(ManualClock, cancelledTokenOrZeroDurationDoNotSuspend) {
    ManualClock clock;
    CancellationSource source;
    source.cancel();
    EXPECT_THROW(waitForTask(clock.sleep(1s, source.token())), CancelledError);
    EXPECT_THROW(waitForTask(clock.sleep(0s, source.token())), CancelledError);
    auto zero = clock.sleep(0s);
    EXPECT_TRUE(zero.isReady());
    auto negative = clock.sleep(-5ms);
    EXPECT_TRUE(negative.isReady());
}

TEST(ManualClock, destroyingTheClockWakesSleepersWithCancellation) {
    std::vector<std::string> log;
    QCoro::Task<void> task;
    {
        ManualClock clock;
        task = sleepAndRecord(clock, 1h, "orphan", log);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"orphan cancelled"}));
    EXPECT_TRUE(task.isReady());
}

TEST(SystemClock, sleepCompletesOnTheEventLoop) {
    SystemClock clock;
    const Clock::Instant before = clock.now();
    EXPECT_NO_THROW(waitForTask(clock.sleep(1ms)));
    EXPECT_GE(clock.now(), before);
}

TEST(SystemClock, cancellationInterruptsALongSleep) {
    SystemClock clock;
    CancellationSource source;
    QTimer::singleShot(0, [source]() mutable { source.cancel(); });
    EXPECT_THROW(waitForTask(clock.sleep(1h, source.token())), CancelledError);
}

TEST(SystemClock, sleepWhoseTaskIsDroppedStillFinishesCleanly) {
    SystemClock clock;
    std::vector<std::string> log;
    { auto dropped = sleepAndRecord(clock, 1ms, "dropped", log); }
    EXPECT_NO_THROW(waitForTask(clock.sleep(1ms)));
    EXPECT_EQ(log.size(), 1u);
}
