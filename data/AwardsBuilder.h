// Builds the awards tables: award winners, All-Pro teams and the All-Rookie team.
#pragma once

#include "data/DataTable.h"
#include "data/LeagueRows.h"

#include <vector>

namespace huddlepod::AwardsBuilder {

// First-ranked winners in award order.
DataTable winners(const std::vector<AwardRow>& rows);

// First and second team, each by position group, position order and name.
DataTable allPro(const std::vector<HonorRow>& rows);

// Every selection in one unlabelled section.
DataTable allRookie(const std::vector<HonorRow>& rows);

} // namespace huddlepod::AwardsBuilder
