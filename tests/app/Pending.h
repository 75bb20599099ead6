// An answer a fake service gives only when the test says: awaited by the code under test, resolved by the
// test.
#pragma once

#include <QtGlobal>

#include <coroutine>
#include <exception>
#include <memory>
#include <optional>
#include <utility>

namespace huddlepod::testing {

template <typename T>
class Pending {
    struct State {
        std::optional<T> value;
        std::exception_ptr error;
        std::coroutine_handle<> waiter;
    };

public:
    struct Awaiter {
        std::shared_ptr<State> state;
        bool await_ready() const noexcept { return state->value || state->error; }
        void await_suspend(std::coroutine_handle<> waiter) noexcept { state->waiter = waiter; }
        T await_resume() {
            if (state->error)
                std::rethrow_exception(state->error);
            return std::move(*state->value);
        }
    };

    Awaiter operator co_await() const noexcept { return Awaiter{m_state}; }

    bool isAnswered() const { return m_state->value || m_state->error; }

    // Resumes the awaiting coroutine synchronously, inside this call.
    void resolve(T value) {
        Q_ASSERT(!isAnswered());
        m_state->value = std::move(value);
        wake();
    }

    void failWith(std::exception_ptr error) {
        Q_ASSERT(!isAnswered());
        m_state->error = std::move(error);
        wake();
    }

private:
    void wake() {
        if (auto waiter = std::exchange(m_state->waiter, nullptr))
            waiter.resume();
    }

    std::shared_ptr<State> m_state = std::make_shared<State>();
};

} // namespace huddlepod::testing
