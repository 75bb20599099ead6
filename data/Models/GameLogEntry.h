// One game of a player's log: the game header, the player's team and the player's lines for that game.
#pragma once

#include "data/Models/GameDefenseLine.h"
#include "data/Models/GameKickingLine.h"
#include "data/Models/GameOffenseLine.h"
#include "data/Models/GameReturnsLine.h"

#include <optional>

namespace huddlepod {

struct GameLogEntry {
    QUuid id{};
    GameContext context{};
    std::optional<QString> teamAbbr{};
    std::optional<GameOffenseLine> offense{};
    std::optional<GameDefenseLine> defense{};
    std::optional<GameKickingLine> kicking{};
    std::optional<GameReturnsLine> returns{};

    std::optional<QString> opponent() const { return context.opponent(teamAbbr); }
    bool isHome() const { return context.isHome(teamAbbr); }
    std::optional<QString> result() const { return context.result(teamAbbr); }
    // "vs OPP" at home, "@ OPP" away, the em dash without an opponent.
    QString opponentLabel() const;

    bool operator==(const GameLogEntry&) const = default;
};

} // namespace huddlepod
