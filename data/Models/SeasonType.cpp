// Decoding a season type from its raw value.
#include "data/Models/SeasonType.h"

namespace huddlepod {

SeasonType JsonDecoder<SeasonType>::decode(const JsonValue& value) {
    const std::string_view text = value.string();
    if (const auto type = seasonTypeFromRawValue(QString::fromUtf8(text.data(), qsizetype(text.size()))))
        return *type;
    value.fail("cannot initialize SeasonType from invalid String value \"" + std::string(text) + "\"");
}

} // namespace huddlepod
