// The rows of the league tables as the backend returns them, with their embedded objects.
#pragma once

#include "data/Models/FieldTable.h"

#include <QString>
#include <QUuid>

#include <map>
#include <optional>
#include <tuple>

// Each record's fields are declared once, in a field table (see FieldTable.h); keys are the members' names.

#define HUDDLEPOD_TEAM_REF_FIELDS(X)                                                                         \
    X(std::optional<QUuid>, id)                                                                              \
    X(std::optional<QString>, currentAbbreviation)                                                           \
    X(std::optional<QString>, currentName)                                                                   \
    X(std::optional<QString>, currentCity)

#define HUDDLEPOD_PLAYER_NAME_FIELDS(X)                                                                      \
    X(std::optional<QUuid>, id)                                                                              \
    X(std::optional<QString>, fullName)

#define HUDDLEPOD_POSITION_REF_FIELDS(X)                                                                     \
    X(std::optional<QString>, abbreviation)                                                                  \
    X(std::optional<QString>, positionGroup)                                                                 \
    X(std::optional<std::int64_t>, sortOrder)

#define HUDDLEPOD_SEASON_ROW_FIELDS(X)                                                                       \
    X(QUuid, id)                                                                                             \
    X(std::int64_t, year)                                                                                    \
    X(std::optional<std::int64_t>, playoffTeamsPerConference)

#define HUDDLEPOD_DIVISION_CONFERENCE_FIELDS(X) X(std::optional<QString>, abbreviation)

#define HUDDLEPOD_DIVISION_FIELDS(X)                                                                         \
    X(std::optional<QString>, name)                                                                          \
    X(std::optional<QString>, abbreviation)                                                                  \
    X(std::optional<Conference>, conferences)

#define HUDDLEPOD_DIVISION_HISTORY_ROW_FIELDS(X)                                                             \
    X(QUuid, teamId)                                                                                         \
    X(std::optional<Division>, divisions)

#define HUDDLEPOD_STANDING_ROW_FIELDS(X)                                                                     \
    X(std::optional<std::int64_t>, wins)                                                                     \
    X(std::optional<std::int64_t>, losses)                                                                   \
    X(std::optional<std::int64_t>, ties)                                                                     \
    X(std::optional<double>, winPct)                                                                         \
    X(std::optional<std::int64_t>, pointsFor)                                                                \
    X(std::optional<std::int64_t>, pointsAgainst)                                                            \
    X(std::optional<std::int64_t>, pointDifferential)                                                        \
    X(std::optional<std::int64_t>, divisionRank)                                                             \
    X(std::optional<std::int64_t>, conferenceSeed)                                                           \
    X(std::optional<bool>, isDivisionWinner)                                                                 \
    X(std::optional<bool>, isPlayoffTeam)                                                                    \
    X(std::optional<TeamRef>, teams)

#define HUDDLEPOD_SUPER_BOWL_NAMED_FIELDS(X)                                                                 \
    X(std::optional<QUuid>, id)                                                                              \
    X(std::optional<QString>, fullName)

#define HUDDLEPOD_SUPER_BOWL_SEASON_FIELDS(X) X(std::int64_t, year)

#define HUDDLEPOD_SUPER_BOWL_GAME_FIELDS(X)                                                                  \
    X(std::optional<std::int64_t>, homeScore)                                                                \
    X(std::optional<std::int64_t>, awayScore)                                                                \
    X(std::optional<QUuid>, winnerTeamId)                                                                    \
    X(std::optional<TeamRef>, home)                                                                          \
    X(std::optional<TeamRef>, away)

#define HUDDLEPOD_SUPER_BOWL_ROW_FIELDS(X)                                                                   \
    X(std::optional<std::int64_t>, superBowlNumber)                                                          \
    X(std::optional<QString>, romanNumeral)                                                                  \
    X(std::optional<QString>, mvpName)                                                                       \
    X(std::optional<QString>, mvpPosition)                                                                   \
    X(std::optional<Named>, mvp)                                                                             \
    X(std::optional<Named>, coMvp)                                                                           \
    X(std::optional<SeasonYear>, seasons)                                                                    \
    X(std::optional<Game>, playoffGames)

