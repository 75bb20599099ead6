// One step of a player's career path: a team the player played for.
#pragma once

#include "data/Models/FieldTable.h"

#include <QHashFunctions>
#include <QString>

#include <optional>
#include <tuple>

#define HUDDLEPOD_TEAM_PATH_ENTRY_FIELDS(X)                                                                  \
    X(QString, abbr, "abbr", required)                                                                       \
    X(std::optional<QString>, name, "name", optional)                                                        \
    X(std::optional<QString>, city, "city", optional)                                                        \
    X(std::optional<QString>, logoURL, "logoUrl", optional)                                                  \
    X(std::optional<std::int64_t>, year, "year", optional)

namespace huddlepod {

struct TeamPathEntry {
    HUDDLEPOD_TEAM_PATH_ENTRY_FIELDS(HUDDLEPOD_DECLARE_FIELD)

    static constexpr auto fields() {
        using Self = TeamPathEntry;
        return std::tuple{HUDDLEPOD_TEAM_PATH_ENTRY_FIELDS(HUDDLEPOD_LIST_KEYED_FIELD)};
    }

    bool operator==(const TeamPathEntry&) const = default;
};

size_t qHash(const TeamPathEntry& entry, size_t seed = 0);

} // namespace huddlepod
