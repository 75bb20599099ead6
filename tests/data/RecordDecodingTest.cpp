// Decoding the player records from rows spelled as the backend serves them: every column reaches a field,
// and a wrongly typed value anywhere fails the whole answer.
#include "data/JsonReader.h"
#include "data/Models/GameLogEntry.h"
#include "data/Models/HallOfFameEntry.h"
#include "data/Models/PlayerBio.h"
#include "data/Models/PlayerStats.h"

#include "tests/data/EmptyFields.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

using namespace huddlepod;

namespace {

using Names = std::vector<std::string>;
using huddlepod::test::emptyFields;

const std::string id = R"("id":"5d0f6a3e-2b8c-4f1e-9a7d-3c2b1a0f9e8d")";
const std::string season = id + R"(,"player_id":"x","year":2012,"season_type":"regular","team_abbr":"KC",)"
                                R"("pos":"QB","age":27,"games":16,"games_started":15)";
const std::string header = R"("year":2012,"week":"1","game_date":"2012-09-09","season_type":"regular",)"
                           R"("home_team_abbr":"KC","away_team_abbr":"DEN","home_score":24,"away_score":17)";
const std::string line =
    R"("game_id":"5d0f6a3e-2b8c-4f1e-9a7d-3c2b1a0f9e8d","team_abbr":"KC","games":{)" + header + "}";

// An object of `fixed` members and every listed numeric column set to 7.
QByteArray row(const std::string& fixed, const char* numericColumns = "") {
    std::istringstream names(numericColumns);
    std::string json = "{" + fixed;
    for (std::string name; names >> name;)
        json += ",\"" + name + "\":7";
    return QByteArray::fromStdString(json + "}");
}

} // namespace

TEST(RecordDecoding, everyBackendColumnFillsAField) {
    const std::tuple<Names (*)(const QByteArray&), std::string, const char*> cases[] = {
        {emptyFields<PassingSeason>, season + R"(,"qb_rec":"10-6-0")",
         "pass_cmp pass_att pass_cmp_pct pass_yds pass_td pass_td_pct pass_int pass_int_pct pass_first_down "
         "pass_success pass_long pass_yds_per_att pass_adj_yds_per_att pass_yds_per_cmp pass_yds_per_g "
         "pass_rating qbr pass_sacked pass_sacked_yds pass_sacked_pct pass_net_yds_per_att "
         "pass_adj_net_yds_per_att comebacks gwd av"},
        {emptyFields<RushingReceivingSeason>, season,
         "rush_att rush_yds rush_td rush_first_down rush_success rush_long rush_yds_per_att rush_yds_per_g "
         "rush_att_per_g targets rec rec_yds rec_yds_per_rec rec_td rec_first_down rec_success rec_long "
         "rec_per_g rec_yds_per_g catch_pct rec_yds_per_tgt touches yds_per_touch yds_from_scrimmage "
         "rush_receive_td fumbles av"},
        {emptyFields<DefenseSeason>, season,
         "def_int def_int_yds def_int_td def_int_long pass_defended fumbles_forced fumbles_rec "
         "fumbles_rec_yds fumbles_rec_td fumbles sacks tackles_combined tackles_solo tackles_assists "
         "tackles_loss qb_hits safety_md av"},
        {emptyFields<KickingSeason>, season,
         "fga fgm fg_pct fg_long fga1 fgm1 fga2 fgm2 fga3 fgm3 fga4 fgm4 fga5 fgm5 xpa xpm xp_pct kickoff "
         "kickoff_yds kickoff_yds_avg kickoff_tb kickoff_tb_pct av"},
        {emptyFields<PuntingSeason>, season,
         "punt punt_yds punt_yds_per_punt punt_ret_yds_opp punt_net_yds punt_net_yds_per_punt punt_long "
         "punt_tb punt_tb_pct punt_in20 punt_in20_pct punt_blocked av"},
        {emptyFields<ReturnsSeason>, season,
         "punt_ret punt_ret_yds punt_ret_td punt_ret_long kick_ret kick_ret_yds kick_ret_td kick_ret_long "
         "kick_ret_yds_per_ret all_purpose_yds"},
        {emptyFields<ScoringSeason>, season,
         "rush_td rec_td punt_ret_td kick_ret_td fumbles_rec_td def_int_td other_td total_td two_pt_md "
         "def_two_pt xpm xpa fgm fga safety_md scoring points_per_g"},
        {emptyFields<HallOfFameEntry>, R"("player_id":"x","position":"QB")",
         "induction_year pro_bowls first_team_all_pro"},
        {emptyFields<GameContext>, header, ""},
        {emptyFields<GameOffenseLine>, line,
         "pass_cmp pass_att pass_yds pass_td pass_int pass_rating rush_att rush_yds rush_td targets rec "
         "rec_yds rec_td fumbles"},
        {emptyFields<GameDefenseLine>, line,
         "tackles_combined tackles_solo sacks def_int pass_defended fumbles_forced"},
        {emptyFields<GameKickingLine>, line, "fga fgm xpa xpm punt punt_yds punt_yds_per_punt punt_long"},
        {emptyFields<GameReturnsLine>, line,
         "kick_ret kick_ret_yds kick_ret_td punt_ret punt_ret_yds punt_ret_td"},
        {emptyFields<AllProEntry>,
         R"("year":2020,"team_level":"first_team","team_abbr":"KC","position":"QB")", ""},
        {emptyFields<PlayerBio>,
         id +
             R"(,"first_name":"A","last_name":"B","full_name":"A B","birth_date":"1990-01-02","birth_city":"C",)"
             R"("birth_state":"D","college":"E","high_school":"F","high_school_city":"G","high_school_state":"H",)"
             R"("pfr_position":"QB","throws":"Right","nickname":"N","uniform_numbers":"15","is_hof":true,)"
             R"("is_all_pro":true,"headshot_url":"https://example.org/a.png","all_pro_history":[{"year":2020}])",
         "height_inches weight_lbs draft_age career_av"},
    };
    for (const auto& [emptyOf, fixed, columns] : cases)
        EXPECT_EQ(emptyOf(row(fixed, columns)), Names{}) << fixed;

    const PlayerBio bio = decodeJson<PlayerBio>(row(std::get<1>(cases[std::size(cases) - 1])));
    EXPECT_TRUE(bio.isHOF && bio.isAllPro);
    EXPECT_EQ(bio.allProHistory, (std::vector<AllProEntry>{{.year = 2020}}));
}

