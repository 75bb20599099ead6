// One kick- and punt-return row of a player's season.
#pragma once

#include "data/Models/StatSeason.h"

#include <tuple>

namespace huddlepod {

#define HUDDLEPOD_RETURNS_SEASON_FIELDS(X)                                                                   \
    X(std::optional<std::int64_t>, puntRet)                                                                  \
    X(std::optional<std::int64_t>, puntRetYds)                                                               \
    X(std::optional<std::int64_t>, puntRetTd)                                                                \
    X(std::optional<std::int64_t>, puntRetLong)                                                              \
    X(std::optional<std::int64_t>, kickRet)                                                                  \
    X(std::optional<std::int64_t>, kickRetYds)                                                               \
    X(std::optional<std::int64_t>, kickRetTd)                                                                \
    X(std::optional<std::int64_t>, kickRetLong)                                                              \
    X(std::optional<double>, kickRetYdsPerRet)                                                               \
    X(std::optional<std::int64_t>, allPurposeYds)

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
