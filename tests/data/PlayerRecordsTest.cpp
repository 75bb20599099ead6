// Derived texts of the biography and the game header.
#include "data/Models/GameLogEntry.h"
#include "data/Models/PlayerBio.h"
#include "data/StatFormat.h"

#include <gtest/gtest.h>

using namespace huddlepod;

TEST(PlayerBio, heightInFeetAndInches) {
    PlayerBio bio;
    EXPECT_EQ(bio.heightDescription(), std::nullopt);
    for (auto [inches, text] : {std::pair{74, "6-2"}, {72, "6-0"}, {11, "0-11"}}) {
        bio.heightInches = inches;
        EXPECT_EQ(bio.heightDescription(), QString(text));
    }
    for (int none : {0, -3}) {
        bio.heightInches = none;
        EXPECT_EQ(bio.heightDescription(), std::nullopt);
    }
}

TEST(PlayerBio, nicknamesAreSplitTrimmedAndFiltered) {
    PlayerBio bio;
    EXPECT_TRUE(bio.nicknames().isEmpty());
    bio.nickname = " \n ";
    EXPECT_TRUE(bio.nicknames().isEmpty());
    bio.nickname = "  Sweetness ,, \tThe Bus\n ,,";
    EXPECT_EQ(bio.nicknames(), (QStringList{"Sweetness", "The Bus"}));
}

TEST(PlayerBio, firstTeamCountIsCaseSensitiveAndCountsRepeats) {
    PlayerBio bio;
    EXPECT_EQ(bio.firstTeamAllProCount(), 0);
    bio.allProHistory = {{.year = 2001, .teamLevel = "first_team"},
                         {.year = 2001, .teamLevel = "first_team"},
                         {.year = 2002, .teamLevel = "First_Team"},
                         {.year = 2003, .teamLevel = "second_team"},
                         {.year = 2004}};
    EXPECT_EQ(bio.firstTeamAllProCount(), 2);
}

TEST(GameContext, weekLabels) {
    GameContext game;
    for (auto [week, label] : {std::pair{"WildCard", "WC"},
                               {"Division", "DIV"},
                               {"ConfChamp", "CONF"},
                               {"SuperBowl", "SB"},
                               {"wildcard", "wildcard"},
                               {"Wild Card", "Wild Card"},
                               {"7", "7"}}) {
        game.week = week;
        EXPECT_EQ(game.weekLabel(), QString(label));
    }
}

namespace {
GameLogEntry entry(std::optional<QString> team, std::optional<QString> home, std::optional<QString> away,
                   std::optional<int> homeScore, std::optional<int> awayScore) {
    GameLogEntry e;
    e.teamAbbr = std::move(team);
    e.context.homeTeamAbbr = std::move(home);
    e.context.awayTeamAbbr = std::move(away);
    e.context.homeScore = homeScore;
    e.context.awayScore = awayScore;
    return e;
}
} // namespace

TEST(GameLogEntry, opponentSideAndResult) {
    const auto home = entry("A", "A", "B", 31, 17);
    EXPECT_EQ(home.opponent(), "B");
    EXPECT_TRUE(home.isHome());
    EXPECT_EQ(home.result(), "W");
    EXPECT_EQ(home.opponentLabel(), "vs B");

    const auto away = entry("B", "A", "B", 31, 17);
    EXPECT_EQ(away.opponent(), "A");
    EXPECT_FALSE(away.isHome());
    EXPECT_EQ(away.result(), "L");
    EXPECT_EQ(away.opponentLabel(), "@ A");

    EXPECT_EQ(entry("A", "A", "B", 20, 20).result(), "T");
    const auto unscored = entry("A", "A", "B", 20, std::nullopt);
    EXPECT_EQ(unscored.result(), std::nullopt);
    EXPECT_EQ(unscored.opponentLabel(), "vs B");

    // Matching neither side counts as the away side.
    const auto stranger = entry("C", "A", "B", 10, 24);
    EXPECT_EQ(stranger.opponentLabel(), "@ A");
    EXPECT_EQ(stranger.result(), "W");
}

TEST(GameLogEntry, missingTeamsGiveThePlaceholderLabel) {
    const auto noHome = entry("A", std::nullopt, "B", 3, 7);
    EXPECT_EQ(noHome.opponent(), std::nullopt);
    EXPECT_FALSE(noHome.isHome());
    EXPECT_EQ(noHome.opponentLabel(), StatFormat::absent);
    EXPECT_EQ(noHome.result(), "W") << "reckoned with the away score as the player's own";

    const auto noTeam = entry(std::nullopt, "A", "B", 3, 7);
    EXPECT_EQ(noTeam.opponent(), std::nullopt);
    EXPECT_EQ(noTeam.result(), std::nullopt);
    EXPECT_FALSE(noTeam.isHome());
    EXPECT_EQ(noTeam.opponentLabel(), StatFormat::absent);

    EXPECT_EQ(entry("A", "A", std::nullopt, 3, 7).opponentLabel(), StatFormat::absent);
}
