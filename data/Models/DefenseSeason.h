// One defense row of a player's season.
#pragma once

#include "data/Models/StatSeason.h"

#include <tuple>

namespace huddlepod {

#define HUDDLEPOD_DEFENSE_SEASON_FIELDS(X)                                                                   \
    X(std::optional<int>, defInt)                                                                            \
    X(std::optional<int>, defIntYds)                                                                         \
    X(std::optional<int>, defIntTd)                                                                          \
    X(std::optional<int>, defIntLong)                                                                        \
    X(std::optional<int>, passDefended)                                                                      \
    X(std::optional<int>, fumblesForced)                                                                     \
    X(std::optional<int>, fumblesRec)                                                                        \
    X(std::optional<int>, fumblesRecYds)                                                                     \
    X(std::optional<int>, fumblesRecTd)                                                                      \
    X(std::optional<int>, fumbles)                                                                           \
    X(std::optional<double>, sacks)                                                                          \
    X(std::optional<int>, tacklesCombined)                                                                   \
    X(std::optional<int>, tacklesSolo)                                                                       \
    X(std::optional<int>, tacklesAssists)                                                                    \
    X(std::optional<int>, tacklesLoss)                                                                       \
    X(std::optional<int>, qbHits)                                                                            \
    X(std::optional<int>, safetyMd)                                                                          \
    X(std::optional<int>, av)

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
