// Derived texts of a game header.
#include "data/Models/GameContext.h"

namespace huddlepod {

QString GameContext::weekLabel() const {
    if (week == QLatin1String("WildCard"))
        return QStringLiteral("WC");
    if (week == QLatin1String("Division"))
        return QStringLiteral("DIV");
    if (week == QLatin1String("ConfChamp"))
        return QStringLiteral("CONF");
    if (week == QLatin1String("SuperBowl"))
        return QStringLiteral("SB");
    return week;
}

std::optional<QString> GameContext::opponent(const std::optional<QString>& team) const {
    if (!team)
        return std::nullopt;
    return homeTeamAbbr == team ? awayTeamAbbr : homeTeamAbbr;
}

bool GameContext::isHome(const std::optional<QString>& team) const {
    return team && homeTeamAbbr && *homeTeamAbbr == *team;
}

std::optional<QString> GameContext::result(const std::optional<QString>& team) const {
    if (!team || !homeScore || !awayScore)
        return std::nullopt;
    const bool home = isHome(team);
    const std::int64_t own = home ? *homeScore : *awayScore;
    const std::int64_t other = home ? *awayScore : *homeScore;
    if (own > other)
        return QStringLiteral("W");
    if (own < other)
        return QStringLiteral("L");
    return QStringLiteral("T");
}

} // namespace huddlepod
