// The search procedure's matching and ranking, on a hand-made list of names.
#include "backend/PlayerSearch.h"
#include "backend/Schema.h"
#include "backend/Sqlite.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace huddlepod::backend {
namespace {

TEST(PlayerSearchNormalize, foldsCaseAccentsAndPunctuation) {
    EXPECT_EQ(PlayerSearch::normalize("  José O’Dell-Smith Jr.  "), "jose odell smith jr");
    EXPECT_EQ(PlayerSearch::normalize("ŁUKASZ   D'ANGELO"), "lukasz dangelo");
    EXPECT_EQ(PlayerSearch::normalize("\xff\xfe"), "");
    EXPECT_EQ(PlayerSearch::normalize("北 京"), "北 京");
}

TEST(PlayerSearch, ranksWholeNamesThenPrefixesThenPartsThenProminence) {
    Connection connection(":memory:", false, true);
    connection.exec(Schema::instance().createStatements());
    auto insert = connection.prepare(
        "INSERT INTO player_search (player_id, full_name, teams, career_av) VALUES (?, ?, '[]', ?)");
    int count = 0;
    auto add = [&](const std::string& fullName, int prominence) {
        const std::string number = std::to_string(++count);
        insert->bindAll({"00000000-0000-4000-8000-" + std::string(12 - number.size(), '0') + number, fullName,
                         std::int64_t{prominence}});
        insert->run();
    };
    for (const auto& [name, prominence] : std::vector<std::pair<std::string, int>>{{"Dean Samharlow", 50},
                                                                                   {"Harlow Samson", 40},
                                                                                   {"Samuel Harlowe", 30},
                                                                                   {"Sam Harlowton", 20},
                                                                                   {"Sam Harlow", 10},
                                                                                   {"Tom Byrd", 99},
                                                                                   {"Pat Lowell", 5},
                                                                                   {"Pat Lonnard", 80},
                                                                                   {"Pat Lorrey", 40},
                                                                                   {"José O'Dell", 0},
                                                                                   {"Andre D’Angelo", 0}}) {
        add(name, prominence);
    }
    const std::vector<std::string> harlows = {"Sam Harlow", "Sam Harlowton", "Samuel Harlowe",
                                              "Harlow Samson", "Dean Samharlow"};
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"sam harlow", harlows},
        {"SAM   HARLOW", harlows},
        {"byrd", {"Tom Byrd"}},
        {"  ", {}},
        {"pat lo", {"Pat Lonnard", "Pat Lorrey", "Pat Lowell"}},
        {"jose odell", {"José O'Dell"}},
        {"JOSÉ O’DELL", {"José O'Dell"}},
        {"andré d'angelo", {"Andre D’Angelo"}},
    };
    for (const auto& [query, expected] : cases) {
        std::vector<std::string> names;
        for (const auto& row : nlohmann::json::parse(PlayerSearch(connection).search(query))) {
            names.push_back(row["full_name"]);
        }
        EXPECT_EQ(names, expected) << query;
    }

    for (int i = 0; i < 40; ++i) {
        add("Chris Example" + std::to_string(i), 0);
    }
    EXPECT_EQ(nlohmann::json::parse(PlayerSearch(connection).search("chris")).size(),
              PlayerSearch::resultLimit);
}

} // namespace
} // namespace huddlepod::backend
