// The rows of the league tables as the backend returns them, with their embedded objects.
#pragma once

#include <QString>
#include <QUuid>

#include <map>
#include <optional>

namespace huddlepod {

// A team as embedded in standings, championship, draft, award and selection rows.
struct TeamRef {
    std::optional<QUuid> id;
    std::optional<QString> currentAbbreviation;
    std::optional<QString> currentName;
    std::optional<QString> currentCity;
    bool operator==(const TeamRef&) const = default;
};

struct PlayerName {
    std::optional<QUuid> id;
    std::optional<QString> fullName;
    bool operator==(const PlayerName&) const = default;
};

struct PositionRef {
    std::optional<QString> abbreviation;
    std::optional<QString> positionGroup;
    std::optional<int> sortOrder;
    bool operator==(const PositionRef&) const = default;
};

struct SeasonRow {
    QUuid id;
    int year = 0;
    std::optional<int> playoffTeamsPerConference;
    bool operator==(const SeasonRow&) const = default;
};

struct DivisionHistoryRow {
    struct Division {
        struct Conference {
            std::optional<QString> abbreviation;
            bool operator==(const Conference&) const = default;
        };
        std::optional<QString> name;
        std::optional<QString> abbreviation;
        std::optional<Conference> conferences;
        bool operator==(const Division&) const = default;
    };
    QUuid teamId;
    std::optional<Division> divisions;
    bool operator==(const DivisionHistoryRow&) const = default;
};

struct StandingRow {
    std::optional<int> wins;
    std::optional<int> losses;
    std::optional<int> ties;
    std::optional<double> winPct;
    std::optional<int> pointsFor;
    std::optional<int> pointsAgainst;
    std::optional<int> pointDifferential;
    std::optional<int> divisionRank;
    std::optional<int> conferenceSeed;
    std::optional<bool> isDivisionWinner;
    std::optional<bool> isPlayoffTeam;
    std::optional<TeamRef> teams;
    bool operator==(const StandingRow&) const = default;
};

// One championship game with its season, MVPs and game embedded.
struct SuperBowlRow {
    struct Named {
        std::optional<QUuid> id;
        std::optional<QString> fullName;
        bool operator==(const Named&) const = default;
    };
    struct SeasonYear {
        int year = 0;
        bool operator==(const SeasonYear&) const = default;
    };
    struct Game {
        std::optional<int> homeScore;
        std::optional<int> awayScore;
        std::optional<QUuid> winnerTeamId;
        std::optional<TeamRef> home;
        std::optional<TeamRef> away;
        bool operator==(const Game&) const = default;
    };
    std::optional<int> superBowlNumber;
    std::optional<QString> romanNumeral;
    std::optional<QString> mvpName;
    std::optional<QString> mvpPosition;
    std::optional<Named> mvp;
    std::optional<Named> coMvp;
    std::optional<SeasonYear> seasons;
    std::optional<Game> playoffGames;
    bool operator==(const SuperBowlRow&) const = default;
};

struct DraftPickRow {
    struct Player {
        std::optional<QUuid> id;
        std::optional<QString> fullName;
        std::optional<QString> college;
        bool operator==(const Player&) const = default;
    };
    struct Abbrev {
        std::optional<QString> abbreviation;
        bool operator==(const Abbrev&) const = default;
    };
    std::optional<int> round;
    std::optional<int> pickOverall;
    std::optional<TeamRef> teams;
    std::optional<Player> players;
    std::optional<Abbrev> positions;
    bool operator==(const DraftPickRow&) const = default;
};

// One scheduled or played game; dates and times stay text.
struct GameRow {
    QUuid id;
    QString week;
    std::optional<QString> gameDate;
    std::optional<QString> gametime;
    std::optional<QString> gameDayOfWeek;
    std::optional<QString> homeTeamAbbr;
    std::optional<QString> awayTeamAbbr;
    std::optional<int> homeScore;
    std::optional<int> awayScore;
    std::optional<QString> tvNetwork;
    bool operator==(const GameRow&) const = default;
};

struct AwardRow {
    struct AwardType {
        std::optional<QString> abbreviation;
        std::optional<QString> name;
        std::optional<int> sortOrder;
        bool operator==(const AwardType&) const = default;
    };
    std::optional<int> ranking;
    std::optional<double> votePercentage;
    std::optional<AwardType> awardTypes;
    std::optional<PlayerName> players;
    std::optional<PositionRef> positions;
    std::optional<TeamRef> teams;
    bool operator==(const AwardRow&) const = default;
};

// A row of the All-Pro or the All-Rookie selections.
struct HonorRow {
    std::optional<QString> teamLevel;
    std::optional<PlayerName> players;
    std::optional<PositionRef> positions;
    std::optional<TeamRef> teams;
    bool operator==(const HonorRow&) const = default;
};

// Where one team stands in one season.
struct DivisionAssignment {
    QUuid teamID;
    QString division;
    QString conference;
    bool operator==(const DivisionAssignment&) const = default;
};

// A season's assignments keyed by team id (the key equals the value's teamID).
using DivisionAssignments = std::map<QUuid, DivisionAssignment>;

} // namespace huddlepod
