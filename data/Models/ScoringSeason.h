// One scoring row of a player's season.
#pragma once

#include "data/Models/StatSeason.h"

#include <tuple>

namespace huddlepod {

#define HUDDLEPOD_SCORING_SEASON_FIELDS(X)                                                                   \
    X(std::optional<int>, rushTd)                                                                            \
    X(std::optional<int>, recTd)                                                                             \
    X(std::optional<int>, puntRetTd)                                                                         \
    X(std::optional<int>, kickRetTd)                                                                         \
    X(std::optional<int>, fumblesRecTd)                                                                      \
    X(std::optional<int>, defIntTd)                                                                          \
    X(std::optional<int>, otherTd)                                                                           \
    X(std::optional<int>, totalTd)                                                                           \
    X(std::optional<int>, twoPtMd)                                                                           \
    X(std::optional<int>, defTwoPt)                                                                          \
    X(std::optional<int>, xpm)                                                                               \
    X(std::optional<int>, xpa)                                                                               \
    X(std::optional<int>, fgm)                                                                               \
    X(std::optional<int>, fga)                                                                               \
    X(std::optional<int>, safetyMd)                                                                          \
    X(std::optional<int>, scoring)                                                                           \
    X(std::optional<double>, pointsPerG)

struct ScoringSeason {
    HUDDLEPOD_STAT_SEASON_FIELDS(HUDDLEPOD_DECLARE_FIELD)
    HUDDLEPOD_SCORING_SEASON_FIELDS(HUDDLEPOD_DECLARE_FIELD)

    bool isMeaningful() const { return atLeast(scoring, 1) || atLeast(totalTd, 1); }
    bool isSubstantive() const { return isMeaningful(); }

    static constexpr auto fields() {
        using Self = ScoringSeason;
        return std::tuple{HUDDLEPOD_STAT_SEASON_FIELDS(HUDDLEPOD_LIST_FIELD)
                              HUDDLEPOD_SCORING_SEASON_FIELDS(HUDDLEPOD_LIST_FIELD)};
    }

    bool operator==(const ScoringSeason&) const = default;
};

} // namespace huddlepod
