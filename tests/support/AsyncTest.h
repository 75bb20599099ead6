// Test helper: run a QCoro task to completion on a nested event loop, returning its value or rethrowing.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <qcoro/qcorotask.h>

#include <exception>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

namespace huddlepod::test {

namespace detail {

template <typename T, typename Result>
QCoro::Task<void> capture(QCoro::Task<T> task, Result& result, std::exception_ptr& error, bool& done,
                          QEventLoop& loop) {
    try {
        if constexpr (std::is_void_v<T>)
            co_await task;
        else
            result.emplace(co_await task);
    } catch (...) {
        error = std::current_exception();
    }
    done = true;
    loop.quit();
}

} // namespace detail

// Use this instead of QCoro::waitFor: in QCoro 0.8 waitFor never returns when the task throws.
// A task that is already finished returns at once without running the event loop.
template <typename T>
T waitForTask(QCoro::Task<T> task) {
    QEventLoop loop;
    bool done = false;
    std::exception_ptr error;
    using Stored = std::conditional_t<std::is_void_v<T>, std::optional<bool>, std::optional<T>>;
    Stored result;
    auto runner = detail::capture(std::move(task), result, error, done, loop);
    if (!done)
        loop.exec();
    if (error)
        std::rethrow_exception(error);
    if constexpr (!std::is_void_v<T>)
        return std::move(*result);
}

// Runs the event loop until `condition` holds or ten seconds have passed; returns the condition.
inline bool waitUntil(const std::function<bool()>& condition) {
    const QDeadlineTimer deadline(10000);
    while (!condition() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return condition();
}

} // namespace huddlepod::test
