// A whole season's schedule: its weeks in schedule order, one table per week and one per team.
#pragma once

#include "data/DataTable.h"
#include "data/ScheduleWeek.h"

#include <QString>

#include <map>
#include <vector>

namespace huddlepod {

struct SeasonSchedule {
    std::vector<ScheduleWeek> weeks;          // schedule order
    std::map<ScheduleWeek, DataTable> tables; // one per week
    std::vector<QString> teams;               // abbreviations that have a team table, in byte order
    std::map<QString, DataTable> teamTables;  // one per team abbreviation

    bool operator==(const SeasonSchedule&) const = default;
};

} // namespace huddlepod
