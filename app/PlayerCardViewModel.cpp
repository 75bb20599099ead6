// The state behind one opened player card: the card load, the tab shown and the per-season game logs.
#include "app/PlayerCardViewModel.h"

#include "data/GameLogBuilder.h"
#include "data/PlayerService.h"
#include "data/PostgRESTError.h"
#include "platform/async/Detached.h"

#include <algorithm>
#include <set>

namespace huddlepod {

namespace {
const QString unconfiguredMessage = QStringLiteral("Huddlepod isn’t configured.");
const QString missingRecordMessage = QStringLiteral("Couldn’t find that player’s record.");
const QString playerFallback = QStringLiteral("Something went wrong loading this player.");
} // namespace

PlayerCardViewModel::PlayerCardViewModel(SearchResult summary, std::shared_ptr<PlayerService> players,
                                         std::shared_ptr<Clock> clock, DiagnosticSink diagnostics,
                                         QObject* parent)
    : QObject(parent)
    , m_summary(std::move(summary))
    , m_players(std::move(players))
    , m_clock(std::move(clock))
    , m_diagnostics(std::move(diagnostics)) {}

PlayerCardViewModel::~PlayerCardViewModel() {
    // The tasks cannot keep a QObject alive; cancelling lets them end at their next resumption.
    if (m_loadTask)
        m_loadTask->cancel();
    if (m_gameLogTask)
        m_gameLogTask->cancel();
}

std::vector<int> PlayerCardViewModel::availableYears() const {
    const PlayerCard* card = m_state.card();
    if (!card)
        return {};
    std::set<int> years;
    card->stats.forEachFamily([&](const auto& seasons) {
        for (const auto& season : seasons)
            years.insert(season.year);
    });
    return {years.rbegin(), years.rend()};
}

void PlayerCardViewModel::load() {
    if (!m_players) {
        setState(PlayerCardState::failed(unconfiguredMessage));
        return;
    }
    if (m_loadTask)
        m_loadTask->cancel();
    m_loadTask.emplace();
    startDetached([self = QPointer(this), players = m_players, clock = m_clock, token = m_loadTask->token()] {
        return runCardLoad(self, players, clock, token);
    });
}

void PlayerCardViewModel::cancel() {
    if (m_loadTask)
        m_loadTask->cancel();
    if (m_gameLogTask) {
        m_gameLogTask->cancel();
        // Nothing is behind a "loading" game log any more; idle lets the next request start it again.
        if (m_gameLogState.kind() == GameLogState::Kind::loading)
            setGameLogState(GameLogState::idle());
    }
}

void PlayerCardViewModel::setTab(PlayerCardTab tab) {
    if (tab != m_tab) {
        m_tab = tab;
        emit tabChanged();
    }
    if (tab == PlayerCardTab::gameLog)
        loadGameLogIfNeeded();
}

void PlayerCardViewModel::selectYear(int year) {
    if (m_selectedYear == year)
        return;
    const std::vector<int> years = availableYears();
    if (std::find(years.begin(), years.end(), year) == years.end())
        return;
    setSelectedYear(year);
    loadGameLog(year);
}

void PlayerCardViewModel::setState(PlayerCardState state) {
    m_state = std::move(state);
    emit stateChanged();
}

void PlayerCardViewModel::setGameLogState(GameLogState state) {
    if (state == m_gameLogState)
        return;
    m_gameLogState = std::move(state);
    emit gameLogStateChanged();
}

void PlayerCardViewModel::loadGameLogIfNeeded() {
    if (m_state.kind() != PlayerCardState::Kind::loaded)
        return;
    if (!m_selectedYear) {
        const std::vector<int> years = availableYears();
        if (!years.empty())
            setSelectedYear(years.front());
    }
    if (m_selectedYear && m_gameLogState.kind() != GameLogState::Kind::loaded)
        loadGameLog(*m_selectedYear);
}

void PlayerCardViewModel::loadGameLog(int year) {
    const PlayerCard* card = m_state.card();
    if (!m_players || !card)
        return;
    if (auto cached = m_gameLogCache.find(year); cached != m_gameLogCache.end()) {
        // A running request for another season is left alone; its answer is dropped as stale.
        setGameLogState(cached->second.isEmpty() ? GameLogState::empty(year)
                                                 : GameLogState::loaded(cached->second));
        return;
    }
    if (m_gameLogTask)
        m_gameLogTask->cancel();
    setGameLogState(GameLogState::loading());
    m_gameLogTask.emplace();
    startDetached([self = QPointer(this), players = m_players, clock = m_clock,
                   token = m_gameLogTask->token(), year,
                   stats = card->stats] { return runGameLog(self, players, clock, token, year, stats); });
}

void PlayerCardViewModel::setSelectedYear(std::optional<int> year) {
    if (year == m_selectedYear)
        return;
    m_selectedYear = year;
    emit selectedYearChanged();
}

void PlayerCardViewModel::report(Clock::Duration elapsed, const QString& label, const QString& detail) const {
    m_diagnostics(timingLine(label, elapsed, detail));
}

QCoro::Task<> PlayerCardViewModel::runCardLoad(QPointer<PlayerCardViewModel> self,
                                               std::shared_ptr<PlayerService> players,
                                               std::shared_ptr<Clock> clock, CancellationToken token) {
    if (!self || token.isCancelled())
        co_return;
    const Clock::Instant start = clock->now();
    const QUuid playerID = self->m_summary.id;
    const bool isHallOfFamer = self->m_summary.isHOF;
    std::optional<PlayerCard> card;
    try {
        card = co_await players->card(playerID, isHallOfFamer, token);
    } catch (...) {
        if (!self || token.isCancelled())
            co_return;
        self->setState(
            PlayerCardState::failed(PostgRESTError::userMessage(std::current_exception(), playerFallback)));
        co_return;
    }
    if (!self || token.isCancelled())
        co_return;
    if (!card) {
        self->setState(PlayerCardState::failed(missingRecordMessage));
        co_return;
    }
    self->report(clock->now() - start, QStringLiteral("player card"),
                 QStringLiteral("%1 sections").arg(card->tables.size()));
    self->setState(PlayerCardState::loaded(std::move(*card)));
    // A game log dropped by cancel() while the game-log tab was open is asked for again.
    if (self->m_tab == PlayerCardTab::gameLog && self->m_gameLogState.kind() == GameLogState::Kind::idle)
        self->loadGameLogIfNeeded();
}

QCoro::Task<> PlayerCardViewModel::runGameLog(QPointer<PlayerCardViewModel> self,
                                              std::shared_ptr<PlayerService> players,
                                              std::shared_ptr<Clock> clock, CancellationToken token, int year,
                                              PlayerStats stats) {
    const auto isCurrent = [&] { return self && !token.isCancelled() && self->m_selectedYear == year; };
    if (!self || token.isCancelled())
        co_return;
    const Clock::Instant start = clock->now();
    const QUuid playerID = self->m_summary.id;
    std::vector<GameLogEntry> entries;
    try {
        entries = co_await players->gameLog(playerID, year, token);
    } catch (...) {
        if (!isCurrent())
            co_return;
        self->setGameLogState(
            GameLogState::failed(PostgRESTError::userMessage(std::current_exception(), playerFallback)));
        co_return;
    }
    if (!isCurrent())
        co_return;
    DataTable table = GameLogBuilder::build(entries, stats);
    self->m_gameLogCache[year] = table;
    self->report(clock->now() - start, QStringLiteral("game log %1").arg(year),
                 QStringLiteral("%1 games").arg(entries.size()));
    self->setGameLogState(table.isEmpty() ? GameLogState::empty(year)
                                          : GameLogState::loaded(std::move(table)));
}

} // namespace huddlepod
