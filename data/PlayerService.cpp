// Player reads: one table read per request; cards, statistics and game logs fan out and wait for every child.
#include "data/PlayerService.h"

#include "platform/async/FanOut.h"

#include <QHash>

#include <algorithm>

namespace huddlepod {

namespace {

QString equalsID(const QUuid& id) {
    return QStringLiteral("eq.") + id.toString(QUuid::WithoutBraces).toLower();
}

// Thrown by the biography child of a card when the player has no row: met first in await order, it
// cancels and waits for the other children and turns into "no card", whatever they did.
struct NoBiography {};

QCoro::Task<std::optional<HallOfFameEntry>> noHallOfFameEntry() {
    co_return std::nullopt;
}

} // namespace

PlayerService::PlayerService(std::shared_ptr<PostgRESTClient> client)
    : m_client(std::move(client)) {}

PlayerService::PlayerService() = default;

PlayerService::~PlayerService() = default;

QueryItems PlayerService::bioQuery(QUuid id) {
    return {{QStringLiteral("id"), equalsID(id)}, {QStringLiteral("limit"), QStringLiteral("1")}};
}

QueryItems PlayerService::seasonsQuery(QUuid playerID) {
    return {{QStringLiteral("player_id"), equalsID(playerID)},
            {QStringLiteral("order"), QStringLiteral("year.asc,season_type.asc")}};
}

QueryItems PlayerService::hallOfFameQuery(QUuid playerID) {
    return {{QStringLiteral("player_id"), equalsID(playerID)},
            {QStringLiteral("limit"), QStringLiteral("1")}};
}

QueryItems PlayerService::gameLinesQuery(QUuid playerID, int year) {
    return {
        {QStringLiteral("player_id"), equalsID(playerID)},
        {QStringLiteral("select"),
         QStringLiteral("game_id,team_abbr,games!inner(year,week,game_date,season_type,home_team_abbr,"
                        "away_team_abbr,home_score,away_score),*")},
        {QStringLiteral("games.year"), QStringLiteral("eq.") + QString::number(year)},
        {QStringLiteral("order"), QStringLiteral("games(game_date).asc")},
    };
}

QCoro::Task<std::optional<PlayerBio>> PlayerService::bio(QUuid id, CancellationToken token) {
    std::vector<PlayerBio> rows =
        co_await m_client->select<PlayerBio>(QStringLiteral("players"), bioQuery(id), token);
    if (rows.empty())
        co_return std::nullopt;
    co_return std::move(rows.front());
}

template <StatSeason Season>
QCoro::Task<std::vector<Season>> PlayerService::seasons(StatFamily family, QUuid playerID,
                                                        CancellationToken token) {
    co_return co_await m_client->select<Season>(rawValue(family), seasonsQuery(playerID), token);
}

template QCoro::Task<std::vector<PassingSeason>> PlayerService::seasons(StatFamily, QUuid, CancellationToken);
template QCoro::Task<std::vector<RushingReceivingSeason>> PlayerService::seasons(StatFamily, QUuid,
                                                                                 CancellationToken);
template QCoro::Task<std::vector<DefenseSeason>> PlayerService::seasons(StatFamily, QUuid, CancellationToken);
template QCoro::Task<std::vector<KickingSeason>> PlayerService::seasons(StatFamily, QUuid, CancellationToken);
template QCoro::Task<std::vector<PuntingSeason>> PlayerService::seasons(StatFamily, QUuid, CancellationToken);
template QCoro::Task<std::vector<ReturnsSeason>> PlayerService::seasons(StatFamily, QUuid, CancellationToken);
template QCoro::Task<std::vector<ScoringSeason>> PlayerService::seasons(StatFamily, QUuid, CancellationToken);

QCoro::Task<std::vector<PassingSeason>> PlayerService::passing(QUuid playerID, CancellationToken token) {
    return seasons<PassingSeason>(StatFamily::passing, playerID, std::move(token));
}

QCoro::Task<std::vector<RushingReceivingSeason>> PlayerService::rushingReceiving(QUuid playerID,
                                                                                 CancellationToken token) {
    return seasons<RushingReceivingSeason>(StatFamily::rushingReceiving, playerID, std::move(token));
}

QCoro::Task<std::vector<DefenseSeason>> PlayerService::defense(QUuid playerID, CancellationToken token) {
    return seasons<DefenseSeason>(StatFamily::defense, playerID, std::move(token));
}

QCoro::Task<std::vector<KickingSeason>> PlayerService::kicking(QUuid playerID, CancellationToken token) {
    return seasons<KickingSeason>(StatFamily::kicking, playerID, std::move(token));
}

QCoro::Task<std::vector<PuntingSeason>> PlayerService::punting(QUuid playerID, CancellationToken token) {
    return seasons<PuntingSeason>(StatFamily::punting, playerID, std::move(token));
}

QCoro::Task<std::vector<ReturnsSeason>> PlayerService::returns(QUuid playerID, CancellationToken token) {
    return seasons<ReturnsSeason>(StatFamily::returns, playerID, std::move(token));
}

QCoro::Task<std::vector<ScoringSeason>> PlayerService::scoring(QUuid playerID, CancellationToken token) {
    return seasons<ScoringSeason>(StatFamily::scoring, playerID, std::move(token));
}

QCoro::Task<PlayerStats> PlayerService::stats(QUuid playerID, CancellationToken token) {
    auto [passingRows, rushingReceivingRows, defenseRows, kickingRows, puntingRows, returnsRows,
          scoringRows] =
        co_await fanOut(
            std::move(token),
            [this, playerID](CancellationToken t) {
                return seasons<PassingSeason>(StatFamily::passing, playerID, std::move(t));
            },
            [this, playerID](CancellationToken t) {
                return seasons<RushingReceivingSeason>(StatFamily::rushingReceiving, playerID, std::move(t));
            },
            [this, playerID](CancellationToken t) {
                return seasons<DefenseSeason>(StatFamily::defense, playerID, std::move(t));
            },
            [this, playerID](CancellationToken t) {
                return seasons<KickingSeason>(StatFamily::kicking, playerID, std::move(t));
            },
            [this, playerID](CancellationToken t) {
                return seasons<PuntingSeason>(StatFamily::punting, playerID, std::move(t));
            },
            [this, playerID](CancellationToken t) {
                return seasons<ReturnsSeason>(StatFamily::returns, playerID, std::move(t));
            },
            [this, playerID](CancellationToken t) {
                return seasons<ScoringSeason>(StatFamily::scoring, playerID, std::move(t));
            });
    co_return PlayerStats{
        .passing = std::move(passingRows),
        .rushingReceiving = std::move(rushingReceivingRows),
        .defense = std::move(defenseRows),
        .kicking = std::move(kickingRows),
        .punting = std::move(puntingRows),
        .returns = std::move(returnsRows),
        .scoring = std::move(scoringRows),
    };
}

QCoro::Task<std::optional<HallOfFameEntry>> PlayerService::hallOfFame(QUuid playerID,
                                                                      CancellationToken token) {
    std::vector<HallOfFameEntry> rows = co_await m_client->select<HallOfFameEntry>(
        QStringLiteral("hall_of_fame"), hallOfFameQuery(playerID), token);
    if (rows.empty())
        co_return std::nullopt;
    co_return std::move(rows.front());
}

QCoro::Task<std::optional<PlayerCard>> PlayerService::card(QUuid playerID, bool isHallOfFamer,
                                                           CancellationToken token) {
    const auto requiredBio = [this, playerID](CancellationToken t) -> QCoro::Task<PlayerBio> {
        std::optional<PlayerBio> row = co_await bio(playerID, std::move(t));
        if (!row)
            throw NoBiography{};
        co_return std::move(*row);
    };
    try {
        auto [bioRow, statistics, hallOfFameRow] = co_await fanOut(
            std::move(token), requiredBio,
            [this, playerID](CancellationToken t) { return stats(playerID, std::move(t)); },
            [this, playerID, isHallOfFamer](CancellationToken t) {
                return isHallOfFamer ? hallOfFame(playerID, std::move(t)) : noHallOfFameEntry();
            });
        co_return PlayerCard(std::move(bioRow), std::move(statistics), std::move(hallOfFameRow));
    } catch (const NoBiography&) {
        co_return std::nullopt;
    }
}

template <GameLine Line>
QCoro::Task<std::vector<Line>> PlayerService::gameLines(QString table, QUuid playerID, int year,
                                                        CancellationToken token) {
    co_return co_await m_client->select<Line>(table, gameLinesQuery(playerID, year), token);
}

QCoro::Task<std::vector<GameLogEntry>> PlayerService::gameLog(QUuid playerID, int year,
                                                              CancellationToken token) {
    auto [offense, defense, kicking, returns] = co_await fanOut(
        std::move(token),
        [this, playerID, year](CancellationToken t) {
            return gameLines<GameOffenseLine>(QStringLiteral("game_player_offense"), playerID, year,
                                              std::move(t));
        },
        [this, playerID, year](CancellationToken t) {
            return gameLines<GameDefenseLine>(QStringLiteral("game_player_defense"), playerID, year,
                                              std::move(t));
        },
        [this, playerID, year](CancellationToken t) {
            return gameLines<GameKickingLine>(QStringLiteral("game_player_kicking"), playerID, year,
                                              std::move(t));
        },
        [this, playerID, year](CancellationToken t) {
            return gameLines<GameReturnsLine>(QStringLiteral("game_player_returns"), playerID, year,
                                              std::move(t));
        });
    co_return mergeGameLog(offense, defense, kicking, returns);
}

namespace {

// Within one family the first line of a game wins.
template <GameLine Line>
QHash<QUuid, const Line*> firstLinePerGame(const std::vector<Line>& lines) {
    QHash<QUuid, const Line*> byGame;
    byGame.reserve(static_cast<qsizetype>(lines.size()));
    for (const Line& line : lines) {
        if (!byGame.contains(line.gameId))
            byGame.insert(line.gameId, &line);
    }
    return byGame;
}

template <GameLine Line>
std::optional<Line> lineFor(const QHash<QUuid, const Line*>& byGame, const QUuid& game) {
    const Line* line = byGame.value(game, nullptr);
    return line ? std::optional<Line>(*line) : std::nullopt;
}

} // namespace

std::vector<GameLogEntry> PlayerService::mergeGameLog(const std::vector<GameOffenseLine>& offense,
                                                      const std::vector<GameDefenseLine>& defense,
                                                      const std::vector<GameKickingLine>& kicking,
                                                      const std::vector<GameReturnsLine>& returns) {
    // The first line met for a game, walking the families in order, gives its header and team.
    struct Header {
        const GameContext* context;
        const std::optional<QString>* teamAbbr;
    };
    QHash<QUuid, Header> headers;
    std::vector<QUuid> order;
    const auto meet = [&](const auto& lines) {
        for (const auto& line : lines) {
            if (!headers.contains(line.gameId)) {
                headers.insert(line.gameId, Header{&line.games, &line.teamAbbr});
                order.push_back(line.gameId);
            }
        }
    };
    meet(offense);
    meet(defense);
    meet(kicking);
    meet(returns);

    const auto offenseByGame = firstLinePerGame(offense);
    const auto defenseByGame = firstLinePerGame(defense);
    const auto kickingByGame = firstLinePerGame(kicking);
    const auto returnsByGame = firstLinePerGame(returns);

    std::vector<GameLogEntry> entries;
    entries.reserve(order.size());
    for (const QUuid& game : order) {
        const Header header = headers.value(game);
        entries.push_back(GameLogEntry{
            .id = game,
            .context = *header.context,
            .teamAbbr = *header.teamAbbr,
            .offense = lineFor(offenseByGame, game),
            .defense = lineFor(defenseByGame, game),
            .kicking = lineFor(kickingByGame, game),
            .returns = lineFor(returnsByGame, game),
        });
    }
    // Plain text order of the dates, a missing date counting as empty, so undated games come first.
    std::stable_sort(entries.begin(), entries.end(), [](const GameLogEntry& a, const GameLogEntry& b) {
        return a.context.gameDate.value_or(QString()) < b.context.gameDate.value_or(QString());
    });
    return entries;
}

} // namespace huddlepod