TEST(RecordDecoding, brokenRowsFailTheWholeAnswer) {
    const std::string good = row(season, "pass_att").toStdString();
    const std::pair<const char*, const char*> edits[] = {
        {R"("pass_att":7)", R"("pass_att":"7")"},
        {R"("pass_att":7)", R"("pass_att":2.5)"},
        {R"("year":2012)", R"("year":null)"},
        {R"("year":2012,)", ""},
        {R"("team_abbr":"KC")", R"("team_abbr":3)"},
        {R"("regular")", R"("Regular")"},
        {R"("regular")", R"("preseason")"},
        {R"("regular")", R"("")"},
        {R"("id":"5d0f6a3e-2b8c-4f1e-9a7d-3c2b1a0f9e8d")", R"("id":12)"}};
    for (const auto& [from, to] : edits) {
        std::string bad = good;
        bad.replace(bad.find(from), std::strlen(from), to);
        EXPECT_THROW(decodeArray<PassingSeason>(QByteArray::fromStdString("[" + good + "," + bad + "]")),
                     JsonDecodingError)
            << bad;
    }
    for (const char* games : {R"({"year":2012,"season_type":"regular"})", R"({"year":2012,"week":"1"})",
                              R"({"year":2012,"week":1,"season_type":"regular"})", "null"})
        EXPECT_THROW(
            decodeJson<GameOffenseLine>(
                row(R"("game_id":"5d0f6a3e-2b8c-4f1e-9a7d-3c2b1a0f9e8d","games":)" + std::string(games))),
            JsonDecodingError)
            << games;
    EXPECT_THROW(
        decodeJson<PlayerBio>(row(id + R"(,"full_name":"A","all_pro_history":[{"team_level":"x"}])")),
        JsonDecodingError)
        << "an All-Pro entry without a year";
}

TEST(RecordDecoding, keysWithDigitsHalfSacksAndWideCounts) {
    const auto kicking = decodeJson<KickingSeason>(row(season + R"(,"fga_1":4,"fgm5":1)"));
    EXPECT_EQ(kicking.fga1, 4);
    EXPECT_EQ(kicking.fgm5, 1);
    for (const char* key : {"punt_in20_pct", "punt_in_20_pct"})
        EXPECT_EQ(decodeJson<PuntingSeason>(row(season + ",\"" + key + "\":38.5")).puntIn20Pct, 38.5) << key;
    for (auto [value, sacks] : {std::pair{"0.5", 0.5}, {"2", 2.0}})
        EXPECT_EQ(decodeJson<DefenseSeason>(row(season + ",\"sacks\":" + value)).sacks, sacks);

    const auto wide =
        decodeJson<PassingSeason>(row(season + R"(,"pass_yds":4294967296,"pass_att":-9223372036854775808)"));
    EXPECT_EQ(wide.passYds, std::int64_t{1} << 32);
    EXPECT_EQ(wide.passAtt, INT64_MIN);
    EXPECT_THROW(decodeJson<PassingSeason>(row(season + R"(,"pass_yds":9223372036854775808)")),
                 JsonDecodingError);
}
