// Cooperative cancellation: one shared state per source, single-threaded (the GUI thread).
#include "platform/async/Cancellation.h"

#include <utility>
#include <vector>

namespace huddlepod {
namespace detail {

class CancellationState : public std::enable_shared_from_this<CancellationState> {
public:
    bool cancelled = false;
    CancellationRegistration parentLink;

    std::uint64_t add(std::function<void()> callback) {
        const std::uint64_t id = m_nextId++;
        m_callbacks.emplace_back(id, std::move(callback));
        return id;
    }

    void remove(std::uint64_t id) {
        for (auto it = m_callbacks.begin(); it != m_callbacks.end(); ++it) {
            if (it->first == id) {
                m_callbacks.erase(it);
                return;
            }
        }
    }

    void cancel() {
        if (cancelled)
            return;
        cancelled = true;
        // A callback may drop the last reference to this state, or unregister other callbacks.
        const auto keepAlive = shared_from_this();
        parentLink.reset();
        while (!m_callbacks.empty()) {
            std::function<void()> callback = std::move(m_callbacks.front().second);
            m_callbacks.erase(m_callbacks.begin());
            callback();
        }
    }

private:
    std::uint64_t m_nextId = 1;
    std::vector<std::pair<std::uint64_t, std::function<void()>>> m_callbacks;
};

} // namespace detail

CancellationRegistration::CancellationRegistration(std::weak_ptr<detail::CancellationState> state,
                                                   std::uint64_t id)
    : m_state(std::move(state))
    , m_id(id) {}

CancellationRegistration::CancellationRegistration(CancellationRegistration&& other) noexcept
    : m_state(std::move(other.m_state))
    , m_id(std::exchange(other.m_id, 0)) {}

CancellationRegistration& CancellationRegistration::operator=(CancellationRegistration&& other) noexcept {
    if (this != &other) {
        reset();
        m_state = std::move(other.m_state);
        m_id = std::exchange(other.m_id, 0);
    }
    return *this;
}

CancellationRegistration::~CancellationRegistration() {
    reset();
}

void CancellationRegistration::reset() {
    if (const auto state = m_state.lock())
        state->remove(m_id);
    m_state.reset();
    m_id = 0;
}

CancellationToken::CancellationToken(std::shared_ptr<detail::CancellationState> state)
    : m_state(std::move(state)) {}

bool CancellationToken::isCancelled() const {
    return m_state && m_state->cancelled;
}

void CancellationToken::throwIfCancelled() const {
    if (isCancelled())
        throw CancelledError();
}

CancellationRegistration CancellationToken::onCancel(std::function<void()> callback) const {
    if (!m_state)
        return {};
    if (m_state->cancelled) {
        callback();
        return {};
    }
    return CancellationRegistration(m_state, m_state->add(std::move(callback)));
}

CancellationSource::CancellationSource()
    : m_state(std::make_shared<detail::CancellationState>()) {}

CancellationSource::CancellationSource(const CancellationToken& parent)
    : CancellationSource() {
    std::weak_ptr<detail::CancellationState> child = m_state;
    m_state->parentLink = parent.onCancel([child] {
        if (const auto state = child.lock())
            state->cancel();
    });
}

CancellationToken CancellationSource::token() const {
    return CancellationToken(m_state);
}

void CancellationSource::cancel() {
    if (m_state)
        m_state->cancel();
}

bool CancellationSource::isCancelled() const {
    return m_state && m_state->cancelled;
}

} // namespace huddlepod
