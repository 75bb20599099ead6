// Plays one generated game: every player's line, and a final score that is exactly the sum of its scoring
// plays.
#pragma once

#include "backend/LeagueShape.h"
#include "backend/Random.h"

#include <array>
#include <vector>

namespace huddlepod::backend {

// One player's numbers in one game, or summed over a season (longest plays keep the maximum).
struct PlayerLine {
    int passCmp = 0, passAtt = 0, passYds = 0, passTd = 0, passInt = 0, passLong = 0, sacked = 0,
        sackedYds = 0;
    int rushAtt = 0, rushYds = 0, rushTd = 0, rushLong = 0;
    int targets = 0, rec = 0, recYds = 0, recTd = 0, recLong = 0;
    int fumbles = 0, twoPt = 0;
    int tacklesSolo = 0, tacklesAssists = 0, tacklesLoss = 0, qbHits = 0;
    double sacks = 0;
    int defInt = 0, defIntYds = 0, defIntTd = 0, defIntLong = 0, passDefended = 0, fumblesForced = 0;
    int fumblesRec = 0, fumblesRecYds = 0, fumblesRecTd = 0, safeties = 0;
    int fga = 0, fgm = 0, fgLong = 0, xpa = 0, xpm = 0, kickoffs = 0, kickoffYds = 0, kickoffTb = 0;
    std::array<int, 5> fgaBand{}, fgmBand{};
    int punts = 0, puntYds = 0, puntLong = 0, puntTb = 0, puntIn20 = 0, puntBlocked = 0, puntRetYdsOpp = 0;
    int kickRet = 0, kickRetYds = 0, kickRetTd = 0, kickRetLong = 0;
    int puntRet = 0, puntRetYds = 0, puntRetTd = 0, puntRetLong = 0;
    int games = 0, gamesStarted = 0;
    int qbWins = 0, qbLosses = 0, qbTies = 0, comebacks = 0, gwd = 0;

    void add(const PlayerLine& other);
    int totalTd() const { return rushTd + recTd + kickRetTd + puntRetTd + defIntTd + fumblesRecTd; }
    int points() const { return 6 * totalTd() + 2 * twoPt + xpm + 3 * fgm + 2 * safeties; }
    bool hasOffense() const { return passAtt + rushAtt + targets + rec + fumbles + sacked > 0; }
    bool hasDefense() const {
        return tacklesSolo + tacklesAssists + defInt + passDefended + fumblesForced + fumblesRec + safeties >
                   0 ||
               sacks > 0;
    }
    bool hasReturns() const { return kickRet + puntRet > 0; }
};

// The players available to one side in one game, each position in depth order (best first).
struct Lineup {
    int team = -1;
    std::array<std::vector<int>, positionCount> depth;
    std::vector<int> kickReturners; // first is the main returner
    std::vector<int> puntReturners;
};

struct SideResult {
    int score = 0;
    std::vector<std::pair<int, PlayerLine>> lines; // in the order players first appeared
};

struct GameResult {
    SideResult home;
    SideResult away;
};

class GameSimulator {
public:
    // `ability` and `mobile` are indexed by player; the simulator keeps references to them.
    GameSimulator(Random& random, const std::vector<double>& ability, const std::vector<char>& mobile);

    GameResult play(const Lineup& home, const Lineup& away, int year, bool playoff,
                    const PositionCounts& starters);

private:
    struct Side;
    void offense(Side& attack, Side& defense, int year);
    void kicking(Side& kicker, Side& receiver, int year);
    void score(Side& side, int year);

    Random& random_;
    const std::vector<double>& ability_;
    const std::vector<char>& mobile_;
};

} // namespace huddlepod::backend
