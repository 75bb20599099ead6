// A closed range of season years, lowerBound...upperBound.
#pragma once

#include <cstdint>

namespace huddlepod {

struct YearRange {
    // The seasons a league can have. A year read outside them, or a range of more than maximumSpan years,
    // is a broken answer: nothing is ever listed or allocated per year beyond these.
    static constexpr std::int64_t earliestPlausible = 1800;
    static constexpr std::int64_t latestPlausible = 2500;
    static constexpr std::int64_t maximumSpan = 300;

    static constexpr bool isPlausible(std::int64_t year) {
        return year >= earliestPlausible && year <= latestPlausible;
    }

    std::int64_t lowerBound = 0;
    std::int64_t upperBound = 0;

    bool contains(std::int64_t year) const { return year >= lowerBound && year <= upperBound; }
    bool operator==(const YearRange&) const = default;
};

} // namespace huddlepod
