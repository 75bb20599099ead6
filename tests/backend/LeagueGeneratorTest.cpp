// The generated league holds together: standings from games, seeds and playoffs, honours, careers and links.
#include "backend/LeagueDatabase.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace huddlepod::backend {
namespace {

const LeagueDatabase& league() {
    static const auto database = LeagueDatabase::generate({LeagueSize::Small, 11});
    return *database;
}

nlohmann::json rows(const std::string& sql) {
    return league().query(sql);
}

std::int64_t count(const std::string& sql) {
    return rows(sql)[0].begin().value().get<std::int64_t>();
}

// The query finds nothing, or counts nothing, that breaks the rule it states.
void expectZero(const std::string& sql) {
    EXPECT_EQ(count(sql), 0) << sql;
}

void expectNone(const std::string& sql) {
    const auto found = rows(sql);
    EXPECT_EQ(found.size(), 0u) << found.dump().substr(0, 500);
}

TEST(LeagueGenerator, standingsAreTheSumOfTheRegularSeasonGames) {
    // Every column of every standings row, recomputed from the games and from the players' scoring.
    expectNone(R"(
        WITH results AS (
            SELECT season_id, home_team_id AS team, home_score AS pf, away_score AS pa FROM games
                WHERE season_type = 'regular' AND home_score IS NOT NULL
            UNION ALL
            SELECT season_id, away_team_id, away_score, home_score FROM games
                WHERE season_type = 'regular' AND home_score IS NOT NULL),
        totals AS (
            SELECT season_id, team, sum(pf > pa) AS w, sum(pf < pa) AS l, sum(pf = pa) AS t, sum(pf) AS pf, sum(pa) AS pa
            FROM results GROUP BY season_id, team),
        scored AS (
            SELECT y.id AS season_id, t.id AS team, sum(s.scoring) AS points
            FROM player_scoring s JOIN seasons y ON y.year = s.year JOIN teams t ON t.current_abbreviation = s.team_abbr
            WHERE s.season_type = 'regular' GROUP BY y.id, t.id)
        SELECT st.id FROM standings st
        LEFT JOIN totals x ON x.season_id = st.season_id AND x.team = st.team_id
        LEFT JOIN scored p ON p.season_id = st.season_id AND p.team = st.team_id
        WHERE x.w IS NOT st.wins OR x.l IS NOT st.losses OR x.t IS NOT st.ties OR x.pf IS NOT st.points_for
           OR x.pa IS NOT st.points_against OR st.point_differential IS NOT st.points_for - st.points_against
           OR abs(st.win_pct - (st.wins + 0.5 * st.ties) / (st.wins + st.losses + st.ties)) > 0.0005
           OR p.points IS NOT st.points_for)");
    EXPECT_GT(count("SELECT count(*) FROM standings"), 100);
    expectZero("SELECT count(*) FROM games g JOIN seasons y ON y.id = g.season_id WHERE g.year <> y.year");
}

TEST(LeagueGenerator, divisionRanksAndSeedsFollowTheRecords) {
    // Ranks 1..n inside each division, winners at rank 1 with the best record.
    expectNone(R"(
        WITH placed AS (
            SELECT st.*, h.division_id FROM standings st JOIN seasons y ON y.id = st.season_id
            JOIN team_division_history h ON h.team_id = st.team_id AND h.start_year <= y.year
                AND (h.end_year IS NULL OR h.end_year >= y.year))
        SELECT season_id, division_id FROM placed GROUP BY season_id, division_id
        HAVING min(division_rank) <> 1 OR max(division_rank) <> count(*) OR count(DISTINCT division_rank) <> count(*)
            OR sum(is_division_winner) <> 1 OR max(is_division_winner = (division_rank = 1)) = 0
            OR max(win_pct) > max(CASE WHEN division_rank = 1 THEN win_pct END))");

    // Seeds are exactly 1..N per conference, the playoff flag marks exactly the seeded teams, winners are
    // seeded.
    expectNone(R"(
        WITH placed AS (
            SELECT st.*, y.playoff_teams_per_conference AS n, c.abbreviation AS conference FROM standings st
            JOIN seasons y ON y.id = st.season_id
            JOIN team_division_history h ON h.team_id = st.team_id AND h.start_year <= y.year
                AND (h.end_year IS NULL OR h.end_year >= y.year)
            JOIN divisions d ON d.id = h.division_id JOIN conferences c ON c.id = d.conference_id)
        SELECT season_id, conference FROM placed GROUP BY season_id, conference
        HAVING count(conference_seed) <> max(n) OR min(conference_seed) <> 1 OR max(conference_seed) <> max(n)
            OR count(DISTINCT conference_seed) <> max(n) OR sum(is_playoff_team) <> max(n)
            OR sum(is_playoff_team <> (conference_seed IS NOT NULL)) > 0
            OR sum(is_division_winner AND conference_seed IS NULL) > 0)");
}

TEST(LeagueGenerator, playoffsChampionsAndTheFutureSeason) {
    expectZero(R"(SELECT count(*) FROM playoff_games p JOIN games g ON g.id = p.game_id
                       WHERE g.season_type <> 'postseason' OR p.round <> g.week OR p.home_score <> g.home_score
                          OR (p.winner_team_id = p.home_team_id) <> (p.home_score > p.away_score)
                          OR p.winner_team_id NOT IN (p.home_team_id, p.away_team_id)
                          OR NOT EXISTS (SELECT 1 FROM standings s WHERE s.season_id = p.season_id
                                         AND s.team_id = p.home_team_id AND s.is_playoff_team)
                          OR NOT EXISTS (SELECT 1 FROM standings s WHERE s.season_id = p.season_id
                                         AND s.team_id = p.away_team_id AND s.is_playoff_team))");
    const auto bowls =
        rows(R"(SELECT b.super_bowl_number AS number, y.year, p.round, b.mvp_name, m.full_name AS mvp,
                                      b.co_mvp_player_id IS NOT NULL AS co,
                                      (SELECT count(*) FROM game_player_offense o WHERE o.game_id = p.game_id AND o.player_id = m.id)
                                    + (SELECT count(*) FROM game_player_defense d WHERE d.game_id = p.game_id AND d.player_id = m.id)
                                    + (SELECT count(*) FROM game_player_kicking k WHERE k.game_id = p.game_id AND k.player_id = m.id)
                                    + (SELECT count(*) FROM game_player_returns r WHERE r.game_id = p.game_id AND r.player_id = m.id)
                                      AS mvp_lines
                               FROM super_bowls b JOIN seasons y ON y.id = b.season_id
                               JOIN playoff_games p ON p.id = b.playoff_game_id JOIN players m ON m.id = b.mvp_player_id
                               ORDER BY y.year)");
    const auto played =
        rows("SELECT DISTINCT year FROM standings s JOIN seasons y ON y.id = s.season_id ORDER BY year");
    ASSERT_EQ(bowls.size(), played.size()) << "one championship per played season";
    int coMvps = 0;
    for (std::size_t i = 0; i < bowls.size(); ++i) {
        EXPECT_EQ(bowls[i]["number"], static_cast<int>(i) + 1);
        EXPECT_EQ(bowls[i]["round"], "SuperBowl");
        EXPECT_EQ(bowls[i]["mvp_name"], bowls[i]["mvp"]);
        EXPECT_GT(bowls[i]["mvp_lines"].get<int>(), 0) << "the MVP played in the game";
        coMvps += bowls[i]["co"].get<int>();
    }
    EXPECT_EQ(coMvps, 1);

    // The last season is scheduled, not played: dates and times but no scores, and no standings.
    const std::string future = "(SELECT max(year) FROM games)";
    expectZero("SELECT count(*) FROM games WHERE (year = " + future +
               " AND (home_score IS NOT NULL OR game_date IS NULL OR gametime IS NULL)) OR (year < " +
               future + " AND home_score IS NULL)");
    EXPECT_GT(count("SELECT count(*) FROM games WHERE year = " + future), 0);
    expectZero("SELECT count(*) FROM standings s JOIN seasons y ON y.id = s.season_id WHERE y.year = " +
               future);
}

TEST(LeagueGenerator, honoursMatchThePlayersSeasons) {
    // One winner per award type and season, ranks without gaps.
    expectNone(R"(SELECT season_id, award_type_id FROM awards GROUP BY season_id, award_type_id
                  HAVING sum(ranking = 1) <> 1 OR max(ranking) <> count(*))");
    EXPECT_EQ(count("SELECT count(DISTINCT season_id) FROM awards a JOIN award_types t ON t.id = "
                    "a.award_type_id WHERE t.abbreviation = 'MVP'"),
              count("SELECT count(DISTINCT season_id) FROM standings"));
    // Every honoured player had a season row that year, with that team and position; linemen, who have no
    // statistics, had that season in their careers.
    for (const std::string table : {"awards", "all_pro_selections", "all_rookie_selections"}) {
        SCOPED_TRACE(table);
        expectZero(R"(SELECT count(*) FROM )" + table + R"( h JOIN seasons y ON y.id = h.season_id
                           JOIN teams t ON t.id = h.team_id JOIN positions p ON p.id = h.position_id
                           WHERE p.abbreviation NOT IN ('T', 'G', 'C') AND NOT EXISTS (
                               SELECT 1 FROM player_passing x WHERE x.player_id = h.player_id AND x.year = y.year AND x.team_abbr = t.current_abbreviation AND x.pos = p.abbreviation UNION ALL
                               SELECT 1 FROM player_rushing_receiving x WHERE x.player_id = h.player_id AND x.year = y.year AND x.team_abbr = t.current_abbreviation AND x.pos = p.abbreviation UNION ALL
                               SELECT 1 FROM player_defense x WHERE x.player_id = h.player_id AND x.year = y.year AND x.team_abbr = t.current_abbreviation AND x.pos = p.abbreviation UNION ALL
                               SELECT 1 FROM player_kicking x WHERE x.player_id = h.player_id AND x.year = y.year AND x.team_abbr = t.current_abbreviation AND x.pos = p.abbreviation UNION ALL
                               SELECT 1 FROM player_punting x WHERE x.player_id = h.player_id AND x.year = y.year AND x.team_abbr = t.current_abbreviation AND x.pos = p.abbreviation UNION ALL
                               SELECT 1 FROM game_player_offense x JOIN games g ON g.id = x.game_id WHERE x.player_id = h.player_id AND g.year = y.year AND x.team_abbr = t.current_abbreviation))");
    }
    expectZero(R"(SELECT count(*) FROM all_pro_selections a JOIN seasons y ON y.id = a.season_id
                       JOIN player_search s ON s.player_id = a.player_id
                       WHERE y.year NOT BETWEEN s.career_start AND s.career_end)");
    // All-Rookie players are in their first season.
    expectZero(R"(SELECT count(*) FROM all_rookie_selections r JOIN seasons y ON y.id = r.season_id
                       JOIN player_search s ON s.player_id = r.player_id
                       WHERE y.year <> s.career_start AND y.year <> (SELECT min(year) FROM seasons))");

    // The players' flags and histories agree with the selections and the Hall of Fame.
    expectNone(R"(SELECT * FROM (
        SELECT p.id, p.is_all_pro, p.is_hof, coalesce(json_array_length(p.all_pro_history), 0) AS listed,
               (SELECT count(*) FROM all_pro_selections a WHERE a.player_id = p.id) AS selections,
               (SELECT count(*) FROM all_pro_selections a WHERE a.player_id = p.id AND team_level = 'first_team') AS firsts,
               (SELECT count(*) FROM hall_of_fame h WHERE h.player_id = p.id) AS inducted,
               (SELECT first_team_all_pro FROM hall_of_fame h WHERE h.player_id = p.id) AS hof_firsts,
               (SELECT induction_year - career_end FROM hall_of_fame h JOIN player_search s
                ON s.player_id = h.player_id WHERE h.player_id = p.id) AS wait
        FROM players p)
        WHERE is_all_pro <> (selections > 0) OR listed <> selections OR is_hof <> inducted
           OR (inducted AND (hof_firsts IS NOT firsts OR wait < 0)))");
    EXPECT_GT(count("SELECT count(*) FROM hall_of_fame"), 0);
}

