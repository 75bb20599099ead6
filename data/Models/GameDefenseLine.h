// A player's defense in one game ("game_player_defense").
#pragma once

#include "data/Models/GameLine.h"

#include <tuple>

#define HUDDLEPOD_GAME_DEFENSE_FIELDS(X)                                                                     \
    X(std::optional<std::int64_t>, tacklesCombined)                                                          \
    X(std::optional<std::int64_t>, tacklesSolo)                                                              \
    X(std::optional<double>, sacks)                                                                          \
    X(std::optional<std::int64_t>, defInt)                                                                   \
    X(std::optional<std::int64_t>, passDefended)                                                             \
    X(std::optional<std::int64_t>, fumblesForced)

namespace huddlepod {

struct GameDefenseLine {
    HUDDLEPOD_GAME_LINE_FIELDS(HUDDLEPOD_DECLARE_FIELD)
    HUDDLEPOD_GAME_DEFENSE_FIELDS(HUDDLEPOD_DECLARE_FIELD)

    static constexpr auto fields() {
        using Self = GameDefenseLine;
        return std::tuple{HUDDLEPOD_GAME_LINE_FIELDS(HUDDLEPOD_LIST_FIELD)
                              HUDDLEPOD_GAME_DEFENSE_FIELDS(HUDDLEPOD_LIST_FIELD)};
    }

    bool operator==(const GameDefenseLine&) const = default;
};

} // namespace huddlepod
