// Builds one season's game-log table: a row per game, stat groups chosen from the career and fitted to a
// width.
#pragma once

#include "data/DataTable.h"
#include "data/Models/GameLogEntry.h"
#include "data/Models/PlayerStats.h"

#include <vector>

namespace huddlepod::GameLogBuilder {

// The width budget of the chosen columns, in points (gaps not counted).
inline constexpr double availableWidth = 416.0;

// The game-log table of `entries` (in their order) for a player whose career is `stats`.
DataTable build(const std::vector<GameLogEntry>& entries, const PlayerStats& stats);

} // namespace huddlepod::GameLogBuilder
