// A player's kicking and punting in one game ("game_player_kicking").
#pragma once

#include "data/Models/GameLine.h"

#include <tuple>

#define HUDDLEPOD_GAME_KICKING_FIELDS(X)                                                                     \
    X(std::optional<std::int64_t>, fga)                                                                      \
    X(std::optional<std::int64_t>, fgm)                                                                      \
    X(std::optional<std::int64_t>, xpa)                                                                      \
    X(std::optional<std::int64_t>, xpm)                                                                      \
    X(std::optional<std::int64_t>, punt)                                                                     \
    X(std::optional<std::int64_t>, puntYds)                                                                  \
    X(std::optional<double>, puntYdsPerPunt)                                                                 \
    X(std::optional<std::int64_t>, puntLong)

namespace huddlepod {

struct GameKickingLine {
    HUDDLEPOD_GAME_LINE_FIELDS(HUDDLEPOD_DECLARE_FIELD)
    HUDDLEPOD_GAME_KICKING_FIELDS(HUDDLEPOD_DECLARE_FIELD)

    static constexpr auto fields() {
        using Self = GameKickingLine;
        return std::tuple{HUDDLEPOD_GAME_LINE_FIELDS(HUDDLEPOD_LIST_FIELD)
                              HUDDLEPOD_GAME_KICKING_FIELDS(HUDDLEPOD_LIST_FIELD)};
    }

    bool operator==(const GameKickingLine&) const = default;
};

} // namespace huddlepod
