// Schedule weeks and tables: week titles and numbers, week order, columns, cells, byes and team tables.
#include "data/ScheduleBuilder.h"
#include "data/PostgRESTError.h"

#include <gtest/gtest.h>

namespace huddlepod {
namespace {

using Texts = std::vector<QString>;

int gameCounter = 0;

GameRow game(const char* week, std::optional<QString> date, const char* away, const char* home,
             std::optional<int> awayScore = std::nullopt, std::optional<int> homeScore = std::nullopt) {
    GameRow made;
    made.id = QUuid::fromString(
        QStringLiteral("0000000b-0000-4000-8000-%1").arg(++gameCounter, 12, 10, QLatin1Char('0')));
    made.week = QString::fromUtf8(week);
    made.gameDate = std::move(date);
    made.awayTeamAbbr = QString::fromUtf8(away);
    made.homeTeamAbbr = QString::fromUtf8(home);
    made.awayScore = awayScore;
    made.homeScore = homeScore;
    return made;
}

Texts titles(const DataTable& table) {
    Texts made;
    for (const StatColumn& column : table.columns())
        made.push_back(column.title);
    return made;
}

TEST(ScheduleWeek, titlesAndNumbers) {
    const std::vector<std::pair<const char*, const char*>> titles{
        {"WildCard", "WC"}, {"wildcard", "wildcard"}, {"7", "7"}, {"", ""}};
    for (const auto& [raw, title] : titles)
        EXPECT_EQ(ScheduleWeek(QString::fromUtf8(raw)).title, QString::fromUtf8(title)) << raw;
    EXPECT_NE(ScheduleWeek(QStringLiteral("3")), ScheduleWeek(QStringLiteral("03")));

    for (auto [raw, number] : {std::pair{"3", 3}, {"+3", 3}, {"03", 3}, {"-1", -1}})
        EXPECT_EQ(ScheduleWeek(QString::fromUtf8(raw)).number(), number) << raw;
    EXPECT_EQ(ScheduleWeek(QStringLiteral("9223372036854775807")).number(), INT64_MAX);
    EXPECT_EQ(ScheduleWeek(QStringLiteral("-9223372036854775808")).number(), INT64_MIN);
    // Overflow, signs alone, spaces, words and non-ASCII digits are not numbers.
    for (const char* raw : {"9223372036854775808", "", "+", "3a", " 3", "SuperBowl", "٣"})
        EXPECT_EQ(ScheduleWeek(QString::fromUtf8(raw)).number(), std::nullopt) << raw;
}

TEST(ScheduleBuilder, weeksOrderByEarliestDateThenNumberThenRawText) {
    const std::vector<GameRow> games{
        game("2", QStringLiteral("2024-09-15"), "A", "B"),
        game("WildCard", QStringLiteral("2024-09-08"), "C", "D"),
        game("1", QStringLiteral("2024-09-10"), "E", "F"),
        game("1", QStringLiteral("2024-09-08"), "G", "H"), // week 1's earliest date is this one
        game("10", QStringLiteral("2024-09-08"), "I", "J"),
        game("Undated", std::nullopt, "K", "L"),
        game("3", QStringLiteral("2024-09-22"), "M", "N"),
        game("03", QStringLiteral("2024-09-22"), "O", "P"),
        game("Z", QStringLiteral("2024-09-22"), "Q", "R"),
        game("Y", QStringLiteral("2024-09-22"), "S", "T"),
    };
    const SeasonSchedule schedule = ScheduleBuilder::season(games);
    Texts raws;
    for (const ScheduleWeek& week : schedule.weeks)
        raws.push_back(week.raw);
    EXPECT_EQ(raws, (Texts{"Undated", "1", "10", "WildCard", "2", "03", "3", "Y", "Z"}));
    EXPECT_EQ(schedule.tables.at(ScheduleWeek(QStringLiteral("1"))).sections()[0].rows.size(), 2u);
}

TEST(ScheduleBuilder, weekLabels) {
    const std::vector<std::pair<const char*, const char*>> cases{
        {"+3", "Week +3"}, {"SuperBowl", "Super Bowl"}, {"superbowl", "superbowl"}, {"", ""}};
    for (const auto& [raw, label] : cases) {
        const DataTable table =
            ScheduleBuilder::build({game(raw, std::nullopt, "A", "B")}, ScheduleWeek(QString::fromUtf8(raw)));
        EXPECT_EQ(table.sections()[0].label, QString::fromUtf8(label)) << raw;
    }
}

TEST(ScheduleBuilder, weekTableColumnsFollowWhetherScoresAreKnown) {
    GameRow played = game("1", QStringLiteral("2024-09-08"), "KC", "BAL", 27, 20);
    played.gameDayOfWeek = QStringLiteral("Sun");
    played.tvNetwork = QStringLiteral("NBC");
    GameRow tie = game("1", QStringLiteral("2024-9-8-extra"), "A", "B", 10, 10);
    GameRow homeWin = game("1", QStringLiteral("2024-09"), "C", "D", 3, 9);
    GameRow oneScore = game("1", QStringLiteral("2024-xx-08"), "E", "F", 3);
    oneScore.gametime = QStringLiteral("13:00");
    oneScore.tvNetwork = QString();
    const DataTable table =
        ScheduleBuilder::build({played, tie, homeWin, oneScore}, ScheduleWeek(QStringLiteral("1")));

    EXPECT_EQ(titles(table), (Texts{"Day", "Date", "Away", "Home", "Score", "TV"}));
    EXPECT_TRUE(table.columns()[1].isFlexible);
    EXPECT_EQ(table.columns()[2].trailingGap, 16.0); // Away before Home

    const auto& rows = table.sections()[0].rows;
    EXPECT_EQ(rows[0].values, (Texts{"Sun", "9/8", "KC", "BAL", "27–20", "NBC"}));
    EXPECT_EQ(rows[0].emphasizedValues, (std::set<int>{2}));
    EXPECT_EQ(rows[0].id, played.id.toString(QUuid::WithoutBraces).toUpper());
    EXPECT_EQ(rows[1].values[1], "9/8");
    EXPECT_TRUE(rows[1].emphasizedValues.empty()); // a tie
    EXPECT_EQ(rows[2].values[1], "—");
    EXPECT_EQ(rows[2].emphasizedValues, (std::set<int>{3}));
    EXPECT_EQ(rows[3].values, (Texts{"—", "—", "E", "F", "13:00", "—"}));
    EXPECT_TRUE(rows[3].emphasizedValues.empty());

    // A week without scores leads with the teams and stretches the home column.
    const DataTable future = ScheduleBuilder::build({game("2", QStringLiteral("2024-09-15"), "KC", "")},
                                                    ScheduleWeek(QStringLiteral("2")));
    EXPECT_EQ(titles(future), (Texts{"Away", "Home", "Day", "Date", "Time"}));
    EXPECT_TRUE(future.columns()[1].isFlexible);
    EXPECT_EQ(future.sections()[0].rows[0].values, (Texts{"KC", "—", "—", "9/15", "—"}));
}

TEST(ScheduleBuilder, teamTableByesOnlyInsideTheTeamsSeasonAndOnlyInNumberedWeeks) {
    std::vector<GameRow> games;
    for (int week = 1; week <= 7; ++week)
        games.push_back(game(std::to_string(week).c_str(),
                             QStringLiteral("2024-10-%1").arg(week, 2, 10, QLatin1Char('0')), "X", "Y"));
    games.push_back(game("1", QStringLiteral("2024-10-01"), "KC", "DEN", 21, 24));
    games.push_back(game("2", QStringLiteral("2024-10-02"), "LV", "KC"));
    games.push_back(game("2", QStringLiteral("2024-10-02"), "KC", "LV"));
    games.push_back(game("Mid", QStringLiteral("2024-10-02"), "Q", "R")); // unnumbered, after week 2
    games.push_back(game("5", QStringLiteral("2024-10-05"), "KC", "SF"));
    GameRow withTV = game("5", QStringLiteral("2024-10-05"), "A", "B");
    withTV.tvNetwork = QStringLiteral("CBS");
    games.push_back(withTV);

    const SeasonSchedule schedule = ScheduleBuilder::season(games);
    const DataTable& kc = schedule.teamTables.at(QStringLiteral("KC"));
    EXPECT_EQ(titles(kc), (Texts{"Wk", "Date", "Away", "Home", "Score"})); // KC's games carry no TV
    EXPECT_EQ(kc.sections().at(0).label, "KC");

    const auto& rows = kc.sections()[0].rows;
    Texts weeks, ids;
    for (const DataRow& r : rows) {
        weeks.push_back(r.values[0]);
        ids.push_back(r.id.startsWith(u"bye") ? r.id : QStringLiteral("game"));
    }
    EXPECT_EQ(weeks, (Texts{"1", "2", "2", "3", "4", "5"}));
    EXPECT_EQ(ids, (Texts{"game", "game", "game", "bye-3-3", "bye-4-4", "game"}));
    EXPECT_EQ(rows[3].values, (Texts{"3", "", "BYE", "", ""}));
    EXPECT_EQ(rows[0].values[4], "21–24");
    EXPECT_EQ(rows[0].emphasizedValues, (std::set<int>{3}));
    EXPECT_EQ(rows[1].values[4], "—");

    // The week table of week 5 has TV because another game of that week has a network.
    EXPECT_EQ(titles(schedule.tables.at(ScheduleWeek(QStringLiteral("5")))).back(), "TV");
}

TEST(ScheduleBuilder, teamsIncludeEmptyAbbreviationInByteOrder) {
    GameRow noHome = game("1", QStringLiteral("2024-09-08"), "", "b");
    noHome.homeTeamAbbr.reset();
    // Code-point order: U+FF21 before U+1F600, although its UTF-16 units sort after the surrogates.
    const SeasonSchedule schedule = ScheduleBuilder::season(
        {game("1", QStringLiteral("2024-09-08"), "Z", "a"), noHome, game("2", std::nullopt, "😀", "Ａ")});
    EXPECT_EQ(schedule.teams, (Texts{"", "Z", "a", "Ａ", "😀"}));
    EXPECT_EQ(schedule.teamTables.at(QString()).sections()[0].rows.size(), 1u);

    EXPECT_TRUE(ScheduleBuilder::team(QStringLiteral("NONE"), {noHome}, schedule.weeks).columns().empty());
    EXPECT_EQ(ScheduleBuilder::season({}), SeasonSchedule{});
}

TEST(ScheduleBuilder, aFullAnswerIsBuiltAndALongerOneRefused) {
    // One game a week; KC plays the first and the last, so every week between is a bye.
    std::vector<GameRow> games;
    for (std::size_t week = 1; week <= ScheduleBuilder::maximumGames; ++week) {
        const bool kc = week == 1 || week == ScheduleBuilder::maximumGames;
        const std::string team = std::to_string(week);
        games.push_back(game(team.c_str(), QStringLiteral("2024-01-01"), kc ? "KC" : ("A" + team).c_str(),
                             ("H" + team).c_str()));
    }
    const SeasonSchedule schedule = ScheduleBuilder::season(games);
    const auto& rows = schedule.teamTables.at(QStringLiteral("KC")).sections().at(0).rows;
    ASSERT_EQ(rows.size(), ScheduleBuilder::maximumGames);
    EXPECT_EQ(rows[1].id, "bye-2-1");
    EXPECT_EQ(rows[rows.size() - 2].values[2], "BYE");
    EXPECT_EQ(rows.back().id, games.back().id.toString(QUuid::WithoutBraces).toUpper());
    EXPECT_EQ(schedule.teamTables.at(QStringLiteral("H7")).sections().at(0).rows.size(), 1u);

    games.push_back(game("1", std::nullopt, "X", "Y"));
    EXPECT_THROW(ScheduleBuilder::season(games), PostgRESTError) << "a longer answer than the query's limit";
}

} // namespace
} // namespace huddlepod
