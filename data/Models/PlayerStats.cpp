// The shared empty value and the year range of a player's season records.
#include "data/Models/PlayerStats.h"

#include <algorithm>

namespace huddlepod {

const PlayerStats& PlayerStats::empty() {
    static const PlayerStats value;
    return value;
}

bool PlayerStats::hasSubstantiveRushing() const {
    return std::any_of(rushingReceiving.begin(), rushingReceiving.end(), [](const RushingReceivingSeason& s) {
        return s.rushesAtLeast(incidentalStatThreshold);
    });
}

bool PlayerStats::hasSubstantiveReceiving() const {
    return std::any_of(rushingReceiving.begin(), rushingReceiving.end(), [](const RushingReceivingSeason& s) {
        return s.catchesAtLeast(incidentalStatThreshold);
    });
}

std::optional<YearRange> PlayerStats::seasonRange() const {
    std::optional<YearRange> range;
    forEachFamily([&range](const auto& seasons) {
        for (const auto& season : seasons) {
            if (!range)
                range = YearRange{season.year, season.year};
            range->lowerBound = std::min(range->lowerBound, season.year);
            range->upperBound = std::max(range->upperBound, season.year);
        }
    });
    return range;
}

} // namespace huddlepod
