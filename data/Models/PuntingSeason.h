// One punting row of a player's season.
#pragma once

#include "data/Models/StatSeason.h"

#include <tuple>

namespace huddlepod {

#define HUDDLEPOD_PUNTING_SEASON_FIELDS(X)                                                                   \
    X(std::optional<std::int64_t>, punt)                                                                     \
    X(std::optional<std::int64_t>, puntYds)                                                                  \
    X(std::optional<double>, puntYdsPerPunt)                                                                 \
    X(std::optional<std::int64_t>, puntRetYdsOpp)                                                            \
    X(std::optional<std::int64_t>, puntNetYds)                                                               \
    X(std::optional<double>, puntNetYdsPerPunt)                                                              \
    X(std::optional<std::int64_t>, puntLong)                                                                 \
    X(std::optional<std::int64_t>, puntTb)                                                                   \
    X(std::optional<double>, puntTbPct)                                                                      \
    X(std::optional<std::int64_t>, puntIn20)                                                                 \
    X(std::optional<double>, puntIn20Pct)                                                                    \
    X(std::optional<std::int64_t>, puntBlocked)                                                              \
    X(std::optional<std::int64_t>, av)

struct PuntingSeason {
    HUDDLEPOD_STAT_SEASON_FIELDS(HUDDLEPOD_DECLARE_FIELD)
    HUDDLEPOD_PUNTING_SEASON_FIELDS(HUDDLEPOD_DECLARE_FIELD)

    bool isMeaningful() const { return atLeast(punt, 1); }
    bool isSubstantive() const { return atLeast(punt, incidentalStatThreshold); }

    static constexpr auto fields() {
        using Self = PuntingSeason;
        return std::tuple{HUDDLEPOD_STAT_SEASON_FIELDS(HUDDLEPOD_LIST_FIELD)
                              HUDDLEPOD_PUNTING_SEASON_FIELDS(HUDDLEPOD_LIST_FIELD)};
    }

    bool operator==(const PuntingSeason&) const = default;
};

} // namespace huddlepod
