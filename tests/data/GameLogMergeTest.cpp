// Merging a year's game lines into one entry per game, and their order by date.
#include "data/PlayerService.h"

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

QUuid gameID(int n) {
    return QUuid(static_cast<uint>(n), 0, 0x4000, 0x80, 0, 0, 0, 0, 0, 0, 0);
}

template <class Line>
Line line(int game, std::optional<QString> date, const char* team = "KC") {
    Line l;
    l.gameId = gameID(game);
    l.teamAbbr = QString(team);
    l.games.week = QString::number(game);
    l.games.gameDate = std::move(date);
    return l;
}

std::vector<QUuid> ids(const std::vector<GameLogEntry>& entries) {
    std::vector<QUuid> out;
    for (const auto& e : entries)
        out.push_back(e.id);
    return out;
}

} // namespace

TEST(GameLogMerge, theFirstLineMetGivesHeaderAndTeamAndTheFirstOfAFamilyWins) {
    auto offense = line<GameOffenseLine>(1, "2010-09-12", "KC");
    offense.passAtt = 10;
    auto duplicate = line<GameOffenseLine>(1, "2010-09-12", "KC");
    duplicate.passAtt = 99;
    auto defense = line<GameDefenseLine>(1, "1999-01-01", "OAK");
    defense.games.week = "other";
    const auto entries = PlayerService::mergeGameLog({offense, duplicate}, {defense}, {}, {});
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].teamAbbr, "KC");
    EXPECT_EQ(entries[0].context.week, "1");
    EXPECT_EQ(entries[0].offense->passAtt, 10);
    EXPECT_EQ(entries[0].defense->teamAbbr, "OAK");

    // Without an offense line the kicking line (before returns) gives the header.
    const auto kickFirst =
        PlayerService::mergeGameLog({}, {}, {line<GameKickingLine>(5, "2010-10-01", "SEA")},
                                    {line<GameReturnsLine>(5, "2010-10-01", "SF")});
    EXPECT_EQ(kickFirst.at(0).teamAbbr, "SEA");
}

TEST(GameLogMerge, sortedByDateTextUndatedFirstTiesKeepMergeOrder) {
    EXPECT_TRUE(PlayerService::mergeGameLog({}, {}, {}, {}).empty());
    const auto entries = PlayerService::mergeGameLog(
        {line<GameOffenseLine>(1, "2010-10-03"), line<GameOffenseLine>(2, "2010-09-12")},
        {line<GameDefenseLine>(3, std::nullopt), line<GameDefenseLine>(4, "2010-09-12")},
        {line<GameKickingLine>(5, "2010-09-12")}, {line<GameReturnsLine>(6, QString())});
    EXPECT_EQ(ids(entries), (std::vector{gameID(3), gameID(6), gameID(2), gameID(4), gameID(5), gameID(1)}));
    // A defence-only game gets its entry from the defence line.
    EXPECT_TRUE(entries[0].defense && !entries[0].offense && !entries[0].kicking && !entries[0].returns);
}
