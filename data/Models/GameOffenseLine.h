// A player's passing, rushing and receiving in one game ("game_player_offense").
#pragma once

#include "data/Models/GameLine.h"

#include <tuple>

#define HUDDLEPOD_GAME_OFFENSE_FIELDS(X)                                                                     \
    X(std::optional<int>, passCmp)                                                                           \
    X(std::optional<int>, passAtt)                                                                           \
    X(std::optional<int>, passYds)                                                                           \
    X(std::optional<int>, passTd)                                                                            \
    X(std::optional<int>, passInt)                                                                           \
    X(std::optional<double>, passRating)                                                                     \
    X(std::optional<int>, rushAtt)                                                                           \
    X(std::optional<int>, rushYds)                                                                           \
    X(std::optional<int>, rushTd)                                                                            \
    X(std::optional<int>, targets)                                                                           \
    X(std::optional<int>, rec)                                                                               \
    X(std::optional<int>, recYds)                                                                            \
    X(std::optional<int>, recTd)                                                                             \
    X(std::optional<int>, fumbles)

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
