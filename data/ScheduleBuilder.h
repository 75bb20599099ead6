// Builds a season's schedule: the weeks in order, a table per week and a table per team.
#pragma once

#include "data/DataTable.h"
#include "data/LeagueRows.h"
#include "data/ScheduleWeek.h"
#include "data/SeasonSchedule.h"

#include <cstddef>
#include <vector>

namespace huddlepod::ScheduleBuilder {

// The most games a season's schedule query asks for.
inline constexpr std::size_t maximumGames = 600;

// Games arrive ordered by date, then time. More than maximumGames is a broken answer: PostgRESTError
// (decoding) rather than tables whose bye rows grow with teams × weeks.
SeasonSchedule season(const std::vector<GameRow>& games);

// One week's table from that week's games.
DataTable build(const std::vector<GameRow>& games, const ScheduleWeek& week);

// One team's games over the season's weeks in schedule order, with byes between its first and last week.
DataTable team(const QString& abbreviation, const std::vector<GameRow>& rows,
               const std::vector<ScheduleWeek>& weeks);

} // namespace huddlepod::ScheduleBuilder
