// Awaiting a suspension state kept in the coroutine frame, safe from GCC 12's awaiter-temporary bugs.
#pragma once

#include <coroutine>

namespace huddlepod {

// GCC 12 may copy an awaiter or destroy a temporary one twice. So keep the state of a suspension (its
// registrations, flags, timers) in a named local of the coroutine and co_await this trivial handle to it:
//
//   SleepState state(duration, token);
//   co_await AwaitState{&state};
//
// State provides `bool ready()`, `void suspend(std::coroutine_handle<>)` and `resume()` (its result is
// the co_await's value).
template <typename State>
struct AwaitState {
    State* state;

    bool await_ready() const { return state->ready(); }
    void await_suspend(std::coroutine_handle<> waiter) const { state->suspend(waiter); }
    decltype(auto) await_resume() const { return state->resume(); }
};

template <typename State>
AwaitState(State*) -> AwaitState<State>;

} // namespace huddlepod
