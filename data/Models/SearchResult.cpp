// The search result's placeholder, career texts and hashing.
#include "data/Models/SearchResult.h"

#include <QHash>
#include <QHashFunctions>
#include <QStringList>

namespace huddlepod {

namespace {

const QString middleDot = QStringLiteral(" · ");
const QString wideMiddleDot = QStringLiteral("  ·  ");

template <typename T>
size_t hashOptional(const std::optional<T>& value, size_t seed) {
    return value ? qHashMulti(seed, 1, *value) : qHashMulti(seed, 0);
}

} // namespace

size_t qHash(const TeamPathEntry& entry, size_t seed) {
    seed = qHash(entry.abbr, seed);
    seed = hashOptional(entry.name, seed);
    seed = hashOptional(entry.city, seed);
    seed = hashOptional(entry.logoURL, seed);
    return hashOptional(entry.year, seed);
}

size_t qHash(const SearchResult& result, size_t seed) {
    seed = qHashMulti(seed, result.id, result.fullName, int(result.isHOF), int(result.isActive),
                      int(result.isPlaceholder));
    seed = hashOptional(result.primaryPosition, seed);
    seed = hashOptional(result.careerStart, seed);
    seed = hashOptional(result.careerEnd, seed);
    for (const TeamPathEntry& team : result.teams)
        seed = qHash(team, seed);
    seed = hashOptional(result.draftYear, seed);
    seed = hashOptional(result.draftTeamAbbr, seed);
    seed = hashOptional(result.draftTeamName, seed);
    seed = hashOptional(result.draftTeamCity, seed);
    return hashOptional(result.draftTeamLogoURL, seed);
}

SearchResult SearchResult::placeholder(QUuid id, QString fullName, std::optional<QString> position) {
    SearchResult result;
    result.id = id;
    result.fullName = std::move(fullName);
    result.primaryPosition = std::move(position);
    result.isPlaceholder = true;
    return result;
}

std::optional<QString> SearchResult::careerSpan() const {
    if (!careerStart)
        return std::nullopt;
    const QString start = QString::number(*careerStart);
    if (!careerEnd)
        return start + QStringLiteral("–");
    if (isActive)
        return start + QStringLiteral("–present");
    if (*careerEnd != *careerStart)
        return start + QStringLiteral("–") + QString::number(*careerEnd);
    return start;
}

std::vector<QString> SearchResult::displayTeamAbbrs() const {
    std::vector<QString> abbrs;
    if (!teams.empty()) {
        for (const TeamPathEntry& team : teams)
            abbrs.push_back(team.abbr);
    } else if (draftTeamAbbr) {
        abbrs.push_back(*draftTeamAbbr);
    }
    return abbrs;
}

QString SearchResult::careerSummary() const {
    if (!teams.empty()) {
        QStringList abbrs;
        for (const TeamPathEntry& team : teams)
            abbrs.append(team.abbr);
        QString summary = abbrs.join(middleDot);
        if (const auto span = careerSpan())
            summary += wideMiddleDot + *span;
        return summary;
    }
    if (draftYear && draftTeamAbbr)
        return *draftTeamAbbr + wideMiddleDot + QStringLiteral("drafted ") + QString::number(*draftYear) +
               QStringLiteral(", never played");
    if (draftYear)
        return QStringLiteral("Drafted ") + QString::number(*draftYear) + QStringLiteral(", never played");
    if (isPlaceholder)
        return QString();
    return careerSpan().value_or(QStringLiteral("No recorded seasons"));
}

} // namespace huddlepod
