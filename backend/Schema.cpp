// The catalog of the demo database.
#include "backend/Schema.h"

#include <initializer_list>
#include <sstream>
#include <utility>

namespace huddlepod::backend {

namespace {

using Fields = std::initializer_list<std::pair<const char*, ColumnType>>;

constexpr ColumnType U = ColumnType::Uuid;
constexpr ColumnType I = ColumnType::Integer;
constexpr ColumnType R = ColumnType::Real;
constexpr ColumnType T = ColumnType::Text;
constexpr ColumnType B = ColumnType::Boolean;
constexpr ColumnType D = ColumnType::Date;
constexpr ColumnType J = ColumnType::Json;

struct TableBuilder {
    Table table;

    explicit TableBuilder(std::string name, bool withId = true) {
        table.name = std::move(name);
        if (withId) {
            table.columns.push_back({"id", U});
        }
    }
    TableBuilder& columns(Fields fields) {
        for (const auto& [name, type] : fields) {
            table.columns.push_back({name, type});
        }
        return *this;
    }
    TableBuilder& reference(const std::string& column, const std::string& target) {
        table.columns.push_back({column, U});
        table.foreignKeys.push_back({table.name + "_" + column + "_fkey", column, target, "id"});
        return *this;
    }
    TableBuilder& index(std::string columns) {
        table.indexes.push_back(std::move(columns));
        return *this;
    }
    TableBuilder& hidden() {
        table.exposed = false;
        return *this;
    }
};

const Fields seasonCommon = {{"year", I}, {"season_type", T}, {"team_abbr", T},    {"pos", T},
                             {"age", I},  {"games", I},       {"games_started", I}};

Table statTable(const std::string& name, Fields fields) {
    TableBuilder builder(name);
    builder.reference("player_id", "players").columns(seasonCommon).columns(fields).index("player_id,year");
    return builder.table;
}

Table gameTable(const std::string& name, Fields fields) {
    TableBuilder builder(name, false);
    builder.reference("player_id", "players").reference("game_id", "games").columns({{"team_abbr", T}});
    builder.columns(fields).index("player_id");
    return builder.table;
}

} // namespace

std::string_view typeName(ColumnType type) {
    switch (type) {
    case ColumnType::Uuid:
        return "uuid";
    case ColumnType::Integer:
        return "integer";
    case ColumnType::Real:
        return "double precision";
    case ColumnType::Text:
        return "text";
    case ColumnType::Boolean:
        return "boolean";
    case ColumnType::Date:
        return "date";
    case ColumnType::Json:
        return "jsonb";
    }
    return "text";
}

const Column* Table::column(std::string_view columnName) const {
    for (const auto& c : columns) {
        if (c.name == columnName) {
            return &c;
        }
    }
    return nullptr;
}

const Schema& Schema::instance() {
    static const Schema schema;
    return schema;
}

Schema::Schema() {
    auto add = [this](TableBuilder& builder) { tables_.push_back(std::move(builder.table)); };

    TableBuilder conferences("conferences");
    conferences.columns({{"name", T}, {"abbreviation", T}});
    add(conferences);

    TableBuilder divisions("divisions");
    divisions.reference("conference_id", "conferences").columns({{"name", T}, {"abbreviation", T}});
    add(divisions);

    TableBuilder teams("teams");
    teams.columns({{"current_abbreviation", T},
                   {"current_name", T},
                   {"current_city", T},
                   {"first_season", I},
                   {"logo_url", T}});
    add(teams);

    TableBuilder history("team_division_history");
    history.reference("team_id", "teams").reference("division_id", "divisions");
    history.columns({{"start_year", I}, {"end_year", I}}).index("start_year");
    add(history);

    TableBuilder seasons("seasons");
    seasons.columns({{"year", I},
                     {"playoff_teams_per_conference", I},
                     {"regular_season_games", I},
                     {"regular_season_weeks", I}});
    seasons.index("year");
    add(seasons);

    TableBuilder positions("positions");
    positions.columns({{"abbreviation", T}, {"name", T}, {"position_group", T}, {"sort_order", I}});
    add(positions);

    TableBuilder players("players");
    players.columns(
        {{"first_name", T},       {"last_name", T},         {"full_name", T},     {"birth_date", D},
         {"birth_city", T},       {"birth_state", T},       {"college", T},       {"high_school", T},
         {"high_school_city", T}, {"high_school_state", T}, {"height_inches", I}, {"weight_lbs", I},
         {"draft_age", I},        {"career_av", I},         {"pfr_position", T},  {"throws", T},
         {"nickname", T},         {"uniform_numbers", T},   {"is_hof", B},        {"is_all_pro", B},
         {"all_pro_history", J},  {"headshot_url", T}});
    add(players);

    TableBuilder standings("standings");
    standings.reference("season_id", "seasons").reference("team_id", "teams");
    standings.columns({{"wins", I},
                       {"losses", I},
                       {"ties", I},
                       {"win_pct", R},
                       {"points_for", I},
                       {"points_against", I},
                       {"point_differential", I},
                       {"division_rank", I},
                       {"conference_seed", I},
                       {"is_division_winner", B},
                       {"is_playoff_team", B}});
    standings.index("season_id").index("team_id");
    add(standings);

    TableBuilder games("games");
    games.reference("season_id", "seasons").columns({{"year", I}, {"week", T}, {"season_type", T}});
    games.columns({{"game_date", D}, {"gametime", T}, {"game_day_of_week", T}});
    games.reference("home_team_id", "teams").reference("away_team_id", "teams");
    games.columns({{"home_team_abbr", T},
                   {"away_team_abbr", T},
                   {"home_score", I},
                   {"away_score", I},
                   {"tv_network", T}});
    games.index("year,game_date,gametime").index("season_id");
    add(games);

    TableBuilder playoffGames("playoff_games");
    playoffGames.reference("season_id", "seasons").reference("game_id", "games").columns({{"round", T}});
    playoffGames.reference("home_team_id", "teams").reference("away_team_id", "teams");
    playoffGames.columns({{"home_score", I}, {"away_score", I}}).reference("winner_team_id", "teams");
    playoffGames.index("season_id");
    add(playoffGames);

    TableBuilder superBowls("super_bowls");
    superBowls.reference("season_id", "seasons").reference("playoff_game_id", "playoff_games");
    superBowls.columns({{"super_bowl_number", I}, {"roman_numeral", T}});
    superBowls.reference("mvp_player_id", "players").reference("co_mvp_player_id", "players");
    superBowls.columns({{"mvp_name", T}, {"mvp_position", T}});
    add(superBowls);

    TableBuilder drafts("drafts");
    drafts.columns({{"year", I}, {"rounds", I}}).index("year");
    add(drafts);

    TableBuilder draftPicks("draft_picks");
    draftPicks.reference("draft_id", "drafts")
        .columns({{"round", I}, {"pick_in_round", I}, {"pick_overall", I}});
    draftPicks.reference("team_id", "teams")
        .reference("player_id", "players")
        .reference("position_id", "positions");
    draftPicks.index("draft_id,round").index("player_id");
    add(draftPicks);

    TableBuilder awardTypes("award_types");
    awardTypes.columns({{"abbreviation", T}, {"name", T}, {"sort_order", I}});
    add(awardTypes);

    TableBuilder awards("awards");
    awards.reference("award_type_id", "award_types").reference("season_id", "seasons");
    awards.reference("player_id", "players")
        .reference("team_id", "teams")
        .reference("position_id", "positions");
    awards.columns({{"ranking", I}, {"vote_percentage", R}}).index("season_id").index("player_id");
    add(awards);

    TableBuilder allPro("all_pro_selections");
    allPro.reference("season_id", "seasons").reference("player_id", "players");
    allPro.reference("team_id", "teams").reference("position_id", "positions").columns({{"team_level", T}});
    allPro.index("season_id").index("player_id");
    add(allPro);

    TableBuilder allRookie("all_rookie_selections");
    allRookie.reference("season_id", "seasons").reference("player_id", "players");
    allRookie.reference("team_id", "teams").reference("position_id", "positions");
    allRookie.index("season_id").index("player_id");
    add(allRookie);

    TableBuilder hallOfFame("hall_of_fame");
    hallOfFame.reference("player_id", "players");
    hallOfFame.columns({{"induction_year", I}, {"position", T}, {"pro_bowls", I}, {"first_team_all_pro", I}});
    hallOfFame.index("player_id");
    add(hallOfFame);

    tables_.push_back(statTable("player_passing", {{"qb_rec", T},
                                                   {"pass_cmp", I},
                                                   {"pass_att", I},
                                                   {"pass_cmp_pct", R},
                                                   {"pass_yds", I},
                                                   {"pass_td", I},
                                                   {"pass_td_pct", R},
                                                   {"pass_int", I},
                                                   {"pass_int_pct", R},
                                                   {"pass_first_down", I},
                                                   {"pass_success", R},
                                                   {"pass_long", I},
                                                   {"pass_yds_per_att", R},
                                                   {"pass_adj_yds_per_att", R},
                                                   {"pass_yds_per_cmp", R},
                                                   {"pass_yds_per_g", R},
                                                   {"pass_rating", R},
                                                   {"qbr", R},
                                                   {"pass_sacked", I},
                                                   {"pass_sacked_yds", I},
                                                   {"pass_sacked_pct", R},
                                                   {"pass_net_yds_per_att", R},
                                                   {"pass_adj_net_yds_per_att", R},
                                                   {"comebacks", I},
                                                   {"gwd", I},
                                                   {"av", I}}));
    tables_.push_back(statTable("player_rushing_receiving", {{"rush_att", I},
                                                             {"rush_yds", I},
                                                             {"rush_td", I},
                                                             {"rush_first_down", I},
                                                             {"rush_success", R},
                                                             {"rush_long", I},
                                                             {"rush_yds_per_att", R},
                                                             {"rush_yds_per_g", R},
                                                             {"rush_att_per_g", R},
                                                             {"targets", I},
                                                             {"rec", I},
                                                             {"rec_yds", I},
                                                             {"rec_yds_per_rec", R},
                                                             {"rec_td", I},
                                                             {"rec_first_down", I},
                                                             {"rec_success", R},
                                                             {"rec_long", I},
                                                             {"rec_per_g", R},
                                                             {"rec_yds_per_g", R},
                                                             {"catch_pct", R},
                                                             {"rec_yds_per_tgt", R},
                                                             {"touches", I},
                                                             {"yds_per_touch", R},
                                                             {"yds_from_scrimmage", I},
                                                             {"rush_receive_td", I},
                                                             {"fumbles", I},
                                                             {"av", I}}));
    tables_.push_back(statTable("player_defense", {{"def_int", I},
                                                   {"def_int_yds", I},
                                                   {"def_int_td", I},
                                                   {"def_int_long", I},
                                                   {"pass_defended", I},
                                                   {"fumbles_forced", I},
                                                   {"fumbles_rec", I},
                                                   {"fumbles_rec_yds", I},
                                                   {"fumbles_rec_td", I},
                                                   {"fumbles", I},
                                                   {"sacks", R},
                                                   {"tackles_combined", I},
                                                   {"tackles_solo", I},
                                                   {"tackles_assists", I},
                                                   {"tackles_loss", I},
                                                   {"qb_hits", I},
                                                   {"safety_md", I},
                                                   {"av", I}}));
    tables_.push_back(statTable("player_kicking", {{"fga", I},         {"fgm", I},
                                                   {"fg_pct", R},      {"fg_long", I},
                                                   {"fga1", I},        {"fgm1", I},
                                                   {"fga2", I},        {"fgm2", I},
                                                   {"fga3", I},        {"fgm3", I},
                                                   {"fga4", I},        {"fgm4", I},
                                                   {"fga5", I},        {"fgm5", I},
                                                   {"xpa", I},         {"xpm", I},
                                                   {"xp_pct", R},      {"kickoff", I},
                                                   {"kickoff_yds", I}, {"kickoff_yds_avg", R},
                                                   {"kickoff_tb", I},  {"kickoff_tb_pct", R},
                                                   {"av", I}}));
    tables_.push_back(statTable("player_punting", {{"punt", I},
                                                   {"punt_yds", I},
                                                   {"punt_yds_per_punt", R},
                                                   {"punt_ret_yds_opp", I},
                                                   {"punt_net_yds", I},
                                                   {"punt_net_yds_per_punt", R},
                                                   {"punt_long", I},
                                                   {"punt_tb", I},
                                                   {"punt_tb_pct", R},
                                                   {"punt_in20", I},
                                                   {"punt_in20_pct", R},
                                                   {"punt_blocked", I},
                                                   {"av", I}}));
    tables_.push_back(statTable("player_returns", {{"punt_ret", I},
                                                   {"punt_ret_yds", I},
                                                   {"punt_ret_td", I},
                                                   {"punt_ret_long", I},
                                                   {"kick_ret", I},
                                                   {"kick_ret_yds", I},
                                                   {"kick_ret_td", I},
                                                   {"kick_ret_long", I},
                                                   {"kick_ret_yds_per_ret", R},
                                                   {"all_purpose_yds", I}}));
    tables_.push_back(statTable("player_scoring", {{"rush_td", I},
                                                   {"rec_td", I},
                                                   {"punt_ret_td", I},
                                                   {"kick_ret_td", I},
                                                   {"fumbles_rec_td", I},
                                                   {"def_int_td", I},
                                                   {"other_td", I},
                                                   {"total_td", I},
                                                   {"two_pt_md", I},
                                                   {"def_two_pt", I},
                                                   {"xpm", I},
                                                   {"xpa", I},
                                                   {"fgm", I},
                                                   {"fga", I},
                                                   {"safety_md", I},
                                                   {"scoring", I},
                                                   {"points_per_g", R}}));

    tables_.push_back(gameTable("game_player_offense", {{"pass_cmp", I},
                                                        {"pass_att", I},
                                                        {"pass_yds", I},
                                                        {"pass_td", I},
                                                        {"pass_int", I},
                                                        {"pass_rating", R},
                                                        {"rush_att", I},
                                                        {"rush_yds", I},
                                                        {"rush_td", I},
                                                        {"targets", I},
                                                        {"rec", I},
                                                        {"rec_yds", I},
                                                        {"rec_td", I},
                                                        {"fumbles", I}}));
    tables_.push_back(gameTable("game_player_defense", {{"tackles_combined", I},
                                                        {"tackles_solo", I},
                                                        {"sacks", R},
                                                        {"def_int", I},
                                                        {"pass_defended", I},
                                                        {"fumbles_forced", I}}));
    tables_.push_back(gameTable("game_player_kicking", {{"fga", I},
                                                        {"fgm", I},
                                                        {"xpa", I},
                                                        {"xpm", I},
                                                        {"punt", I},
                                                        {"punt_yds", I},
                                                        {"punt_yds_per_punt", R},
                                                        {"punt_long", I}}));
    tables_.push_back(gameTable("game_player_returns", {{"kick_ret", I},
                                                        {"kick_ret_yds", I},
                                                        {"kick_ret_td", I},
                                                        {"punt_ret", I},
                                                        {"punt_ret_yds", I},
                                                        {"punt_ret_td", I}}));

    // The search procedure's precomputed rows, one per player; not reachable under /rest/v1/.
    TableBuilder search("player_search", false);
    search.columns({{"player_id", U},
                    {"full_name", T},
                    {"primary_position", T},
                    {"career_start", I},
                    {"career_end", I},
                    {"is_hof", B},
                    {"is_active", B},
                    {"teams", J},
                    {"draft_year", I},
                    {"draft_team_abbr", T},
                    {"draft_team_name", T},
                    {"draft_team_city", T},
                    {"draft_team_logo_url", T},
                    {"career_av", I}});
    search.hidden();
    add(search);

    TableBuilder meta("huddlepod_meta", false);
    meta.columns({{"key", T}, {"value", T}}).hidden();
    add(meta);
}

const Table* Schema::table(std::string_view name) const {
    for (const auto& t : tables_) {
        if (t.name == name) {
            return &t;
        }
    }
    return nullptr;
}

std::string Schema::createStatements() const {
    std::ostringstream sql;
    for (const auto& table : tables_) {
        sql << "CREATE TABLE \"" << table.name << "\" (";
        for (std::size_t i = 0; i < table.columns.size(); ++i) {
            const auto& column = table.columns[i];
            sql << (i ? ", " : "") << '"' << column.name << "\" ";
            switch (column.type) {
            case ColumnType::Integer:
            case ColumnType::Boolean:
                sql << "INTEGER";
                break;
            case ColumnType::Real:
                sql << "REAL";
                break;
            default:
                sql << "TEXT";
                break;
            }
            if (column.name == "id") {
                sql << " NOT NULL";
            }
            for (const auto& fk : table.foreignKeys) {
                if (fk.column == column.name) {
                    sql << " REFERENCES \"" << fk.targetTable << "\"(\"" << fk.targetColumn << "\")";
                }
            }
        }
        sql << ");\n";
    }
    return sql.str();
}

std::string Schema::indexStatements() const {
    std::ostringstream sql;
    for (const auto& table : tables_) {
        if (table.hasId()) {
            sql << "CREATE UNIQUE INDEX \"" << table.name << "_pkey\" ON \"" << table.name << "\"(\"id\");\n";
        }
        for (const auto& columns : table.indexes) {
            std::string name = table.name;
            std::string list;
            std::istringstream parts(columns);
            std::string part;
            while (std::getline(parts, part, ',')) {
                name += "_" + part;
                list += (list.empty() ? "\"" : ", \"") + part + "\"";
            }
            sql << "CREATE INDEX \"" << name << "_idx\" ON \"" << table.name << "\"(" << list << ");\n";
        }
    }
    return sql.str();
}

} // namespace huddlepod::backend