#define HUDDLEPOD_DRAFT_PLAYER_FIELDS(X)                                                                     \
    X(std::optional<QUuid>, id)                                                                              \
    X(std::optional<QString>, fullName)                                                                      \
    X(std::optional<QString>, college)

#define HUDDLEPOD_DRAFT_ABBREV_FIELDS(X) X(std::optional<QString>, abbreviation)

#define HUDDLEPOD_DRAFT_PICK_ROW_FIELDS(X)                                                                   \
    X(std::optional<std::int64_t>, round)                                                                    \
    X(std::optional<std::int64_t>, pickOverall)                                                              \
    X(std::optional<TeamRef>, teams)                                                                         \
    X(std::optional<Player>, players)                                                                        \
    X(std::optional<Abbrev>, positions)

#define HUDDLEPOD_GAME_ROW_FIELDS(X)                                                                         \
    X(QUuid, id)                                                                                             \
    X(QString, week)                                                                                         \
    X(std::optional<QString>, gameDate)                                                                      \
    X(std::optional<QString>, gametime)                                                                      \
    X(std::optional<QString>, gameDayOfWeek)                                                                 \
    X(std::optional<QString>, homeTeamAbbr)                                                                  \
    X(std::optional<QString>, awayTeamAbbr)                                                                  \
    X(std::optional<std::int64_t>, homeScore)                                                                \
    X(std::optional<std::int64_t>, awayScore)                                                                \
    X(std::optional<QString>, tvNetwork)

#define HUDDLEPOD_AWARD_TYPE_FIELDS(X)                                                                       \
    X(std::optional<QString>, abbreviation)                                                                  \
    X(std::optional<QString>, name)                                                                          \
    X(std::optional<std::int64_t>, sortOrder)

#define HUDDLEPOD_AWARD_ROW_FIELDS(X)                                                                        \
    X(std::optional<std::int64_t>, ranking)                                                                  \
    X(std::optional<double>, votePercentage)                                                                 \
    X(std::optional<AwardType>, awardTypes)                                                                  \
    X(std::optional<PlayerName>, players)                                                                    \
    X(std::optional<PositionRef>, positions)                                                                 \
    X(std::optional<TeamRef>, teams)

#define HUDDLEPOD_HONOR_ROW_FIELDS(X)                                                                        \
    X(std::optional<QString>, teamLevel)                                                                     \
    X(std::optional<PlayerName>, players)                                                                    \
    X(std::optional<PositionRef>, positions)                                                                 \
    X(std::optional<TeamRef>, teams)

// Declares the members of a field table and lists them in fields().
#define HUDDLEPOD_LEAGUE_RECORD(Type, FIELDS)                                                                \
    FIELDS(HUDDLEPOD_DECLARE_FIELD)                                                                          \
    static constexpr auto fields() {                                                                         \
        using Self = Type;                                                                                   \
        return std::tuple{FIELDS(HUDDLEPOD_LIST_FIELD)};                                                     \
    }                                                                                                        \
    bool operator==(const Type&) const = default;

