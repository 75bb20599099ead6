// Builds the table of championship games, newest first.
#pragma once

#include "data/DataTable.h"
#include "data/LeagueRows.h"

#include <vector>

namespace huddlepod::ChampionsBuilder {

DataTable build(const std::vector<SuperBowlRow>& rows);

} // namespace huddlepod::ChampionsBuilder
