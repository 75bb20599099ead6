// One player hit of the player search, the value a player card opens with, and its career texts.
#pragma once

#include "data/Models/FieldTable.h"
#include "data/Models/TeamPathEntry.h"

#include <QString>
#include <QUuid>

#include <optional>
#include <tuple>
#include <vector>

#define HUDDLEPOD_SEARCH_RESULT_FIELDS(X)                                                                    \
    X(QUuid, id, "id", required)                                                                             \
    X(QString, fullName, "fullName", required)                                                               \
    X(std::optional<QString>, primaryPosition, "primaryPosition", optional)                                  \
    X(std::optional<std::int64_t>, careerStart, "careerStart", optional)                                     \
    X(std::optional<std::int64_t>, careerEnd, "careerEnd", optional)                                         \
    X(bool, isHOF, "isHof", defaulted)                                                                       \
    X(bool, isActive, "isActive", defaulted)                                                                 \
    X(std::vector<TeamPathEntry>, teams, "teams", defaulted)                                                 \
    X(std::optional<std::int64_t>, draftYear, "draftYear", optional)                                         \
    X(std::optional<QString>, draftTeamAbbr, "draftTeamAbbr", optional)                                      \
    X(std::optional<QString>, draftTeamName, "draftTeamName", optional)                                      \
    X(std::optional<QString>, draftTeamCity, "draftTeamCity", optional)                                      \
    X(std::optional<QString>, draftTeamLogoURL, "draftTeamLogoUrl", optional)

namespace huddlepod {

struct SearchResult {
    HUDDLEPOD_SEARCH_RESULT_FIELDS(HUDDLEPOD_DECLARE_FIELD)
    // Never decoded: true only for a result made by placeholder().
    bool isPlaceholder = false;

    // A stand-in for a player opened from a table link, where no search row exists.
    static SearchResult placeholder(QUuid id, QString fullName, std::optional<QString> position);

    // "2010–2015", "2010–present", "2010–" (no end), "2010" (one season); none without a start.
    std::optional<QString> careerSpan() const;
    // The teams' abbreviations in order; else the drafting team's alone; else none.
    std::vector<QString> displayTeamAbbrs() const;
    // The line under a hit, e.g. "KC · SF  ·  2010–2015" or "KC  ·  drafted 2020, never played".
    QString careerSummary() const;

    static constexpr auto fields() {
        using Self = SearchResult;
        return std::tuple{HUDDLEPOD_SEARCH_RESULT_FIELDS(HUDDLEPOD_LIST_KEYED_FIELD)};
    }

    bool operator==(const SearchResult&) const = default;
};

size_t qHash(const SearchResult& result, size_t seed = 0);

} // namespace huddlepod
