// Everything a player card shows: biography, season records, Hall of Fame row and the built season tables.
#pragma once

#include "data/DataTable.h"
#include "data/Models/HallOfFameEntry.h"
#include "data/Models/PlayerBio.h"
#include "data/Models/PlayerStats.h"

#include <optional>
#include <vector>

namespace huddlepod {

struct PlayerCard {
    // Builds `tables` from `stats`.
    PlayerCard(PlayerBio bio, PlayerStats stats, std::optional<HallOfFameEntry> hallOfFame);

    PlayerBio bio;
    PlayerStats stats;
    std::optional<HallOfFameEntry> hallOfFame; // absent when not asked for or when the player has none
    std::vector<DataTable> tables;             // StatTableBuilder::sections(stats)
};

} // namespace huddlepod
