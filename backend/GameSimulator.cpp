// Plays one generated game.
#include "backend/GameSimulator.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace huddlepod::backend {

void PlayerLine::add(const PlayerLine& o) {
    passCmp += o.passCmp;
    passAtt += o.passAtt;
    passYds += o.passYds;
    passTd += o.passTd;
    passInt += o.passInt;
    passLong = std::max(passLong, o.passLong);
    sacked += o.sacked;
    sackedYds += o.sackedYds;
    rushAtt += o.rushAtt;
    rushYds += o.rushYds;
    rushTd += o.rushTd;
    rushLong = std::max(rushLong, o.rushLong);
    targets += o.targets;
    rec += o.rec;
    recYds += o.recYds;
    recTd += o.recTd;
    recLong = std::max(recLong, o.recLong);
    fumbles += o.fumbles;
    twoPt += o.twoPt;
    tacklesSolo += o.tacklesSolo;
    tacklesAssists += o.tacklesAssists;
    tacklesLoss += o.tacklesLoss;
    qbHits += o.qbHits;
    sacks += o.sacks;
    defInt += o.defInt;
    defIntYds += o.defIntYds;
    defIntTd += o.defIntTd;
    defIntLong = std::max(defIntLong, o.defIntLong);
    passDefended += o.passDefended;
    fumblesForced += o.fumblesForced;
    fumblesRec += o.fumblesRec;
    fumblesRecYds += o.fumblesRecYds;
    fumblesRecTd += o.fumblesRecTd;
    safeties += o.safeties;
    fga += o.fga;
    fgm += o.fgm;
    fgLong = std::max(fgLong, o.fgLong);
    xpa += o.xpa;
    xpm += o.xpm;
    kickoffs += o.kickoffs;
    kickoffYds += o.kickoffYds;
    kickoffTb += o.kickoffTb;
    for (std::size_t i = 0; i < fgaBand.size(); ++i) {
        fgaBand[i] += o.fgaBand[i];
        fgmBand[i] += o.fgmBand[i];
    }
    punts += o.punts;
    puntYds += o.puntYds;
    puntLong = std::max(puntLong, o.puntLong);
    puntTb += o.puntTb;
    puntIn20 += o.puntIn20;
    puntBlocked += o.puntBlocked;
    puntRetYdsOpp += o.puntRetYdsOpp;
    kickRet += o.kickRet;
    kickRetYds += o.kickRetYds;
    kickRetTd += o.kickRetTd;
    kickRetLong = std::max(kickRetLong, o.kickRetLong);
    puntRet += o.puntRet;
    puntRetYds += o.puntRetYds;
    puntRetTd += o.puntRetTd;
    puntRetLong = std::max(puntRetLong, o.puntRetLong);
    games += o.games;
    gamesStarted += o.gamesStarted;
    qbWins += o.qbWins;
    qbLosses += o.qbLosses;
    qbTies += o.qbTies;
    comebacks += o.comebacks;
    gwd += o.gwd;
}

namespace {

struct Share {
    Position position;
    std::vector<double> weights; // by depth rank; the last weight repeats for deeper players
};

struct Candidates {
    std::vector<int> players;
    std::vector<double> weights;
    bool empty() const { return players.empty(); }
};

double era(int year) {
    return std::clamp((year - 1966) / 59.0, 0.0, 1.0);
}

} // namespace

struct GameSimulator::Side {
    const Lineup* lineup = nullptr;
    std::vector<std::pair<int, PlayerLine>> lines;
    double offenseRating = 0.45;
    double defenseRating = 0.45;
    int scoringTds = 0; // touchdowns other than return touchdowns, for the kickoff count
    int fieldGoals = 0;
    int punts = 0;

    PlayerLine& line(int player) {
        for (auto& [id, line] : lines) {
            if (id == player) {
                return line;
            }
        }
        lines.emplace_back(player, PlayerLine{});
        return lines.back().second;
    }

    int at(Position position, std::size_t rank = 0) const {
        const auto& list = lineup->depth[static_cast<std::size_t>(index(position))];
        return rank < list.size() ? list[rank] : -1;
    }

    int kicker() const { return at(Position::K) >= 0 ? at(Position::K) : at(Position::P); }
    int punter() const { return at(Position::P) >= 0 ? at(Position::P) : at(Position::K); }
    int passer() const {
        for (Position p : {Position::QB, Position::RB, Position::WR}) {
            if (at(p) >= 0) {
                return at(p);
            }
        }
        return -1;
    }
};

