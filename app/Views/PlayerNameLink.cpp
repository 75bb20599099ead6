// Spoken texts of a player link.
#include "app/Views/PlayerNameLink.h"

#include <QStringList>

namespace huddlepod {

QString PlayerNameLink::accessibilityLabel(const std::vector<PlayerLink>& links) {
    if (links.size() == 1) {
        return links.front().name;
    }
    QStringList names;
    for (const PlayerLink& link : links) {
        names.append(link.name);
    }
    return QString::number(links.size()) + QStringLiteral(" winners: ") + names.join(QStringLiteral(", "));
}

QString PlayerNameLink::accessibilityHint(const std::vector<PlayerLink>& links) {
    return links.size() == 1 ? QStringLiteral("Open player") : QStringLiteral("Choose a player to open");
}

} // namespace huddlepod
