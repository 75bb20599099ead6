// Builds the standings table of one season by division or by conference.
#pragma once

#include "data/DataTable.h"
#include "data/LeagueRows.h"

#include <vector>

namespace huddlepod::StandingsBuilder {

// Rows arrive in ascending division rank; sections are the divisions in byte order, "League" last.
DataTable byDivision(const std::vector<StandingRow>& rows, const DivisionAssignments& assignments);

// Sections are the conferences in byte order ("League" among them); a cut line under the last playoff team.
DataTable byConference(const std::vector<StandingRow>& rows, const DivisionAssignments& assignments);

struct PromotedLabel {
    std::vector<StatColumn> columns;
    std::vector<DataSection> sections;
};

// Drops empty sections and moves the first section's label into the first column's title.
PromotedLabel promotingFirstSectionLabel(std::vector<StatColumn> columns, std::vector<DataSection> sections);

} // namespace huddlepod::StandingsBuilder
