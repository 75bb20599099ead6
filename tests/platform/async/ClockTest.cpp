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

TEST(ManualClock, resumesSleepersAtTheirDueTimeInOrderTheirOwnNewSleepsIncluded) {
    ManualClock clock;
    std::vector<std::string> log;
    auto late = sleepAndRecord(clock, 30ms, "late", log);
    auto early = sleepAndRecord(clock, 10ms, "early", log);
    auto tie = sleepAndRecord(clock, 10ms, "tie", log);
    auto twoSleeps = [&]() -> QCoro::Task<void> {
        co_await clock.sleep(5ms);
        co_await sleepAndRecord(clock, 10ms, "second sleep", log);
    };
    auto chained = twoSleeps(); // the lambda must outlive its coroutine
    EXPECT_EQ(clock.sleeperCount(), 4u);

    clock.advance(9ms);
    EXPECT_TRUE(log.empty());
    clock.advance(100ms);
    EXPECT_EQ(log, (std::vector<std::string>{"early@10", "tie@10", "second sleep@15", "late@30"}));
    EXPECT_EQ(clock.now() - Clock::Instant{}, 109ms);
    EXPECT_EQ(clock.sleeperCount(), 0u);
    EXPECT_TRUE(late.isReady() && early.isReady() && tie.isReady() && chained.isReady());
}

TEST(ManualClock, cancellationOrTheClocksEndWakeASleeperAndNothingSuspendsNeedlessly) {
    std::vector<std::string> log;
    QCoro::Task<void> orphan;
    {
        ManualClock clock;
        CancellationSource source;
        auto task = sleepAndRecord(clock, 1h, "cancelled", log, source.token());
        orphan = sleepAndRecord(clock, 1h, "orphan", log);
        source.cancel();
        EXPECT_EQ(clock.sleeperCount(), 1u);
        clock.advance(30min);
        EXPECT_EQ(log, (std::vector<std::string>{"cancelled cancelled"}));

        EXPECT_THROW(waitForTask(clock.sleep(0s, source.token())), CancelledError);
        for (const Clock::Duration duration : {Clock::Duration(0s), Clock::Duration(-5ms)})
            EXPECT_TRUE(clock.sleep(duration).isReady());
    }
    EXPECT_EQ(log.back(), "orphan cancelled");
    EXPECT_TRUE(orphan.isReady());
}

TEST(SystemClock, sleepsAtLeastItsDurationAndEndsEarlyOnCancellation) {
    SystemClock clock;
    std::vector<std::string> log;
    { auto dropped = sleepAndRecord(clock, 1ms, "dropped", log); } // its task is gone before it wakes
    const Clock::Instant before = clock.now();
    waitForTask(clock.sleep(20ms));
    EXPECT_GE(clock.now() - before, 20ms);
    EXPECT_EQ(log.size(), 1u);

    CancellationSource source;
    QTimer::singleShot(0, [source]() mutable { source.cancel(); });
    EXPECT_THROW(waitForTask(clock.sleep(1h, source.token())), CancelledError);
}
