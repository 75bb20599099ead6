// Careers for table tests: one substantive season of each family named.
#pragma once

#include "data/Models/PlayerStats.h"

#include <QUuid>

#include <string_view>

namespace huddlepod::test {

// A career holding one substantive season of each family named: P(assing), R(ushing), C(atching),
// D(efense), K(icking), U (punting), T (returns).
inline PlayerStats career(std::string_view families) {
    PlayerStats stats;
    const auto add = [&](char family, auto& seasons, auto field, int value) {
        if (families.find(family) == std::string_view::npos)
            return;
        seasons.emplace_back();
        seasons.back().id = QUuid::createUuid();
        seasons.back().*field = value;
    };
    add('P', stats.passing, &PassingSeason::passAtt, 300);
    add('R', stats.rushingReceiving, &RushingReceivingSeason::rushAtt, 40);
    add('C', stats.rushingReceiving, &RushingReceivingSeason::rec, 50);
    add('D', stats.defense, &DefenseSeason::defInt, 2);
    add('K', stats.kicking, &KickingSeason::fga, 30);
    add('U', stats.punting, &PuntingSeason::punt, 70);
    add('T', stats.returns, &ReturnsSeason::kickRet, 20);
    return stats;
}

} // namespace huddlepod::test
