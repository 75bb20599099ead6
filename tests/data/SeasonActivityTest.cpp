// Activity tests of the season records, the selections by season type and the career's year range.
#include "data/Models/PlayerStats.h"

#include <gtest/gtest.h>

#include <limits>

using namespace huddlepod;

namespace {

template <class R>
R season(int year, SeasonType type = SeasonType::regular) {
    R r;
    r.id = QUuid::createUuid();
    r.year = year;
    r.seasonType = type;
    return r;
}

template <class R>
std::pair<bool, bool> activity(const R& r) {
    return {r.isMeaningful(), r.isSubstantive()};
}

constexpr std::pair<bool, bool> neither{false, false};
constexpr std::pair<bool, bool> meaningfulOnly{true, false};
constexpr std::pair<bool, bool> both{true, true};

} // namespace

TEST(SeasonActivity, passingCountsAttemptsOnly) {
    auto r = season<PassingSeason>(2000);
    r.passYds = 300;
    EXPECT_EQ(activity(r), neither);
    r.passAtt = 4;
    EXPECT_EQ(activity(r), meaningfulOnly);
    r.passAtt = 5;
    EXPECT_EQ(activity(r), both);
}

TEST(SeasonActivity, rushingReceivingCountsRushesCatchesAndTargets) {
    auto r = season<RushingReceivingSeason>(2000);
    r.rushAtt = 0;
    r.rec = 0;
    r.targets = 1;
    EXPECT_EQ(activity(r), meaningfulOnly);
    r.targets = 5;
    EXPECT_EQ(activity(r), both);
    r.targets = std::nullopt;
    r.rec = 5;
    EXPECT_EQ(activity(r), both);
}

TEST(SeasonActivity, defenseHalfSackCountsRecoveriesNever) {
    auto sack = season<DefenseSeason>(2000);
    sack.sacks = 0.5;
    EXPECT_EQ(activity(sack), both);
    sack.sacks = 0.0;
    EXPECT_EQ(activity(sack), neither);

    auto tackles = season<DefenseSeason>(2000);
    tackles.tacklesCombined = 4;
    EXPECT_EQ(activity(tackles), meaningfulOnly);
    tackles.tacklesCombined = 5;
    EXPECT_EQ(activity(tackles), both);

    auto recovery = season<DefenseSeason>(2000);
    recovery.fumblesRec = 1;
    EXPECT_EQ(activity(recovery), meaningfulOnly);

    for (auto field : {&DefenseSeason::defInt, &DefenseSeason::passDefended, &DefenseSeason::fumblesForced}) {
        auto single = season<DefenseSeason>(2000);
        single.*field = 1;
        EXPECT_EQ(activity(single), both);
    }
}

TEST(SeasonActivity, kickingAddsFieldGoalAndExtraPointAttempts) {
    auto r = season<KickingSeason>(2000);
    r.fga = 3;
    r.xpa = 2;
    EXPECT_EQ(activity(r), both);
    r.fga = 4;
    r.xpa = std::nullopt;
    EXPECT_EQ(activity(r), meaningfulOnly);
    r.fga = std::numeric_limits<int>::max(); // the sum must not overflow
    r.xpa = std::numeric_limits<int>::max();
    EXPECT_EQ(activity(r), both);

    auto kickoffs = season<KickingSeason>(2000);
    kickoffs.kickoff = 5;
    EXPECT_EQ(activity(kickoffs), both);
    kickoffs.kickoff = 4;
    EXPECT_EQ(activity(kickoffs), meaningfulOnly);
}

TEST(SeasonActivity, puntingReturnsAndScoring) {
    auto punts = season<PuntingSeason>(2000);
    punts.punt = 4;
    EXPECT_EQ(activity(punts), meaningfulOnly);
    punts.punt = 5;
    EXPECT_EQ(activity(punts), both);

    auto returns = season<ReturnsSeason>(2000);
    returns.kickRet = 1;
    EXPECT_EQ(activity(returns), meaningfulOnly);
    returns.puntRet = 5;
    EXPECT_EQ(activity(returns), both);

    auto scoring = season<ScoringSeason>(2000);
    scoring.scoring = 0;
    scoring.totalTd = 0;
    EXPECT_EQ(activity(scoring), neither);
    scoring.scoring = 2; // a safety
    EXPECT_EQ(activity(scoring), both);
}

TEST(SeasonSelections, splitBySeasonTypeAndSortStablyByYear) {
    const auto post2019 = season<PuntingSeason>(2019, SeasonType::postseason);
    const auto reg2018 = season<PuntingSeason>(2018);
    const auto reg2017a = season<PuntingSeason>(2017);
    const auto reg2017b = season<PuntingSeason>(2017);
    const std::vector<PuntingSeason> all{post2019, reg2018, reg2017a, reg2017b};

    const auto regular = regularSeason(all);
    ASSERT_EQ(regular.size(), 3u);
    EXPECT_EQ(regular[0].id, reg2017a.id);
    EXPECT_EQ(regular[1].id, reg2017b.id);
    EXPECT_EQ(regular[2].id, reg2018.id);
    ASSERT_EQ(postseason(all).size(), 1u);
    EXPECT_EQ(postseason(all)[0].id, post2019.id);
    EXPECT_EQ(all[0].id, post2019.id) << "the collection itself is left as it was";

    EXPECT_FALSE(hasSubstantiveData(std::vector<PuntingSeason>{}));
    EXPECT_FALSE(hasMeaningfulData(all));
    auto active = reg2018;
    active.punt = 1;
    EXPECT_TRUE(hasMeaningfulData(std::vector{reg2017a, active}));
    EXPECT_FALSE(hasSubstantiveData(std::vector{reg2017a, active}));
}

TEST(PlayerStats, seasonRangeSpansEveryFamilyAndSeasonType) {
    EXPECT_EQ(PlayerStats::empty().seasonRange(), std::nullopt);

    PlayerStats punter;
    punter.punting = {season<PuntingSeason>(2003)};
    EXPECT_EQ(punter.seasonRange(), (YearRange{2003, 2003}));

    PlayerStats career;
    career.scoring = {season<ScoringSeason>(2001), season<ScoringSeason>(1999)};
    career.passing = {season<PassingSeason>(2004)};
    career.defense = {season<DefenseSeason>(2006, SeasonType::postseason)};
    EXPECT_EQ(career.seasonRange(), (YearRange{1999, 2006}));
}

TEST(SeasonType, rawValuesMatchExactly) {
    EXPECT_EQ(seasonTypeFromRawValue("regular"), SeasonType::regular);
    EXPECT_EQ(seasonTypeFromRawValue("postseason"), SeasonType::postseason);
    EXPECT_EQ(seasonTypeFromRawValue("Regular"), std::nullopt);
    EXPECT_EQ(seasonTypeFromRawValue("regular "), std::nullopt);
    EXPECT_EQ(seasonTypeFromRawValue(""), std::nullopt);
    EXPECT_EQ(rawValue(SeasonType::postseason), "postseason");
    EXPECT_EQ(allSeasonTypes[0], SeasonType::regular);
}
