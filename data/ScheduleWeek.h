// One week of a season's schedule, identified by the raw week text of its games.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace huddlepod {

struct ScheduleWeek {
    ScheduleWeek() = default;
    // The title follows from the raw text, so weeks made from the same text are equal.
    explicit ScheduleWeek(QString raw);

    QString raw;
    QString title;

    const QString& id() const { return raw; }
    // The raw text read as a base-10 integer; none for a playoff word, empty text or overflow.
    std::optional<std::int64_t> number() const;

    // Reads a whole text as an optionally signed base-10 integer within the 64-bit range.
    static std::optional<std::int64_t> parseInteger(const QString& text);

    friend bool operator==(const ScheduleWeek& a, const ScheduleWeek& b) { return a.raw == b.raw; }
    // Map-key order only; schedule order is the builder's.
    friend bool operator<(const ScheduleWeek& a, const ScheduleWeek& b) { return a.raw < b.raw; }
};

} // namespace huddlepod
