// Draft, awards and champions tables built from rows as the backend spells them: label promotion, honour
// order, ids, links and the championship winner.
#include "data/AwardsBuilder.h"
#include "data/ChampionsBuilder.h"
#include "data/DraftBuilder.h"
#include "data/JsonReader.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace huddlepod {
namespace {

using Texts = std::vector<QString>;

QUuid uuid(int n) {
    return QUuid::fromString(QStringLiteral("0000000c-0000-4000-8000-%1").arg(n, 12, 10, QLatin1Char('0')));
}

// Rows decoded from `json`, where "#n" stands for uuid(n).
template <class Row>
std::vector<Row> rows(const char* json) {
    QString text = QString::fromUtf8(json);
    const QRegularExpression token(QStringLiteral("\"#(\\d+)\""));
    for (auto match = token.match(text); match.hasMatch(); match = token.match(text))
        text.replace(match.capturedStart(), match.capturedLength(),
                     '"' + uuid(match.captured(1).toInt()).toString(QUuid::WithoutBraces) + '"');
    return decodeArray<Row>(text.toUtf8());
}

bool isUuid(const QString& text) {
    return !QUuid::fromString(text).isNull();
}

Texts column(const DataSection& section, int index) {
    Texts made;
    for (const DataRow& r : section.rows)
        made.push_back(r.values.at(index));
    return made;
}

TEST(DraftBuilder, roundLabelHeadsTheFirstColumnAndCellsLinkThePlayer) {
    const DataTable table = DraftBuilder::build(rows<DraftPickRow>(R"([
        {"round":12,"pick_overall":7,"teams":{"id":"#1","current_abbreviation":"NYJ"},"positions":{"abbreviation":"QB"},
         "players":{"id":"#2","full_name":"Joe Namath","college":"Alabama"}},
        {"teams":{"id":"#1","current_abbreviation":""},"players":{"id":"#3","full_name":"","college":""}}, {}])"),
                                                1965, 12);
    EXPECT_EQ(table.columns()[0].title, "Rd 12");
    const auto& made = table.sections()[0].rows;
    EXPECT_EQ(made[0].values, (Texts{"7", "NYJ", "Joe Namath", "QB", "Alabama"}));
    EXPECT_EQ(made[0].id, "1965-7");
    EXPECT_EQ(made[0].links.at(2), (std::vector<PlayerLink>{{uuid(2), "Joe Namath", "QB"}}));
    EXPECT_EQ(made[1].values, (Texts{"—", "—", "", "—", "—"}));
    EXPECT_EQ(made[1].id, "1965-0");
    EXPECT_TRUE(made[1].links.empty());
    EXPECT_EQ(made[2].values[2], "—");
    EXPECT_EQ(DraftBuilder::build({}, 2024, 3).columns()[0].title, "#");
}

TEST(AwardsBuilder, winnersCellsAndIds) {
    const DataTable table = AwardsBuilder::winners(rows<AwardRow>(R"([
        {"ranking":1,"vote_percentage":0.5,"award_types":{"abbreviation":"MVP","name":"Most Valuable","sort_order":1},
         "players":{"id":"#1","full_name":"Pat Mahomes"},"positions":{"abbreviation":"QB","position_group":"offense"},
         "teams":{"id":"#2","current_abbreviation":"KC","current_name":"Chiefs","current_city":"Kansas City"}},
        {"vote_percentage":100,"award_types":{"abbreviation":"","name":"Named"}},
        {"award_types":{"name":"Comeback"},"players":{"full_name":"Someone"}}, {}])"));
    const auto& made = table.sections()[0].rows;
    EXPECT_EQ(made[0].values, (Texts{"MVP", "Pat Mahomes", "QB", "KC", "0.5"}));
    EXPECT_EQ(made[0].id, "MVP");
    EXPECT_EQ(made[0].links.at(1), (std::vector<PlayerLink>{{uuid(1), "Pat Mahomes", "QB"}}));
    EXPECT_EQ(made[1].values,
              (Texts{"—", "—", "—", "—", "100.0"})); // an empty abbreviation does not fall back
    EXPECT_EQ(made[1].id, "");
    EXPECT_EQ(made[2].values[0], "Comeback");
    EXPECT_EQ(made[2].id, "Someone");
    EXPECT_TRUE(made[2].links.empty()); // no player id
    EXPECT_EQ(made[3].values[4], "—");
    EXPECT_TRUE(isUuid(made[3].id));
}

