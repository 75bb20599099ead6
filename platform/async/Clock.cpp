// The real and the manual clock.
#include "platform/async/Clock.h"

#include "platform/async/AwaitState.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <coroutine>
#include <memory>

namespace huddlepod {

namespace {

// The state of a sleep on a single-shot precise timer. The timer's wake-up is posted to the event loop rather
// than resumed inside the timer's own signal, because the resumed task destroys the timer.
class TimerSleep {
public:
    TimerSleep(Clock::Duration duration, CancellationToken token)
        : m_duration(duration)
        , m_token(std::move(token)) {}

    TimerSleep(const TimerSleep&) = delete;
    TimerSleep& operator=(const TimerSleep&) = delete;

    bool ready() const { return m_token.isCancelled(); }

    void suspend(std::coroutine_handle<> waiter) {
        m_timer = std::make_unique<QTimer>();
        m_timer->setSingleShot(true);
        m_timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(m_timer.get(), &QTimer::timeout, [this, waiter] {
            m_registration.reset();
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [waiter] { waiter.resume(); }, Qt::QueuedConnection);
        });
        m_registration = m_token.onCancel([this, waiter] {
            m_timer->stop();
            waiter.resume();
        });
        const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(m_duration);
        m_timer->start(milliseconds);
    }

    void resume() const { m_token.throwIfCancelled(); }

private:
    Clock::Duration m_duration;
    CancellationToken m_token;
    std::unique_ptr<QTimer> m_timer;
    CancellationRegistration m_registration;
};

} // namespace

Clock::Instant SystemClock::now() const {
    return std::chrono::steady_clock::now();
}

QCoro::Task<void> SystemClock::sleep(Duration duration, CancellationToken token) {
    token.throwIfCancelled();
    if (duration <= Duration::zero())
        co_return;
    TimerSleep sleeper(duration, std::move(token));
    co_await AwaitState{&sleeper};
}

struct ManualClock::Sleeper {
    ManualClock* clock;
    Instant due;
    std::uint64_t sequence;
    CancellationToken token;
    std::coroutine_handle<> waiter;
    CancellationRegistration registration;
    bool woken = false;

    bool ready() const { return token.isCancelled(); }

    void suspend(std::coroutine_handle<> handle) {
        waiter = handle;
        clock->m_sleepers.push_back(this);
        registration = token.onCancel([this] {
            clock->removeSleeper(this);
            waiter.resume();
        });
    }

    void resume() const {
        if (!woken)
            throw CancelledError();
        token.throwIfCancelled();
    }
};

ManualClock::ManualClock(Instant start)
    : m_now(start) {}

ManualClock::~ManualClock() {
    while (!m_sleepers.empty()) {
        Sleeper* sleeper = m_sleepers.front();
        removeSleeper(sleeper);
        sleeper->waiter.resume();
    }
}

Clock::Instant ManualClock::now() const {
    return m_now;
}

QCoro::Task<void> ManualClock::sleep(Duration duration, CancellationToken token) {
    token.throwIfCancelled();
    if (duration <= Duration::zero())
        co_return;
    Sleeper sleeper{this, m_now + duration, m_nextSequence++, std::move(token), {}, {}};
    co_await AwaitState{&sleeper};
}

void ManualClock::advance(Duration duration) {
    const Instant target = m_now + duration;
    for (;;) {
        const auto next = std::min_element(m_sleepers.begin(), m_sleepers.end(), [](Sleeper* a, Sleeper* b) {
            return a->due != b->due ? a->due < b->due : a->sequence < b->sequence;
        });
        if (next == m_sleepers.end() || (*next)->due > target)
            break;
        Sleeper* sleeper = *next;
        m_now = std::max(m_now, sleeper->due);
        removeSleeper(sleeper);
        sleeper->woken = true;
        sleeper->waiter.resume();
    }
    m_now = std::max(m_now, target);
}

void ManualClock::removeSleeper(Sleeper* sleeper) {
    std::erase(m_sleepers, sleeper);
    sleeper->registration.reset();
}

} // namespace huddlepod
