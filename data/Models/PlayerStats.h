// A player's season records, one list per stat family, each in the backend's order.
#pragma once

#include "data/Models/DefenseSeason.h"
#include "data/Models/KickingSeason.h"
#include "data/Models/PassingSeason.h"
#include "data/Models/PuntingSeason.h"
#include "data/Models/ReturnsSeason.h"
#include "data/Models/RushingReceivingSeason.h"
#include "data/Models/ScoringSeason.h"
#include "data/YearRange.h"

#include <optional>
#include <vector>

namespace huddlepod {

struct PlayerStats {
    std::vector<PassingSeason> passing{};
    std::vector<RushingReceivingSeason> rushingReceiving{};
    std::vector<DefenseSeason> defense{};
    std::vector<KickingSeason> kicking{};
    std::vector<PuntingSeason> punting{};
    std::vector<ReturnsSeason> returns{};
    std::vector<ScoringSeason> scoring{};

    static const PlayerStats& empty();

    // The rushing and the receiving half of the career, judged apart: some season of either type reaches
    // the threshold.
    bool hasSubstantiveRushing() const;
    bool hasSubstantiveReceiving() const;

    // From the earliest to the latest year of any record of any family; absent when there is none.
    std::optional<YearRange> seasonRange() const;

    // Calls `visit` with each family's list, in field order.
    template <class Visitor>
    void forEachFamily(Visitor&& visit) const {
        visit(passing);
        visit(rushingReceiving);
        visit(defense);
        visit(kicking);
        visit(punting);
        visit(returns);
        visit(scoring);
    }

    bool operator==(const PlayerStats&) const = default;
};

} // namespace huddlepod
