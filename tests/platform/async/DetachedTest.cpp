// Detached tasks: start at once, keep their factory alive, and swallow their failures.
#include "platform/async/Detached.h"

#include "platform/async/Clock.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace huddlepod;
using namespace std::chrono_literals;

TEST(Detached, runsUntilItsFirstSuspensionThenContinuesAndItsErrorsEndThere) {
    ManualClock clock;
    std::vector<std::string> log;
    auto owned = std::make_shared<std::string>("captured");
    startDetached([&clock, &log, owned]() -> QCoro::Task<void> {
        log.push_back("started");
        co_await clock.sleep(10ms);
        log.push_back(*owned);
        throw std::runtime_error("nobody hears this");
    });
    EXPECT_EQ(log, (std::vector<std::string>{"started"}));
    EXPECT_EQ(owned.use_count(), 2) << "the factory is kept alive while the task runs";
    clock.advance(10ms);
    EXPECT_EQ(log, (std::vector<std::string>{"started", "captured"}));
    EXPECT_EQ(owned.use_count(), 1) << "and released when it ends";
}

TEST(Detached, aTaskThatFinishesSynchronouslyIsFreed) {
    auto owned = std::make_shared<int>(1);
    startDetached([owned]() -> QCoro::Task<int> { co_return *owned; });
    EXPECT_EQ(owned.use_count(), 1);
}
