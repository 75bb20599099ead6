// Table names and display names of the stat families.
#include "data/StatFamily.h"

namespace huddlepod {

namespace {

struct FamilyInfo {
    StatFamily family;
    const char* table;
    const char* displayName;
};

constexpr FamilyInfo familyInfo[] = {
    {StatFamily::passing, "player_passing", "Passing"},
    {StatFamily::rushingReceiving, "player_rushing_receiving", "Rushing & Receiving"},
    {StatFamily::defense, "player_defense", "Defense"},
    {StatFamily::kicking, "player_kicking", "Kicking"},
    {StatFamily::punting, "player_punting", "Punting"},
    {StatFamily::returns, "player_returns", "Returns"},
    {StatFamily::scoring, "player_scoring", "Scoring"},
};

const FamilyInfo& infoFor(StatFamily family) {
    return familyInfo[static_cast<int>(family)];
}

} // namespace

QString rawValue(StatFamily family) {
    return QString::fromLatin1(infoFor(family).table);
}

QString displayName(StatFamily family) {
    return QString::fromLatin1(infoFor(family).displayName);
}

std::optional<StatFamily> statFamilyFromRawValue(const QString& raw) {
    for (const auto& info : familyInfo) {
        if (raw == QLatin1String(info.table))
            return info.family;
    }
    return std::nullopt;
}

} // namespace huddlepod