GameSimulator::GameSimulator(Random& random, const std::vector<double>& ability,
                             const std::vector<char>& mobile)
    : random_(random)
    , ability_(ability)
    , mobile_(mobile) {}

namespace {

Candidates gather(const Lineup& lineup, const std::vector<double>& ability,
                  std::initializer_list<Share> shares) {
    Candidates result;
    for (const auto& share : shares) {
        const auto& list = lineup.depth[static_cast<std::size_t>(index(share.position))];
        for (std::size_t rank = 0; rank < list.size(); ++rank) {
            const double base = share.weights[std::min(rank, share.weights.size() - 1)];
            if (base <= 0) {
                continue;
            }
            result.players.push_back(list[rank]);
            result.weights.push_back(base * (0.7 + 0.6 * ability[static_cast<std::size_t>(list[rank])]));
        }
    }
    return result;
}

int choose(Random& random, const Candidates& candidates) {
    const int i = random.weighted(candidates.weights);
    return i < 0 ? -1 : candidates.players[static_cast<std::size_t>(i)];
}

double rating(const Lineup& lineup, const std::vector<double>& ability,
              std::initializer_list<std::pair<Position, double>> parts) {
    double total = 0;
    double weight = 0;
    for (const auto& [position, w] : parts) {
        const auto& list = lineup.depth[static_cast<std::size_t>(index(position))];
        if (!list.empty()) {
            total += w * ability[static_cast<std::size_t>(list.front())];
            weight += w;
        }
    }
    return weight > 0 ? total / weight : 0.4;
}

} // namespace

