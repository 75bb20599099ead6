// Building every table of a long career: the season tables of a card and a season's game log.
#include "data/GameLogBuilder.h"
#include "data/StatTableBuilder.h"

#include <benchmark/benchmark.h>

using namespace huddlepod;

namespace {

template <class R>
R season(int year, SeasonType type) {
    R r;
    r.id = QUuid::createUuid();
    r.year = year;
    r.seasonType = type;
    r.teamAbbr = QStringLiteral("KC");
    r.games = 16;
    r.gamesStarted = 16;
    return r;
}

// 15 seasons, each with a postseason, active in every family.
PlayerStats longCareer() {
    PlayerStats stats;
    for (int year = 2000; year < 2015; ++year) {
        for (SeasonType type : allSeasonTypes) {
            auto p = season<PassingSeason>(year, type);
            p.passCmp = 320, p.passAtt = 510, p.passYds = 4100, p.passTd = 31, p.passInt = 9,
            p.passRating = 101.4;
            stats.passing.push_back(p);
            auto r = season<RushingReceivingSeason>(year, type);
            r.rushAtt = 40, r.rushYds = 180, r.rushYdsPerAtt = 4.5, r.rushTd = 2, r.rushLong = 21;
            r.targets = 12, r.rec = 8, r.recYds = 70, r.recYdsPerRec = 8.75, r.recTd = 1;
            stats.rushingReceiving.push_back(r);
            auto d = season<DefenseSeason>(year, type);
            d.tacklesCombined = 12, d.sacks = 1.5, d.defInt = 1, d.passDefended = 3, d.fumblesForced = 1;
            stats.defense.push_back(d);
            auto k = season<KickingSeason>(year, type);
            k.fgm = 25, k.fga = 30, k.fgPct = 83.3, k.fgLong = 52, k.xpm = 40, k.xpa = 41;
            stats.kicking.push_back(k);
            auto u = season<PuntingSeason>(year, type);
            u.punt = 70, u.puntYds = 3100, u.puntYdsPerPunt = 44.3, u.puntLong = 66, u.puntIn20 = 25;
            stats.punting.push_back(u);
            auto t = season<ReturnsSeason>(year, type);
            t.kickRet = 20, t.kickRetYds = 480, t.kickRetTd = 1, t.puntRet = 15, t.puntRetYds = 150;
            stats.returns.push_back(t);
            auto s = season<ScoringSeason>(year, type);
            s.totalTd = 3, s.fgm = 25, s.xpm = 40, s.twoPtMd = 1, s.scoring = 135;
            stats.scoring.push_back(s);
        }
    }
    return stats;
}

std::vector<GameLogEntry> seasonOfGames() {
    std::vector<GameLogEntry> entries;
    for (int week = 1; week <= 20; ++week) {
        GameLogEntry e;
        e.id = QUuid::createUuid();
        e.context.week = QString::number(week);
        e.context.seasonType = week > 17 ? SeasonType::postseason : SeasonType::regular;
        e.context.homeTeamAbbr = QStringLiteral("KC");
        e.context.awayTeamAbbr = QStringLiteral("DEN");
        e.context.homeScore = 24, e.context.awayScore = 17;
        e.teamAbbr = QStringLiteral("KC");
        e.offense = GameOffenseLine{};
        e.offense->passCmp = 22, e.offense->passAtt = 33, e.offense->passYds = 280, e.offense->rushAtt = 3;
        entries.push_back(e);
    }
    return entries;
}

void BM_SeasonTablesOfALongCareer(benchmark::State& state) {
    const PlayerStats stats = longCareer();
    for (auto _ : state) {
        auto tables = StatTableBuilder::sections(stats);
        benchmark::DoNotOptimize(tables);
    }
}
BENCHMARK(BM_SeasonTablesOfALongCareer)->Unit(benchmark::kMicrosecond);

void BM_GameLogOfASeason(benchmark::State& state) {
    const PlayerStats stats = longCareer();
    const auto entries = seasonOfGames();
    for (auto _ : state) {
        auto table = GameLogBuilder::build(entries, stats);
        benchmark::DoNotOptimize(table);
    }
}
BENCHMARK(BM_GameLogOfASeason)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
