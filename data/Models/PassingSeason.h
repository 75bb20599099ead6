// One passing row of a player's season.
#pragma once

#include "data/Models/StatSeason.h"

#include <tuple>

namespace huddlepod {

#define HUDDLEPOD_PASSING_SEASON_FIELDS(X)                                                                   \
    X(std::optional<QString>, qbRec)                                                                         \
    X(std::optional<std::int64_t>, passCmp)                                                                  \
    X(std::optional<std::int64_t>, passAtt)                                                                  \
    X(std::optional<double>, passCmpPct)                                                                     \
    X(std::optional<std::int64_t>, passYds)                                                                  \
    X(std::optional<std::int64_t>, passTd)                                                                   \
    X(std::optional<double>, passTdPct)                                                                      \
    X(std::optional<std::int64_t>, passInt)                                                                  \
    X(std::optional<double>, passIntPct)                                                                     \
    X(std::optional<std::int64_t>, passFirstDown)                                                            \
    X(std::optional<double>, passSuccess)                                                                    \
    X(std::optional<std::int64_t>, passLong)                                                                 \
    X(std::optional<double>, passYdsPerAtt)                                                                  \
    X(std::optional<double>, passAdjYdsPerAtt)                                                               \
    X(std::optional<double>, passYdsPerCmp)                                                                  \
    X(std::optional<double>, passYdsPerG)                                                                    \
    X(std::optional<double>, passRating)                                                                     \
    X(std::optional<double>, qbr)                                                                            \
    X(std::optional<std::int64_t>, passSacked)                                                               \
    X(std::optional<std::int64_t>, passSackedYds)                                                            \
    X(std::optional<double>, passSackedPct)                                                                  \
    X(std::optional<double>, passNetYdsPerAtt)                                                               \
    X(std::optional<double>, passAdjNetYdsPerAtt)                                                            \
    X(std::optional<std::int64_t>, comebacks)                                                                \
    X(std::optional<std::int64_t>, gwd)                                                                      \
    X(std::optional<std::int64_t>, av)

struct PassingSeason {
    HUDDLEPOD_STAT_SEASON_FIELDS(HUDDLEPOD_DECLARE_FIELD)
    HUDDLEPOD_PASSING_SEASON_FIELDS(HUDDLEPOD_DECLARE_FIELD)

    bool isMeaningful() const { return atLeast(passAtt, 1); }
    bool isSubstantive() const { return atLeast(passAtt, incidentalStatThreshold); }

    static constexpr auto fields() {
        using Self = PassingSeason;
        return std::tuple{HUDDLEPOD_STAT_SEASON_FIELDS(HUDDLEPOD_LIST_FIELD)
                              HUDDLEPOD_PASSING_SEASON_FIELDS(HUDDLEPOD_LIST_FIELD)};
    }

    bool operator==(const PassingSeason&) const = default;
};

} // namespace huddlepod
