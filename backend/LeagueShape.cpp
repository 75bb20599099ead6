// The fixed frame of a generated league.
#include "backend/LeagueShape.h"

#include <algorithm>

namespace huddlepod::backend {

namespace {

const std::array<PositionInfo, positionCount> positions = {{
    {"QB", "Quarterback", "offense", 1},
    {"RB", "Running Back", "offense", 2},
    {"FB", "Fullback", "offense", 3},
    {"WR", "Wide Receiver", "offense", 4},
    {"TE", "Tight End", "offense", 5},
    {"T", "Tackle", "offense", 6},
    {"G", "Guard", "offense", 7},
    {"C", "Center", "offense", 8},
    {"DE", "Defensive End", "defense", 9},
    {"DT", "Defensive Tackle", "defense", 10},
    {"LB", "Linebacker", "defense", 11},
    {"CB", "Cornerback", "defense", 12},
    {"S", "Safety", "defense", 13},
    {"K", "Kicker", "special_teams", 14},
    {"P", "Punter", "special_teams", 15},
}};

// Fictional clubs. Cities are real places; the clubs and their nicknames are invented.
const std::vector<TeamInfo> teams = {
    {"BOS", "Boston", "Harriers", 0, -71.1, 1966},
    {"NYK", "New York", "Knights", 1, -74.0, 1966},
    {"BAL", "Baltimore", "Clippers", 0, -76.6, 1966},
    {"PHI", "Philadelphia", "Ironmen", 1, -75.2, 1966},
    {"PIT", "Pittsburgh", "Forge", 0, -80.0, 1966},
    {"WAS", "Washington", "Sentinels", 1, -77.0, 1966},
    {"CLE", "Cleveland", "Blast", 0, -81.7, 1966},
    {"DET", "Detroit", "Motormen", 1, -83.0, 1966},
    {"MIA", "Miami", "Barracudas", 0, -80.2, 1966},
    {"ATL", "Atlanta", "Firebirds", 1, -84.4, 1966},
    {"CIN", "Cincinnati", "Rivermen", 0, -84.5, 1966},
    {"CHI", "Chicago", "Bison", 1, -87.6, 1966},
    {"MIL", "Milwaukee", "Brewmasters", 0, -87.9, 1966},
    {"MIN", "Minneapolis", "Lumberjacks", 1, -93.3, 1966},
    {"KC", "Kansas City", "Outlaws", 0, -94.6, 1966},
    {"STL", "St. Louis", "Aviators", 1, -90.2, 1966},
    {"HOU", "Houston", "Comets", 0, -95.4, 1966},
    {"DAL", "Dallas", "Wranglers", 1, -96.8, 1966},
    {"DEN", "Denver", "Summit", 0, -105.0, 1966},
    {"NO", "New Orleans", "Krewe", 1, -90.1, 1966},
    {"SD", "San Diego", "Surf", 0, -117.2, 1966},
    {"LA", "Los Angeles", "Stars", 1, -118.2, 1966},
    {"OAK", "Oakland", "Grizzlies", 0, -122.3, 1966},
    {"SF", "San Francisco", "Fog", 1, -122.4, 1966},
    {"SEA", "Seattle", "Orcas", 0, -122.3, 1970},
    {"PHX", "Phoenix", "Scorpions", 1, -112.1, 1970},
    {"ORL", "Orlando", "Suns", 0, -81.4, 1976},
    {"MEM", "Memphis", "Blues", 1, -90.0, 1976},
    {"CHA", "Charlotte", "Monarchs", 0, -80.8, 1995},
    {"POR", "Portland", "Pioneers", 1, -122.7, 1995},
    {"SA", "San Antonio", "Riders", 0, -98.5, 2002},
    {"SLC", "Salt Lake", "Flyers", 1, -111.9, 2002},
};

const std::array<const char*, 2> conferences = {"AFC", "NFC"};

std::vector<DivisionShape> align(const std::vector<int>& active, const std::vector<std::string>& names,
                                 const std::vector<int>& sizes) {
    std::vector<DivisionShape> divisions;
    for (int conference = 0; conference < 2; ++conference) {
        std::vector<int> members;
        for (int team : active) {
            if (teams[static_cast<std::size_t>(team)].conference == conference) {
                members.push_back(team);
            }
        }
        std::stable_sort(members.begin(), members.end(), [](int a, int b) {
            return teams[static_cast<std::size_t>(a)].longitude >
                   teams[static_cast<std::size_t>(b)].longitude;
        });
        std::size_t next = 0;
        for (std::size_t d = 0; d < names.size(); ++d) {
            DivisionShape division{conference, names[d], {}};
            for (int i = 0; i < sizes[d] && next < members.size(); ++i) {
                division.teams.push_back(members[next++]);
            }
            divisions.push_back(std::move(division));
        }
    }
    return divisions;
}

SeasonShape fullSeason(int year) {
    SeasonShape season;
    season.year = year;
    for (std::size_t i = 0; i < teams.size(); ++i) {
        if (teams[i].firstSeason <= year) {
            season.teams.push_back(static_cast<int>(i));
        }
    }
    const int perConference = static_cast<int>(season.teams.size()) / 2;
    if (year >= 2002) {
        season.divisions = align(season.teams, {"East", "North", "South", "West"}, {4, 4, 4, 4});
    } else {
        const int west = perConference / 3;
        const int central = (perConference - west) / 2;
        const int east = perConference - west - central;
        season.divisions = align(season.teams, {"East", "Central", "West"}, {east, central, west});
    }
    if (year < 1978) {
        season.games = 14;
        season.weeks = 14;
    } else if (year < 1990) {
        season.games = 16;
        season.weeks = 16;
    } else if (year < 2021) {
        season.games = 16;
        season.weeks = 17;
    } else {
        season.games = 17;
        season.weeks = 18;
    }
    season.playoffTeams = year < 1978 ? 4 : year < 1990 ? 5 : year < 2020 ? 6 : 7;
    season.draftRounds = year < 1977 ? 17 : year < 1993 ? 12 : year == 1993 ? 8 : 7;
    return season;
}

SeasonShape compactSeason(int year, int teamCount, int games, int weeks, int playoffTeams, int draftRounds) {
    SeasonShape season;
    season.year = year;
    for (int i = 0; i < teamCount; ++i) {
        season.teams.push_back(i);
    }
    const int half = teamCount / 4;
    season.divisions = align(season.teams, {"East", "West"}, {half, teamCount / 2 - half});
    season.games = games;
    season.weeks = weeks;
    season.playoffTeams = playoffTeams;
    season.draftRounds = draftRounds;
    return season;
}

PositionCounts counts(std::initializer_list<std::pair<Position, int>> entries) {
    PositionCounts result{};
    for (const auto& [position, count] : entries) {
        result[static_cast<std::size_t>(index(position))] = count;
    }
    return result;
}

} // namespace

std::optional<LeagueSize> leagueSizeFromName(std::string_view name) {
    if (name == "tiny") {
        return LeagueSize::Tiny;
    }
    if (name == "small") {
        return LeagueSize::Small;
    }
    if (name == "full") {
        return LeagueSize::Full;
    }
    return std::nullopt;
}

std::string_view leagueSizeName(LeagueSize size) {
    switch (size) {
    case LeagueSize::Tiny:
        return "tiny";
    case LeagueSize::Small:
        return "small";
    case LeagueSize::Full:
        return "full";
    }
    return "full";
}

const PositionInfo& positionInfo(Position position) {
    return positions[static_cast<std::size_t>(index(position))];
}

bool isOffense(Position position) {
    return index(position) <= index(Position::C);
}

bool isDefense(Position position) {
    return index(position) >= index(Position::DE) && index(position) <= index(Position::S);
}

const std::vector<TeamInfo>& teamCatalog() {
    return teams;
}

const std::array<const char*, 2>& conferenceAbbreviations() {
    return conferences;
}

PositionCounts LeagueShape::starters(int year) const {
    using P = Position;
    PositionCounts wanted = counts({{P::QB, 1},
                                    {P::RB, 1},
                                    {P::FB, year < 2000 ? 1 : 0},
                                    {P::WR, year < 2000 ? 2 : 3},
                                    {P::TE, 1},
                                    {P::T, 2},
                                    {P::G, 2},
                                    {P::C, 1},
                                    {P::DE, 2},
                                    {P::DT, 2},
                                    {P::LB, 3},
                                    {P::CB, 2},
                                    {P::S, 2},
                                    {P::K, 1},
                                    {P::P, 1}});
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        wanted[i] = std::min(wanted[i], roster[i]);
    }
    return wanted;
}

