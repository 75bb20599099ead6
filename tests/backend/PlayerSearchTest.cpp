// The search procedure's matching and ranking, on a hand-made list of names.
#include "backend/PlayerSearch.h"
#include "backend/Schema.h"
#include "backend/Sqlite.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace huddlepod::backend {
namespace {

std::vector<std::string> names(const std::string& answer) {
    std::vector<std::string> result;
    for (const auto& row : nlohmann::json::parse(answer)) {
        result.push_back(row["full_name"]);
    }
    return result;
}

class PlayerSearchTest : public ::testing::Test {
protected:
    PlayerSearchTest()
        : connection_(":memory:", false, true) {
        connection_.exec(Schema::instance().createStatements());
    }

    void add(const std::string& fullName, int prominence = 0) {
        auto statement = connection_.prepare(
            "INSERT INTO player_search (player_id, full_name, teams, career_av) VALUES (?, ?, '[]', ?)");
        const std::string number = std::to_string(++count_);
        statement->bindAll({"00000000-0000-4000-8000-" + std::string(12 - number.size(), '0') + number,
                            fullName, std::int64_t{prominence}});
        statement->run();
    }

    std::vector<std::string> search(const std::string& query) {
        return names(PlayerSearch(connection_).search(query));
    }

    Connection connection_;
    int count_ = 0;
};

TEST(PlayerSearchNormalize, foldsCaseAccentsAndPunctuation) {
    EXPECT_EQ(PlayerSearch::normalize("  José O’Dell-Smith Jr.  "), "jose odell smith jr");
    EXPECT_EQ(PlayerSearch::normalize("ŁUKASZ   D'ANGELO"), "lukasz dangelo");
    EXPECT_EQ(PlayerSearch::normalize("\xff\xfe"), "");
    EXPECT_EQ(PlayerSearch::normalize("北 京"), "北 京");
}

TEST_F(PlayerSearchTest, ranksWholeNameThenPrefixesThenParts) {
    add("Dean Samharlow", 50);
    add("Harlow Samson", 40);
    add("Samuel Harlowe", 30);
    add("Sam Harlowton", 20);
    add("Sam Harlow", 10);
    add("Tom Byrd", 99);
    EXPECT_THAT(search("sam harlow"), ::testing::ElementsAre("Sam Harlow", "Sam Harlowton", "Samuel Harlowe",
                                                             "Harlow Samson", "Dean Samharlow"));
    EXPECT_THAT(search("SAM   HARLOW"),
                ::testing::ElementsAre("Sam Harlow", "Sam Harlowton", "Samuel Harlowe", "Harlow Samson",
                                       "Dean Samharlow"));
    EXPECT_THAT(search("byrd"), ::testing::ElementsAre("Tom Byrd"));
    EXPECT_THAT(search("  "), ::testing::IsEmpty());
}

TEST_F(PlayerSearchTest, equalMatchesPutProminentPlayersFirst) {
    add("Pat Lowell", 5);
    add("Pat Lonnard", 80);
    add("Pat Lorrey", 40);
    EXPECT_THAT(search("pat lo"), ::testing::ElementsAre("Pat Lonnard", "Pat Lorrey", "Pat Lowell"));
}

TEST_F(PlayerSearchTest, findsAccentedAndApostrophedNamesEitherWay) {
    add("José O'Dell");
    add("Andre D’Angelo");
    EXPECT_THAT(search("jose odell"), ::testing::ElementsAre("José O'Dell"));
    EXPECT_THAT(search("JOSÉ O’DELL"), ::testing::ElementsAre("José O'Dell"));
    EXPECT_THAT(search("andré d'angelo"), ::testing::ElementsAre("Andre D’Angelo"));
}

TEST_F(PlayerSearchTest, capsTheAnswer) {
    for (int i = 0; i < 40; ++i) {
        add("Chris Example" + std::to_string(i));
    }
    EXPECT_EQ(search("chris").size(), PlayerSearch::resultLimit);
}

} // namespace
} // namespace huddlepod::backend
