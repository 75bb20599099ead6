// Build times of the standings table (32 teams) and of a whole season's schedule (285 games).
#include "data/ScheduleBuilder.h"
#include "data/StandingsBuilder.h"

#include <benchmark/benchmark.h>

#include <array>

namespace {

using namespace huddlepod;

const std::array<const char*, 32> abbreviations{"BUF", "MIA", "NE",  "NYJ", "BAL", "CIN", "CLE", "PIT",
                                                "HOU", "IND", "JAX", "TEN", "DEN", "KC",  "LV",  "LAC",
                                                "DAL", "NYG", "PHI", "WAS", "CHI", "DET", "GB",  "MIN",
                                                "ATL", "CAR", "NO",  "TB",  "ARI", "LAR", "SF",  "SEA"};

QUuid teamID(int n) {
    return QUuid::fromString(QStringLiteral("0000000d-0000-4000-8000-%1").arg(n, 12, 10, QLatin1Char('0')));
}

struct League {
    std::vector<StandingRow> rows;
    DivisionAssignments assignments;
};

League league() {
    static const std::array<const char*, 4> regions{"East", "North", "South", "West"};
    League made;
    // The server sends the rows by division rank.
    std::vector<int> order;
    for (int rank = 0; rank < 4; ++rank) {
        for (int team = rank; team < 32; team += 4)
            order.push_back(team);
    }
    for (int team : order) {
        const QString conference = team < 16 ? QStringLiteral("AFC") : QStringLiteral("NFC");
        const QString division = conference + QLatin1Char(' ') + QString::fromLatin1(regions[(team / 4) % 4]);
        made.assignments[teamID(team)] = DivisionAssignment{teamID(team), division, conference};
        StandingRow row;
        row.teams = TeamRef{teamID(team), QString::fromLatin1(abbreviations[team]), QStringLiteral("Name"),
                            QStringLiteral("City")};
        row.wins = 17 - team % 17;
        row.losses = team % 17;
        row.ties = 0;
        row.winPct = *row.wins / 17.0;
        row.pointsFor = 400 - team;
        row.pointsAgainst = 350 + team;
        row.pointDifferential = *row.pointsFor - *row.pointsAgainst;
        row.divisionRank = team % 4 + 1;
        row.conferenceSeed = team % 16 < 7 ? std::optional(team % 16 + 1) : std::nullopt;
        row.isDivisionWinner = team % 4 == 0;
        row.isPlayoffTeam = team % 16 < 7;
        made.rows.push_back(row);
    }
    return made;
}

// 18 weeks of 16 games minus byes (272 games) and 13 playoff games: 285.
std::vector<GameRow> season() {
    std::vector<GameRow> games;
    int counter = 0;
    const auto add = [&](const QString& week, int day, int away, int home, bool tv) {
        GameRow game;
        game.id = QUuid::fromString(
            QStringLiteral("0000000e-0000-4000-8000-%1").arg(++counter, 12, 10, QLatin1Char('0')));
        game.week = week;
        game.gameDate = QStringLiteral("2024-%1-%2")
                            .arg(9 + day / 30, 2, 10, QLatin1Char('0'))
                            .arg(day % 30 + 1, 2, 10, QLatin1Char('0'));
        game.gametime = QStringLiteral("13:00");
        game.gameDayOfWeek = QStringLiteral("Sun");
        game.awayTeamAbbr = QString::fromLatin1(abbreviations[away]);
        game.homeTeamAbbr = QString::fromLatin1(abbreviations[home]);
        game.awayScore = 10 + (counter * 7) % 25;
        game.homeScore = 10 + (counter * 11) % 25;
        if (tv)
            game.tvNetwork = QStringLiteral("CBS");
        games.push_back(game);
    };
    for (int week = 1; week <= 18; ++week) {
        // Four teams rest in each of weeks 5 to 12; 272 regular-season games in all.
        const int resting = week >= 5 && week <= 12 ? 4 : 0;
        const int first = (week * 4) % 32;
        std::vector<int> playing;
        for (int i = 0; i < 32; ++i) {
            const int team = (first + i) % 32;
            if (i >= 32 - resting)
                continue;
            playing.push_back(team);
        }
        for (std::size_t i = 0; i + 1 < playing.size(); i += 2)
            add(QString::number(week), week * 7, playing[i], playing[i + 1], i % 3 == 0);
    }
    const std::array<std::pair<const char*, int>, 4> rounds{
        {{"WildCard", 6}, {"Division", 4}, {"ConfChamp", 2}, {"SuperBowl", 1}}};
    int day = 19 * 7;
    for (const auto& [round, count] : rounds) {
        for (int i = 0; i < count; ++i)
            add(QString::fromLatin1(round), day, i * 2, i * 2 + 1, true);
        day += 7;
    }
    return games;
}

void standingsByDivision(benchmark::State& state) {
    const League data = league();
    for (auto _ : state)
        benchmark::DoNotOptimize(StandingsBuilder::byDivision(data.rows, data.assignments));
}

void standingsByConference(benchmark::State& state) {
    const League data = league();
    for (auto _ : state)
        benchmark::DoNotOptimize(StandingsBuilder::byConference(data.rows, data.assignments));
}

void seasonSchedule(benchmark::State& state) {
    const std::vector<GameRow> games = season();
    state.counters["games"] = static_cast<double>(games.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(ScheduleBuilder::season(games));
}

BENCHMARK(standingsByDivision)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(standingsByConference)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(seasonSchedule)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

} // namespace
