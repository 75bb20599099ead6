// One kick- and punt-return row of a player's season.
#pragma once

#include "data/Models/StatSeason.h"

#include <tuple>

namespace huddlepod {

#define HUDDLEPOD_RETURNS_SEASON_FIELDS(X)                                                                   \
    X(std::optional<int>, puntRet)                                                                           \
    X(std::optional<int>, puntRetYds)                                                                        \
    X(std::optional<int>, puntRetTd)                                                                         \
    X(std::optional<int>, puntRetLong)                                                                       \
    X(std::optional<int>, kickRet)                                                                           \
    X(std::optional<int>, kickRetYds)                                                                        \
    X(std::optional<int>, kickRetTd)                                                                         \
    X(std::optional<int>, kickRetLong)                                                                       \
    X(std::optional<double>, kickRetYdsPerRet)                                                               \
    X(std::optional<int>, allPurposeYds)

struct ReturnsSeason {
    HUDDLEPOD_STAT_SEASON_FIELDS(HUDDLEPOD_DECLARE_FIELD)
    HUDDLEPOD_RETURNS_SEASON_FIELDS(HUDDLEPOD_DECLARE_FIELD)

    bool isMeaningful() const { return atLeast(puntRet, 1) || atLeast(kickRet, 1); }
    bool isSubstantive() const {
        return atLeast(puntRet, incidentalStatThreshold) || atLeast(kickRet, incidentalStatThreshold);
    }

    static constexpr auto fields() {
        using Self = ReturnsSeason;
        return std::tuple{HUDDLEPOD_STAT_SEASON_FIELDS(HUDDLEPOD_LIST_FIELD)
                              HUDDLEPOD_RETURNS_SEASON_FIELDS(HUDDLEPOD_LIST_FIELD)};
    }

    bool operator==(const ReturnsSeason&) const = default;
};

} // namespace huddlepod
