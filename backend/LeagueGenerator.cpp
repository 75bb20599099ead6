// Generates a deterministic, internally consistent demo league: every number is the outcome of simulated
// games.
#include "backend/LeagueGenerator.h"

#include "backend/GameSimulator.h"
#include "backend/NameGenerator.h"
#include "backend/Random.h"
#include "backend/RowWriter.h"
#include "backend/Schema.h"
#include "backend/Sqlite.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <set>

namespace huddlepod::backend {

namespace {

using P = Position;

// --- Calendar
// -------------------------------------------------------------------------------------------------

int daysFromCivil(int y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::string dateText(int days) {
    const int z = days + 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = z - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1;
    const int m = mp + (mp < 10 ? 3 : -9);
    const int y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
    return text;
}

int weekday(int days) {
    return ((days % 7) + 11) % 7;
} // 0 = Sunday; 1970-01-01 was a Thursday

// The Sunday after Labor Day (the first Monday of September) opens the season.
int seasonOpeningSunday(int year) {
    int day = daysFromCivil(year, 9, 1);
    while (weekday(day) != 1) {
        ++day;
    }
    return day + 6;
}

std::string romanNumeral(int number) {
    static const std::pair<int, const char*> parts[] = {
        {1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
        {40, "XL"},  {10, "X"},   {9, "IX"},  {5, "V"},    {4, "IV"},  {1, "I"}};
    std::string text;
    for (const auto& [value, letters] : parts) {
        while (number >= value) {
            text += letters;
            number -= value;
        }
    }
    return text;
}

double round1(double value) {
    return std::round(value * 10.0) / 10.0;
}

std::optional<double> ratio(double numerator, double denominator, double scale = 1.0) {
    if (denominator <= 0) {
        return std::nullopt;
    }
    return round1(numerator / denominator * scale);
}

double passerRating(int cmp, int att, int yds, int td, int interceptions) {
    auto clamp = [](double v) { return std::clamp(v, 0.0, 2.375); };
    const double a = clamp((static_cast<double>(cmp) / att - 0.3) * 5);
    const double b = clamp((static_cast<double>(yds) / att - 3) * 0.25);
    const double c = clamp(static_cast<double>(td) / att * 20);
    const double d = clamp(2.375 - static_cast<double>(interceptions) / att * 25);
    return round1((a + b + c + d) / 6 * 100);
}

// --- The league's people
// --------------------------------------------------------------------------------------

struct AllProRecord {
    int year;
    std::string level;
    std::string teamAbbreviation;
    std::string position;
};

struct Player {
    std::string id;
    PersonName name;
    int birthYear = 0, birthMonth = 1, birthDay = 1;
    Place birth;
    std::optional<std::string> college;
    std::optional<std::string> highSchool;
    Place school;
    int height = 72, weight = 200;
    Position position = P::QB;
    double talent = 0.4;
    bool mobile = false;
    int experience = 0;
    int team = -1;
    int unsignedYears = 0;
    bool retired = false;
    std::optional<int> draftYear, draftTeam, draftAge;
    std::string throws, nickname;
    std::vector<int> uniforms;
    int uniformTeam = -1;
    std::vector<std::pair<int, int>> seasonsPlayed; // (year, team)
    int careerAv = 0;
    int lastSeasonGames = 0;
    std::vector<AllProRecord> allPro;
    int proBowls = 0;
    int mvps = 0;
    std::optional<int> inductionYear;
};

struct TeamState {
    std::string id;
    std::vector<int> roster;
    bool active = false;
    bool playedLastSeason = false;
    double lastWinPct = 0.5;
    int lastDifferential = 0;
    int lastExit = 0; // 0 missed the playoffs; then rounds reached; the champion highest
};

struct ScheduledGame {
    std::string week;
    int home = -1;
    int away = -1;
    int day = 0;
    std::string time;
    std::optional<std::string> network;
};

struct Record {
    int wins = 0, losses = 0, ties = 0, pointsFor = 0, pointsAgainst = 0;
    int games() const { return wins + losses + ties; }
    double winPct() const { return games() ? (wins + 0.5 * ties) / games() : 0.0; }
    int differential() const { return pointsFor - pointsAgainst; }
};

struct AwardType {
    const char* abbreviation;
    const char* name;
    int firstYear; // in the full-history league
};

const std::array<AwardType, 6> awardTypes = {{
    {"MVP", "Most Valuable Player", 1966},
    {"OPOY", "Offensive Player of the Year", 1972},
    {"DPOY", "Defensive Player of the Year", 1972},
    {"OROY", "Offensive Rookie of the Year", 1967},
    {"DROY", "Defensive Rookie of the Year", 1967},
    {"CPOY", "Comeback Player of the Year", 1998},
}};

const char* divisionLongName(const std::string& name) {
    if (name == "East") {
        return "Eastern";
    }
    if (name == "West") {
        return "Western";
    }
    if (name == "North") {
        return "Northern";
    }
    if (name == "South") {
        return "Southern";
    }
    return "Central";
}

class Generator {
public:
    Generator(Connection& db, const GeneratorOptions& options)
        : db_(db)
        , options_(options)
        , shape_(makeLeagueShape(options.size))
        , random_(options.seed)
        , ids_(random_.fork())
        , names_(random_.fork())
        , simulator_(random_, ability_, mobile_) {
        teams_.resize(teamCatalog().size());
    }

    void run() {
        db_.exec(Schema::instance().createStatements());
        db_.exec("BEGIN");
        writeFrame();
        for (const auto& season : shape_.seasons) {
            if (season.future) {
                scheduleFutureSeason(season);
            } else {
                playSeason(season);
            }
        }
        electHallOfFame();
        writePlayers();
        writeMeta();
        db_.exec(Schema::instance().indexStatements());
        db_.exec("COMMIT");
        db_.exec("ANALYZE");
    }

private:
    RowWriter& writer(const std::string& table) {
        auto it = writers_.find(table);
        if (it == writers_.end()) {
            it = writers_.emplace(table, std::make_unique<RowWriter>(db_, table)).first;
        }
        return *it->second;
    }

    const TeamInfo& info(int team) const { return teamCatalog()[static_cast<std::size_t>(team)]; }
    std::string abbreviation(int team) const { return info(team).abbreviation; }
    bool full() const { return shape_.size == LeagueSize::Full; }
    int lastPlayedYear() const { return shape_.lastPlayedYear(); }

    // --- Fixed rows
    // ---------------------------------------------------------------------------------------------

    void writeFrame() {
        for (int c = 0; c < 2; ++c) {
            conferenceIds_[static_cast<std::size_t>(c)] = ids_.uuid();
            writer("conferences")
                .set("id", conferenceIds_[static_cast<std::size_t>(c)])
                .set("name", c == 0 ? "American Football Conference" : "National Football Conference")
                .set("abbreviation", conferenceAbbreviations()[static_cast<std::size_t>(c)])
                .insert();
        }
        std::map<int, int> firstSeason;
        for (const auto& season : shape_.seasons) {
            for (const auto& division : season.divisions) {
                const std::string key =
                    std::string(conferenceAbbreviations()[static_cast<std::size_t>(division.conference)]) +
                    " " + division.name;
                if (!divisionIds_.count(key)) {
                    divisionIds_[key] = ids_.uuid();
                    writer("divisions")
                        .set("id", divisionIds_[key])
                        .set("conference_id", conferenceIds_[static_cast<std::size_t>(division.conference)])
                        .set("name",
                             std::string(
                                 conferenceAbbreviations()[static_cast<std::size_t>(division.conference)]) +
                                 " " + divisionLongName(division.name) + " Division")
                        .set("abbreviation", key)
                        .insert();
                }
            }
            for (int team : season.teams) {
                firstSeason.emplace(team, season.year);
            }
        }
        for (const auto& [team, year] : firstSeason) {
            teams_[static_cast<std::size_t>(team)].id = ids_.uuid();
            writer("teams")
                .set("id", teams_[static_cast<std::size_t>(team)].id)
                .set("current_abbreviation", info(team).abbreviation)
                .set("current_name", info(team).name)
                .set("current_city", info(team).city)
                .set("first_season", year)
                .insert();
        }
        writeDivisionHistory(firstSeason);
        for (int p = 0; p < positionCount; ++p) {
            const auto& position = positionInfo(static_cast<Position>(p));
            positionIds_[static_cast<std::size_t>(p)] = ids_.uuid();
            writer("positions")
                .set("id", positionIds_[static_cast<std::size_t>(p)])
                .set("abbreviation", position.abbreviation)
                .set("name", position.name)
                .set("position_group", position.group)
                .set("sort_order", position.sortOrder)
                .insert();
        }
        for (std::size_t a = 0; a < awardTypes.size(); ++a) {
            awardTypeIds_[a] = ids_.uuid();
            writer("award_types")
                .set("id", awardTypeIds_[a])
                .set("abbreviation", awardTypes[a].abbreviation)
                .set("name", awardTypes[a].name)
                .set("sort_order", static_cast<int>(a) + 1)
                .insert();
        }
        for (const auto& season : shape_.seasons) {
            seasonIds_[season.year] = ids_.uuid();
            writer("seasons")
                .set("id", seasonIds_[season.year])
                .set("year", season.year)
                .set("playoff_teams_per_conference", season.playoffTeams)
                .set("regular_season_games", season.games)
                .set("regular_season_weeks", season.weeks)
                .insert();
        }
    }

    void writeDivisionHistory(const std::map<int, int>& firstSeason) {
        for (const auto& [team, unused] : firstSeason) {
            std::string current;
            int start = 0;
            int last = 0;
            auto flush = [&](std::optional<int> end) {
                if (!current.empty()) {
                    writer("team_division_history")
                        .set("id", ids_.uuid())
                        .set("team_id", teams_[static_cast<std::size_t>(team)].id)
                        .set("division_id", divisionIds_[current])
                        .set("start_year", start)
                        .set("end_year", end)
                        .insert();
                }
            };
            for (const auto& season : shape_.seasons) {
                for (const auto& division : season.divisions) {
                    if (std::find(division.teams.begin(), division.teams.end(), team) ==
                        division.teams.end()) {
                        continue;
                    }
                    const std::string key =
                        std::string(
                            conferenceAbbreviations()[static_cast<std::size_t>(division.conference)]) +
                        " " + division.name;
                    if (key != current) {
                        flush(last);
                        current = key;
                        start = season.year;
                    }
                    last = season.year;
                }
            }
            flush(std::nullopt);
        }
    }

    // --- Players
    // ------------------------------------------------------------------------------------------------

    int ageIn(const Player& player, int year) const {
        return year - player.birthYear - (player.birthMonth >= 9 ? 1 : 0);
    }

    double abilityOf(const Player& player, int year) const {
        const int age = ageIn(player, year);
        int peak = 27;
        int decline = 30;
        double fall = 0.06;
        switch (player.position) {
        case P::QB:
            peak = 29;
            decline = 33;
            break;
        case P::K:
        case P::P:
            peak = 28;
            decline = 35;
            fall = 0.04;
            break;
        case P::RB:
            peak = 25;
            decline = 29;
            fall = 0.08;
            break;
        default:
            break;
        }
        const double factor = 1.0 - 0.045 * std::max(0, peak - age) - fall * std::max(0, age - decline);
        const double seasoning = 0.01 * std::min(player.experience, 3);
        return std::clamp(player.talent * factor + seasoning, 0.02, 1.0);
    }

    int maxAge(Position position) const {
        return position == P::QB ? 41 : (position == P::K || position == P::P) ? 44 : 37;
    }

    Player makePerson(Position position, int age, int year, double talent) {
        Player player;
        player.name = names_.person();
        player.position = position;
        player.talent = talent;
        player.birthMonth = random_.between(1, 12);
        static const int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        player.birthDay = random_.between(1, monthDays[player.birthMonth - 1]);
        player.birthYear = year - age - (player.birthMonth >= 9 ? 1 : 0);
        player.birth = names_.birthPlace();
        player.school = random_.chance(0.7) ? player.birth : names_.birthPlace();
        if (!random_.chance(0.04)) {
            player.college = names_.college();
        }
        if (!random_.chance(0.3)) {
            player.highSchool = names_.highSchool(player.school);
        }
        static const std::array<std::array<int, 4>, positionCount> body = {{
            {74, 78, 205, 235},
            {68, 73, 195, 230},
            {71, 74, 230, 250},
            {70, 76, 180, 210},
            {75, 79, 240, 265},
            {77, 80, 300, 330},
            {75, 78, 295, 320},
            {74, 77, 285, 305},
            {75, 79, 255, 285},
            {74, 77, 290, 330},
            {73, 76, 230, 250},
            {69, 73, 180, 200},
            {70, 74, 195, 215},
            {70, 74, 180, 205},
            {72, 76, 195, 220},
        }};
        const auto& b = body[static_cast<std::size_t>(index(position))];
        const double heft = 1.0 - 0.14 * std::clamp((2025 - year) / 59.0, 0.0, 1.0);
        player.height = random_.between(b[0], b[1]);
        player.weight = static_cast<int>(std::lround(random_.between(b[2], b[3]) * heft));
        player.mobile = position == P::QB && random_.chance(0.25);
        if (position == P::QB) {
            player.throws = random_.chance(0.9) ? "Right" : "Left";
        }
        player.nickname = names_.nickname();
        return player;
    }

    int addPlayer(Player player) {
        player.id = ids_.uuid();
        players_.push_back(std::move(player));
        return static_cast<int>(players_.size()) - 1;
    }

    int uniformFor(Position position) {
        switch (position) {
        case P::QB:
        case P::K:
        case P::P:
            return random_.between(1, 19);
        case P::RB:
        case P::CB:
        case P::S:
            return random_.between(20, 49);
        case P::FB:
            return random_.between(30, 49);
        case P::WR:
            return random_.chance(0.5) ? random_.between(10, 19) : random_.between(80, 89);
        case P::TE:
            return random_.between(80, 89);
        case P::T:
        case P::G:
        case P::C:
            return random_.between(60, 79);
        case P::DE:
        case P::DT:
            return random_.chance(0.6) ? random_.between(90, 99) : random_.between(70, 79);
        case P::LB:
            return random_.chance(0.7) ? random_.between(50, 59) : random_.between(90, 99);
        }
        return 0;
    }

    void join(int playerIndex, int team) {
        Player& player = players_[static_cast<std::size_t>(playerIndex)];
        player.team = team;
        player.unsignedYears = 0;
        if (player.uniformTeam != team) {
            if (player.uniforms.empty() || random_.chance(0.6)) {
                const int number = uniformFor(player.position);
                if (std::find(player.uniforms.begin(), player.uniforms.end(), number) ==
                    player.uniforms.end()) {
                    player.uniforms.push_back(number);
                }
            }
            player.uniformTeam = team;
        }
        teams_[static_cast<std::size_t>(team)].roster.push_back(playerIndex);
    }

    void leave(int playerIndex) {
        Player& player = players_[static_cast<std::size_t>(playerIndex)];
        auto& roster = teams_[static_cast<std::size_t>(player.team)].roster;
        roster.erase(std::remove(roster.begin(), roster.end(), playerIndex), roster.end());
        player.team = -1;
    }

    int countAt(int team, Position position) const {
        int count = 0;
        for (int p : teams_[static_cast<std::size_t>(team)].roster) {
            count += players_[static_cast<std::size_t>(p)].position == position ? 1 : 0;
        }
        return count;
    }

    int slots(Position position) const { return shape_.roster[static_cast<std::size_t>(index(position))]; }

    // --- Offseason
    // ----------------------------------------------------------------------------------------------

    void offseason(const SeasonShape& season) {
        const int year = season.year;
        for (auto& team : teams_) {
            team.active = false;
        }
        for (int team : season.teams) {
            teams_[static_cast<std::size_t>(team)].active = true;
        }
        if (year == shape_.firstYear()) {
            for (int team : season.teams) {
                for (int p = 0; p < positionCount; ++p) {
                    for (int n = 0; n < slots(static_cast<Position>(p)); ++n) {
                        const int age = random_.between(22, 33);
                        Player veteran = makePerson(static_cast<Position>(p), age, year,
                                                    std::clamp(random_.normal(0.45, 0.15), 0.05, 0.97));
                        veteran.experience = std::max(1, age - 22);
                        join(addPlayer(std::move(veteran)), team);
                    }
                }
            }
            return;
        }
        for (std::size_t i = 0; i < players_.size(); ++i) {
            Player& player = players_[i];
            if (player.retired) {
                continue;
            }
            const int age = ageIn(player, year);
            if (player.team < 0) {
                // A season without a club ends a career.
                player.unsignedYears += 1;
                player.retired = player.unsignedYears >= 2 || !player.seasonsPlayed.empty() ||
                                 age >= maxAge(player.position);
                continue;
            }
            const bool starter = lastStarter_.size() > i && lastStarter_[i];
            const double chance =
                0.12 + std::max(0, age - 28) * 0.08 + (abilityOf(player, year) < 0.25 ? 0.2 : 0.0);
            if (age >= maxAge(player.position) || random_.chance(chance)) {
                leave(static_cast<int>(i));
                player.retired = true;
            } else if (!starter && random_.chance(0.6)) {
                leave(static_cast<int>(i)); // released
            } else if (player.experience >= 3 && random_.chance(0.07)) {
                leave(static_cast<int>(i)); // free agency
            } else if (!teams_[static_cast<std::size_t>(player.team)].active) {
                leave(static_cast<int>(i));
            }
        }
    }

    std::vector<int> draftOrder(const SeasonShape& season) {
        std::vector<int> order = season.teams;
        if (season.year == shape_.firstYear()) {
            random_.shuffle(order);
            return order;
        }
        std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
            const TeamState& x = teams_[static_cast<std::size_t>(a)];
            const TeamState& y = teams_[static_cast<std::size_t>(b)];
            if (x.playedLastSeason != y.playedLastSeason) {
                return !x.playedLastSeason; // expansion clubs choose first
            }
            if (x.lastExit != y.lastExit) {
                return x.lastExit < y.lastExit;
            }
            if (x.lastWinPct != y.lastWinPct) {
                return x.lastWinPct < y.lastWinPct;
            }
            return x.lastDifferential < y.lastDifferential;
        });
        return order;
    }

    std::vector<int> prospectsByPosition(int count, int year) {
        std::vector<double> weights;
        for (int p = 0; p < positionCount; ++p) {
            weights.push_back(slots(static_cast<Position>(p)));
        }
        std::vector<int> pool;
        for (int i = 0; i < count; ++i) {
            const auto position = static_cast<Position>(random_.weighted(weights));
            const double talent = random_.chance(0.03) ? random_.uniform(0.75, 0.97)
                                                       : std::clamp(random_.normal(0.36, 0.16), 0.03, 0.97);
            prospects_.push_back(makePerson(position, random_.between(21, 23), year, talent));
            pool.push_back(static_cast<int>(prospects_.size()) - 1);
        }
        return pool;
    }

    void draft(const SeasonShape& season) {
        const int year = season.year;
        prospects_.clear();
        const std::vector<int> order = draftOrder(season);
        const int picks = season.draftRounds * static_cast<int>(order.size());
        std::vector<int> pool = prospectsByPosition(picks + picks / 4 + 8, year);
        std::vector<char> taken(prospects_.size(), 0);
        const std::string draftId = ids_.uuid();
        writer("drafts").set("id", draftId).set("year", year).set("rounds", season.draftRounds).insert();

        int overall = 0;
        for (int round = 1; round <= season.draftRounds; ++round) {
            for (std::size_t slot = 0; slot < order.size(); ++slot) {
                const int team = order[slot];
                std::array<int, positionCount> counts{};
                std::array<double, positionCount> best{};
                for (int p : teams_[static_cast<std::size_t>(team)].roster) {
                    const auto pos =
                        static_cast<std::size_t>(index(players_[static_cast<std::size_t>(p)].position));
                    counts[pos] += 1;
                    best[pos] = std::max(best[pos], abilityOf(players_[static_cast<std::size_t>(p)], year));
                }
                int choice = -1;
                double choiceValue = -1;
                for (int candidate : pool) {
                    if (taken[static_cast<std::size_t>(candidate)]) {
                        continue;
                    }
                    const Player& prospect = prospects_[static_cast<std::size_t>(candidate)];
                    const auto pos = static_cast<std::size_t>(index(prospect.position));
                    double value = prospect.talent + random_.normal(0, 0.05);
                    value += counts[pos] < slots(prospect.position) ? 0.06 : 0.0;
                    value += prospect.talent * 0.9 > best[pos] ? 0.04 : 0.0;
                    if (value > choiceValue) {
                        choiceValue = value;
                        choice = candidate;
                    }
                }
                if (choice < 0) {
                    continue;
                }
                taken[static_cast<std::size_t>(choice)] = 1;
                Player pick = prospects_[static_cast<std::size_t>(choice)];
                pick.draftYear = year;
                pick.draftTeam = team;
                pick.draftAge = ageIn(pick, year);
                const Position position = pick.position;
                const double pickAbility = abilityOf(pick, year);
                const int id = addPlayer(std::move(pick));
                ++overall;
                writer("draft_picks")
                    .set("id", ids_.uuid())
                    .set("draft_id", draftId)
                    .set("round", round)
                    .set("pick_in_round", static_cast<int>(slot) + 1)
                    .set("pick_overall", overall)
                    .set("team_id", teams_[static_cast<std::size_t>(team)].id)
                    .set("player_id", players_[static_cast<std::size_t>(id)].id)
                    .set("position_id", positionIds_[static_cast<std::size_t>(index(position))])
                    .insert();
                if (counts[static_cast<std::size_t>(index(position))] < slots(position)) {
                    join(id, team);
                    continue;
                }
                int worst = -1;
                double worstAbility = 2.0;
                for (int p : teams_[static_cast<std::size_t>(team)].roster) {
                    const Player& member = players_[static_cast<std::size_t>(p)];
                    if (member.position == position && abilityOf(member, year) < worstAbility) {
                        worstAbility = abilityOf(member, year);
                        worst = p;
                    }
                }
                if (worst >= 0 && pickAbility > worstAbility - 0.03) {
                    leave(worst);
                    join(id, team);
                }
            }
        }
        remainingProspects_.clear();
        for (int candidate : pool) {
            if (!taken[static_cast<std::size_t>(candidate)]) {
                remainingProspects_.push_back(candidate);
            }
        }
        currentDraftOrder_ = order;
    }

    void fillRosters(const SeasonShape& season) {
        const int year = season.year;
        std::array<std::vector<int>, positionCount> freeAgents;
        for (std::size_t i = 0; i < players_.size(); ++i) {
            const Player& player = players_[i];
            if (!player.retired && player.team < 0) {
                freeAgents[static_cast<std::size_t>(index(player.position))].push_back(static_cast<int>(i));
            }
        }
        for (auto& list : freeAgents) {
            std::stable_sort(list.begin(), list.end(), [&](int a, int b) {
                return abilityOf(players_[static_cast<std::size_t>(a)], year) >
                       abilityOf(players_[static_cast<std::size_t>(b)], year);
            });
        }
        std::array<std::vector<int>, positionCount> prospects;
        for (int candidate : remainingProspects_) {
            prospects[static_cast<std::size_t>(
                          index(prospects_[static_cast<std::size_t>(candidate)].position))]
                .push_back(candidate);
        }
        for (auto& list : prospects) {
            std::stable_sort(list.begin(), list.end(), [&](int a, int b) {
                return prospects_[static_cast<std::size_t>(a)].talent >
                       prospects_[static_cast<std::size_t>(b)].talent;
            });
        }
        for (int team : currentDraftOrder_) {
            for (int p = 0; p < positionCount; ++p) {
                const auto position = static_cast<Position>(p);
                auto& agents = freeAgents[static_cast<std::size_t>(p)];
                auto& rookies = prospects[static_cast<std::size_t>(p)];
                for (int open = slots(position) - countAt(team, position); open > 0; --open) {
                    const double agentAbility =
                        agents.empty() ? -1
                                       : abilityOf(players_[static_cast<std::size_t>(agents.front())], year);
                    const double rookieAbility =
                        rookies.empty()
                            ? -1
                            : abilityOf(prospects_[static_cast<std::size_t>(rookies.front())], year);
                    if (agentAbility >= 0 && agentAbility >= rookieAbility + 0.06) {
                        join(agents.front(), team);
                        agents.erase(agents.begin());
                    } else if (rookieAbility >= 0) {
                        join(addPlayer(prospects_[static_cast<std::size_t>(rookies.front())]), team);
                        rookies.erase(rookies.begin());
                    } else {
                        join(addPlayer(makePerson(position, 22, year,
                                                  std::clamp(random_.normal(0.25, 0.1), 0.03, 0.6))),
                             team);
                    }
                }
            }
        }
    }

    // --- The season
    // ---------------------------------------------------------------------------------------------

    void prepareSeason(const SeasonShape& season) {
        const int year = season.year;
        ability_.assign(players_.size(), 0.0);
        mobile_.assign(players_.size(), 0);
        for (std::size_t i = 0; i < players_.size(); ++i) {
            if (players_[i].team >= 0) {
                ability_[i] = abilityOf(players_[i], year);
                mobile_[i] = players_[i].mobile ? 1 : 0;
            }
        }
        regular_.assign(players_.size(), PlayerLine{});
        postseason_.assign(players_.size(), PlayerLine{});
        seasonTeam_.assign(players_.size(), -1);
        records_.assign(teams_.size(), Record{});
        starters_ = shape_.starters(year);
        for (int team : season.teams) {
            TeamState& state = teams_[static_cast<std::size_t>(team)];
            std::stable_sort(state.roster.begin(), state.roster.end(), [this](int a, int b) {
                return ability_[static_cast<std::size_t>(a)] > ability_[static_cast<std::size_t>(b)];
            });
            Lineup& lineup = seasonLineups_[static_cast<std::size_t>(team)];
            lineup = Lineup{};
            lineup.team = team;
            for (int p : state.roster) {
                lineup.depth[static_cast<std::size_t>(index(players_[static_cast<std::size_t>(p)].position))]
                    .push_back(p);
                seasonTeam_[static_cast<std::size_t>(p)] = team;
            }
            auto returners = [&](std::initializer_list<Position> positions) {
                std::vector<int> backups;
                std::vector<int> regulars;
                for (Position position : positions) {
                    const auto& list = lineup.depth[static_cast<std::size_t>(index(position))];
                    for (std::size_t rank = 0; rank < list.size(); ++rank) {
                        (static_cast<int>(rank) < starters_[static_cast<std::size_t>(index(position))]
                             ? regulars
                             : backups)
                            .push_back(list[rank]);
                    }
                }
                auto byTalent = [this](int a, int b) {
                    return players_[static_cast<std::size_t>(a)].talent >
                           players_[static_cast<std::size_t>(b)].talent;
                };
                std::stable_sort(backups.begin(), backups.end(), byTalent);
                std::stable_sort(regulars.begin(), regulars.end(), byTalent);
                backups.insert(backups.end(), regulars.begin(), regulars.end());
                if (backups.size() > 2) {
                    backups.resize(2);
                }
                return backups;
            };
            lineup.kickReturners = returners({P::RB, P::WR, P::CB});
            lineup.puntReturners = returners({P::WR, P::CB});
            if (lineup.puntReturners.size() > 1) {
                lineup.puntReturners.resize(1);
            }
        }
    }

    Lineup gameLineup(int team) {
        const Lineup& season = seasonLineups_[static_cast<std::size_t>(team)];
        Lineup lineup;
        lineup.team = team;
        std::set<int> out;
        for (int p = 0; p < positionCount; ++p) {
            const auto& list = season.depth[static_cast<std::size_t>(p)];
            auto& available = lineup.depth[static_cast<std::size_t>(p)];
            for (int player : list) {
                if (list.size() > 1 && random_.chance(0.03)) {
                    out.insert(player);
                } else {
                    available.push_back(player);
                }
            }
            if (available.empty() && !list.empty()) {
                available.push_back(list.front());
                out.erase(list.front());
            }
        }
        for (int player : season.kickReturners) {
            if (!out.count(player)) {
                lineup.kickReturners.push_back(player);
            }
        }
        for (int player : season.puntReturners) {
            if (!out.count(player)) {
                lineup.puntReturners.push_back(player);
            }
        }
        return lineup;
    }

    std::optional<std::string> regularNetwork(int year, int awayTeam) {
        if (year < 1970 && random_.chance(0.25)) {
            return std::nullopt;
        }
        if (info(awayTeam).conference == 0) {
            return year < 1998 ? "NBC" : "CBS";
        }
        return year < 1994 ? "CBS" : "FOX";
    }

    std::vector<ScheduledGame> makeSchedule(const SeasonShape& season) {
        const int year = season.year;
        const int weeks = season.weeks;
        const int byes = season.weeks - season.games;
        std::map<int, int> divisionOf;
        for (std::size_t d = 0; d < season.divisions.size(); ++d) {
            for (int team : season.divisions[d].teams) {
                divisionOf[team] = static_cast<int>(d);
            }
        }
        std::map<int, std::set<int>> byeTeams;
        if (byes > 0) {
            std::vector<int> order = season.teams;
            random_.shuffle(order);
            const int low = std::max(2, weeks / 4);
            const int high = std::max(low, weeks - 2);
            for (std::size_t i = 0; i + 1 < order.size(); i += 2) {
                for (int b = 0; b < byes; ++b) {
                    const int week = low + static_cast<int>((i / 2 + static_cast<std::size_t>(b) * 3) %
                                                            static_cast<std::size_t>(high - low + 1));
                    byeTeams[week].insert(order[i]);
                    byeTeams[week].insert(order[i + 1]);
                }
            }
        }
        std::map<std::pair<int, int>, int> meetings;
        std::map<int, int> homeGames;
        std::vector<ScheduledGame> schedule;
        const int opening = seasonOpeningSunday(year);
        for (int week = 1; week <= weeks; ++week) {
            std::vector<int> open;
            for (int team : season.teams) {
                if (!byeTeams[week].count(team)) {
                    open.push_back(team);
                }
            }
            random_.shuffle(open);
            std::vector<std::pair<int, int>> pairs;
            while (open.size() >= 2) {
                const int a = open.front();
                open.erase(open.begin());
                std::size_t best = 0;
                double bestCost = 1e9;
                for (std::size_t i = 0; i < open.size(); ++i) {
                    const int b = open[i];
                    const int met = meetings[{std::min(a, b), std::max(a, b)}];
                    double cost = 4.0 * met + (met >= 2 ? 20.0 : 0.0) + random_.uniform(0, 1.5);
                    cost -= divisionOf[a] == divisionOf[b] ? 2.0 : 0.0;
                    cost -= info(a).conference == info(b).conference ? 1.0 : 0.0;
                    if (cost < bestCost) {
                        bestCost = cost;
                        best = i;
                    }
                }
                const int b = open[best];
                open.erase(open.begin() + static_cast<std::ptrdiff_t>(best));
                meetings[{std::min(a, b), std::max(a, b)}] += 1;
                int home = a;
                int away = b;
                if (homeGames[b] < homeGames[a] || (homeGames[b] == homeGames[a] && random_.chance(0.5))) {
                    std::swap(home, away);
                }
                homeGames[home] += 1;
                pairs.emplace_back(home, away);
            }
            const int sunday = opening + 7 * (week - 1);
            std::vector<ScheduledGame> games;
            std::size_t next = 0;
            auto special = [&](int day, const std::string& time, std::optional<std::string> network) {
                if (next < pairs.size()) {
                    games.push_back(
                        {std::to_string(week), pairs[next].first, pairs[next].second, day, time, network});
                    ++next;
                }
            };
            if (year >= 2002 && week == 1) {
                special(sunday - 3, "20:20", std::string("NBC"));
            } else if (year >= 2006) {
                special(sunday - 3, "20:15", std::string(year >= 2022 ? "Prime Video" : "NFLN"));
            }
            if (year >= 1970) {
                special(sunday + 1, "20:15", std::string(year >= 2006 ? "ESPN" : "ABC"));
            }
            if (year >= 1987) {
                special(sunday, "20:20", std::string(year >= 2006 ? "NBC" : "ESPN"));
            }
            if (year >= 1978 && week >= weeks - 2) {
                for (const char* time : {"16:30", "20:15"}) {
                    if (next < pairs.size()) {
                        special(sunday - 1, time, regularNetwork(year, pairs[next].second));
                    }
                }
            }
            while (next < pairs.size()) {
                std::string time = "13:00";
                if (!random_.chance(0.62)) {
                    time = year >= 1990 ? (random_.chance(0.5) ? "16:05" : "16:25") : "16:00";
                }
                special(sunday, time, regularNetwork(year, pairs[next].second));
            }
            std::stable_sort(games.begin(), games.end(), [](const ScheduledGame& x, const ScheduledGame& y) {
                return x.day != y.day ? x.day < y.day : x.time < y.time;
            });
            schedule.insert(schedule.end(), games.begin(), games.end());
        }
        return schedule;
    }

    static const char* dayName(int day) {
        static const char* names[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
        return names[weekday(day)];
    }

    std::string writeGame(const ScheduledGame& game, int year, bool postseason, const GameResult* result) {
        const std::string id = ids_.uuid();
        auto& row = writer("games");
        row.set("id", id)
            .set("season_id", seasonIds_[year])
            .set("year", year)
            .set("week", game.week)
            .set("season_type", postseason ? "postseason" : "regular")
            .set("game_date", dateText(game.day))
            .set("gametime", game.time)
            .set("game_day_of_week", dayName(game.day))
            .set("home_team_id", teams_[static_cast<std::size_t>(game.home)].id)
            .set("away_team_id", teams_[static_cast<std::size_t>(game.away)].id)
            .set("home_team_abbr", abbreviation(game.home))
            .set("away_team_abbr", abbreviation(game.away))
            .set("tv_network", game.network);
        if (result) {
            row.set("home_score", result->home.score).set("away_score", result->away.score);
        }
        row.insert();
        return id;
    }

    void writeGameLines(const std::string& gameId, int year, int team, const SideResult& side) {
        const std::string teamAbbr = abbreviation(team);
        for (const auto& [playerIndex, line] : side.lines) {
            const Player& player = players_[static_cast<std::size_t>(playerIndex)];
            const bool skill = player.position == P::QB || player.position == P::RB ||
                               player.position == P::FB || player.position == P::WR ||
                               player.position == P::TE;
            auto begin = [&](const char* table) -> RowWriter& {
                return writer(table)
                    .set("player_id", player.id)
                    .set("game_id", gameId)
                    .set("team_abbr", teamAbbr);
            };
            if (line.games > 0 && (line.hasOffense() || (skill && line.gamesStarted > 0))) {
                auto& row = begin("game_player_offense");
                row.set("pass_cmp", line.passCmp)
                    .set("pass_att", line.passAtt)
                    .set("pass_yds", line.passYds)
                    .set("pass_td", line.passTd)
                    .set("pass_int", line.passInt)
                    .set("rush_att", line.rushAtt)
                    .set("rush_yds", line.rushYds)
                    .set("rush_td", line.rushTd)
                    .set("rec", line.rec)
                    .set("rec_yds", line.recYds)
                    .set("rec_td", line.recTd)
                    .set("fumbles", line.fumbles);
                if (line.passAtt > 0) {
                    row.set("pass_rating", passerRating(line.passCmp, line.passAtt, line.passYds, line.passTd,
                                                        line.passInt));
                }
                if (year >= 1985) {
                    row.set("targets", line.targets);
                }
                row.insert();
            }
            if (line.games > 0 &&
                (line.hasDefense() || (isDefense(player.position) && line.gamesStarted > 0))) {
                auto& row = begin("game_player_defense");
                row.set("def_int", line.defInt);
                if (year >= 1980) {
                    row.set("tackles_combined", line.tacklesSolo + line.tacklesAssists)
                        .set("tackles_solo", line.tacklesSolo);
                }
                if (year >= 1970) {
                    row.set("sacks", line.sacks);
                }
                if (year >= 1994) {
                    row.set("pass_defended", line.passDefended).set("fumbles_forced", line.fumblesForced);
                }
                row.insert();
            }
            if (line.games > 0 && (player.position == P::K || player.position == P::P ||
                                   line.fga + line.xpa + line.punts > 0)) {
                auto& row = begin("game_player_kicking");
                row.set("fga", line.fga).set("fgm", line.fgm).set("xpa", line.xpa).set("xpm", line.xpm);
                row.set("punt", line.punts).set("punt_yds", line.puntYds);
                if (line.punts > 0) {
                    row.set("punt_yds_per_punt", round1(static_cast<double>(line.puntYds) / line.punts))
                        .set("punt_long", line.puntLong);
                }
                row.insert();
            }
            if (line.hasReturns()) {
                begin("game_player_returns")
                    .set("kick_ret", line.kickRet)
                    .set("kick_ret_yds", line.kickRetYds)
                    .set("kick_ret_td", line.kickRetTd)
                    .set("punt_ret", line.puntRet)
                    .set("punt_ret_yds", line.puntRetYds)
                    .set("punt_ret_td", line.puntRetTd)
                    .insert();
            }
        }
    }

    GameResult playGame(const ScheduledGame& game, int year, bool postseason, std::string& gameId) {
        const Lineup home = gameLineup(game.home);
        const Lineup away = gameLineup(game.away);
        GameResult result = simulator_.play(home, away, year, postseason, starters_);
        gameId = writeGame(game, year, postseason, &result);
        writeGameLines(gameId, year, game.home, result.home);
        writeGameLines(gameId, year, game.away, result.away);
        auto& lines = postseason ? postseason_ : regular_;
        for (const SideResult* side : {&result.home, &result.away}) {
            for (const auto& [player, line] : side->lines) {
                lines[static_cast<std::size_t>(player)].add(line);
            }
        }
        if (!postseason) {
            Record& h = records_[static_cast<std::size_t>(game.home)];
            Record& a = records_[static_cast<std::size_t>(game.away)];
            h.pointsFor += result.home.score;
            h.pointsAgainst += result.away.score;
            a.pointsFor += result.away.score;
            a.pointsAgainst += result.home.score;
            if (result.home.score > result.away.score) {
                h.wins += 1;
                a.losses += 1;
            } else if (result.home.score < result.away.score) {
                h.losses += 1;
                a.wins += 1;
            } else {
                h.ties += 1;
                a.ties += 1;
            }
        }
        return result;
    }

    bool better(int a, int b) const {
        const Record& x = records_[static_cast<std::size_t>(a)];
        const Record& y = records_[static_cast<std::size_t>(b)];
        if (x.winPct() != y.winPct()) {
            return x.winPct() > y.winPct();
        }
        if (x.differential() != y.differential()) {
            return x.differential() > y.differential();
        }
        if (x.pointsFor != y.pointsFor) {
            return x.pointsFor > y.pointsFor;
        }
        return a < b;
    }

    // Returns each conference's playoff teams in seed order.
    std::array<std::vector<int>, 2> writeStandings(const SeasonShape& season) {
        std::map<int, int> divisionRank;
        std::array<std::vector<int>, 2> winners;
        std::array<std::vector<int>, 2> others;
        for (const auto& division : season.divisions) {
            std::vector<int> order = division.teams;
            std::sort(order.begin(), order.end(), [this](int a, int b) { return better(a, b); });
            for (std::size_t i = 0; i < order.size(); ++i) {
                divisionRank[order[i]] = static_cast<int>(i) + 1;
                (i == 0 ? winners : others)[static_cast<std::size_t>(division.conference)].push_back(
                    order[i]);
            }
        }
        std::array<std::vector<int>, 2> seeds;
        std::map<int, int> seedOf;
        for (std::size_t c = 0; c < 2; ++c) {
            auto byRecord = [this](int a, int b) { return better(a, b); };
            std::sort(winners[c].begin(), winners[c].end(), byRecord);
            std::sort(others[c].begin(), others[c].end(), byRecord);
            for (int team : winners[c]) {
                if (static_cast<int>(seeds[c].size()) < season.playoffTeams) {
                    seeds[c].push_back(team);
                }
            }
            for (int team : others[c]) {
                if (static_cast<int>(seeds[c].size()) < season.playoffTeams) {
                    seeds[c].push_back(team);
                }
            }
            for (std::size_t i = 0; i < seeds[c].size(); ++i) {
                seedOf[seeds[c][i]] = static_cast<int>(i) + 1;
            }
        }
        for (int team : season.teams) {
            const Record& record = records_[static_cast<std::size_t>(team)];
            const auto seed = seedOf.find(team);
            auto& row = writer("standings");
            row.set("id", ids_.uuid())
                .set("season_id", seasonIds_[season.year])
                .set("team_id", teams_[static_cast<std::size_t>(team)].id)
                .set("wins", record.wins)
                .set("losses", record.losses)
                .set("ties", record.ties)
                .set("win_pct", std::round(record.winPct() * 1000.0) / 1000.0)
                .set("points_for", record.pointsFor)
                .set("points_against", record.pointsAgainst)
                .set("point_differential", record.differential())
                .set("division_rank", divisionRank[team])
                .set("is_division_winner", divisionRank[team] == 1)
                .set("is_playoff_team", seed != seedOf.end());
            if (seed != seedOf.end()) {
                row.set("conference_seed", seed->second);
            }
            row.insert();
            TeamState& state = teams_[static_cast<std::size_t>(team)];
            state.playedLastSeason = true;
            state.lastWinPct = record.winPct();
            state.lastDifferential = record.differential();
            state.lastExit = 0;
        }
        return seeds;
    }

    double impact(const PlayerLine& line) const {
        return line.passYds / 25.0 + line.passTd * 4.0 - line.passInt * 3.0 + line.rushYds / 10.0 +
               line.rushTd * 6.0 + line.recYds / 10.0 + line.recTd * 6.0 +
               (line.tacklesSolo + line.tacklesAssists) * 0.6 + line.sacks * 4.0 + line.defInt * 5.0 +
               line.fumblesForced * 2.0 + (line.defIntTd + line.fumblesRecTd) * 6.0 +
               (line.kickRetTd + line.puntRetTd) * 6.0 + line.kickRetYds / 30.0 + line.puntRetYds / 15.0;
    }

    void playoffs(const SeasonShape& season, const std::array<std::vector<int>, 2>& seeds, int seasonIndex) {
        const int year = season.year;
        const int teamsPerConference = season.playoffTeams;
        int rounds = 0;
        while ((1 << rounds) < teamsPerConference) {
            ++rounds;
        }
        static const char* names3[] = {"WildCard", "Division", "ConfChamp"};
        const int lastSunday = seasonOpeningSunday(year) + 7 * (season.weeks - 1);
        std::array<std::vector<int>, 2> alive = seeds;
        std::map<int, int> seedOf;
        for (const auto& list : seeds) {
            for (std::size_t i = 0; i < list.size(); ++i) {
                seedOf[list[i]] = static_cast<int>(i) + 1;
            }
        }
        int roundSunday = lastSunday;
        for (int round = 0; round < rounds; ++round) {
            roundSunday = lastSunday + 7 * (round + 1);
            const char* name = names3[3 - rounds + round];
            int slot = 0;
            for (std::size_t c = 0; c < 2; ++c) {
                std::vector<int> field = alive[c];
                std::sort(field.begin(), field.end(), [&](int a, int b) { return seedOf[a] < seedOf[b]; });
                std::vector<int> playing;
                std::vector<int> advancing;
                const int byes = round == 0 ? (1 << rounds) - teamsPerConference : 0;
                for (std::size_t i = 0; i < field.size(); ++i) {
                    (static_cast<int>(i) < byes ? advancing : playing).push_back(field[i]);
                }
                for (std::size_t i = 0; i < playing.size() / 2; ++i) {
                    ScheduledGame game;
                    game.week = name;
                    game.home = playing[i];
                    game.away = playing[playing.size() - 1 - i];
                    static const char* times[] = {"16:30", "20:15", "13:00", "16:30", "20:15", "13:00"};
                    game.day = slot % 2 == 0 ? roundSunday - 1 : roundSunday;
                    game.time = times[slot % 6];
                    game.network = regularNetwork(std::max(year, 1970), game.away);
                    ++slot;
                    const int winner = playPlayoffGame(game, year, name, nullptr);
                    const int loser = winner == game.home ? game.away : game.home;
                    teams_[static_cast<std::size_t>(loser)].lastExit = round + 1;
                    advancing.push_back(winner);
                }
                alive[c] = advancing;
            }
        }
        if (alive[0].empty() || alive[1].empty()) {
            return;
        }
        ScheduledGame final;
        final.week = "SuperBowl";
        final.home = year % 2 == 0 ? alive[0].front() : alive[1].front();
        final.away = year % 2 == 0 ? alive[1].front() : alive[0].front();
        final.day = roundSunday + 14;
        final.time = "18:30";
        static const char* networks[] = {"CBS", "NBC", "ABC", "FOX"};
        final.network = std::string(networks[year % (year >= 1994 ? 4 : 3)]);
        GameResult result;
        const int champion = playPlayoffGame(final, year, "SuperBowl", &result);
        const int runnerUp = champion == final.home ? final.away : final.home;
        teams_[static_cast<std::size_t>(runnerUp)].lastExit = rounds + 1;
        teams_[static_cast<std::size_t>(champion)].lastExit = rounds + 2;

        const SideResult& winners = champion == final.home ? result.home : result.away;
        std::vector<std::pair<double, int>> candidates;
        for (const auto& [player, line] : winners.lines) {
            candidates.emplace_back(impact(line), player);
        }
        std::stable_sort(candidates.begin(), candidates.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
        const int coMvpSeason = lastPlayedYear() - shape_.firstYear() >= 11 ? 11 : 0;
        const int number = seasonIndex + 1;
        auto& row = writer("super_bowls");
        row.set("id", ids_.uuid())
            .set("season_id", seasonIds_[year])
            .set("playoff_game_id", lastPlayoffGameId_)
            .set("super_bowl_number", number)
            .set("roman_numeral", romanNumeral(number));
        if (!candidates.empty()) {
            Player& mvp = players_[static_cast<std::size_t>(candidates[0].second)];
            mvp.mvps += 1;
            row.set("mvp_player_id", mvp.id)
                .set("mvp_name", mvp.name.full)
                .set("mvp_position", positionInfo(mvp.position).abbreviation);
            if (seasonIndex == coMvpSeason && candidates.size() > 1) {
                Player& coMvp = players_[static_cast<std::size_t>(candidates[1].second)];
                coMvp.mvps += 1;
                row.set("co_mvp_player_id", coMvp.id);
            }
        }
        row.insert();
    }

    int playPlayoffGame(const ScheduledGame& game, int year, const char* round, GameResult* out) {
        std::string gameId;
        GameResult result = playGame(game, year, true, gameId);
        const int winner = result.home.score > result.away.score ? game.home : game.away;
        lastPlayoffGameId_ = ids_.uuid();
        writer("playoff_games")
            .set("id", lastPlayoffGameId_)
            .set("season_id", seasonIds_[year])
            .set("game_id", gameId)
            .set("round", round)
            .set("home_team_id", teams_[static_cast<std::size_t>(game.home)].id)
            .set("away_team_id", teams_[static_cast<std::size_t>(game.away)].id)
            .set("home_score", result.home.score)
            .set("away_score", result.away.score)
            .set("winner_team_id", teams_[static_cast<std::size_t>(winner)].id)
            .insert();
        if (out) {
            *out = std::move(result);
        }
        return winner;
    }

    // --- Season statistics
    // --------------------------------------------------------------------------------------

    int approximateValue(const Player& player, const PlayerLine& line) const {
        double value = line.passYds / 300.0 + line.passTd * 0.5 - line.passInt * 0.4;
        value += (line.rushYds + line.recYds) / 150.0 + (line.rushTd + line.recTd) * 0.5;
        value += (line.tacklesSolo + line.tacklesAssists) / 18.0 + line.sacks * 0.6 + line.defInt * 0.8 +
                 line.fumblesForced * 0.3 + line.passDefended * 0.1;
        value += line.fgm * 0.15 + line.xpm * 0.02 + line.punts * 0.03;
        value += line.kickRetYds / 600.0 + line.puntRetYds / 300.0;
        if (player.position == P::T || player.position == P::G || player.position == P::C) {
            value += line.gamesStarted * 0.45;
        }
        value += line.gamesStarted * 0.1;
        return std::max(0, static_cast<int>(std::lround(value * 0.6)));
    }

    void writeSeasonRows(int playerIndex, int year, bool postseason, const PlayerLine& line) {
        const Player& player = players_[static_cast<std::size_t>(playerIndex)];
        const int team = seasonTeam_[static_cast<std::size_t>(playerIndex)];
        const double games = std::max(1, line.games);
        const std::optional<int> av =
            postseason ? std::nullopt : std::optional<int>(approximateValue(player, line));
        auto begin = [&](const char* table) -> RowWriter& {
            RowWriter& row = writer(table);
            row.set("id", ids_.uuid())
                .set("player_id", player.id)
                .set("year", year)
                .set("season_type", postseason ? "postseason" : "regular")
                .set("team_abbr", abbreviation(team))
                .set("pos", positionInfo(player.position).abbreviation)
                .set("age", ageIn(player, year))
                .set("games", line.games)
                .set("games_started", line.gamesStarted);
            return row;
        };
        const Position pos = player.position;
        const bool modern = year >= 1994;

        if (pos == P::QB || line.passAtt > 0) {
            auto& row = begin("player_passing");
            const int att = line.passAtt;
            const int dropbacks = att + line.sacked;
            if (line.qbWins + line.qbLosses + line.qbTies > 0) {
                row.set("qb_rec", std::to_string(line.qbWins) + "-" + std::to_string(line.qbLosses) + "-" +
                                      std::to_string(line.qbTies));
            }
            row.set("pass_cmp", line.passCmp)
                .set("pass_att", att)
                .set("pass_cmp_pct", ratio(line.passCmp, att, 100))
                .set("pass_yds", line.passYds)
                .set("pass_td", line.passTd)
                .set("pass_td_pct", ratio(line.passTd, att, 100))
                .set("pass_int", line.passInt)
                .set("pass_int_pct", ratio(line.passInt, att, 100))
                .set("pass_long", line.passLong)
                .set("pass_yds_per_att", ratio(line.passYds, att))
                .set("pass_adj_yds_per_att", ratio(line.passYds + 20 * line.passTd - 45 * line.passInt, att))
                .set("pass_yds_per_cmp", ratio(line.passYds, line.passCmp))
                .set("pass_yds_per_g", ratio(line.passYds, games))
                .set("pass_sacked", line.sacked)
                .set("pass_sacked_yds", line.sackedYds)
                .set("pass_sacked_pct", ratio(line.sacked, dropbacks, 100))
                .set("pass_net_yds_per_att", ratio(line.passYds - line.sackedYds, dropbacks))
                .set("pass_adj_net_yds_per_att",
                     ratio(line.passYds - line.sackedYds + 20 * line.passTd - 45 * line.passInt, dropbacks))
                .set("comebacks", line.comebacks)
                .set("gwd", line.gwd)
                .set("av", av);
            if (att > 0) {
                const double rating =
                    passerRating(line.passCmp, att, line.passYds, line.passTd, line.passInt);
                row.set("pass_rating", rating);
                if (modern) {
                    row.set("pass_first_down", static_cast<int>(std::lround(line.passCmp * 0.56)))
                        .set("pass_success",
                             round1(std::clamp(30 + rating * 0.16 + random_.normal(0, 2), 20.0, 60.0)));
                }
                if (year >= 2006 && !postseason) {
                    row.set("qbr", round1(std::clamp(rating * 0.62 + random_.normal(-5, 6), 1.0, 95.0)));
                }
            }
            row.insert();
        }
        const bool carrier = pos == P::RB || pos == P::FB || pos == P::WR || pos == P::TE;
        if (carrier || line.rushAtt + line.rec + line.targets > 0) {
            auto& row = begin("player_rushing_receiving");
            const int touches = line.rushAtt + line.rec;
            row.set("rush_att", line.rushAtt)
                .set("rush_yds", line.rushYds)
                .set("rush_td", line.rushTd)
                .set("rush_long", line.rushLong)
                .set("rush_yds_per_att", ratio(line.rushYds, line.rushAtt))
                .set("rush_yds_per_g", ratio(line.rushYds, games))
                .set("rush_att_per_g", ratio(line.rushAtt, games))
                .set("rec", line.rec)
                .set("rec_yds", line.recYds)
                .set("rec_yds_per_rec", ratio(line.recYds, line.rec))
                .set("rec_td", line.recTd)
                .set("rec_long", line.recLong)
                .set("rec_per_g", ratio(line.rec, games))
                .set("rec_yds_per_g", ratio(line.recYds, games))
                .set("touches", touches)
                .set("yds_per_touch", ratio(line.rushYds + line.recYds, touches))
                .set("yds_from_scrimmage", line.rushYds + line.recYds)
                .set("rush_receive_td", line.rushTd + line.recTd)
                .set("fumbles", line.fumbles)
                .set("av", av);
            if (year >= 1985) {
                row.set("targets", line.targets)
                    .set("catch_pct", ratio(line.rec, line.targets, 100))
                    .set("rec_yds_per_tgt", ratio(line.recYds, line.targets));
            }
            if (modern) {
                row.set("rush_first_down", static_cast<int>(std::lround(line.rushAtt * 0.23)))
                    .set("rec_first_down", static_cast<int>(std::lround(line.rec * 0.6)));
                if (line.rushAtt > 0) {
                    row.set("rush_success", round1(std::clamp(random_.normal(42, 5), 20.0, 65.0)));
                }
                if (line.targets > 0) {
                    row.set("rec_success", round1(std::clamp(random_.normal(50, 7), 20.0, 80.0)));
                }
            }
            row.insert();
        }
        if (isDefense(pos) || line.hasDefense()) {
            auto& row = begin("player_defense");
            row.set("def_int", line.defInt)
                .set("def_int_yds", line.defIntYds)
                .set("def_int_td", line.defIntTd)
                .set("def_int_long", line.defIntLong)
                .set("fumbles_rec", line.fumblesRec)
                .set("fumbles_rec_yds", line.fumblesRecYds)
                .set("fumbles_rec_td", line.fumblesRecTd)
                .set("fumbles", line.fumbles)
                .set("safety_md", line.safeties)
                .set("av", av);
            if (year >= 1970) {
                row.set("sacks", line.sacks);
            }
            if (year >= 1980) {
                row.set("tackles_combined", line.tacklesSolo + line.tacklesAssists)
                    .set("tackles_solo", line.tacklesSolo)
                    .set("tackles_assists", line.tacklesAssists);
            }
            if (modern) {
                row.set("pass_defended", line.passDefended).set("fumbles_forced", line.fumblesForced);
            }
            if (year >= 2006) {
                row.set("tackles_loss", line.tacklesLoss).set("qb_hits", line.qbHits);
            }
            row.insert();
        }
        if (pos == P::K || line.fga + line.xpa + line.kickoffs > 0) {
            auto& row = begin("player_kicking");
            row.set("fga", line.fga)
                .set("fgm", line.fgm)
                .set("fg_pct", ratio(line.fgm, line.fga, 100))
                .set("xpa", line.xpa)
                .set("xpm", line.xpm)
                .set("xp_pct", ratio(line.xpm, line.xpa, 100))
                .set("av", av);
            if (line.fgm > 0) {
                row.set("fg_long", line.fgLong);
            }
            static const char* bands[][2] = {
                {"fga1", "fgm1"}, {"fga2", "fgm2"}, {"fga3", "fgm3"}, {"fga4", "fgm4"}, {"fga5", "fgm5"}};
            for (std::size_t b = 0; b < 5; ++b) {
                row.set(bands[b][0], line.fgaBand[b]).set(bands[b][1], line.fgmBand[b]);
            }
            if (modern) {
                row.set("kickoff", line.kickoffs)
                    .set("kickoff_yds", line.kickoffYds)
                    .set("kickoff_yds_avg", ratio(line.kickoffYds, line.kickoffs))
                    .set("kickoff_tb", line.kickoffTb)
                    .set("kickoff_tb_pct", ratio(line.kickoffTb, line.kickoffs, 100));
            }
            row.insert();
        }
        if (pos == P::P || line.punts > 0) {
            auto& row = begin("player_punting");
            const int net = line.puntYds - line.puntRetYdsOpp - 20 * line.puntTb;
            row.set("punt", line.punts)
                .set("punt_yds", line.puntYds)
                .set("punt_yds_per_punt", ratio(line.puntYds, line.punts))
                .set("punt_tb", line.puntTb)
                .set("punt_tb_pct", ratio(line.puntTb, line.punts, 100))
                .set("punt_blocked", line.puntBlocked)
                .set("av", av);
            if (line.punts > 0) {
                row.set("punt_long", line.puntLong);
            }
            if (year >= 1976) {
                row.set("punt_ret_yds_opp", line.puntRetYdsOpp)
                    .set("punt_net_yds", net)
                    .set("punt_net_yds_per_punt", ratio(net, line.punts))
                    .set("punt_in20", line.puntIn20)
                    .set("punt_in20_pct", ratio(line.puntIn20, line.punts, 100));
            }
            row.insert();
        }
        if (line.hasReturns()) {
            auto& row = begin("player_returns");
            row.set("punt_ret", line.puntRet)
                .set("punt_ret_yds", line.puntRetYds)
                .set("punt_ret_td", line.puntRetTd)
                .set("kick_ret", line.kickRet)
                .set("kick_ret_yds", line.kickRetYds)
                .set("kick_ret_td", line.kickRetTd)
                .set("kick_ret_yds_per_ret", ratio(line.kickRetYds, line.kickRet))
                .set("all_purpose_yds", line.rushYds + line.recYds + line.kickRetYds + line.puntRetYds);
            if (line.puntRet > 0) {
                row.set("punt_ret_long", line.puntRetLong);
            }
            if (line.kickRet > 0) {
                row.set("kick_ret_long", line.kickRetLong);
            }
            row.insert();
        }
        if (line.points() > 0 || line.totalTd() > 0) {
            auto& row = begin("player_scoring");
            row.set("rush_td", line.rushTd)
                .set("rec_td", line.recTd)
                .set("punt_ret_td", line.puntRetTd)
                .set("kick_ret_td", line.kickRetTd)
                .set("fumbles_rec_td", line.fumblesRecTd)
                .set("def_int_td", line.defIntTd)
                .set("other_td", 0)
                .set("total_td", line.totalTd())
                .set("xpm", line.xpm)
                .set("xpa", line.xpa)
                .set("fgm", line.fgm)
                .set("fga", line.fga)
                .set("safety_md", line.safeties)
                .set("scoring", line.points())
                .set("points_per_g", ratio(line.points(), games));
            if (year >= 1994) {
                row.set("two_pt_md", line.twoPt);
            }
            if (year >= 2015) {
                row.set("def_two_pt", 0);
            }
            row.insert();
        }
    }

    void writeSeasonStats(int year) {
        for (std::size_t i = 0; i < players_.size(); ++i) {
            if (regular_[i].games > 0) {
                writeSeasonRows(static_cast<int>(i), year, false, regular_[i]);
            }
            if (postseason_[i].games > 0) {
                writeSeasonRows(static_cast<int>(i), year, true, postseason_[i]);
            }
        }
    }

    // --- Honours
    // ------------------------------------------------------------------------------------------------

    double positionScore(int playerIndex) const {
        const Player& player = players_[static_cast<std::size_t>(playerIndex)];
        const PlayerLine& line = regular_[static_cast<std::size_t>(playerIndex)];
        const int tackles = line.tacklesSolo + line.tacklesAssists;
        switch (player.position) {
        case P::QB:
            return line.passYds / 25.0 + line.passTd * 4.0 - line.passInt * 3.0 + line.rushYds / 10.0;
        case P::RB:
        case P::FB:
            return (line.rushYds + line.recYds) / 10.0 + 6.0 * (line.rushTd + line.recTd) + line.gamesStarted;
        case P::WR:
        case P::TE:
            return line.recYds / 10.0 + 6.0 * line.recTd;
        case P::T:
        case P::G:
        case P::C:
            return ability_[static_cast<std::size_t>(playerIndex)] * line.gamesStarted;
        case P::DE:
        case P::DT:
            return line.sacks * 4.0 + tackles * 0.5 + line.fumblesForced * 2.0 + line.gamesStarted * 0.2;
        case P::LB:
            return tackles * 0.6 + line.sacks * 3.0 + line.defInt * 4.0 + line.gamesStarted * 0.2;
        case P::CB:
        case P::S:
            return line.defInt * 6.0 + line.passDefended * 1.5 + tackles * 0.3 + line.gamesStarted * 0.2;
        case P::K:
            return line.fgm * 3.0 - (line.fga - line.fgm) * 2.0 + line.xpm * 0.2;
        case P::P:
            return line.punts ? static_cast<double>(line.puntYds) / line.punts * 2.0 + line.puntIn20 : 0.0;
        }
        return 0.0;
    }

    std::vector<std::pair<Position, int>> honourSlots(int year) const {
        std::vector<std::pair<Position, int>> result = {{P::QB, 1}, {P::RB, 2}, {P::FB, year < 2000 ? 1 : 0},
                                                        {P::WR, 2}, {P::TE, 1}, {P::T, 2},
                                                        {P::G, 2},  {P::C, 1},  {P::DE, 2},
                                                        {P::DT, 2}, {P::LB, 3}, {P::CB, 2},
                                                        {P::S, 2},  {P::K, 1},  {P::P, 1}};
        return result;
    }

    std::vector<int> ranked(Position position, int minimumGames, bool rookiesOnly) const {
        std::vector<int> candidates;
        for (std::size_t i = 0; i < players_.size(); ++i) {
            if (players_[i].position == position && regular_[i].games >= minimumGames &&
                (!rookiesOnly || players_[i].experience == 0)) {
                candidates.push_back(static_cast<int>(i));
            }
        }
        std::vector<double> scores(players_.size(), 0.0);
        for (int c : candidates) {
            scores[static_cast<std::size_t>(c)] = positionScore(c);
        }
        std::stable_sort(candidates.begin(), candidates.end(), [&](int a, int b) {
            return scores[static_cast<std::size_t>(a)] > scores[static_cast<std::size_t>(b)];
        });
        return candidates;
    }

    void writeSelection(const char* table, int year, int playerIndex, const char* level) {
        const Player& player = players_[static_cast<std::size_t>(playerIndex)];
        auto& row = writer(table);
        row.set("id", ids_.uuid())
            .set("season_id", seasonIds_[year])
            .set("player_id", player.id)
            .set("team_id",
                 teams_[static_cast<std::size_t>(seasonTeam_[static_cast<std::size_t>(playerIndex)])].id)
            .set("position_id", positionIds_[static_cast<std::size_t>(index(player.position))]);
        if (level) {
            row.set("team_level", level);
        }
        row.insert();
    }

    void honours(const SeasonShape& season) {
        const int year = season.year;
        const int minimumGames = std::max(1, season.games / 2);
        for (const auto& [position, count] : honourSlots(year)) {
            if (count == 0) {
                continue;
            }
            const std::vector<int> best = ranked(position, minimumGames, false);
            for (std::size_t i = 0; i < best.size() && static_cast<int>(i) < 2 * count; ++i) {
                Player& player = players_[static_cast<std::size_t>(best[i])];
                const bool first = static_cast<int>(i) < count;
                writeSelection("all_pro_selections", year, best[i], first ? "first_team" : "second_team");
                player.allPro.push_back({year, first ? "first_team" : "second_team",
                                         abbreviation(seasonTeam_[static_cast<std::size_t>(best[i])]),
                                         positionInfo(position).abbreviation});
            }
            for (std::size_t i = 0; i < best.size() && static_cast<double>(i) < 2.5 * count; ++i) {
                players_[static_cast<std::size_t>(best[i])].proBowls += 1;
            }
            if (!full() || year >= 1974) {
                const std::vector<int> rookies = ranked(position, 1, true);
                for (std::size_t i = 0; i < rookies.size() && static_cast<int>(i) < count; ++i) {
                    writeSelection("all_rookie_selections", year, rookies[i], nullptr);
                }
            }
        }
        writeAwards(season);
    }

    void writeAwards(const SeasonShape& season) {
        const int year = season.year;
        const int minimumGames = std::max(1, season.games / 2);
        for (std::size_t type = 0; type < awardTypes.size(); ++type) {
            if (full() && year < awardTypes[type].firstYear) {
                continue;
            }
            std::vector<std::pair<double, int>> candidates;
            for (std::size_t i = 0; i < players_.size(); ++i) {
                const Player& player = players_[i];
                const PlayerLine& line = regular_[i];
                const bool rookie = player.experience == 0;
                if (line.games < (rookie ? 1 : minimumGames)) {
                    continue;
                }
                const bool offense = isOffense(player.position);
                const bool defense = isDefense(player.position);
                double value = impact(line);
                switch (type) {
                case 0: {
                    const Record& record = records_[static_cast<std::size_t>(seasonTeam_[i])];
                    value *= (player.position == P::QB ? 1.25 : 1.0) * (0.5 + record.winPct());
                    break;
                }
                case 1:
                    value = offense ? value : -1;
                    break;
                case 2:
                    value = defense ? value : -1;
                    break;
                case 3:
                    value = offense && rookie ? value : -1;
                    break;
                case 4:
                    value = defense && rookie ? value : -1;
                    break;
                default:
                    value = player.experience >= 2 && player.lastSeasonGames * 2 < season.games ? value : -1;
                    break;
                }
                if (value > 0) {
                    candidates.emplace_back(value, static_cast<int>(i));
                }
            }
            std::stable_sort(candidates.begin(), candidates.end(),
                             [](const auto& a, const auto& b) { return a.first > b.first; });
            if (candidates.size() > 5) {
                candidates.resize(5);
            }
            double total = 0;
            for (const auto& [value, player] : candidates) {
                total += std::pow(value, 4);
            }
            for (std::size_t rank = 0; rank < candidates.size(); ++rank) {
                const int playerIndex = candidates[rank].second;
                const Player& player = players_[static_cast<std::size_t>(playerIndex)];
                if (type == 0 && rank == 0) {
                    players_[static_cast<std::size_t>(playerIndex)].mvps += 1;
                }
                writer("awards")
                    .set("id", ids_.uuid())
                    .set("award_type_id", awardTypeIds_[type])
                    .set("season_id", seasonIds_[year])
                    .set("player_id", player.id)
                    .set("team_id",
                         teams_[static_cast<std::size_t>(seasonTeam_[static_cast<std::size_t>(playerIndex)])]
                             .id)
                    .set("position_id", positionIds_[static_cast<std::size_t>(index(player.position))])
                    .set("ranking", static_cast<int>(rank) + 1)
                    .set("vote_percentage", round1(100.0 * std::pow(candidates[rank].first, 4) / total))
                    .insert();
            }
        }
    }

    void closeSeason(const SeasonShape& season) {
        lastStarter_.assign(players_.size(), 0);
        for (std::size_t i = 0; i < players_.size(); ++i) {
            lastStarter_[i] = regular_[i].gamesStarted * 2 >= season.games ? 1 : 0;
            Player& player = players_[i];
            const int games = regular_[i].games + postseason_[i].games;
            if (games > 0) {
                player.seasonsPlayed.emplace_back(season.year, seasonTeam_[i]);
                player.careerAv += approximateValue(player, regular_[i]);
            }
            player.lastSeasonGames = regular_[i].games;
            if (player.team >= 0) {
                player.experience += 1;
            }
        }
    }

    void playSeason(const SeasonShape& season) {
        const int seasonIndex = season.year - shape_.firstYear();
        offseason(season);
        draft(season);
        fillRosters(season);
        prepareSeason(season);
        for (const auto& game : makeSchedule(season)) {
            std::string id;
            playGame(game, season.year, false, id);
        }
        const auto seeds = writeStandings(season);
        playoffs(season, seeds, seasonIndex);
        writeSeasonStats(season.year);
        honours(season);
        closeSeason(season);
    }

    void scheduleFutureSeason(const SeasonShape& season) {
        for (const auto& game : makeSchedule(season)) {
            writeGame(game, season.year, false, nullptr);
        }
    }

    // --- Careers
    // ------------------------------------------------------------------------------------------------

    void electHallOfFame() {
        const int wait = full() ? 5 : 0;
        const int last = lastPlayedYear();
        std::vector<std::pair<double, int>> eligible;
        int played = 0;
        for (std::size_t i = 0; i < players_.size(); ++i) {
            const Player& player = players_[i];
            if (player.seasonsPlayed.empty()) {
                continue;
            }
            ++played;
            const int end = player.seasonsPlayed.back().first;
            if (end >= last || end + wait > last) {
                continue;
            }
            int firstTeam = 0;
            for (const auto& entry : player.allPro) {
                firstTeam += entry.level == "first_team" ? 1 : 0;
            }
            const double score = player.careerAv + 10.0 * firstTeam +
                                 4.0 * (static_cast<int>(player.allPro.size()) - firstTeam) +
                                 2.0 * player.proBowls + 8.0 * player.mvps;
            eligible.emplace_back(score, static_cast<int>(i));
        }
        std::stable_sort(eligible.begin(), eligible.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
        const std::size_t inducted = std::min(
            eligible.size(), std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(played * 0.013))));
        for (std::size_t rank = 0; rank < inducted; ++rank) {
            Player& player = players_[static_cast<std::size_t>(eligible[rank].second)];
            const int end = player.seasonsPlayed.back().first;
            const int delay = rank < inducted / 3 ? 0 : random_.between(0, 10);
            player.inductionYear = std::min(end + wait + delay, last);
        }
    }

    void writePlayers() {
        const int last = lastPlayedYear();
        for (const Player& player : players_) {
            int firstTeam = 0;
            nlohmann::json history = nlohmann::json::array();
            for (const auto& entry : player.allPro) {
                firstTeam += entry.level == "first_team" ? 1 : 0;
                history.push_back({{"year", entry.year},
                                   {"team_level", entry.level},
                                   {"team_abbr", entry.teamAbbreviation},
                                   {"position", entry.position}});
            }
            std::string uniforms;
            for (int number : player.uniforms) {
                uniforms += (uniforms.empty() ? "" : ", ") + std::to_string(number);
            }
            char birthDate[32];
            std::snprintf(birthDate, sizeof birthDate, "%04d-%02d-%02d", player.birthYear, player.birthMonth,
                          player.birthDay);
            const bool played = !player.seasonsPlayed.empty();
            auto& row = writer("players");
            row.set("id", player.id)
                .set("first_name", player.name.first)
                .set("last_name", player.name.last)
                .set("full_name", player.name.full)
                .set("birth_date", std::string(birthDate))
                .set("birth_city", player.birth.city)
                .set("birth_state", player.birth.state)
                .set("college", player.college)
                .set("pfr_position", positionInfo(player.position).abbreviation)
                .set("height_inches", player.height)
                .set("weight_lbs", player.weight)
                .set("draft_age", player.draftAge)
                .set("is_hof", player.inductionYear.has_value())
                .set("is_all_pro", !player.allPro.empty());
            if (player.highSchool) {
                row.set("high_school", *player.highSchool)
                    .set("high_school_city", player.school.city)
                    .set("high_school_state", player.school.state);
            }
            if (played) {
                row.set("career_av", player.careerAv).set("uniform_numbers", uniforms);
            }
            if (!player.throws.empty()) {
                row.set("throws", player.throws);
            }
            if (!player.nickname.empty()) {
                row.set("nickname", player.nickname);
            }
            if (!player.allPro.empty()) {
                row.set("all_pro_history", history.dump());
            }
            row.insert();

            if (player.inductionYear) {
                writer("hall_of_fame")
                    .set("id", ids_.uuid())
                    .set("player_id", player.id)
                    .set("induction_year", *player.inductionYear)
                    .set("position", positionInfo(player.position).abbreviation)
                    .set("pro_bowls", std::max(player.proBowls, firstTeam))
                    .set("first_team_all_pro", firstTeam)
                    .insert();
            }

            nlohmann::json path = nlohmann::json::array();
            int previousTeam = -1;
            for (const auto& [year, team] : player.seasonsPlayed) {
                if (team != previousTeam) {
                    path.push_back({{"abbr", abbreviation(team)},
                                    {"name", info(team).name},
                                    {"city", info(team).city},
                                    {"logo_url", nullptr},
                                    {"year", year}});
                }
                previousTeam = team;
            }
            auto& search = writer("player_search");
            search.set("player_id", player.id)
                .set("full_name", player.name.full)
                .set("primary_position", positionInfo(player.position).abbreviation)
                .set("is_hof", player.inductionYear.has_value())
                .set("is_active", played && player.seasonsPlayed.back().first == last)
                .set("teams", path.dump())
                .set("draft_year", player.draftYear);
            if (played) {
                search.set("career_start", player.seasonsPlayed.front().first)
                    .set("career_end", player.seasonsPlayed.back().first)
                    .set("career_av", player.careerAv);
            }
            if (player.draftTeam) {
                search.set("draft_team_abbr", abbreviation(*player.draftTeam))
                    .set("draft_team_name", info(*player.draftTeam).name)
                    .set("draft_team_city", info(*player.draftTeam).city);
            }
            search.insert();
        }
    }

    void writeMeta() {
        const std::vector<std::pair<std::string, std::string>> entries = {
            {"generator_version", std::to_string(generatorVersion)},
            {"league", std::string(leagueSizeName(options_.size))},
            {"seed", std::to_string(options_.seed)},
            {"players", std::to_string(players_.size())},
        };
        for (const auto& [key, value] : entries) {
            writer("huddlepod_meta").set("key", key).set("value", value).insert();
        }
    }

    Connection& db_;
    GeneratorOptions options_;
    LeagueShape shape_;
    Random random_;
    Random ids_;
    NameGenerator names_;
    std::vector<double> ability_;
    std::vector<char> mobile_;
    GameSimulator simulator_;

    std::map<std::string, std::unique_ptr<RowWriter>> writers_;
    std::array<std::string, 2> conferenceIds_;
    std::map<std::string, std::string> divisionIds_;
    std::array<std::string, positionCount> positionIds_;
    std::array<std::string, awardTypes.size()> awardTypeIds_;
    std::map<int, std::string> seasonIds_;

    std::vector<Player> players_;
    std::vector<Player> prospects_;
    std::vector<int> remainingProspects_;
    std::vector<int> currentDraftOrder_;
    std::vector<TeamState> teams_;
    std::array<Lineup, 32> seasonLineups_;
    PositionCounts starters_{};
    std::vector<PlayerLine> regular_;
    std::vector<PlayerLine> postseason_;
    std::vector<int> seasonTeam_;
    std::vector<char> lastStarter_;
    std::vector<Record> records_;
    std::string lastPlayoffGameId_;
};

} // namespace

void generateLeague(Connection& connection, const GeneratorOptions& options) {
    Generator generator(connection, options);
    generator.run();
}

} // namespace huddlepod::backend
