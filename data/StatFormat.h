// Turns optional statistics into table cell texts; a missing value is the em-dash placeholder, never zero.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace huddlepod::StatFormat {

// The placeholder shown for a value that was not recorded (U+2014).
inline const QString absent = QStringLiteral("\u2014");

// Decimal digits, leading "-" when negative, no grouping.
QString integer(std::optional<std::int64_t> value);

// Fixed notation with exactly `places` digits after a decimal point, whatever the process locale.
QString decimal(std::optional<double> value, int places);

// A value already in percent units, one place, no percent sign.
QString percent(std::optional<double> value);

// A fraction with three places and its leading "0" dropped (.625, 1.000, -0.250).
QString winPct(std::optional<double> value);

// The text unchanged; absent when missing or empty.
QString text(const std::optional<QString>& value);

// "made/attempted", each side the placeholder when missing; absent when both are.
QString ratio(std::optional<std::int64_t> made, std::optional<std::int64_t> attempted);

// "W-L", with "-T" only when ties is at least 1; absent when wins or losses is missing.
QString record(std::optional<std::int64_t> wins, std::optional<std::int64_t> losses,
               std::optional<std::int64_t> ties);

} // namespace huddlepod::StatFormat
