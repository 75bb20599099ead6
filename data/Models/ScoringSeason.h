// One scoring row of a player's season.
#pragma once

#include "data/Models/StatSeason.h"

#include <tuple>

namespace huddlepod {

#define HUDDLEPOD_SCORING_SEASON_FIELDS(X)                                                                   \
    X(std::optional<std::int64_t>, rushTd)                                                                   \
    X(std::optional<std::int64_t>, recTd)                                                                    \
    X(std::optional<std::int64_t>, puntRetTd)                                                                \
    X(std::optional<std::int64_t>, kickRetTd)                                                                \
    X(std::optional<std::int64_t>, fumblesRecTd)                                                             \
    X(std::optional<std::int64_t>, defIntTd)                                                                 \
    X(std::optional<std::int64_t>, otherTd)                                                                  \
    X(std::optional<std::int64_t>, totalTd)                                                                  \
    X(std::optional<std::int64_t>, twoPtMd)                                                                  \
    X(std::optional<std::int64_t>, defTwoPt)                                                                 \
    X(std::optional<std::int64_t>, xpm)                                                                      \
    X(std::optional<std::int64_t>, xpa)                                                                      \
    X(std::optional<std::int64_t>, fgm)                                                                      \
    X(std::optional<std::int64_t>, fga)                                                                      \
    X(std::optional<std::int64_t>, safetyMd)                                                                 \
    X(std::optional<std::int64_t>, scoring)                                                                  \
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
