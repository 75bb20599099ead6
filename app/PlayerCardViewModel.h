// The state behind one opened player card: the card load, the tab shown and the per-season game logs.
#pragma once

#include "app/GameLogState.h"
#include "app/PlayerCardState.h"
#include "app/PlayerCardTab.h"
#include "app/TimingLine.h"
#include "data/Models/SearchResult.h"
#include "platform/async/Cancellation.h"
#include "platform/async/Clock.h"

#include <QObject>
#include <QPointer>

#include <qcoro/qcorotask.h>

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace huddlepod {

class PlayerService;

class PlayerCardViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(huddlepod::PlayerCardState state READ state WRITE setState NOTIFY stateChanged)
    Q_PROPERTY(huddlepod::PlayerCardTab tab READ tab WRITE setTab NOTIFY tabChanged)
    Q_PROPERTY(huddlepod::GameLogState gameLogState READ gameLogState WRITE setGameLogState NOTIFY
                   gameLogStateChanged)
    Q_PROPERTY(std::optional<int> selectedYear READ selectedYear NOTIFY selectedYearChanged)

public:
    // Starts nothing; the card view calls load() on every appearance.
    PlayerCardViewModel(SearchResult summary, std::shared_ptr<PlayerService> players,
                        std::shared_ptr<Clock> clock, DiagnosticSink diagnostics = writeToStandardError,
                        QObject* parent = nullptr);
    ~PlayerCardViewModel() override;

    const SearchResult& summary() const { return m_summary; }
    const PlayerCardState& state() const { return m_state; }
    PlayerCardTab tab() const { return m_tab; }
    const GameLogState& gameLogState() const { return m_gameLogState; }
    std::optional<int> selectedYear() const { return m_selectedYear; }

    // Every season of the loaded card, newest first; empty until the card is loaded.
    std::vector<int> availableYears() const;

    // (Re)fetches the card; a card already shown stays until the new answer arrives.
    void load();
    // Cancels the card load and the game-log load.
    void cancel();
    // Every write, the same value included, loads the selected season's game log when it is the game-log tab.
    void setTab(PlayerCardTab tab);
    // The year picker's choice; ignored for the selected season and for seasons the card does not have.
    void selectYear(int year);

    // Plain stores, for the debug driver.
    void setState(PlayerCardState state);
    void setGameLogState(GameLogState state);

signals:
    void stateChanged();
    void tabChanged();
    void gameLogStateChanged();
    void selectedYearChanged();

private:
    void loadGameLogIfNeeded();
    void loadGameLog(int year);
    void setSelectedYear(std::optional<int> year);
    void report(Clock::Duration elapsed, const QString& label, const QString& detail) const;

    static QCoro::Task<> runCardLoad(QPointer<PlayerCardViewModel> self,
                                     std::shared_ptr<PlayerService> players, std::shared_ptr<Clock> clock,
                                     CancellationToken token);
    static QCoro::Task<> runGameLog(QPointer<PlayerCardViewModel> self,
                                    std::shared_ptr<PlayerService> players, std::shared_ptr<Clock> clock,
                                    CancellationToken token, int year, PlayerStats stats);

    const SearchResult m_summary;
    const std::shared_ptr<PlayerService> m_players;
    std::shared_ptr<Clock> m_clock;
    DiagnosticSink m_diagnostics;

    PlayerCardState m_state;
    PlayerCardTab m_tab = PlayerCardTab::seasons;
    GameLogState m_gameLogState;
    std::optional<int> m_selectedYear;

    std::optional<CancellationSource> m_loadTask;
    std::optional<CancellationSource> m_gameLogTask;
    std::map<int, DataTable> m_gameLogCache; // every table built so far, empty ones included
};

} // namespace huddlepod
