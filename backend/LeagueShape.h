// The fixed frame of a generated league: sizes, teams, positions, and each season's alignment and format.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace huddlepod::backend {

enum class LeagueSize { Tiny, Small, Full };

std::optional<LeagueSize> leagueSizeFromName(std::string_view name); // "tiny", "small", "full"
std::string_view leagueSizeName(LeagueSize size);

struct GeneratorOptions {
    LeagueSize size = LeagueSize::Full;
    std::uint64_t seed = 1;
};

enum class Position { QB, RB, FB, WR, TE, T, G, C, DE, DT, LB, CB, S, K, P };
constexpr int positionCount = 15;

struct PositionInfo {
    const char* abbreviation;
    const char* name;
    const char* group; // offense, defense, special_teams
    int sortOrder;
};

const PositionInfo& positionInfo(Position position);
inline int index(Position position) {
    return static_cast<int>(position);
}
bool isOffense(Position position);
bool isDefense(Position position);

struct TeamInfo {
    const char* abbreviation;
    const char* city;
    const char* name;
    int conference;   // 0 AFC, 1 NFC
    double longitude; // orders teams east to west inside a conference
    int firstSeason;  // in the full-history league
};

const std::vector<TeamInfo>& teamCatalog();
const std::array<const char*, 2>& conferenceAbbreviations();

struct DivisionShape {
    int conference;
    std::string name; // "East", "Central", ...
    std::vector<int> teams;
};

struct SeasonShape {
    int year = 0;
    bool future = false; // scheduled, not yet played
    std::vector<int> teams;
    std::vector<DivisionShape> divisions;
    int games = 0;
    int weeks = 0;
    int playoffTeams = 0; // per conference
    int draftRounds = 0;
};

using PositionCounts = std::array<int, positionCount>;

struct LeagueShape {
    LeagueSize size = LeagueSize::Full;
    std::vector<SeasonShape> seasons; // played seasons in order, then the one future season
    PositionCounts roster{};          // roster places per position

    int firstYear() const { return seasons.front().year; }
    int lastPlayedYear() const { return seasons.back().year - 1; }
    PositionCounts starters(int year) const;
};

LeagueShape makeLeagueShape(LeagueSize size);

} // namespace huddlepod::backend
