// A player's row of the "players" table, with its All-Pro history and a few derived texts.
#pragma once

#include "data/Models/FieldTable.h"

#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>
#include <tuple>
#include <vector>

#define HUDDLEPOD_ALL_PRO_ENTRY_FIELDS(X)                                                                    \
    X(std::int64_t, year)                                                                                    \
    X(std::optional<QString>, teamLevel)                                                                     \
    X(std::optional<QString>, teamAbbr)                                                                      \
    X(std::optional<QString>, position)

// X(Type, member, key, presence): a few keys differ from the member names.
#define HUDDLEPOD_PLAYER_BIO_FIELDS(X)                                                                       \
    X(QUuid, id, "id", required)                                                                             \
    X(std::optional<QString>, firstName, "firstName", optional)                                              \
    X(std::optional<QString>, lastName, "lastName", optional)                                                \
    X(QString, fullName, "fullName", required)                                                               \
    X(std::optional<QString>, birthDate, "birthDate", optional)                                              \
    X(std::optional<QString>, birthCity, "birthCity", optional)                                              \
    X(std::optional<QString>, birthState, "birthState", optional)                                            \
    X(std::optional<QString>, college, "college", optional)                                                  \
    X(std::optional<QString>, highSchool, "highSchool", optional)                                            \
    X(std::optional<QString>, highSchoolCity, "highSchoolCity", optional)                                    \
    X(std::optional<QString>, highSchoolState, "highSchoolState", optional)                                  \
    X(std::optional<std::int64_t>, heightInches, "heightInches", optional)                                   \
    X(std::optional<std::int64_t>, weightLbs, "weightLbs", optional)                                         \
    X(std::optional<std::int64_t>, draftAge, "draftAge", optional)                                           \
    X(std::optional<std::int64_t>, careerAv, "careerAv", optional)                                           \
    X(std::optional<QString>, pfrPosition, "pfrPosition", optional)                                          \
    X(std::optional<QString>, throws_, "throws", optional)                                                   \
    X(std::optional<QString>, nickname, "nickname", optional)                                                \
    X(std::optional<QString>, uniformNumbers, "uniformNumbers", optional)                                    \
    X(bool, isHOF, "isHof", defaulted)                                                                       \
    X(bool, isAllPro, "isAllPro", defaulted)                                                                 \
    X(std::vector<AllProEntry>, allProHistory, "allProHistory", defaulted)                                   \
    X(std::optional<QString>, headshotURL, "headshotUrl", optional)

namespace huddlepod {

struct AllProEntry {
    HUDDLEPOD_ALL_PRO_ENTRY_FIELDS(HUDDLEPOD_DECLARE_FIELD)

    // Exactly "first_team"; letter case matters.
    bool isFirstTeam() const { return teamLevel == QStringLiteral("first_team"); }

    static constexpr auto fields() {
        using Self = AllProEntry;
        return std::tuple{HUDDLEPOD_ALL_PRO_ENTRY_FIELDS(HUDDLEPOD_LIST_FIELD)};
    }

    bool operator==(const AllProEntry&) const = default;
};

struct PlayerBio {
    HUDDLEPOD_PLAYER_BIO_FIELDS(HUDDLEPOD_DECLARE_FIELD)

    // Feet and inches, "6-2"; absent without a positive height.
    std::optional<QString> heightDescription() const;
    // The comma-separated nicknames, trimmed, empty pieces dropped.
    QStringList nicknames() const;
    int firstTeamAllProCount() const;

    static constexpr auto fields() {
        using Self = PlayerBio;
        return std::tuple{HUDDLEPOD_PLAYER_BIO_FIELDS(HUDDLEPOD_LIST_KEYED_FIELD)};
    }

    bool operator==(const PlayerBio&) const = default;
};

} // namespace huddlepod