TEST(LeagueGenerator, linksPointAtRealRowsAndSeasonsAddUpTheGames) {
    expectNone("PRAGMA foreign_key_check"); // every linked player, team, game and season exists
    EXPECT_EQ(count("SELECT count(*) FROM player_search s LEFT JOIN players p ON p.id = s.player_id WHERE "
                    "p.id IS NULL"),
              0);
    EXPECT_EQ(count("SELECT count(*) FROM players"), count("SELECT count(*) FROM player_search"));
    for (const std::string table : {"player_passing", "player_rushing_receiving", "player_defense",
                                    "player_kicking", "player_punting", "player_returns", "player_scoring"}) {
        EXPECT_GT(count("SELECT count(*) FROM " + table), 0) << table;
    }
    // Season totals are the sums of the game lines.
    expectNone(R"(
        WITH lines AS (
            SELECT o.player_id, g.year, g.season_type, sum(o.rush_yds) AS rush_yds, sum(o.rec) AS rec, sum(o.pass_td) AS pass_td
            FROM game_player_offense o JOIN games g ON g.id = o.game_id GROUP BY o.player_id, g.year, g.season_type)
        SELECT r.player_id, r.year FROM player_rushing_receiving r
        JOIN lines l ON l.player_id = r.player_id AND l.year = r.year AND l.season_type = r.season_type
        WHERE l.rush_yds <> r.rush_yds OR l.rec <> r.rec
        UNION ALL
        SELECT p.player_id, p.year FROM player_passing p
        JOIN lines l ON l.player_id = p.player_id AND l.year = p.year AND l.season_type = p.season_type
        WHERE l.pass_td <> p.pass_td)");
    // Careers in the search rows span every season row.
    expectZero(R"(SELECT count(*) FROM player_search s JOIN (
                           SELECT player_id, min(year) AS first, max(year) AS last FROM (
                               SELECT player_id, year FROM player_passing UNION ALL
                               SELECT player_id, year FROM player_rushing_receiving UNION ALL
                               SELECT player_id, year FROM player_defense UNION ALL
                               SELECT player_id, year FROM player_kicking UNION ALL
                               SELECT player_id, year FROM player_punting UNION ALL
                               SELECT player_id, year FROM player_returns UNION ALL
                               SELECT player_id, year FROM player_scoring) GROUP BY player_id) r ON r.player_id = s.player_id
                       WHERE s.career_start IS NULL OR r.first < s.career_start OR r.last > s.career_end)");
    EXPECT_GT(
        count("SELECT count(*) FROM player_search WHERE career_start IS NULL AND draft_year IS NOT NULL"), 0)
        << "some drafted players never played";
}

TEST(LeagueGenerator, sameSeedSameLeagueOtherSeedOtherLeague) {
    auto fingerprint = [](const LeagueDatabase& database) {
        std::string text;
        for (const std::string table :
             {"players", "games", "game_player_offense", "player_defense", "awards", "draft_picks"}) {
            text += database.query("SELECT * FROM " + table + " ORDER BY rowid").dump();
        }
        return text;
    };
    const auto first = LeagueDatabase::generate({LeagueSize::Tiny, 5});
    const auto again = LeagueDatabase::generate({LeagueSize::Tiny, 5});
    const auto other = LeagueDatabase::generate({LeagueSize::Tiny, 6});
    EXPECT_EQ(fingerprint(*first), fingerprint(*again));
    EXPECT_NE(fingerprint(*first), fingerprint(*other));
}

} // namespace
} // namespace huddlepod::backend
