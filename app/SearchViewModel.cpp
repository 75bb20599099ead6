// The state behind the search field and the result list: debounced, cancellable searches and the selection.
#include "app/SearchViewModel.h"

#include "data/PostgRESTClient.h"
#include "data/PostgRESTError.h"
#include "data/SearchService.h"
#include "platform/async/Detached.h"

#include <algorithm>

namespace huddlepod {

namespace {
const QString unconfiguredMessage = QStringLiteral("Huddlepod isn’t configured. Reinstall the app.");
const QString searchFallback = QStringLiteral("Something went wrong loading results.");
} // namespace

SearchViewModel::SearchViewModel(std::shared_ptr<SearchService> search,
                                 std::shared_ptr<PostgRESTClient> client, std::shared_ptr<Clock> clock,
                                 DiagnosticSink diagnostics, QObject* parent)
    : QObject(parent)
    , m_search(std::move(search))
    , m_client(std::move(client))
    , m_clock(std::move(clock))
    , m_diagnostics(std::move(diagnostics)) {
    if (!m_search)
        m_state = SearchState::failed(unconfiguredMessage);
}

SearchViewModel::~SearchViewModel() {
    // The task cannot keep a QObject alive; cancelling lets it end at its next resumption.
    cancelSearch();
}

void SearchViewModel::setQuery(const QString& query) {
    if (query == m_query)
        return;
    m_query = query;
    emit queryChanged();
    scheduleSearch();
}

void SearchViewModel::setAllowsHoverSelection(bool allows) {
    if (allows == m_allowsHoverSelection)
        return;
    m_allowsHoverSelection = allows;
    emit allowsHoverSelectionChanged();
}

std::optional<SearchResult> SearchViewModel::selectedResult() const {
    const auto& rows = m_state.rows();
    if (m_state.kind() != SearchState::Kind::results || m_selection < 0 ||
        m_selection >= static_cast<int>(rows.size()))
        return std::nullopt;
    return rows[static_cast<std::size_t>(m_selection)];
}

void SearchViewModel::reset() {
    cancelSearch();
    m_searchTask.reset();
    setQuery(QString());
    setSelection(0);
    setAllowsHoverSelection(false);
    if (m_search)
        setState(SearchState::idle());
}

void SearchViewModel::moveSelection(int delta) {
    const auto count = static_cast<int>(m_state.rows().size());
    if (count == 0)
        return;
    // Widened so that an extreme delta cannot overflow before the clamp.
    const auto target = static_cast<long long>(m_selection) + delta;
    setSelection(static_cast<int>(std::min<long long>(std::max<long long>(target, 0), count - 1)));
    ++m_keyboardNavigationTick;
    emit keyboardNavigationTickChanged();
}

void SearchViewModel::select(int index) {
    if (index >= 0 && index < static_cast<int>(m_state.rows().size()))
        setSelection(index);
}

void SearchViewModel::warmUp() {
    if (!m_client)
        return;
    // Neither stored nor cancelled; the client copy keeps it alive until the request ends.
    startDetached([client = m_client]() -> QCoro::Task<> { co_await client->warmUp(); });
}

void SearchViewModel::scheduleSearch() {
    cancelSearch();
    setSelection(0);
    setAllowsHoverSelection(false);
    if (!m_search)
        return;
    const std::optional<QString> normalized = SearchService::normalize(m_query);
    if (!normalized) {
        setState(SearchState::idle());
        return;
    }
    ++m_generation;
    m_searchTask.emplace();
    startDetached([self = QPointer(this), search = m_search, clock = m_clock, token = m_searchTask->token(),
                   generation = m_generation,
                   query = *normalized] { return runSearch(self, search, clock, token, generation, query); });
}

void SearchViewModel::cancelSearch() {
    if (m_searchTask)
        m_searchTask->cancel();
}

void SearchViewModel::setState(SearchState state) {
    if (state == m_state)
        return;
    m_state = std::move(state);
    emit stateChanged();
}

void SearchViewModel::setSelection(int selection) {
    if (selection == m_selection)
        return;
    m_selection = selection;
    emit selectionChanged();
}

void SearchViewModel::report(Clock::Duration elapsed, std::size_t count) const {
    m_diagnostics(timingLine(QStringLiteral("search → results"), elapsed,
                             QStringLiteral("%1 rows").arg(static_cast<qulonglong>(count))));
}

QCoro::Task<> SearchViewModel::runSearch(QPointer<SearchViewModel> self,
                                         std::shared_ptr<SearchService> search, std::shared_ptr<Clock> clock,
                                         CancellationToken token, std::uint64_t generation, QString query) {
    const auto isCurrent = [&] { return self && !token.isCancelled() && self->m_generation == generation; };
    if (!isCurrent())
        co_return;
    try {
        co_await clock->sleep(debounce, token);
    } catch (const CancelledError&) {
        // A cancelled wait just ends early; the check below drops the search.
    }
    if (!isCurrent())
        co_return;

    const Clock::Instant start = clock->now();
    self->setState(SearchState::loading());
    std::vector<SearchResult> rows;
    try {
        rows = co_await search->search(query, token);
    } catch (...) {
        if (!isCurrent())
            co_return;
        self->setState(
            SearchState::failed(PostgRESTError::userMessage(std::current_exception(), searchFallback)));
        co_return;
    }
    if (!isCurrent())
        co_return;
    self->report(clock->now() - start, rows.size());
    self->setState(rows.empty() ? SearchState::empty(query) : SearchState::results(std::move(rows)));
}

} // namespace huddlepod
