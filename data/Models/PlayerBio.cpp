// Derived texts of a player's biography.
#include "data/Models/PlayerBio.h"

#include <algorithm>

namespace huddlepod {

std::optional<QString> PlayerBio::heightDescription() const {
    if (!heightInches || *heightInches < 1)
        return std::nullopt;
    return QString::number(*heightInches / 12) + QLatin1Char('-') + QString::number(*heightInches % 12);
}

QStringList PlayerBio::nicknames() const {
    QStringList names;
    const QStringList pieces = nickname.value_or(QString()).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& piece : pieces) {
        const QString trimmed = piece.trimmed();
        if (!trimmed.isEmpty())
            names << trimmed;
    }
    return names;
}

int PlayerBio::firstTeamAllProCount() const {
    return static_cast<int>(std::count_if(allProHistory.begin(), allProHistory.end(),
                                          [](const AllProEntry& e) { return e.isFirstTeam(); }));
}

} // namespace huddlepod
