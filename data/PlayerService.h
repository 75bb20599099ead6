// Reads one player from the backend: biography, season records, Hall of Fame row, game logs, whole cards.
#pragma once

#include "data/Models/GameLogEntry.h"
#include "data/Models/HallOfFameEntry.h"
#include "data/Models/PlayerBio.h"
#include "data/Models/PlayerStats.h"
#include "data/PlayerCard.h"
#include "data/PostgRESTClient.h"
#include "data/StatFamily.h"
#include "platform/async/Cancellation.h"

#include <QString>
#include <QUuid>
#include <qcoro/qcorotask.h>

#include <memory>
#include <optional>
#include <vector>

namespace huddlepod {

// Lives on the GUI thread and keeps no cache: every call sends fresh requests through the shared client.
// Failures are the client's PostgRESTError. Concurrent reads wait for every request
// they started before they return or throw, and report the first error in their fixed order.
class PlayerService {
public:
    // Shares ownership of the client, which lives at least as long as the service.
    explicit PlayerService(std::shared_ptr<PostgRESTClient> client);
    virtual ~PlayerService();
    PlayerService(const PlayerService&) = delete;
    PlayerService& operator=(const PlayerService&) = delete;

    // None when the player has no row.
    virtual QCoro::Task<std::optional<PlayerBio>> bio(QUuid id, CancellationToken token = {});

    // The rows of one family's table; `Season` must be that family's record.
    template <StatSeason Season>
    QCoro::Task<std::vector<Season>> seasons(StatFamily family, QUuid playerID, CancellationToken token = {});

    virtual QCoro::Task<std::vector<PassingSeason>> passing(QUuid playerID, CancellationToken token = {});
    virtual QCoro::Task<std::vector<RushingReceivingSeason>> rushingReceiving(QUuid playerID,
                                                                              CancellationToken token = {});
    virtual QCoro::Task<std::vector<DefenseSeason>> defense(QUuid playerID, CancellationToken token = {});
    virtual QCoro::Task<std::vector<KickingSeason>> kicking(QUuid playerID, CancellationToken token = {});
    virtual QCoro::Task<std::vector<PuntingSeason>> punting(QUuid playerID, CancellationToken token = {});
    virtual QCoro::Task<std::vector<ReturnsSeason>> returns(QUuid playerID, CancellationToken token = {});
    virtual QCoro::Task<std::vector<ScoringSeason>> scoring(QUuid playerID, CancellationToken token = {});

    // The seven families at once; the first failing family in family order wins.
    virtual QCoro::Task<PlayerStats> stats(QUuid playerID, CancellationToken token = {});
    // None when the player has no row.
    virtual QCoro::Task<std::optional<HallOfFameEntry>> hallOfFame(QUuid playerID,
                                                                   CancellationToken token = {});
    // One year's games from the four game tables, merged per game and sorted by date (undated first).
    virtual QCoro::Task<std::vector<GameLogEntry>> gameLog(QUuid playerID, int year,
                                                           CancellationToken token = {});
    // Biography, statistics and (only when `isHallOfFamer`) the Hall of Fame row at once. None when the
    // player has no biography row, whatever the other requests did.
    virtual QCoro::Task<std::optional<PlayerCard>> card(QUuid playerID, bool isHallOfFamer,
                                                        CancellationToken token = {});

    // Merges the four tables' lines into one entry per game (the first line met gives the header and team;
    // within a family the first line of a game wins) and sorts the entries by date text, undated first.
    static std::vector<GameLogEntry> mergeGameLog(const std::vector<GameOffenseLine>& offense,
                                                  const std::vector<GameDefenseLine>& defense,
                                                  const std::vector<GameKickingLine>& kicking,
                                                  const std::vector<GameReturnsLine>& returns);

protected:
    // For test doubles that override every operation they use; the base operations must not be called.
    PlayerService();

private:
    // The query items of each request, in the order they are sent.
    static QueryItems bioQuery(QUuid id);
    static QueryItems seasonsQuery(QUuid playerID);
    static QueryItems hallOfFameQuery(QUuid playerID);
    static QueryItems gameLinesQuery(QUuid playerID, int year);

    template <GameLine Line>
    QCoro::Task<std::vector<Line>> gameLines(QString table, QUuid playerID, int year,
                                             CancellationToken token);

    std::shared_ptr<PostgRESTClient> m_client;
};

} // namespace huddlepod
