// Regular season or postseason, as the backend writes it.
#pragma once

#include "data/JsonReader.h"

#include <QString>

#include <array>
#include <optional>

namespace huddlepod {

enum class SeasonType { regular, postseason };

inline constexpr std::array<SeasonType, 2> allSeasonTypes{SeasonType::regular, SeasonType::postseason};

inline QString rawValue(SeasonType type) {
    return type == SeasonType::regular ? QStringLiteral("regular") : QStringLiteral("postseason");
}

// Exact, case-sensitive, untrimmed match of a raw value.
inline std::optional<SeasonType> seasonTypeFromRawValue(const QString& raw) {
    for (SeasonType type : allSeasonTypes) {
        if (raw == rawValue(type))
            return type;
    }
    return std::nullopt;
}

// One JSON string holding exactly a raw value; anything else fails the record that holds it.
template <>
struct JsonDecoder<SeasonType> {
    static SeasonType decode(const JsonValue& value);
};

} // namespace huddlepod
