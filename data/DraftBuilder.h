// Builds the table of one draft round, in overall pick order.
#pragma once

#include "data/DataTable.h"
#include "data/LeagueRows.h"

#include <vector>

namespace huddlepod::DraftBuilder {

DataTable build(const std::vector<DraftPickRow>& rows, int year, int round);

} // namespace huddlepod::DraftBuilder
