// Cooperative cancellation for tasks on the event loop: sources cancel, tokens observe.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

namespace huddlepod {

namespace detail {
class CancellationState;
}

// Thrown by an operation that stopped because its token was cancelled.
class CancelledError : public std::exception {
public:
    const char* what() const noexcept override { return "cancelled"; }
};

// Keeps a callback registered with a token; unregisters it when destroyed or reset. Move-only.
class CancellationRegistration {
public:
    CancellationRegistration() = default;
    CancellationRegistration(CancellationRegistration&& other) noexcept;
    CancellationRegistration& operator=(CancellationRegistration&& other) noexcept;
    CancellationRegistration(const CancellationRegistration&) = delete;
    CancellationRegistration& operator=(const CancellationRegistration&) = delete;
    ~CancellationRegistration();

    // Unregisters now; the callback will not run afterwards.
    void reset();

private:
    friend class CancellationToken;
    CancellationRegistration(std::weak_ptr<detail::CancellationState> state, std::uint64_t id);

    std::weak_ptr<detail::CancellationState> m_state;
    std::uint64_t m_id = 0;
};

// A copyable view of a source's cancellation. A default-constructed token is never cancelled.
class CancellationToken {
public:
    CancellationToken() = default;

    bool isCancelled() const;
    // Throws CancelledError when cancelled.
    void throwIfCancelled() const;

    // Runs `callback` once, synchronously inside CancellationSource::cancel(), unless the returned
    // registration is gone by then. When the token is already cancelled the callback runs at once,
    // before onCancel returns. Callbacks run in registration order and must not throw.
    [[nodiscard]] CancellationRegistration onCancel(std::function<void()> callback) const;

private:
    friend class CancellationSource;
    explicit CancellationToken(std::shared_ptr<detail::CancellationState> state);

    std::shared_ptr<detail::CancellationState> m_state;
};

// Owns the right to cancel. Copies share one cancellation state. A source linked to a parent token
// is cancelled when the parent is (at once if the parent already is); cancelling it never cancels
// the parent. Destroying a source does not cancel it.
class CancellationSource {
public:
    CancellationSource();
    explicit CancellationSource(const CancellationToken& parent);

    CancellationToken token() const;
    // Idempotent. Runs the registered callbacks (and cancels linked children) before returning.
    void cancel();
    bool isCancelled() const;

private:
    std::shared_ptr<detail::CancellationState> m_state;
};

} // namespace huddlepod
