// Draft, awards and champions tables: label promotion, honour order, ids, links and the championship winner.
#include "data/AwardsBuilder.h"
#include "data/ChampionsBuilder.h"
#include "data/DraftBuilder.h"

#include <gtest/gtest.h>

namespace huddlepod {
namespace {

using Texts = std::vector<QString>;

QUuid uuid(int n) {
    return QUuid::fromString(QStringLiteral("0000000c-0000-4000-8000-%1").arg(n, 12, 10, QLatin1Char('0')));
}

bool isUuid(const QString& text) {
    return !QUuid::fromString(text).isNull();
}

TEST(DraftBuilder, roundLabelHeadsTheFirstColumnAndCellsLinkThePlayer) {
    DraftPickRow full;
    full.pickOverall = 7;
    full.teams = TeamRef{uuid(1), QStringLiteral("NYJ"), std::nullopt, std::nullopt};
    full.players = DraftPickRow::Player{uuid(2), QStringLiteral("Joe Namath"), QStringLiteral("Alabama")};
    full.positions = DraftPickRow::Abbrev{QStringLiteral("QB")};
    DraftPickRow emptyName;
    emptyName.players = DraftPickRow::Player{uuid(3), QString(), QString()};
    emptyName.teams = TeamRef{uuid(1), QString(), std::nullopt, std::nullopt};

    const DataTable table = DraftBuilder::build({full, emptyName, DraftPickRow{}}, 1965, 12);
    EXPECT_EQ(table.columns()[0].title, "Rd 12");
    EXPECT_EQ(table.columns()[0].width, 37);
    const auto& rows = table.sections()[0].rows;
    EXPECT_EQ(rows[0].values, (Texts{"7", "NYJ", "Joe Namath", "QB", "Alabama"}));
    EXPECT_EQ(rows[0].id, "1965-7");
    EXPECT_EQ(rows[0].links.at(2),
              (std::vector<PlayerLink>{{uuid(2), QStringLiteral("Joe Namath"), QStringLiteral("QB")}}));
    EXPECT_EQ(rows[1].values, (Texts{"—", "—", "", "—", "—"}));
    EXPECT_EQ(rows[1].id, "1965-0");
    EXPECT_TRUE(rows[1].links.empty());
    EXPECT_EQ(rows[2].values[2], "—");

    EXPECT_EQ(DraftBuilder::build({}, 2024, 3).columns()[0].title, "#");
}

TEST(AwardsBuilder, winnersCellsAndIds) {
    AwardRow mvp;
    mvp.votePercentage = 0.5;
    mvp.awardTypes = AwardRow::AwardType{QStringLiteral("MVP"), QStringLiteral("Most Valuable Player"), 1};
    mvp.players = PlayerName{uuid(1), QStringLiteral("Pat Mahomes")};
    mvp.positions = PositionRef{QStringLiteral("QB"), QStringLiteral("offense"), 1};
    mvp.teams =
        TeamRef{uuid(2), QStringLiteral("KC"), QStringLiteral("Chiefs"), QStringLiteral("Kansas City")};
    AwardRow emptyAbbreviation;
    emptyAbbreviation.votePercentage = 100;
    emptyAbbreviation.awardTypes = AwardRow::AwardType{QString(), QStringLiteral("Named"), 2};
    AwardRow nameOnly;
    nameOnly.awardTypes = AwardRow::AwardType{std::nullopt, QStringLiteral("Comeback"), 3};
    nameOnly.players = PlayerName{std::nullopt, QStringLiteral("Someone")};

    const auto rows =
        AwardsBuilder::winners({mvp, emptyAbbreviation, nameOnly, AwardRow{}}).sections()[0].rows;
    EXPECT_EQ(rows[0].values, (Texts{"MVP", "Pat Mahomes", "QB", "KC", "0.5"}));
    EXPECT_EQ(rows[0].id, "MVP");
    EXPECT_EQ(rows[0].links.at(1).front().position, "QB");
    EXPECT_EQ(rows[1].values,
              (Texts{"—", "—", "—", "—", "100.0"})); // an empty abbreviation does not fall back
    EXPECT_EQ(rows[1].id, "");
    EXPECT_EQ(rows[2].values[0], "Comeback");
    EXPECT_EQ(rows[2].id, "Someone");
    EXPECT_TRUE(rows[2].links.empty()); // no player id
    EXPECT_EQ(rows[3].values[4], "—");
    EXPECT_TRUE(isUuid(rows[3].id));
}

HonorRow honor(const char* level, const char* name, const char* group, std::optional<int> order) {
    HonorRow made;
    if (level)
        made.teamLevel = QString::fromUtf8(level);
    static int players = 100;
    made.players = PlayerName{uuid(++players), name ? std::optional(QString::fromUtf8(name)) : std::nullopt};
    made.positions = PositionRef{QStringLiteral("P"),
                                 group ? std::optional(QString::fromUtf8(group)) : std::nullopt, order};
    made.teams = TeamRef{std::nullopt, QStringLiteral("T"), std::nullopt, std::nullopt};
    return made;
}

Texts names(const DataSection& section) {
    Texts made;
    for (const DataRow& r : section.rows)
        made.push_back(r.values[1]);
    return made;
}

TEST(AwardsBuilder, honoursOrderByGroupThenPositionOrderThenName) {
    const std::vector<HonorRow> rows{honor("first_team", "Kicker", "special_teams", 1),
                                     honor("first_team", "Other", "coaches", 0),
                                     honor("first_team", "Nogroup", nullptr, 0),
                                     honor("first_team", "bob", "defense", 2),
                                     honor("first_team", "Zed", "defense", 2),
                                     honor("first_team", "Alan", "defense", 1),
                                     honor("first_team", "Runner", "offense", std::nullopt),
                                     honor("first_team", "Passer", "offense", 1),
                                     honor("pro_bowl", "Never", "offense", 0),
                                     honor(nullptr, "Nobody", "offense", 0),
                                     honor("second_team", "Second", "offense", 1)};
    const DataTable table = AwardsBuilder::allPro(rows);
    ASSERT_EQ(table.sections().size(), 2u);
    EXPECT_EQ(names(table.sections()[0]),
              (Texts{"Passer", "Runner", "Alan", "Zed", "bob", "Kicker", "Nogroup", "Other"}));
    EXPECT_EQ(table.columns()[0].title, "1st Team");
    EXPECT_EQ(table.sections()[1].label, "2nd Team");
    EXPECT_EQ(table.sections()[1].rows[0].id, "2nd Team-P-Second");
    EXPECT_EQ(table.sections()[0].rows[0].links.count(1), 1u);
    EXPECT_EQ(AwardsBuilder::allPro({rows.back()}).columns()[0].title, "2nd Team");
    EXPECT_TRUE(AwardsBuilder::allPro({}).sections().empty());

    HonorRow nameless = honor("first_team", nullptr, "offense", 0);
    const DataTable rookies = AwardsBuilder::allRookie(
        {honor(nullptr, "Zed", "defense", 1), honor("x", "Amy", "offense", 1), nameless});
    EXPECT_EQ(rookies.columns()[0].title, "Pos");
    ASSERT_EQ(rookies.sections().size(), 1u);
    EXPECT_FALSE(rookies.sections()[0].label.has_value());
    EXPECT_EQ(names(rookies.sections()[0]), (Texts{"—", "Amy", "Zed"}));
    EXPECT_EQ(rookies.sections()[0].rows[1].id, "-P-Amy");
    EXPECT_TRUE(rookies.sections()[0].rows[0].id.startsWith(u"-P-"));
    EXPECT_TRUE(isUuid(rookies.sections()[0].rows[0].id.mid(3)));
}

SuperBowlRow championship(std::optional<QUuid> winner, std::optional<std::int64_t> homeScore,
                          std::optional<std::int64_t> awayScore) {
    SuperBowlRow row;
    row.superBowlNumber = 58;
    row.romanNumeral = QStringLiteral("LVIII");
    row.seasons = SuperBowlRow::SeasonYear{2023};
    SuperBowlRow::Game game;
    game.homeScore = homeScore;
    game.awayScore = awayScore;
    game.winnerTeamId = winner;
    game.home = TeamRef{uuid(1), QStringLiteral("HOM"), std::nullopt, std::nullopt};
    game.away = TeamRef{uuid(2), QStringLiteral("AWY"), std::nullopt, std::nullopt};
    row.playoffGames = game;
    return row;
}

TEST(ChampionsBuilder, winnerByIdThenByScoreThenAway) {
    const std::int64_t big = std::int64_t{1} << 32;
    const std::tuple<std::optional<QUuid>, std::optional<std::int64_t>, std::optional<std::int64_t>, Texts>
        cases[] = {
            {uuid(1), 25, 22, {"HOM", "AWY", "25–22"}},
            {uuid(2), 25, 22, {"AWY", "HOM", "22–25"}},      // the id decides
            {std::nullopt, 31, 20, {"HOM", "AWY", "31–20"}}, // without a usable id the higher score decides
            {uuid(9), 31, 20, {"HOM", "AWY", "31–20"}},
            {uuid(9), 10, 20, {"AWY", "HOM", "20–10"}},
            {std::nullopt, big + 1, big, {"HOM", "AWY", "4294967297–4294967296"}},
            {std::nullopt, 14, 14, {"AWY", "HOM", "14–14"}}, // neither tells: the away team
            {std::nullopt, 14, std::nullopt, {"AWY", "HOM", "—"}},
        };
    for (const auto& [winner, home, away, expected] : cases) {
        const Texts values =
            ChampionsBuilder::build({championship(winner, home, away)}).sections()[0].rows[0].values;
        EXPECT_EQ((Texts{values[2], values[3], values[4]}), expected) << expected[2].toStdString();
    }

    SuperBowlRow noGame = championship(std::nullopt, 1, 2);
    noGame.playoffGames.reset();
    noGame.superBowlNumber.reset();
    noGame.seasons.reset();
    noGame.romanNumeral = QString();
    const DataRow row = ChampionsBuilder::build({noGame}).sections()[0].rows[0];
    EXPECT_EQ(row.values, Texts(6, "—"));
    EXPECT_EQ(row.id, "0");
    EXPECT_TRUE(ChampionsBuilder::build({}).sections().empty());
}

TEST(ChampionsBuilder, mvpLabelAndLinks) {
    SuperBowlRow two = championship(uuid(1), 20, 10);
    two.mvpPosition = QStringLiteral("DE");
    two.mvp = SuperBowlRow::Named{uuid(5), QStringLiteral("Harvey Martin")};
    two.coMvp = SuperBowlRow::Named{uuid(6), QStringLiteral("Randy White")};
    SuperBowlRow unlinked = championship(uuid(1), 20, 10);
    unlinked.mvp = SuperBowlRow::Named{std::nullopt, QStringLiteral("No Id")};
    unlinked.mvpName = QStringLiteral("Ignored");
    SuperBowlRow byName = championship(uuid(1), 20, 10);
    byName.mvpName = QStringLiteral("Fallback Name");
    byName.mvpPosition = QStringLiteral("QB");

    const DataTable table = ChampionsBuilder::build({two, unlinked, byName});
    const auto& rows = table.sections()[0].rows;
    EXPECT_EQ(rows[0].values, (Texts{"LVIII", "2023", "HOM", "AWY", "20–10", "2 winners"}));
    EXPECT_EQ(rows[0].id, "58");
    EXPECT_EQ(rows[0].links.at(5),
              (std::vector<PlayerLink>{{uuid(5), QStringLiteral("Harvey Martin"), QStringLiteral("DE")},
                                       {uuid(6), QStringLiteral("Randy White"), std::nullopt}}));
    EXPECT_EQ(rows[1].values[5], "No Id");
    EXPECT_TRUE(rows[1].links.empty());
    EXPECT_EQ(rows[2].values[5], "Fallback Name");
    EXPECT_TRUE(rows[2].links.empty());
}

} // namespace
} // namespace huddlepod
