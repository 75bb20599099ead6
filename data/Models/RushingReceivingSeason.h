// One rushing-and-receiving row of a player's season.
#pragma once

#include "data/Models/StatSeason.h"

#include <tuple>

namespace huddlepod {

#define HUDDLEPOD_RUSHING_RECEIVING_SEASON_FIELDS(X)                                                         \
    X(std::optional<std::int64_t>, rushAtt)                                                                  \
    X(std::optional<std::int64_t>, rushYds)                                                                  \
    X(std::optional<std::int64_t>, rushTd)                                                                   \
    X(std::optional<std::int64_t>, rushFirstDown)                                                            \
    X(std::optional<double>, rushSuccess)                                                                    \
    X(std::optional<std::int64_t>, rushLong)                                                                 \
    X(std::optional<double>, rushYdsPerAtt)                                                                  \
    X(std::optional<double>, rushYdsPerG)                                                                    \
    X(std::optional<double>, rushAttPerG)                                                                    \
    X(std::optional<std::int64_t>, targets)                                                                  \
    X(std::optional<std::int64_t>, rec)                                                                      \
    X(std::optional<std::int64_t>, recYds)                                                                   \
    X(std::optional<double>, recYdsPerRec)                                                                   \
    X(std::optional<std::int64_t>, recTd)                                                                    \
    X(std::optional<std::int64_t>, recFirstDown)                                                             \
    X(std::optional<double>, recSuccess)                                                                     \
    X(std::optional<std::int64_t>, recLong)                                                                  \
    X(std::optional<double>, recPerG)                                                                        \
    X(std::optional<double>, recYdsPerG)                                                                     \
    X(std::optional<double>, catchPct)                                                                       \
    X(std::optional<double>, recYdsPerTgt)                                                                   \
    X(std::optional<std::int64_t>, touches)                                                                  \
    X(std::optional<double>, ydsPerTouch)                                                                    \
    X(std::optional<std::int64_t>, ydsFromScrimmage)                                                         \
    X(std::optional<std::int64_t>, rushReceiveTd)                                                            \
    X(std::optional<std::int64_t>, fumbles)                                                                  \
    X(std::optional<std::int64_t>, av)

struct RushingReceivingSeason {
    HUDDLEPOD_STAT_SEASON_FIELDS(HUDDLEPOD_DECLARE_FIELD)
    HUDDLEPOD_RUSHING_RECEIVING_SEASON_FIELDS(HUDDLEPOD_DECLARE_FIELD)

    // The rushing and the receiving half of the activity tests; the tables judge the halves apart.
    bool rushesAtLeast(int least) const { return atLeast(rushAtt, least); }
    bool catchesAtLeast(int least) const { return atLeast(rec, least) || atLeast(targets, least); }

    bool isMeaningful() const { return rushesAtLeast(1) || catchesAtLeast(1); }
    bool isSubstantive() const {
        return rushesAtLeast(incidentalStatThreshold) || catchesAtLeast(incidentalStatThreshold);
    }

    static constexpr auto fields() {
        using Self = RushingReceivingSeason;
        return std::tuple{HUDDLEPOD_STAT_SEASON_FIELDS(HUDDLEPOD_LIST_FIELD)
                              HUDDLEPOD_RUSHING_RECEIVING_SEASON_FIELDS(HUDDLEPOD_LIST_FIELD)};
    }

    bool operator==(const RushingReceivingSeason&) const = default;
};

} // namespace huddlepod
