// One kicking row of a player's season.
#pragma once

#include "data/Models/StatSeason.h"

#include <tuple>

namespace huddlepod {

#define HUDDLEPOD_KICKING_SEASON_FIELDS(X)                                                                   \
    X(std::optional<std::int64_t>, fga)                                                                      \
    X(std::optional<std::int64_t>, fgm)                                                                      \
    X(std::optional<double>, fgPct)                                                                          \
    X(std::optional<std::int64_t>, fgLong)                                                                   \
    X(std::optional<std::int64_t>, fga1)                                                                     \
    X(std::optional<std::int64_t>, fgm1)                                                                     \
    X(std::optional<std::int64_t>, fga2)                                                                     \
    X(std::optional<std::int64_t>, fgm2)                                                                     \
    X(std::optional<std::int64_t>, fga3)                                                                     \
    X(std::optional<std::int64_t>, fgm3)                                                                     \
    X(std::optional<std::int64_t>, fga4)                                                                     \
    X(std::optional<std::int64_t>, fgm4)                                                                     \
    X(std::optional<std::int64_t>, fga5)                                                                     \
    X(std::optional<std::int64_t>, fgm5)                                                                     \
    X(std::optional<std::int64_t>, xpa)                                                                      \
    X(std::optional<std::int64_t>, xpm)                                                                      \
    X(std::optional<double>, xpPct)                                                                          \
    X(std::optional<std::int64_t>, kickoff)                                                                  \
    X(std::optional<std::int64_t>, kickoffYds)                                                               \
    X(std::optional<double>, kickoffYdsAvg)                                                                  \
    X(std::optional<std::int64_t>, kickoffTb)                                                                \
    X(std::optional<double>, kickoffTbPct)                                                                   \
    X(std::optional<std::int64_t>, av)

struct KickingSeason {
    HUDDLEPOD_STAT_SEASON_FIELDS(HUDDLEPOD_DECLARE_FIELD)
    HUDDLEPOD_KICKING_SEASON_FIELDS(HUDDLEPOD_DECLARE_FIELD)

    bool isMeaningful() const { return atLeast(fga, 1) || atLeast(xpa, 1) || atLeast(kickoff, 1); }
    bool isSubstantive() const {
        // Field goal and extra point attempts count together.
        return sumAtLeast(fga.value_or(0), xpa.value_or(0), incidentalStatThreshold) ||
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
