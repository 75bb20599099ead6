// Derived texts of the biography and the game header.
#include "data/Models/GameLogEntry.h"
#include "data/Models/PlayerBio.h"

#include <gtest/gtest.h>

using namespace huddlepod;

TEST(PlayerBio, heightNicknamesAndFirstTeamCount) {
    PlayerBio bio;
    EXPECT_EQ(bio.heightDescription(), std::nullopt);
    for (auto [inches, text] : {std::pair{74, "6-2"}, {72, "6-0"}, {11, "0-11"}, {0, ""}, {-3, ""}}) {
        bio.heightInches = inches;
        EXPECT_EQ(bio.heightDescription().value_or(""), QString(text)) << inches;
    }

    EXPECT_TRUE(bio.nicknames().isEmpty());
    bio.nickname = " \n ";
    EXPECT_TRUE(bio.nicknames().isEmpty());
    bio.nickname = "  Sweetness ,, \tThe Bus\n ,,";
    EXPECT_EQ(bio.nicknames(), (QStringList{"Sweetness", "The Bus"}));

    EXPECT_EQ(bio.firstTeamAllProCount(), 0);
    bio.allProHistory = {{.year = 2001, .teamLevel = "first_team"},
                         {.year = 2001, .teamLevel = "first_team"},
                         {.year = 2002, .teamLevel = "First_Team"},
                         {.year = 2003, .teamLevel = "second_team"},
                         {.year = 2004}};
    EXPECT_EQ(bio.firstTeamAllProCount(), 2) << "case-sensitive, repeats counted";
}

TEST(GameLogEntry, opponentSideAndResult) {
    struct Case {
        std::optional<QString> team, home, away;
        std::optional<std::int64_t> homeScore, awayScore;
        const char* label;
        std::optional<QString> result;
    };
    const std::int64_t big = std::int64_t{1} << 40;
    const Case cases[] = {
        {"A", "A", "B", 31, 17, "vs B", "W"},
        {"B", "A", "B", 31, 17, "@ A", "L"},
        {"A", "A", "B", 20, 20, "vs B", "T"},
        {"A", "A", "B", big + 1, big, "vs B", "W"}, // scores beyond 32 bits still compare
        {"A", "A", "B", 20, std::nullopt, "vs B", std::nullopt},
        {"C", "A", "B", 10, 24, "@ A", "W"},      // matching neither side counts as the away side
        {"A", std::nullopt, "B", 3, 7, "—", "W"}, // the away score taken as the player's own
        {std::nullopt, "A", "B", 3, 7, "—", std::nullopt},
        {"A", "A", std::nullopt, 3, 7, "—", "L"},
    };
    for (const Case& c : cases) {
        GameLogEntry e;
        e.teamAbbr = c.team;
        e.context.homeTeamAbbr = c.home;
        e.context.awayTeamAbbr = c.away;
        e.context.homeScore = c.homeScore;
        e.context.awayScore = c.awayScore;
        EXPECT_EQ(e.opponentLabel(), QString::fromUtf8(c.label)) << c.label;
        EXPECT_EQ(e.result(), c.result) << c.label;
        EXPECT_EQ(e.isHome(), c.team && c.team == c.home);
    }
}
