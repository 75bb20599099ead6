// A player's kick and punt returns in one game ("game_player_returns").
#pragma once

#include "data/Models/GameLine.h"

#include <tuple>

#define HUDDLEPOD_GAME_RETURNS_FIELDS(X)                                                                     \
    X(std::optional<std::int64_t>, kickRet)                                                                  \
    X(std::optional<std::int64_t>, kickRetYds)                                                               \
    X(std::optional<std::int64_t>, kickRetTd)                                                                \
    X(std::optional<std::int64_t>, puntRet)                                                                  \
    X(std::optional<std::int64_t>, puntRetYds)                                                               \
    X(std::optional<std::int64_t>, puntRetTd)

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
