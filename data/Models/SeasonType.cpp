// Decoding a season type from its raw value.
#include "data/Models/SeasonType.h"

namespace huddlepod {

SeasonType JsonDecoder<SeasonType>::decode(const JsonValue& value) {
    if (!value.node().is_string())
        value.expected("string");
    const std::string& text = value.node().get_ref<const std::string&>();
    if (const auto type = seasonTypeFromRawValue(QString::fromStdString(text)))
        return *type;
    value.fail("cannot initialize SeasonType from invalid String value \"" + text + "\"");
}

} // namespace huddlepod
