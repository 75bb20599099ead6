// The eight season stat tables of a player card, in display order.
#pragma once

#include <QString>

#include <array>
#include <optional>

namespace huddlepod {

enum class StatSection { passing, rushing, receiving, defense, kicking, punting, returns, scoring };

inline constexpr std::array<StatSection, 8> allStatSections{
    StatSection::passing, StatSection::rushing, StatSection::receiving, StatSection::defense,
    StatSection::kicking, StatSection::punting, StatSection::returns,   StatSection::scoring,
};

QString rawValue(StatSection section);
QString title(StatSection section);
std::optional<StatSection> statSectionFromRawValue(const QString& raw);

} // namespace huddlepod
