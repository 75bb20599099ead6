// Decoding a search hit and its derived career texts.
#include "data/Models/SearchResult.h"

#include "data/JsonReader.h"

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

const QUuid hitID = QUuid::fromString(QStringLiteral("6f1c2a9e-0000-4000-8000-0000000000ab"));
const std::string head = R"({"id":"6f1c2a9e-0000-4000-8000-0000000000ab","full_name":"A")";

SearchResult career(std::optional<std::int64_t> start, std::optional<std::int64_t> end, bool active) {
    SearchResult result;
    result.careerStart = start;
    result.careerEnd = end;
    result.isActive = active;
    return result;
}

} // namespace

TEST(SearchResult, decodesEveryFieldFromTheBackendsKeys) {
    const auto r = decodeJson<SearchResult>(R"({
        "id": "6f1c2a9e-0000-4000-8000-0000000000ab", "full_name": "Pat Example", "primary_position": "QB",
        "career_start": 2017, "career_end": 2024, "is_hof": true, "is_active": true,
        "teams": [{"abbr": "KC", "name": "Chiefs", "city": "Kansas City", "logo_url": "https://x/kc.png", "year": 2017}],
        "draft_year": 2016, "draft_team_abbr": "SF", "draft_team_name": "49ers", "draft_team_city": "San Francisco",
        "draft_team_logo_url": "https://x/sf.png", "is_placeholder": true, "rank": 0.9
    })");
    const std::vector<TeamPathEntry> teams{{"KC", "Chiefs", "Kansas City", "https://x/kc.png", 2017}};
    const SearchResult expected{
        hitID,           "Pat Example",      "QB", 2017, 2024, true, true, teams, 2016, "SF", "49ers",
        "San Francisco", "https://x/sf.png", false};
    EXPECT_EQ(r, expected) << "is_placeholder is never decoded";

    for (const std::string& tail :
         {std::string("}"), std::string(R"(,"is_hof":null,"is_active":null,"teams":null})")}) {
        const auto bare = decodeJson<SearchResult>(QByteArray::fromStdString(head + tail));
        EXPECT_FALSE(bare.isHOF || bare.isActive);
        EXPECT_TRUE(bare.teams.empty());
    }
    for (const char* bad : {R"({"id":"6f1c2a9e-0000-4000-8000-0000000000ab"})",
                            R"({"id":"6f1c2a9e-0000-4000-8000-0000000000ab","full_name":null})"})
        EXPECT_THROW(decodeJson<SearchResult>(bad), JsonDecodingError) << bad;
    for (const char* bad : {R"(,"is_hof":1})", R"(,"career_start":"2017"})", R"(,"teams":[{"name":"A"}]})"})
        EXPECT_THROW(decodeJson<SearchResult>(QByteArray::fromStdString(head + bad)), JsonDecodingError)
            << bad;
}

TEST(SearchResult, careerSpanTakesTheFirstMatchingCase) {
    const std::int64_t wide = std::int64_t{1} << 32;
    const std::tuple<std::optional<std::int64_t>, std::optional<std::int64_t>, bool, std::optional<QString>>
        cases[] = {{std::nullopt, 2020, false, std::nullopt},
                   {2010, std::nullopt, true, "2010–"},
                   {2010, std::nullopt, false, "2010–"},
                   {2010, 2015, true, "2010–present"},
                   {2010, 2010, true, "2010–present"},
                   {2010, 2015, false, "2010–2015"},
                   {2010, 2010, false, "2010"},
                   {2010, wide, false, "2010–4294967296"}};
    for (const auto& [start, end, active, span] : cases)
        EXPECT_EQ(career(start, end, active).careerSpan(), span)
            << start.value_or(0) << " " << end.value_or(0);
}

TEST(SearchResult, careerSummaryAndDisplayedTeams) {
    SearchResult traveller = career(2010, 2015, false);
    traveller.teams = {{.abbr = "KC"}, {.abbr = "SF"}, {.abbr = "KC"}};
    EXPECT_EQ(traveller.careerSummary(), "KC · SF · KC  ·  2010–2015");
    EXPECT_EQ(traveller.displayTeamAbbrs(), (std::vector<QString>{"KC", "SF", "KC"}));

    SearchResult noSpan;
    noSpan.teams = {{.abbr = "NE"}};
    EXPECT_EQ(noSpan.careerSummary(), "NE");

    SearchResult draftedOnly;
    draftedOnly.draftYear = 2020;
    draftedOnly.draftTeamAbbr = "DAL";
    EXPECT_EQ(draftedOnly.careerSummary(), "DAL  ·  drafted 2020, never played");
    EXPECT_EQ(draftedOnly.displayTeamAbbrs(), (std::vector<QString>{"DAL"}));
    draftedOnly.draftTeamAbbr.reset();
    EXPECT_EQ(draftedOnly.careerSummary(), "Drafted 2020, never played");
    EXPECT_TRUE(draftedOnly.displayTeamAbbrs().empty());

    EXPECT_EQ(SearchResult().careerSummary(), "No recorded seasons");
    EXPECT_EQ(career(2019, 2019, false).careerSummary(), "2019");
}

TEST(SearchResult, placeholderIsEmptyAndNeverEqualsADecodedResult) {
    const SearchResult placeholder = SearchResult::placeholder(hitID, "Pat Example", "QB");
    EXPECT_TRUE(placeholder.isPlaceholder);
    EXPECT_EQ(placeholder.primaryPosition, "QB");
    EXPECT_EQ(placeholder.careerSummary(), "");

    SearchResult decoded = placeholder;
    decoded.isPlaceholder = false;
    EXPECT_NE(placeholder, decoded);
    EXPECT_NE(qHash(placeholder), qHash(decoded));
    EXPECT_EQ(qHash(placeholder), qHash(SearchResult::placeholder(hitID, "Pat Example", "QB")));
}
