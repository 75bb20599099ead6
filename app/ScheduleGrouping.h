// How the schedule page narrows its games: one week of the season, or one team's season.
#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <type_traits>

namespace huddlepod {

enum class ScheduleGrouping { week, team };

inline constexpr std::array<ScheduleGrouping, 2> allScheduleGroupings{ScheduleGrouping::week,
                                                                      ScheduleGrouping::team};

// The raw value, which is also the identity and the title shown on the toggle.
inline QString rawValue(ScheduleGrouping grouping) {
    switch (grouping) {
    case ScheduleGrouping::week:
        return QStringLiteral("Week");
    case ScheduleGrouping::team:
        return QStringLiteral("Team");
    }
    return {};
}

inline QString title(ScheduleGrouping grouping) {
    return rawValue(grouping);
}

// Every case in declaration order; with title() this makes the type a toggle option.
inline const auto& allCases(std::type_identity<ScheduleGrouping>) {
    return allScheduleGroupings;
}

inline std::optional<ScheduleGrouping> scheduleGroupingFromRawValue(QStringView raw) {
    for (ScheduleGrouping grouping : allScheduleGroupings) {
        if (raw == rawValue(grouping))
            return grouping;
    }
    return std::nullopt;
}

} // namespace huddlepod
