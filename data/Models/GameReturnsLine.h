// A player's kick and punt returns in one game ("game_player_returns").
#pragma once

#include "data/Models/GameLine.h"

#include <tuple>

#define HUDDLEPOD_GAME_RETURNS_FIELDS(X)                                                                     \
    X(std::optional<int>, kickRet)                                                                           \
    X(std::optional<int>, kickRetYds)                                                                        \
    X(std::optional<int>, kickRetTd)                                                                         \
    X(std::optional<int>, puntRet)                                                                           \
    X(std::optional<int>, puntRetYds)                                                                        \
    X(std::optional<int>, puntRetTd)

namespace huddlepod {

struct GameReturnsLine {
    HUDDLEPOD_GAME_LINE_FIELDS(HUDDLEPOD_DECLARE_FIELD)
    HUDDLEPOD_GAME_RETURNS_FIELDS(HUDDLEPOD_DECLARE_FIELD)

    static constexpr auto fields() {
        using Self = GameReturnsLine;
        return std::tuple{HUDDLEPOD_GAME_LINE_FIELDS(HUDDLEPOD_LIST_FIELD)
                              HUDDLEPOD_GAME_RETURNS_FIELDS(HUDDLEPOD_LIST_FIELD)};
    }

    bool operator==(const GameReturnsLine&) const = default;
};

} // namespace huddlepod