namespace huddlepod {

// A team as embedded in standings, championship, draft, award and selection rows. The home and away teams
// of championship games and the drafting teams of picks carry only the id and the abbreviation.
struct TeamRef {
    HUDDLEPOD_LEAGUE_RECORD(TeamRef, HUDDLEPOD_TEAM_REF_FIELDS)
};

// A player as embedded in award and selection rows.
struct PlayerName {
    HUDDLEPOD_LEAGUE_RECORD(PlayerName, HUDDLEPOD_PLAYER_NAME_FIELDS)
};

// A position as embedded in award and selection rows.
struct PositionRef {
    HUDDLEPOD_LEAGUE_RECORD(PositionRef, HUDDLEPOD_POSITION_REF_FIELDS)
};

// A row of `seasons`.
struct SeasonRow {
    HUDDLEPOD_LEAGUE_RECORD(SeasonRow, HUDDLEPOD_SEASON_ROW_FIELDS)
};

// A row of `team_division_history` with its division and that division's conference embedded.
struct DivisionHistoryRow {
    struct Division {
        struct Conference {
            HUDDLEPOD_LEAGUE_RECORD(Conference, HUDDLEPOD_DIVISION_CONFERENCE_FIELDS)
        };
        HUDDLEPOD_LEAGUE_RECORD(Division, HUDDLEPOD_DIVISION_FIELDS)
    };
    HUDDLEPOD_LEAGUE_RECORD(DivisionHistoryRow, HUDDLEPOD_DIVISION_HISTORY_ROW_FIELDS)
};

// A row of `standings` with its team embedded.
struct StandingRow {
    HUDDLEPOD_LEAGUE_RECORD(StandingRow, HUDDLEPOD_STANDING_ROW_FIELDS)
};

// One championship game with its season, MVPs and game embedded.
struct SuperBowlRow {
    struct Named {
        HUDDLEPOD_LEAGUE_RECORD(Named, HUDDLEPOD_SUPER_BOWL_NAMED_FIELDS)
    };
    // An embedded season without a year fails the whole response.
    struct SeasonYear {
        HUDDLEPOD_LEAGUE_RECORD(SeasonYear, HUDDLEPOD_SUPER_BOWL_SEASON_FIELDS)
    };
    struct Game {
        HUDDLEPOD_LEAGUE_RECORD(Game, HUDDLEPOD_SUPER_BOWL_GAME_FIELDS)
    };
    HUDDLEPOD_LEAGUE_RECORD(SuperBowlRow, HUDDLEPOD_SUPER_BOWL_ROW_FIELDS)
};

// A row of `draft_picks` with team, player and position embedded.
struct DraftPickRow {
    struct Player {
        HUDDLEPOD_LEAGUE_RECORD(Player, HUDDLEPOD_DRAFT_PLAYER_FIELDS)
    };
    struct Abbrev {
        HUDDLEPOD_LEAGUE_RECORD(Abbrev, HUDDLEPOD_DRAFT_ABBREV_FIELDS)
    };
    HUDDLEPOD_LEAGUE_RECORD(DraftPickRow, HUDDLEPOD_DRAFT_PICK_ROW_FIELDS)
};

// One scheduled or played game. The week is text (a number, or a playoff round's word); dates and times
// stay text and are never parsed here.
struct GameRow {
    HUDDLEPOD_LEAGUE_RECORD(GameRow, HUDDLEPOD_GAME_ROW_FIELDS)
};

// A row of `awards` with award type, player, position and team embedded.
struct AwardRow {
    struct AwardType {
        HUDDLEPOD_LEAGUE_RECORD(AwardType, HUDDLEPOD_AWARD_TYPE_FIELDS)
    };
    HUDDLEPOD_LEAGUE_RECORD(AwardRow, HUDDLEPOD_AWARD_ROW_FIELDS)
};

// A row of the All-Pro or the All-Rookie selections (All-Rookie rows never have a team level).
struct HonorRow {
    HUDDLEPOD_LEAGUE_RECORD(HonorRow, HUDDLEPOD_HONOR_ROW_FIELDS)
};

// Where one team stands in one season.
struct DivisionAssignment {
    QUuid teamID;
    QString division;   // the division's abbreviation, else its name, else "—"
    QString conference; // the conference's abbreviation, else "—"
    bool operator==(const DivisionAssignment&) const = default;
};

// A season's assignments keyed by team id (the key equals the value's teamID).
using DivisionAssignments = std::map<QUuid, DivisionAssignment>;

} // namespace huddlepod
