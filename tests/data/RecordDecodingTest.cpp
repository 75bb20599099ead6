// Decoding the player records from rows spelled as the backend serves them: a wrongly typed value anywhere
// fails the whole answer.
#include "data/JsonReader.h"
#include "data/Models/GameLogEntry.h"
#include "data/Models/HallOfFameEntry.h"
#include "data/Models/PlayerBio.h"
#include "data/Models/PlayerStats.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

using namespace huddlepod;

namespace {

const std::string id = R"("id":"5d0f6a3e-2b8c-4f1e-9a7d-3c2b1a0f9e8d")";
const std::string season = id + R"(,"player_id":"x","year":2012,"season_type":"regular","team_abbr":"KC",)"
                                R"("pos":"QB","age":27,"games":16,"games_started":15)";

// An object of `fixed` members and every listed numeric column set to 7.
QByteArray row(const std::string& fixed, const char* numericColumns = "") {
    std::istringstream names(numericColumns);
    std::string json = "{" + fixed;
    for (std::string name; names >> name;)
        json += ",\"" + name + "\":7";
    return QByteArray::fromStdString(json + "}");
}

} // namespace

TEST(RecordDecoding, aBioReadsItsFlagsAndAllProHistory) {
    const PlayerBio bio = decodeJson<PlayerBio>(
        row(id + R"(,"full_name":"A B","is_hof":true,"is_all_pro":true,"all_pro_history":[{"year":2020}])"));
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
