// One defense row of a player's season.
#pragma once

#include "data/Models/StatSeason.h"

#include <tuple>

namespace huddlepod {

#define HUDDLEPOD_DEFENSE_SEASON_FIELDS(X)                                                                   \
    X(std::optional<std::int64_t>, defInt)                                                                   \
    X(std::optional<std::int64_t>, defIntYds)                                                                \
    X(std::optional<std::int64_t>, defIntTd)                                                                 \
    X(std::optional<std::int64_t>, defIntLong)                                                               \
    X(std::optional<std::int64_t>, passDefended)                                                             \
    X(std::optional<std::int64_t>, fumblesForced)                                                            \
    X(std::optional<std::int64_t>, fumblesRec)                                                               \
    X(std::optional<std::int64_t>, fumblesRecYds)                                                            \
    X(std::optional<std::int64_t>, fumblesRecTd)                                                             \
    X(std::optional<std::int64_t>, fumbles)                                                                  \
    X(std::optional<double>, sacks)                                                                          \
    X(std::optional<std::int64_t>, tacklesCombined)                                                          \
    X(std::optional<std::int64_t>, tacklesSolo)                                                              \
    X(std::optional<std::int64_t>, tacklesAssists)                                                           \
    X(std::optional<std::int64_t>, tacklesLoss)                                                              \
    X(std::optional<std::int64_t>, qbHits)                                                                   \
    X(std::optional<std::int64_t>, safetyMd)                                                                 \
    X(std::optional<std::int64_t>, av)

struct DefenseSeason {
    HUDDLEPOD_STAT_SEASON_FIELDS(HUDDLEPOD_DECLARE_FIELD)
    HUDDLEPOD_DEFENSE_SEASON_FIELDS(HUDDLEPOD_DECLARE_FIELD)

    bool isMeaningful() const {
        return atLeast(tacklesCombined, 1) || (sacks && *sacks > 0.0) || atLeast(defInt, 1) ||
               atLeast(passDefended, 1) || atLeast(fumblesForced, 1) || atLeast(fumblesRec, 1);
    }
    bool isSubstantive() const {
        // A single takeaway, pass defended or sack counts; tackles only from the threshold; recoveries never.
        return atLeast(defInt, 1) || atLeast(passDefended, 1) || (sacks && *sacks > 0.0) ||
               atLeast(fumblesForced, 1) || atLeast(tacklesCombined, incidentalStatThreshold);
    }

    static constexpr auto fields() {
        using Self = DefenseSeason;
        return std::tuple{HUDDLEPOD_STAT_SEASON_FIELDS(HUDDLEPOD_LIST_FIELD)
                              HUDDLEPOD_DEFENSE_SEASON_FIELDS(HUDDLEPOD_LIST_FIELD)};
    }

    bool operator==(const DefenseSeason&) const = default;
};

} // namespace huddlepod
