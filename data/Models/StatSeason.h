// What every season record shares: the common fields, the activity tests and the selections by season type.
#pragma once

#include "data/Models/FieldTable.h"
#include "data/Models/SeasonType.h"

#include <QString>
#include <QUuid>

#include <algorithm>
#include <concepts>
#include <optional>
#include <vector>

namespace huddlepod {

// A counted quantity at or above this makes a season's activity more than incidental.
inline constexpr int incidentalStatThreshold = 5;

// Fields every season record starts with, in this order.
#define HUDDLEPOD_STAT_SEASON_FIELDS(X)                                                                      \
    X(QUuid, id)                                                                                             \
    X(std::int64_t, year)                                                                                    \
    X(SeasonType, seasonType)                                                                                \
    X(std::optional<QString>, teamAbbr)                                                                      \
    X(std::optional<QString>, pos)                                                                           \
    X(std::optional<std::int64_t>, age)                                                                      \
    X(std::optional<std::int64_t>, games)                                                                    \
    X(std::optional<std::int64_t>, gamesStarted)

template <class R>
concept StatSeason = requires(const R& season) {
    { season.id } -> std::convertible_to<QUuid>;
    { season.year } -> std::convertible_to<std::int64_t>;
    { season.seasonType } -> std::convertible_to<SeasonType>;
    { season.teamAbbr } -> std::convertible_to<std::optional<QString>>;
    { season.pos } -> std::convertible_to<std::optional<QString>>;
    { season.age } -> std::convertible_to<std::optional<std::int64_t>>;
    { season.games } -> std::convertible_to<std::optional<std::int64_t>>;
    { season.gamesStarted } -> std::convertible_to<std::optional<std::int64_t>>;
    { season.isMeaningful() } -> std::same_as<bool>;
    { season.isSubstantive() } -> std::same_as<bool>;
};

// True when the value is present and at least `least`.
inline bool atLeast(const std::optional<std::int64_t>& value, int least) {
    return value && *value >= least;
}

// a + b >= least, also where the sum leaves the 64-bit range.
inline bool sumAtLeast(std::int64_t a, std::int64_t b, std::int64_t least) {
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return a > 0;
    return sum >= least;
}

// The records of one season type, by year ascending; records of one year keep their order.
template <StatSeason R>
std::vector<R> seasonsOfType(const std::vector<R>& seasons, SeasonType type) {
    std::vector<R> selected;
    std::copy_if(seasons.begin(), seasons.end(), std::back_inserter(selected),
                 [type](const R& season) { return season.seasonType == type; });
    std::stable_sort(selected.begin(), selected.end(),
                     [](const R& a, const R& b) { return a.year < b.year; });
    return selected;
}

template <StatSeason R>
std::vector<R> regularSeason(const std::vector<R>& seasons) {
    return seasonsOfType(seasons, SeasonType::regular);
}

template <StatSeason R>
std::vector<R> postseason(const std::vector<R>& seasons) {
    return seasonsOfType(seasons, SeasonType::postseason);
}

template <StatSeason R>
bool hasMeaningfulData(const std::vector<R>& seasons) {
    return std::any_of(seasons.begin(), seasons.end(), [](const R& season) { return season.isMeaningful(); });
}

template <StatSeason R>
bool hasSubstantiveData(const std::vector<R>& seasons) {
    return std::any_of(seasons.begin(), seasons.end(),
                       [](const R& season) { return season.isSubstantive(); });
}

} // namespace huddlepod
