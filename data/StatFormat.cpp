// Cell formatting without the C library's locale: std::to_chars always writes a decimal point.
#include "data/StatFormat.h"

#include <array>
#include <charconv>

namespace huddlepod::StatFormat {

namespace {

QString fixed(double value, int places) {
    // Room for the largest double in fixed notation (309 digits) plus sign, point and places.
    std::array<char, 700> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, places < 0 ? 0 : places);
    if (result.ec != std::errc{})
        return absent;
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}

} // namespace

QString integer(std::optional<std::int64_t> value) {
    return value ? QString::number(*value) : absent;
}

QString decimal(std::optional<double> value, int places) {
    return value ? fixed(*value, places) : absent;
}

QString percent(std::optional<double> value) {
    return decimal(value, 1);
}

QString winPct(std::optional<double> value) {
    if (!value)
        return absent;
    QString formatted = fixed(*value, 3);
    if (formatted.startsWith(QLatin1Char('0')))
        formatted.remove(0, 1);
    return formatted;
}

QString text(const std::optional<QString>& value) {
    return value && !value->isEmpty() ? *value : absent;
}

QString ratio(std::optional<std::int64_t> made, std::optional<std::int64_t> attempted) {
    if (!made && !attempted)
        return absent;
    return integer(made) + QLatin1Char('/') + integer(attempted);
}

QString record(std::optional<std::int64_t> wins, std::optional<std::int64_t> losses,
               std::optional<std::int64_t> ties) {
    if (!wins || !losses)
        return absent;
    QString result = QString::number(*wins) + QLatin1Char('-') + QString::number(*losses);
    if (ties && *ties >= 1)
        result += QLatin1Char('-') + QString::number(*ties);
    return result;
}

} // namespace huddlepod::StatFormat
