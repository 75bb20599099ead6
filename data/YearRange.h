// A closed range of season years, lowerBound...upperBound.
#pragma once

namespace huddlepod {

struct YearRange {
    int lowerBound = 0;
    int upperBound = 0;

    bool contains(int year) const { return year >= lowerBound && year <= upperBound; }
    bool operator==(const YearRange&) const = default;
};

} // namespace huddlepod
