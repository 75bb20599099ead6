// The seven stat families, each named by its backend table, with the name shown for it.
#pragma once

#include <QString>

#include <array>
#include <optional>

namespace huddlepod {

enum class StatFamily { passing, rushingReceiving, defense, kicking, punting, returns, scoring };

inline constexpr std::array<StatFamily, 7> allStatFamilies{
    StatFamily::passing, StatFamily::rushingReceiving, StatFamily::defense, StatFamily::kicking,
    StatFamily::punting, StatFamily::returns,          StatFamily::scoring,
};

// The family's backend table, e.g. "player_passing".
QString rawValue(StatFamily family);
QString displayName(StatFamily family);
// Exactly one of the seven table names, case-sensitive and untrimmed.
std::optional<StatFamily> statFamilyFromRawValue(const QString& raw);

} // namespace huddlepod
