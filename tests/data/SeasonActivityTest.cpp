// Activity tests of the season records, the selections by season type and the career's year range.
#include "data/Models/PlayerStats.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

using namespace huddlepod;

namespace {

template <class R>
R season(std::int64_t year, SeasonType type = SeasonType::regular) {
    R r;
    r.id = QUuid::createUuid();
    r.year = year;
    r.seasonType = type;
    return r;
}

// {meaningful, substantive} of a season of R after `set`.
template <class R>
std::function<std::pair<bool, bool>()> activity(std::function<void(R&)> set) {
    return [set] {
        R r = season<R>(2000);
        set(r);
        return std::pair{r.isMeaningful(), r.isSubstantive()};
    };
}

constexpr std::pair<bool, bool> neither{false, false};
constexpr std::pair<bool, bool> meaningfulOnly{true, false};
constexpr std::pair<bool, bool> both{true, true};
constexpr std::int64_t wide = std::numeric_limits<std::int64_t>::max();

using Pass = PassingSeason;
using Rush = RushingReceivingSeason;
using Def = DefenseSeason;
using Kick = KickingSeason;

} // namespace

TEST(SeasonActivity, eachFamilyCountsItsOwnAttempts) {
    const std::pair<std::function<std::pair<bool, bool>()>, std::pair<bool, bool>> cases[] = {
        {activity<Pass>([](Pass& r) { r.passYds = 300; }), neither},
        {activity<Pass>([](Pass& r) { r.passAtt = 4; }), meaningfulOnly},
        {activity<Pass>([](Pass& r) { r.passAtt = 5; }), both},
        {activity<Rush>([](Rush& r) { r.rushAtt = 0, r.rec = 0, r.targets = 1; }), meaningfulOnly},
        {activity<Rush>([](Rush& r) { r.targets = 5; }), both},
        {activity<Rush>([](Rush& r) { r.rec = 5; }), both},
        {activity<Def>([](Def& r) { r.sacks = 0.5; }), both},
        {activity<Def>([](Def& r) { r.sacks = 0.0; }), neither},
        {activity<Def>([](Def& r) { r.tacklesCombined = 4; }), meaningfulOnly},
        {activity<Def>([](Def& r) { r.tacklesCombined = 5; }), both},
        {activity<Def>([](Def& r) { r.fumblesRec = 1; }), meaningfulOnly}, // recoveries never substantive
        {activity<Def>([](Def& r) { r.defInt = 1; }), both},
        {activity<Def>([](Def& r) { r.passDefended = 1; }), both},
        {activity<Def>([](Def& r) { r.fumblesForced = 1; }), both},
        {activity<Kick>([](Kick& r) { r.fga = 3, r.xpa = 2; }), both}, // attempts add up
        {activity<Kick>([](Kick& r) { r.fga = 4; }), meaningfulOnly},
        {activity<Kick>([](Kick& r) { r.fga = wide, r.xpa = wide; }), both}, // the sum must not overflow
        {activity<Kick>([](Kick& r) { r.fga = -wide, r.xpa = -wide; }), neither},
        {activity<Kick>([](Kick& r) { r.fga = 9, r.xpa = -5; }), meaningfulOnly},
        {activity<Kick>([](Kick& r) { r.kickoff = 5; }), both},
        {activity<Kick>([](Kick& r) { r.kickoff = 4; }), meaningfulOnly},
        {activity<PuntingSeason>([](PuntingSeason& r) { r.punt = 4; }), meaningfulOnly},
        {activity<PuntingSeason>([](PuntingSeason& r) { r.punt = 5; }), both},
        {activity<ReturnsSeason>([](ReturnsSeason& r) { r.kickRet = 1; }), meaningfulOnly},
        {activity<ReturnsSeason>([](ReturnsSeason& r) { r.kickRet = 1, r.puntRet = 5; }), both},
        {activity<ScoringSeason>([](ScoringSeason& r) { r.scoring = 0, r.totalTd = 0; }), neither},
        {activity<ScoringSeason>([](ScoringSeason& r) { r.scoring = 2; }), both}, // a safety
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].first(), cases[i].second) << "case " << i;
}

TEST(SeasonSelections, splitBySeasonTypeAndSortStablyByYear) {
    const auto post2019 = season<PuntingSeason>(2019, SeasonType::postseason);
    const auto reg2018 = season<PuntingSeason>(2018);
    const auto reg2017a = season<PuntingSeason>(2017);
    const auto reg2017b = season<PuntingSeason>(2017);
    const std::vector<PuntingSeason> all{post2019, reg2018, reg2017a, reg2017b};

    std::vector<QUuid> ids;
    for (const auto& s : regularSeason(all))
        ids.push_back(s.id);
    EXPECT_EQ(ids, (std::vector<QUuid>{reg2017a.id, reg2017b.id, reg2018.id}));
    ASSERT_EQ(postseason(all).size(), 1u);
    EXPECT_EQ(postseason(all)[0].id, post2019.id);

    EXPECT_FALSE(hasMeaningfulData(all));
    auto active = reg2018;
    active.punt = 1;
    EXPECT_TRUE(hasMeaningfulData(std::vector{reg2017a, active}));
    EXPECT_FALSE(hasSubstantiveData(std::vector{reg2017a, active}));
}

TEST(PlayerStats, seasonRangeSpansEveryFamilyAndSeasonType) {
    EXPECT_EQ(PlayerStats::empty().seasonRange(), std::nullopt);
    PlayerStats career;
    career.scoring = {season<ScoringSeason>(2001), season<ScoringSeason>(1999)};
    career.passing = {season<PassingSeason>(2004)};
    career.defense = {season<DefenseSeason>(std::int64_t{1} << 33, SeasonType::postseason)};
    EXPECT_EQ(career.seasonRange(), (YearRange{1999, std::int64_t{1} << 33}));
}
