// A player's passing, rushing and receiving in one game ("game_player_offense").
#pragma once

#include "data/Models/GameLine.h"

#include <tuple>

#define HUDDLEPOD_GAME_OFFENSE_FIELDS(X)                                                                     \
    X(std::optional<std::int64_t>, passCmp)                                                                  \
    X(std::optional<std::int64_t>, passAtt)                                                                  \
    X(std::optional<std::int64_t>, passYds)                                                                  \
    X(std::optional<std::int64_t>, passTd)                                                                   \
    X(std::optional<std::int64_t>, passInt)                                                                  \
    X(std::optional<double>, passRating)                                                                     \
    X(std::optional<std::int64_t>, rushAtt)                                                                  \
    X(std::optional<std::int64_t>, rushYds)                                                                  \
    X(std::optional<std::int64_t>, rushTd)                                                                   \
    X(std::optional<std::int64_t>, targets)                                                                  \
    X(std::optional<std::int64_t>, rec)                                                                      \
    X(std::optional<std::int64_t>, recYds)                                                                   \
    X(std::optional<std::int64_t>, recTd)                                                                    \
    X(std::optional<std::int64_t>, fumbles)

namespace huddlepod {

struct GameOffenseLine {
    HUDDLEPOD_GAME_LINE_FIELDS(HUDDLEPOD_DECLARE_FIELD)
    HUDDLEPOD_GAME_OFFENSE_FIELDS(HUDDLEPOD_DECLARE_FIELD)

    static constexpr auto fields() {
        using Self = GameOffenseLine;
        return std::tuple{HUDDLEPOD_GAME_LINE_FIELDS(HUDDLEPOD_LIST_FIELD)
                              HUDDLEPOD_GAME_OFFENSE_FIELDS(HUDDLEPOD_LIST_FIELD)};
    }

    bool operator==(const GameOffenseLine&) const = default;
};

} // namespace huddlepod