LeagueShape makeLeagueShape(LeagueSize size) {
    using P = Position;
    LeagueShape shape;
    shape.size = size;
    switch (size) {
    case LeagueSize::Tiny:
        for (int year = 2024; year <= 2026; ++year) {
            shape.seasons.push_back(compactSeason(year, 8, 6, 7, 2, 3));
        }
        shape.roster = counts({{P::QB, 1},
                               {P::RB, 1},
                               {P::WR, 2},
                               {P::TE, 1},
                               {P::DE, 1},
                               {P::DT, 1},
                               {P::LB, 1},
                               {P::CB, 1},
                               {P::S, 1},
                               {P::K, 1},
                               {P::P, 1}});
        break;
    case LeagueSize::Small:
        for (int year = 2016; year <= 2026; ++year) {
            shape.seasons.push_back(compactSeason(year, 16, 12, 13, 4, 5));
        }
        shape.roster = counts({{P::QB, 2},
                               {P::RB, 2},
                               {P::WR, 3},
                               {P::TE, 2},
                               {P::T, 2},
                               {P::G, 2},
                               {P::C, 1},
                               {P::DE, 2},
                               {P::DT, 2},
                               {P::LB, 3},
                               {P::CB, 3},
                               {P::S, 2},
                               {P::K, 1},
                               {P::P, 1}});
        break;
    case LeagueSize::Full:
        for (int year = 1966; year <= 2026; ++year) {
            shape.seasons.push_back(fullSeason(year));
        }
        shape.roster = counts({{P::QB, 3},
                               {P::RB, 4},
                               {P::FB, 1},
                               {P::WR, 6},
                               {P::TE, 3},
                               {P::T, 4},
                               {P::G, 4},
                               {P::C, 2},
                               {P::DE, 4},
                               {P::DT, 4},
                               {P::LB, 6},
                               {P::CB, 5},
                               {P::S, 4},
                               {P::K, 1},
                               {P::P, 1}});
        break;
    }
    shape.seasons.back().future = true;
    return shape;
}

} // namespace huddlepod::backend