void GameSimulator::offense(Side& attack, Side& defense, int year) {
    using P = Position;
    const double t = era(year);
    const double s = std::clamp((attack.offenseRating - defense.defenseRating) * 2.2, -0.7, 0.7);
    const Lineup& offenseLineup = *attack.lineup;
    const Lineup& defenseLineup = *defense.lineup;

    const Candidates receivers = gather(offenseLineup, ability_,
                                        {{P::WR, {0.26, 0.19, 0.11, 0.04, 0.02}},
                                         {P::TE, {0.17, 0.04, 0.01}},
                                         {P::RB, {0.11, 0.05, 0.01}},
                                         {P::FB, {0.03}}});
    const int qb = attack.passer();
    std::vector<double> carrierShare;
    Candidates carriers = gather(offenseLineup, ability_,
                                 {{P::RB, {0.55, 0.2, 0.05}}, {P::FB, {0.06, 0.0}}, {P::WR, {0.015, 0.0}}});
    if (qb >= 0) {
        carriers.players.push_back(qb);
        carriers.weights.push_back(mobile_[static_cast<std::size_t>(qb)] ? 0.14 : 0.05);
    }
    const Candidates tacklers = gather(defenseLineup, ability_,
                                       {{P::LB, {0.14, 0.12, 0.10, 0.02}},
                                        {P::S, {0.10, 0.09, 0.015}},
                                        {P::CB, {0.07, 0.07, 0.03, 0.01}},
                                        {P::DE, {0.07, 0.07, 0.015}},
                                        {P::DT, {0.06, 0.05, 0.01}}});
    const Candidates rushers = gather(defenseLineup, ability_,
                                      {{P::DE, {0.30, 0.28, 0.06}},
                                       {P::DT, {0.12, 0.10, 0.03}},
                                       {P::LB, {0.10, 0.08, 0.05, 0.01}},
                                       {P::CB, {0.01, 0.0}},
                                       {P::S, {0.02, 0.0}}});
    const Candidates coverage = gather(defenseLineup, ability_,
                                       {{P::CB, {0.25, 0.23, 0.08, 0.02}},
                                        {P::S, {0.18, 0.16, 0.03}},
                                        {P::LB, {0.05, 0.04, 0.03, 0.0}},
                                        {P::DE, {0.01, 0.0}}});

    // Passing.
    const int dropbacks = std::max(12, static_cast<int>(std::lround(random_.normal(26 + 8 * t, 5))));
    const int sacks =
        qb >= 0 ? random_.binomial(dropbacks, std::clamp(0.085 - 0.02 * t - 0.02 * s, 0.02, 0.15)) : 0;
    const int attempts = qb >= 0 ? dropbacks - sacks : 0;
    const double qbAbility = qb >= 0 ? ability_[static_cast<std::size_t>(qb)] : 0.3;
    const double completionRate = std::clamp(
        0.50 + 0.14 * t + 0.10 * (qbAbility - 0.5) + 0.06 * s + random_.normal(0, 0.06), 0.25, 0.88);
    int completions = std::clamp(static_cast<int>(std::lround(attempts * completionRate)), 0, attempts);
    if (receivers.empty()) {
        completions = 0;
    }
    const int interceptions =
        std::min(attempts - completions, random_.poisson(attempts * (0.058 - 0.035 * t) * (1 - 0.8 * s)));
    const double yardsPerCompletion = 13.2 - 2.2 * t + 1.5 * s;

    const double tdMean = std::clamp(2.0 + 2.4 * s + 0.3 * t, 0.2, 5.0);
    const int touchdowns = random_.poisson(tdMean);
    int passTds = std::min(completions, random_.binomial(touchdowns, 0.48 + 0.1 * t));
    int rushTds = touchdowns - passTds;

    std::vector<int> catchers;
    std::vector<int> catchYards;
    for (int i = 0; i < completions; ++i) {
        const int receiver = choose(random_, receivers);
        int yards = random_.chance(0.04)
                        ? random_.between(-3, 0)
                        : static_cast<int>(
                              std::lround(yardsPerCompletion * 0.25 -
                                          yardsPerCompletion * 0.75 * std::log(1.0 - random_.uniform())));
        yards = std::min(yards, 99);
        catchers.push_back(receiver);
        catchYards.push_back(yards);
    }
    std::vector<char> isTd(catchers.size(), 0);
    for (int td = 0; td < passTds; ++td) {
        std::vector<double> weights;
        for (std::size_t i = 0; i < catchers.size(); ++i) {
            weights.push_back(isTd[i] ? 0.0 : 1.0 + std::max(0, catchYards[i]));
        }
        const int i = random_.weighted(weights);
        if (i < 0) {
            passTds = td;
            break;
        }
        isTd[static_cast<std::size_t>(i)] = 1;
        catchYards[static_cast<std::size_t>(i)] = std::max(catchYards[static_cast<std::size_t>(i)], 1);
    }
    if (qb >= 0 && attempts > 0) {
        PlayerLine& passer = attack.line(qb);
        passer.passAtt += attempts;
        passer.passCmp += completions;
        passer.passInt += interceptions;
        passer.passTd += passTds;
        passer.sacked += sacks;
        for (int i = 0; i < sacks; ++i) {
            passer.sackedYds += random_.between(3, 12);
        }
        for (std::size_t i = 0; i < catchers.size(); ++i) {
            passer.passYds += catchYards[i];
            passer.passLong = std::max(passer.passLong, catchYards[i]);
            PlayerLine& receiver = attack.line(catchers[i]);
            receiver.targets += 1;
            receiver.rec += 1;
            receiver.recYds += catchYards[i];
            receiver.recLong = std::max(receiver.recLong, catchYards[i]);
            receiver.recTd += isTd[i];
        }
        for (int i = 0; i < attempts - completions; ++i) {
            if (random_.chance(0.9) && !receivers.empty()) {
                attack.line(choose(random_, receivers)).targets += 1;
            }
        }
    } else if (qb >= 0) {
        attack.line(qb).sacked += sacks;
    }

    // Rushing.
    const int carries = std::max(10, static_cast<int>(std::lround(random_.normal(33 - 8 * t + 3 * s, 4))));
    std::vector<int> runners;
    for (int i = 0; i < carries && !carriers.empty(); ++i) {
        const int runner = choose(random_, carriers);
        int yards = static_cast<int>(std::lround(random_.normal(3.0 + 0.6 * s, 2.6)));
        if (random_.chance(0.07)) {
            yards += static_cast<int>(std::lround(-14.0 * std::log(1.0 - random_.uniform())));
        }
        yards = std::clamp(yards, -8, 99);
        PlayerLine& line = attack.line(runner);
        line.rushAtt += 1;
        line.rushYds += yards;
        line.rushLong = std::max(line.rushLong, yards);
        runners.push_back(runner);
        if (yards < 0) {
            const int tackler = choose(random_, tacklers);
            if (tackler >= 0) {
                defense.line(tackler).tacklesLoss += 1;
            }
        }
    }
    for (int td = 0; td < rushTds; ++td) {
        if (runners.empty()) {
            rushTds = td;
            break;
        }
        attack
            .line(runners[static_cast<std::size_t>(random_.between(0, static_cast<int>(runners.size()) - 1))])
            .rushTd += 1;
    }
    attack.scoringTds += passTds + rushTds;

    // Tackles on every play that ended in the field of play.
    const int tackledPlays = std::max(0, carries - rushTds) + std::max(0, completions - passTds);
    for (int i = 0; i < tackledPlays && !tacklers.empty(); ++i) {
        const int first = choose(random_, tacklers);
        if (random_.chance(0.35)) {
            const int second = choose(random_, tacklers);
            defense.line(first).tacklesAssists += 1;
            if (second != first) {
                defense.line(second).tacklesAssists += 1;
            }
        } else {
            defense.line(first).tacklesSolo += 1;
        }
    }

    // Sacks, hits and passes defended.
    for (int i = 0; i < sacks && !rushers.empty(); ++i) {
        const int first = choose(random_, rushers);
        const int second = choose(random_, rushers);
        PlayerLine& line = defense.line(first);
        line.tacklesLoss += 1;
        line.qbHits += 1;
        if (second != first && random_.chance(0.12)) {
            line.sacks += 0.5;
            line.tacklesAssists += 1;
            defense.line(second).sacks += 0.5;
            defense.line(second).tacklesAssists += 1;
            defense.line(second).qbHits += 1;
        } else {
            line.sacks += 1.0;
            line.tacklesSolo += 1;
        }
    }
    for (int i = random_.poisson(3.0); i > 0 && !rushers.empty(); --i) {
        defense.line(choose(random_, rushers)).qbHits += 1;
    }
    for (int i = random_.poisson(attempts * 0.10); i > 0 && !coverage.empty(); --i) {
        defense.line(choose(random_, coverage)).passDefended += 1;
    }

    // Turnovers, some returned for touchdowns.
    for (int i = 0; i < interceptions && !coverage.empty(); ++i) {
        PlayerLine& line = defense.line(choose(random_, coverage));
        line.defInt += 1;
        line.passDefended += 1;
        int yards = std::clamp(static_cast<int>(std::lround(random_.normal(10, 12))), 0, 60);
        if (random_.chance(0.06)) {
            yards = random_.between(20, 100);
            line.defIntTd += 1;
            defense.scoringTds += 1;
        }
        line.defIntYds += yards;
        line.defIntLong = std::max(line.defIntLong, yards);
    }
    const int fumbles = random_.poisson(std::max(0.3, 1.3 - 0.7 * t));
    for (int i = 0; i < fumbles; ++i) {
        int carrier = -1;
        if (qb >= 0 && random_.chance(0.35)) {
            carrier = qb;
        } else if (!runners.empty()) {
            carrier =
                runners[static_cast<std::size_t>(random_.between(0, static_cast<int>(runners.size()) - 1))];
        }
        if (carrier < 0) {
            continue;
        }
        attack.line(carrier).fumbles += 1;
        if (!tacklers.empty() && random_.chance(0.8)) {
            defense.line(choose(random_, tacklers)).fumblesForced += 1;
        }
        if (random_.chance(0.5) && !tacklers.empty()) {
            PlayerLine& line = defense.line(choose(random_, tacklers));
            line.fumblesRec += 1;
            int yards = std::clamp(static_cast<int>(std::lround(random_.normal(3, 6))), 0, 30);
            if (random_.chance(0.08)) {
                yards = random_.between(10, 70);
                line.fumblesRecTd += 1;
                defense.scoringTds += 1;
            }
            line.fumblesRecYds += yards;
        }
    }
    if (random_.chance(0.025) && !rushers.empty()) {
        defense.line(choose(random_, rushers)).safeties += 1;
    }

    // Field goals.
    const int kicker = attack.kicker();
    const int fieldGoalAttempts =
        kicker >= 0 ? random_.poisson(std::clamp(1.5 + 0.5 * s + 0.3 * t, 0.4, 3.5)) : 0;
    for (int i = 0; i < fieldGoalAttempts; ++i) {
        const int band = random_.weighted({0.05, 0.25, 0.30, 0.28, 0.12});
        const int distance = band == 0   ? random_.between(18, 19)
                             : band == 4 ? random_.between(50, 58)
                                         : band * 10 + random_.between(10, 19);
        static const double baseRate[] = {0.98, 0.95, 0.88, 0.72, 0.50};
        const double rate = std::clamp(baseRate[band] * (0.75 + 0.25 * t) +
                                           0.15 * (ability_[static_cast<std::size_t>(kicker)] - 0.5),
                                       0.05, 0.995);
        PlayerLine& line = attack.line(kicker);
        line.fga += 1;
        line.fgaBand[static_cast<std::size_t>(band)] += 1;
        if (random_.chance(rate)) {
            line.fgm += 1;
            line.fgmBand[static_cast<std::size_t>(band)] += 1;
            line.fgLong = std::max(line.fgLong, distance);
            attack.fieldGoals += 1;
        }
    }
    attack.punts = random_.poisson(std::clamp(5.2 - 2.2 * s - 0.8 * t, 1.0, 9.0));
}

