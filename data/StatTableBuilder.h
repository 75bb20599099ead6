// Builds a player card's season tables: one row per season, a regular-season and a postseason section.
#pragma once

#include "data/DataTable.h"
#include "data/Models/PlayerStats.h"

#include <vector>

namespace huddlepod::StatTableBuilder {

// The tables worth showing for this career, in StatSection order; empty tables left out.
std::vector<DataTable> sections(const PlayerStats& stats);

DataTable passing(const std::vector<PassingSeason>& seasons);
DataTable rushing(const std::vector<RushingReceivingSeason>& seasons);
DataTable receiving(const std::vector<RushingReceivingSeason>& seasons);
DataTable defense(const std::vector<DefenseSeason>& seasons);
DataTable kicking(const std::vector<KickingSeason>& seasons);
DataTable punting(const std::vector<PuntingSeason>& seasons);
DataTable returns(const std::vector<ReturnsSeason>& seasons);
DataTable scoring(const std::vector<ScoringSeason>& seasons);

} // namespace huddlepod::StatTableBuilder
