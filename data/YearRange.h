// A closed range of season years, lowerBound...upperBound.
#pragma once

#include <cstdint>

namespace huddlepod {

struct YearRange {
    std::int64_t lowerBound = 0;
    std::int64_t upperBound = 0;

    bool contains(std::int64_t year) const { return year >= lowerBound && year <= upperBound; }
    bool operator==(const YearRange&) const = default;
};

} // namespace huddlepod