void GameSimulator::kicking(Side& kicking, Side& receiving, int year) {
    using P = Position;
    const double t = era(year);
    const Candidates coverage = gather(*kicking.lineup, ability_,
                                       {{P::LB, {0.0, 0.0, 0.0, 0.2}},
                                        {P::S, {0.0, 0.0, 0.2}},
                                        {P::CB, {0.0, 0.0, 0.2}},
                                        {P::RB, {0.0, 0.0, 0.05}},
                                        {P::WR, {0.0, 0.0, 0.0, 0.05}},
                                        {P::LB, {0.05}}});
    auto returner = [&](const std::vector<int>& list) {
        if (list.empty()) {
            return -1;
        }
        return list.size() > 1 && random_.chance(0.2) ? list[1] : list[0];
    };
    auto coverTackle = [&] {
        if (!coverage.empty()) {
            kicking.line(choose(random_, coverage)).tacklesSolo += 1;
        }
    };

    const int kicker = kicking.kicker();
    if (kicker >= 0) {
        const int kickoffs = kicking.scoringTds + kicking.fieldGoals + 1;
        const double touchbackRate = year < 2011 ? 0.08 + 0.12 * t : 0.55;
        for (int i = 0; i < kickoffs; ++i) {
            PlayerLine& line = kicking.line(kicker);
            line.kickoffs += 1;
            line.kickoffYds +=
                std::clamp(static_cast<int>(std::lround(random_.normal(58 + 6 * t, 4))), 40, 75);
            if (random_.chance(touchbackRate)) {
                line.kickoffTb += 1;
                continue;
            }
            const int man = returner(receiving.lineup->kickReturners);
            if (man < 0) {
                continue;
            }
            PlayerLine& ret = receiving.line(man);
            int yards = std::clamp(static_cast<int>(std::lround(random_.normal(21.5, 6))), 0, 50);
            if (random_.chance(0.006)) {
                yards = random_.between(95, 105);
                ret.kickRetTd += 1;
            } else {
                coverTackle();
            }
            ret.kickRet += 1;
            ret.kickRetYds += yards;
            ret.kickRetLong = std::max(ret.kickRetLong, yards);
        }
    }

    const int punter = kicking.punter();
    for (int i = 0; i < kicking.punts && punter >= 0; ++i) {
        PlayerLine& line = kicking.line(punter);
        line.punts += 1;
        if (random_.chance(0.004)) {
            line.puntBlocked += 1;
            continue;
        }
        const int yards = std::clamp(static_cast<int>(std::lround(random_.normal(40 + 5 * t, 6))), 20, 75);
        line.puntYds += yards;
        line.puntLong = std::max(line.puntLong, yards);
        if (random_.chance(0.08)) {
            line.puntTb += 1;
            continue;
        }
        if (random_.chance(0.27)) {
            line.puntIn20 += 1;
        }
        const int man = returner(receiving.lineup->puntReturners);
        if (man < 0 || !random_.chance(0.55)) {
            continue;
        }
        PlayerLine& ret = receiving.line(man);
        int returnYards = std::clamp(static_cast<int>(std::lround(random_.normal(8.5, 7))), -5, 40);
        if (random_.chance(0.008)) {
            returnYards = random_.between(50, 90);
            ret.puntRetTd += 1;
        } else {
            coverTackle();
        }
        ret.puntRet += 1;
        ret.puntRetYds += returnYards;
        ret.puntRetLong = std::max(ret.puntRetLong, returnYards);
        kicking.line(punter).puntRetYdsOpp += returnYards;
    }
}

