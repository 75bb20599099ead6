// The opponent label of a game-log entry.
#include "data/Models/GameLogEntry.h"

#include "data/StatFormat.h"

namespace huddlepod {

QString GameLogEntry::opponentLabel() const {
    const std::optional<QString> other = opponent();
    if (!other)
        return StatFormat::absent;
    return (isHome() ? QStringLiteral("vs ") : QStringLiteral("@ ")) + *other;
}

} // namespace huddlepod
