// The header of one game, embedded in every game-log row: week, date, teams and score.
#pragma once

#include "data/Models/FieldTable.h"
#include "data/Models/SeasonType.h"

#include <QString>

#include <optional>
#include <tuple>

#define HUDDLEPOD_GAME_CONTEXT_FIELDS(X)                                                                     \
    X(std::int64_t, year)                                                                                    \
    X(QString, week)                                                                                         \
    X(std::optional<QString>, gameDate)                                                                      \
    X(SeasonType, seasonType)                                                                                \
    X(std::optional<QString>, homeTeamAbbr)                                                                  \
    X(std::optional<QString>, awayTeamAbbr)                                                                  \
    X(std::optional<std::int64_t>, homeScore)                                                                \
    X(std::optional<std::int64_t>, awayScore)

namespace huddlepod {

struct GameContext {
    HUDDLEPOD_GAME_CONTEXT_FIELDS(HUDDLEPOD_DECLARE_FIELD)

    // "WC", "DIV", "CONF", "SB" for the playoff rounds; any other week as it is.
    QString weekLabel() const;
    // The other side of the game for `team`; a team that is not the home team counts as the away side.
    std::optional<QString> opponent(const std::optional<QString>& team) const;
    bool isHome(const std::optional<QString>& team) const;
    // "W", "L" or "T" for `team`; absent without a team or without both scores.
    std::optional<QString> result(const std::optional<QString>& team) const;

    static constexpr auto fields() {
        using Self = GameContext;
        return std::tuple{HUDDLEPOD_GAME_CONTEXT_FIELDS(HUDDLEPOD_LIST_FIELD)};
    }

    bool operator==(const GameContext&) const = default;
};

} // namespace huddlepod