void GameSimulator::score(Side& side, int year) {
    int touchdowns = 0;
    for (const auto& [player, line] : side.lines) {
        touchdowns += line.totalTd();
    }
    const int kicker = side.kicker();
    const Candidates converters = gather(*side.lineup, ability_,
                                         {{Position::RB, {0.4, 0.1}},
                                          {Position::WR, {0.3, 0.2, 0.0}},
                                          {Position::TE, {0.2, 0.0}},
                                          {Position::QB, {0.1, 0.0}}});
    for (int i = 0; i < touchdowns; ++i) {
        if (year >= 1994 && random_.chance(0.05) && !converters.empty()) {
            if (random_.chance(0.48)) {
                side.line(choose(random_, converters)).twoPt += 1;
            }
        } else if (kicker >= 0) {
            PlayerLine& line = side.line(kicker);
            line.xpa += 1;
            if (random_.chance(year < 2015 ? 0.97 : 0.94)) {
                line.xpm += 1;
            }
        }
    }
}

GameResult GameSimulator::play(const Lineup& home, const Lineup& away, int year, bool playoff,
                               const PositionCounts& starters) {
    using P = Position;
    Side sides[2];
    sides[0].lineup = &home;
    sides[1].lineup = &away;
    for (auto& side : sides) {
        const Lineup& lineup = *side.lineup;
        side.offenseRating = rating(
            lineup, ability_,
            {{P::QB, 3.5}, {P::RB, 1.5}, {P::WR, 1.5}, {P::TE, 1.0}, {P::T, 1.0}, {P::G, 0.8}, {P::C, 0.7}});
        side.defenseRating =
            rating(lineup, ability_, {{P::DE, 1.5}, {P::DT, 1.0}, {P::LB, 1.5}, {P::CB, 1.5}, {P::S, 1.0}});
        for (int p = 0; p < positionCount; ++p) {
            const auto& list = lineup.depth[static_cast<std::size_t>(p)];
            for (std::size_t rank = 0; rank < list.size(); ++rank) {
                if (static_cast<Position>(p) == P::QB && rank > 0) {
                    break; // backup quarterbacks appear only when they play
                }
                PlayerLine& line = side.line(list[rank]);
                line.games = 1;
                if (static_cast<int>(rank) < starters[static_cast<std::size_t>(p)] && p != index(P::K) &&
                    p != index(P::P)) {
                    line.gamesStarted = 1;
                }
            }
        }
    }
    offense(sides[0], sides[1], year);
    offense(sides[1], sides[0], year);
    kicking(sides[0], sides[1], year);
    kicking(sides[1], sides[0], year);
    score(sides[0], year);
    score(sides[1], year);

    auto total = [](const Side& side) {
        int points = 0;
        for (const auto& [player, line] : side.lines) {
            points += line.points();
        }
        return points;
    };
    int scores[2] = {total(sides[0]), total(sides[1])};
    if (scores[0] == scores[1] && (playoff || (year >= 1974 && random_.chance(0.8)))) {
        // Overtime: a field goal decides it.
        const double edge = sides[0].offenseRating - sides[1].offenseRating;
        const int winner = random_.chance(std::clamp(0.5 + edge, 0.2, 0.8)) ? 0 : 1;
        const int kicker = sides[winner].kicker();
        if (kicker >= 0) {
            PlayerLine& line = sides[winner].line(kicker);
            const int distance = random_.between(25, 45);
            const std::size_t band = static_cast<std::size_t>(distance / 10 - 1);
            line.fga += 1;
            line.fgm += 1;
            line.fgaBand[band] += 1;
            line.fgmBand[band] += 1;
            line.fgLong = std::max(line.fgLong, distance);
            scores[winner] += 3;
        }
    }
    for (int s = 0; s < 2; ++s) {
        const int qb = sides[s].at(P::QB);
        if (qb < 0) {
            continue;
        }
        PlayerLine& line = sides[s].line(qb);
        const int margin = scores[s] - scores[1 - s];
        if (margin > 0) {
            line.qbWins += 1;
            if (margin <= 8 && random_.chance(0.45)) {
                line.gwd += 1;
                line.comebacks += random_.chance(0.6) ? 1 : 0;
            }
        } else if (margin < 0) {
            line.qbLosses += 1;
        } else {
            line.qbTies += 1;
        }
    }
    GameResult result;
    result.home = {scores[0], std::move(sides[0].lines)};
    result.away = {scores[1], std::move(sides[1].lines)};
    return result;
}

} // namespace huddlepod::backend
