// One rushing-and-receiving row of a player's season.
#pragma once

#include "data/Models/StatSeason.h"

#include <tuple>

namespace huddlepod {

#define HUDDLEPOD_RUSHING_RECEIVING_SEASON_FIELDS(X)                                                         \
    X(std::optional<int>, rushAtt)                                                                           \
    X(std::optional<int>, rushYds)                                                                           \
    X(std::optional<int>, rushTd)                                                                            \
    X(std::optional<int>, rushFirstDown)                                                                     \
    X(std::optional<double>, rushSuccess)                                                                    \
    X(std::optional<int>, rushLong)                                                                          \
    X(std::optional<double>, rushYdsPerAtt)                                                                  \
    X(std::optional<double>, rushYdsPerG)                                                                    \
    X(std::optional<double>, rushAttPerG)                                                                    \
    X(std::optional<int>, targets)                                                                           \
    X(std::optional<int>, rec)                                                                               \
    X(std::optional<int>, recYds)                                                                            \
    X(std::optional<double>, recYdsPerRec)                                                                   \
    X(std::optional<int>, recTd)                                                                             \
    X(std::optional<int>, recFirstDown)                                                                      \
    X(std::optional<double>, recSuccess)                                                                     \
    X(std::optional<int>, recLong)                                                                           \
    X(std::optional<double>, recPerG)                                                                        \
    X(std::optional<double>, recYdsPerG)                                                                     \
    X(std::optional<double>, catchPct)                                                                       \
    X(std::optional<double>, recYdsPerTgt)                                                                   \
    X(std::optional<int>, touches)                                                                           \
    X(std::optional<double>, ydsPerTouch)                                                                    \
    X(std::optional<int>, ydsFromScrimmage)                                                                  \
    X(std::optional<int>, rushReceiveTd)                                                                     \
    X(std::optional<int>, fumbles)                                                                           \
    X(std::optional<int>, av)

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
