// Time as a dependency: a clock that reads the time and sleeps cancellably; real and manual versions.
#pragma once

#include "platform/async/Cancellation.h"

#include <qcoro/qcorotask.h>

#include <chrono>
#include <cstdint>
#include <vector>

namespace huddlepod {

class Clock {
public:
    using Duration = std::chrono::nanoseconds;
    using Instant = std::chrono::steady_clock::time_point;

    virtual ~Clock() = default;

    virtual Instant now() const = 0;

    // Completes after `duration`. Throws CancelledError when `token` is cancelled before or while it
    // waits, or is found cancelled when it wakes. A duration of zero or less completes at once.
    virtual QCoro::Task<void> sleep(Duration duration, CancellationToken token = {}) = 0;
};

// The monotonic clock (steady_clock); sleeps on a precise QTimer, so it needs a running event loop.
class SystemClock final : public Clock {
public:
    Instant now() const override;
    QCoro::Task<void> sleep(Duration duration, CancellationToken token = {}) override;
};

// A clock for tests: time moves only when advance() is called. Needs no event loop.
class ManualClock final : public Clock {
public:
    explicit ManualClock(Instant start = Instant{});
    // Wakes any sleeper still waiting with CancelledError, so no suspended task is left behind.
    ~ManualClock() override;
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    Instant now() const override;
    QCoro::Task<void> sleep(Duration duration, CancellationToken token = {}) override;

    // Moves time forward by `duration`, resuming every sleeper that falls due, synchronously, in order of
    // due time (then of sleeping); now() reads each sleeper's due time while it runs. Sleepers that a
    // resumed task starts and that fall due within the same span are resumed too.
    void advance(Duration duration);

    // The number of tasks currently sleeping on this clock.
    std::size_t sleeperCount() const { return m_sleepers.size(); }

private:
    struct Sleeper; // one suspended sleep
    void removeSleeper(Sleeper* sleeper);

    Instant m_now;
    std::uint64_t m_nextSequence = 0;
    std::vector<Sleeper*> m_sleepers;
};

} // namespace huddlepod
