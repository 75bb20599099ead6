// Decoding a search hit and its derived career texts.
#include "data/Models/SearchResult.h"

#include "data/JsonReader.h"

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

SearchResult career(std::optional<int> start, std::optional<int> end, bool active) {
    SearchResult result;
    result.careerStart = start;
    result.careerEnd = end;
    result.isActive = active;
    return result;
}

TeamPathEntry team(const char* abbr) {
    TeamPathEntry entry;
    entry.abbr = abbr;
    return entry;
}

} // namespace

TEST(SearchResult, decodesEveryFieldFromSnakeCaseKeys) {
    const auto results = decodeArray<SearchResult>(R"([{
        "id": "6f1c2a9e-0000-4000-8000-0000000000ab", "full_name": "Pat Example", "primary_position": "QB",
        "career_start": 2017, "career_end": 2024, "is_hof": false, "is_active": true,
        "teams": [{"abbr": "KC", "name": "Chiefs", "city": "Kansas City", "logo_url": "https://x/kc.png", "year": 2017}],
        "draft_year": 2017, "draft_team_abbr": "KC", "draft_team_name": "Chiefs", "draft_team_city": "Kansas City",
        "draft_team_logo_url": "https://x/kc.png", "is_placeholder": true, "rank": 0.9
    }])");
    ASSERT_EQ(results.size(), 1u);
    const SearchResult& r = results[0];
    EXPECT_EQ(r.id, QUuid::fromString(QStringLiteral("6f1c2a9e-0000-4000-8000-0000000000ab")));
    EXPECT_EQ(r.fullName, "Pat Example");
    EXPECT_EQ(r.primaryPosition, "QB");
    EXPECT_EQ(r.careerStart, 2017);
    EXPECT_EQ(r.careerEnd, 2024);
    EXPECT_FALSE(r.isHOF);
    EXPECT_TRUE(r.isActive);
    ASSERT_EQ(r.teams.size(), 1u);
    EXPECT_EQ(r.teams[0], (TeamPathEntry{"KC", "Chiefs", "Kansas City", "https://x/kc.png", 2017}));
    EXPECT_EQ(r.draftYear, 2017);
    EXPECT_EQ(r.draftTeamAbbr, "KC");
    EXPECT_EQ(r.draftTeamName, "Chiefs");
    EXPECT_EQ(r.draftTeamCity, "Kansas City");
    EXPECT_EQ(r.draftTeamLogoURL, "https://x/kc.png");
    EXPECT_FALSE(r.isPlaceholder) << "never decoded";
}

TEST(SearchResult, missingOrNullFlagsAndTeamsDefaultWhileRequiredKeysAndWrongTypesFail) {
    for (const char* row : {R"({"id":"6f1c2a9e-0000-4000-8000-0000000000ab","full_name":"A"})",
                            R"({"id":"6f1c2a9e-0000-4000-8000-0000000000ab","full_name":"A",
                                "is_hof":null,"is_active":null,"teams":null})"}) {
        const auto r = decodeJson<SearchResult>(row);
        EXPECT_FALSE(r.isHOF);
        EXPECT_FALSE(r.isActive);
        EXPECT_TRUE(r.teams.empty());
    }
    EXPECT_THROW(decodeJson<SearchResult>(R"({"id":"6f1c2a9e-0000-4000-8000-0000000000ab"})"),
                 JsonDecodingError);
    EXPECT_THROW(decodeJson<SearchResult>(R"({"id":"6f1c2a9e-0000-4000-8000-0000000000ab","full_name":"A",
                                              "is_hof":1})"),
                 JsonDecodingError);
    EXPECT_THROW(decodeJson<SearchResult>(R"({"id":"6f1c2a9e-0000-4000-8000-0000000000ab","full_name":"A",
                                              "career_start":"2017"})"),
                 JsonDecodingError);
    EXPECT_THROW(decodeJson<SearchResult>(R"({"id":"6f1c2a9e-0000-4000-8000-0000000000ab","full_name":"A",
                                              "teams":[{"name":"No abbreviation"}]})"),
                 JsonDecodingError);
}

TEST(SearchResult, careerSpanTakesTheFirstMatchingCase) {
    EXPECT_EQ(career(std::nullopt, 2020, false).careerSpan(), std::nullopt);
    EXPECT_EQ(career(2010, std::nullopt, true).careerSpan(), "2010–");
    EXPECT_EQ(career(2010, std::nullopt, false).careerSpan(), "2010–");
    EXPECT_EQ(career(2010, 2015, true).careerSpan(), "2010–present");
    EXPECT_EQ(career(2010, 2010, true).careerSpan(), "2010–present");
    EXPECT_EQ(career(2010, 2015, false).careerSpan(), "2010–2015");
    EXPECT_EQ(career(2010, 2010, false).careerSpan(), "2010");
}

TEST(SearchResult, careerSummaryAndDisplayedTeams) {
    SearchResult traveller = career(2010, 2015, false);
    traveller.teams = {team("KC"), team("SF"), team("KC")};
    EXPECT_EQ(traveller.careerSummary(), "KC · SF · KC  ·  2010–2015");
    EXPECT_EQ(traveller.displayTeamAbbrs(), (std::vector<QString>{"KC", "SF", "KC"}));

    SearchResult noSpan;
    noSpan.teams = {team("NE")};
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
    const QUuid id = QUuid::fromString(QStringLiteral("6f1c2a9e-0000-4000-8000-0000000000ab"));
    const SearchResult placeholder = SearchResult::placeholder(id, "Pat Example", "QB");
    EXPECT_TRUE(placeholder.isPlaceholder);
    EXPECT_EQ(placeholder.primaryPosition, "QB");
    EXPECT_FALSE(placeholder.isHOF);
    EXPECT_EQ(placeholder.careerSpan(), std::nullopt);
    EXPECT_EQ(placeholder.careerSummary(), "");

    SearchResult decoded = placeholder;
    decoded.isPlaceholder = false;
    EXPECT_NE(placeholder, decoded);
    EXPECT_NE(qHash(placeholder), qHash(decoded));
    EXPECT_EQ(qHash(placeholder), qHash(SearchResult::placeholder(id, "Pat Example", "QB")));
}
