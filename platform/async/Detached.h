// Fire-and-forget tasks on the event loop whose failures never escape.
#pragma once

#include <qcoro/qcorotask.h>

#include <type_traits>
#include <utility>

namespace huddlepod {

namespace detail {

template <typename Factory>
QCoro::Task<void> runDetached(Factory factory) {
    try {
        co_await factory();
    } catch (...) {
        // A detached task has no one to report to; its failures (cancellation included) end here.
    }
}

} // namespace detail

// Starts `factory()` (a callable returning a QCoro::Task) at once, on the calling (GUI) thread: it runs
// until its first suspension before startDetached returns, then continues on the event loop. The
// factory is kept alive until the task ends, so a capturing lambda coroutine is safe; anything the task
// refers to must outlive it (hold targets weakly, e.g. QPointer, or give it a CancellationToken).
// Exceptions are swallowed. To stop it, cancel a token it was given.
template <typename Factory>
void startDetached(Factory&& factory) {
    // Dropping the returned task detaches the coroutine; QCoro frees its frame when it finishes.
    detail::runDetached(std::decay_t<Factory>(std::forward<Factory>(factory)));
}

} // namespace huddlepod
