// Week titles and week numbers of the schedule.
#include "data/ScheduleWeek.h"

#include <limits>

namespace huddlepod {

namespace {

QString titleFor(const QString& raw) {
    if (raw == u"Champ")
        return QStringLiteral("Champ");
    if (raw == u"WildCard")
        return QStringLiteral("WC");
    if (raw == u"Division")
        return QStringLiteral("Div");
    if (raw == u"ConfChamp")
        return QStringLiteral("CC");
    if (raw == u"SuperBowl")
        return QStringLiteral("SB");
    return raw;
}

} // namespace

ScheduleWeek::ScheduleWeek(QString rawText)
    : raw(std::move(rawText))
    , title(titleFor(raw)) {}

std::optional<std::int64_t> ScheduleWeek::number() const {
    return parseInteger(raw);
}

std::optional<std::int64_t> ScheduleWeek::parseInteger(const QString& text) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    // Accumulate as a negative magnitude so that the minimum value is reachable.
    constexpr std::int64_t minimum = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        if (value < (minimum + digit) / 10)
            return std::nullopt;
        value = value * 10 - digit;
    }
    if (negative)
        return value;
    if (value == minimum)
        return std::nullopt;
    return -value;
}

} // namespace huddlepod
