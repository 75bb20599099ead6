// One kicking row of a player's season.
#pragma once

#include "data/Models/StatSeason.h"

#include <cstdint>
#include <tuple>

namespace huddlepod {

#define HUDDLEPOD_KICKING_SEASON_FIELDS(X)                                                                   \
    X(std::optional<int>, fga)                                                                               \
    X(std::optional<int>, fgm)                                                                               \
    X(std::optional<double>, fgPct)                                                                          \
    X(std::optional<int>, fgLong)                                                                            \
    X(std::optional<int>, fga1)                                                                              \
    X(std::optional<int>, fgm1)                                                                              \
    X(std::optional<int>, fga2)                                                                              \
    X(std::optional<int>, fgm2)                                                                              \
    X(std::optional<int>, fga3)                                                                              \
    X(std::optional<int>, fgm3)                                                                              \
    X(std::optional<int>, fga4)                                                                              \
    X(std::optional<int>, fgm4)                                                                              \
    X(std::optional<int>, fga5)                                                                              \
    X(std::optional<int>, fgm5)                                                                              \
    X(std::optional<int>, xpa)                                                                               \
    X(std::optional<int>, xpm)                                                                               \
    X(std::optional<double>, xpPct)                                                                          \
    X(std::optional<int>, kickoff)                                                                           \
    X(std::optional<int>, kickoffYds)                                                                        \
    X(std::optional<double>, kickoffYdsAvg)                                                                  \
    X(std::optional<int>, kickoffTb)                                                                         \
    X(std::optional<double>, kickoffTbPct)                                                                   \
    X(std::optional<int>, av)

struct KickingSeason {
    HUDDLEPOD_STAT_SEASON_FIELDS(HUDDLEPOD_DECLARE_FIELD)
    HUDDLEPOD_KICKING_SEASON_FIELDS(HUDDLEPOD_DECLARE_FIELD)

    bool isMeaningful() const { return atLeast(fga, 1) || atLeast(xpa, 1) || atLeast(kickoff, 1); }
    bool isSubstantive() const {
        // Field goal and extra point attempts count together; summed wide, as a backend count may be as large
        // as an int holds.
        return std::int64_t{fga.value_or(0)} + xpa.value_or(0) >= incidentalStatThreshold ||
               atLeast(kickoff, incidentalStatThreshold);
    }

    static constexpr auto fields() {
        using Self = KickingSeason;
        return std::tuple{HUDDLEPOD_STAT_SEASON_FIELDS(HUDDLEPOD_LIST_FIELD)
                              HUDDLEPOD_KICKING_SEASON_FIELDS(HUDDLEPOD_LIST_FIELD)};
    }

    bool operator==(const KickingSeason&) const = default;
};

} // namespace huddlepod
