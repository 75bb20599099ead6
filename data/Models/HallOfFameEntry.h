// A player's Hall of Fame row; every field may be absent.
#pragma once

#include "data/Models/FieldTable.h"

#include <QString>

#include <optional>
#include <tuple>

#define HUDDLEPOD_HALL_OF_FAME_FIELDS(X)                                                                     \
    X(std::optional<std::int64_t>, inductionYear)                                                            \
    X(std::optional<QString>, position)                                                                      \
    X(std::optional<std::int64_t>, proBowls)                                                                 \
    X(std::optional<std::int64_t>, firstTeamAllPro)

namespace huddlepod {

struct HallOfFameEntry {
    HUDDLEPOD_HALL_OF_FAME_FIELDS(HUDDLEPOD_DECLARE_FIELD)

    static constexpr auto fields() {
        using Self = HallOfFameEntry;
        return std::tuple{HUDDLEPOD_HALL_OF_FAME_FIELDS(HUDDLEPOD_LIST_FIELD)};
    }

    bool operator==(const HallOfFameEntry&) const = default;
};

} // namespace huddlepod