TEST(AwardsBuilder, honoursOrderByGroupThenPositionOrderThenName) {
    // Name, position group and order of each first-team row.
    const std::tuple<const char*, const char*, std::optional<int>> firstTeam[] = {
        {"Kicker", "special_teams", 1}, {"Other", "coaches", 0}, {"Nogroup", nullptr, 0},
        {"bob", "defense", 2},          {"Zed", "defense", 2},   {"Alan", "defense", 1},
        {"Runner", "offense", {}},      {"Passer", "offense", 1}};
    std::vector<HonorRow> honours;
    for (const auto& [name, group, order] : firstTeam) {
        honours.push_back(
            HonorRow{"first_team", PlayerName{uuid(honours.size() + 10), name},
                     PositionRef{"P", group ? std::optional<QString>(group) : std::nullopt, order},
                     TeamRef{std::nullopt, "T", std::nullopt, std::nullopt}});
    }
    for (const char* level : {"pro_bowl", "second_team"})
        honours.push_back(HonorRow{level, PlayerName{std::nullopt, level}, PositionRef{"Q", {}, 1}, {}});
    honours.push_back(HonorRow{});

    const DataTable table = AwardsBuilder::allPro(honours);
    ASSERT_EQ(table.sections().size(), 2u);
    EXPECT_EQ(column(table.sections()[0], 1),
              (Texts{"Passer", "Runner", "Alan", "Zed", "bob", "Kicker", "Nogroup", "Other"}));
    EXPECT_EQ(table.columns()[0].title, "1st Team");
    EXPECT_EQ(table.sections()[1].label, "2nd Team");
    EXPECT_EQ(table.sections()[1].rows[0].id, "2nd Team-Q-second_team");
    EXPECT_EQ(table.sections()[0].rows[0].links.count(1), 1u);
    EXPECT_EQ(AwardsBuilder::allPro({honours[9]}).columns()[0].title, "2nd Team");
    EXPECT_TRUE(AwardsBuilder::allPro({}).sections().empty());

    // All-Rookie: one unlabelled section in the same order; a nameless row gets a random id.
    const DataTable rookies = AwardsBuilder::allRookie({honours[3], honours[7], honours[10]});
    EXPECT_EQ(rookies.columns()[0].title, "Pos");
    ASSERT_EQ(rookies.sections().size(), 1u);
    EXPECT_FALSE(rookies.sections()[0].label.has_value());
    EXPECT_EQ(column(rookies.sections()[0], 1), (Texts{"Passer", "bob", "—"}));
    EXPECT_EQ(rookies.sections()[0].rows[0].id, "-P-Passer");
    EXPECT_TRUE(rookies.sections()[0].rows[2].id.startsWith(u"--"));
    EXPECT_TRUE(isUuid(rookies.sections()[0].rows[2].id.mid(2)));
}

TEST(ChampionsBuilder, winnerByIdThenByScoreThenAway) {
    const char* teams =
        R"("home":{"id":"#1","current_abbreviation":"HOM"},"away":{"id":"#2","current_abbreviation":"AWY"})";
    // The game's members besides the teams, and the winner, loser and score cells.
    const std::pair<std::string, Texts> cases[] = {
        {R"("winner_team_id":"#1","home_score":25,"away_score":22)", {"HOM", "AWY", "25–22"}},
        {R"("winner_team_id":"#2","home_score":25,"away_score":22)",
         {"AWY", "HOM", "22–25"}},                                       // the id decides
        {R"("home_score":31,"away_score":20)", {"HOM", "AWY", "31–20"}}, // else the higher score
        {R"("winner_team_id":"#9","home_score":10,"away_score":20)", {"AWY", "HOM", "20–10"}},
        {R"("home_score":4294967297,"away_score":4294967296)", {"HOM", "AWY", "4294967297–4294967296"}},
        {R"("home_score":14,"away_score":14)", {"AWY", "HOM", "14–14"}}, // neither tells: the away team
        {R"("home_score":14)", {"AWY", "HOM", "—"}},
    };
    for (const auto& [game, expected] : cases) {
        const std::string json =
            R"([{"seasons":{"year":2023},"playoff_games":{)" + game + "," + teams + "}}]";
        const DataTable table = ChampionsBuilder::build(rows<SuperBowlRow>(json.c_str()));
        const Texts& values = table.sections()[0].rows[0].values;
        EXPECT_EQ((Texts{values[2], values[3], values[4]}), expected) << game;
    }
    const DataTable bare = ChampionsBuilder::build(rows<SuperBowlRow>(R"([{"roman_numeral":""}])"));
    EXPECT_EQ(bare.sections()[0].rows[0].values, Texts(6, "—"));
    EXPECT_EQ(bare.sections()[0].rows[0].id, "0");
    EXPECT_TRUE(ChampionsBuilder::build({}).sections().empty());
}

TEST(ChampionsBuilder, mvpLabelAndLinks) {
    const DataTable table = ChampionsBuilder::build(rows<SuperBowlRow>(R"([
        {"super_bowl_number":12,"roman_numeral":"XII","seasons":{"year":1977},"mvp_position":"DE",
         "mvp":{"id":"#5","full_name":"Harvey Martin"},"co_mvp":{"id":"#6","full_name":"Randy White"}},
        {"mvp":{"full_name":"No Id"},"mvp_name":"Ignored"},
        {"mvp_name":"Fallback Name","mvp_position":"QB"}])"));
    const auto& made = table.sections()[0].rows;
    EXPECT_EQ(made[0].values, (Texts{"XII", "1977", "—", "—", "—", "2 winners"}));
    EXPECT_EQ(made[0].id, "12");
    EXPECT_EQ(made[0].links.at(5), (std::vector<PlayerLink>{{uuid(5), "Harvey Martin", "DE"},
                                                            {uuid(6), "Randy White", std::nullopt}}));
    EXPECT_EQ(made[1].values[5], "No Id");
    EXPECT_TRUE(made[1].links.empty());
    EXPECT_EQ(made[2].values[5], "Fallback Name");
    EXPECT_TRUE(made[2].links.empty());
}

} // namespace
} // namespace huddlepod
