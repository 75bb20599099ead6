// What every game-log line shares: the game's id, the player's team and the embedded game header.
#pragma once

#include "data/Models/GameContext.h"

#include <QUuid>

#include <concepts>

#define HUDDLEPOD_GAME_LINE_FIELDS(X)                                                                        \
    X(QUuid, gameId)                                                                                         \
    X(std::optional<QString>, teamAbbr)                                                                      \
    X(GameContext, games)

namespace huddlepod {

template <class L>
concept GameLine = requires(const L& line) {
    { line.gameId } -> std::convertible_to<QUuid>;
    { line.teamAbbr } -> std::convertible_to<std::optional<QString>>;
    { line.games } -> std::convertible_to<GameContext>;
};

} // namespace huddlepod
