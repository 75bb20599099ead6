// Schedule tables: week ordering, per-week and per-team tables, bye rows and winner emphasis.
#include "data/ScheduleBuilder.h"

#include "data/LeagueCells.h"
#include "data/PostgRESTError.h"
#include "data/StatFormat.h"
#include "data/TextOrder.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <limits>
#include <set>

namespace huddlepod::ScheduleBuilder {

namespace {

enum class Field { week, day, date, away, home, result, tv };

struct Layout {
    std::vector<Field> order;
    Field flexible;
};

bool hasScores(const GameRow& game) {
    return game.awayScore && game.homeScore;
}

bool hasTV(const GameRow& game) {
    return game.tvNetwork && !game.tvNetwork->isEmpty();
}

std::vector<StatColumn> columns(const std::vector<Field>& order, Field flexible, bool withScores) {
    std::vector<StatColumn> made;
    made.reserve(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        const Field field = order[i];
        QString title;
        double width = 0;
        switch (field) {
        case Field::week:
            title = QStringLiteral("Wk"), width = 30;
            break;
        case Field::day:
            title = QStringLiteral("Day"), width = 26;
            break;
        case Field::date:
            title = QStringLiteral("Date"), width = 40;
            break;
        case Field::away:
            title = QStringLiteral("Away"), width = 44;
            break;
        case Field::home:
            title = QStringLiteral("Home"), width = 44;
            break;
        case Field::result:
            title = withScores ? QStringLiteral("Score") : QStringLiteral("Time"), width = 60;
            break;
        case Field::tv:
            title = QStringLiteral("TV"), width = 72;
            break;
        }
        std::optional<double> gap;
        if (i + 1 < order.size())
            gap = field == Field::away && order[i + 1] == Field::home ? 16.0 : 24.0;
        const bool stretches = field == flexible && (field == Field::date || field == Field::home);
        made.push_back(
            LeagueCells::column(title, width, field == Field::result, stretches, gap, field != flexible));
    }
    return made;
}

std::ptrdiff_t indexOf(const std::vector<Field>& order, Field field) {
    const auto found = std::find(order.begin(), order.end(), field);
    return found == order.end() ? -1 : found - order.begin();
}

// The column of the winning side's team, when both scores are known and differ.
std::set<int> winner(const GameRow& game, std::ptrdiff_t away, std::ptrdiff_t home) {
    if (!game.awayScore || !game.homeScore || *game.awayScore == *game.homeScore)
        return {};
    const std::ptrdiff_t column = *game.awayScore > *game.homeScore ? away : home;
    if (column < 0)
        return {};
    return {static_cast<int>(column)};
}

QString fullName(const QString& raw) {
    if (raw == u"Champ")
        return QStringLiteral("NFL Championship");
    if (raw == u"WildCard")
        return QStringLiteral("Wild Card");
    if (raw == u"Division")
        return QStringLiteral("Divisional");
    if (raw == u"ConfChamp")
        return QStringLiteral("Conference Championships");
    if (raw == u"SuperBowl")
        return QStringLiteral("Super Bowl");
    return raw;
}

QString label(const ScheduleWeek& week) {
    if (!week.raw.isEmpty() && week.number())
        return QStringLiteral("Week ") + week.raw;
    return fullName(week.raw);
}

QString shortDate(const std::optional<QString>& text) {
    if (!text)
        return StatFormat::absent;
    const QStringList pieces = text->split(QLatin1Char('-'), Qt::SkipEmptyParts);
    if (pieces.size() < 3)
        return StatFormat::absent;
    const auto month = ScheduleWeek::parseInteger(pieces[1]);
    const auto day = ScheduleWeek::parseInteger(pieces[2]);
    if (!month || !day)
        return StatFormat::absent;
    return QString::number(*month) + QLatin1Char('/') + QString::number(*day);
}

QString cell(Field field, const ScheduleWeek& week, const GameRow& game) {
    switch (field) {
    case Field::week:
        return week.title;
    case Field::day:
        return StatFormat::text(game.gameDayOfWeek);
    case Field::date:
        return shortDate(game.gameDate);
    case Field::away:
        return StatFormat::text(game.awayTeamAbbr);
    case Field::home:
        return StatFormat::text(game.homeTeamAbbr);
    case Field::result:
        if (hasScores(game))
            return QString::number(*game.awayScore) + QChar(0x2013) + QString::number(*game.homeScore);
        return StatFormat::text(game.gametime);
    case Field::tv:
        return StatFormat::text(game.tvNetwork);
    }
    return StatFormat::absent;
}

DataRow gameRow(const std::vector<Field>& order, const ScheduleWeek& week, const GameRow& game) {
    std::vector<QString> values;
    values.reserve(order.size());
    for (Field field : order)
        values.push_back(cell(field, week, game));
    DataRow row = LeagueCells::row(LeagueCells::uuidString(game.id), std::move(values));
    row.emphasizedValues = winner(game, indexOf(order, Field::away), indexOf(order, Field::home));
    return row;
}

DataRow byeRow(const std::vector<Field>& order, const ScheduleWeek& week, std::size_t position) {
    std::vector<QString> values;
    values.reserve(order.size());
    for (Field field : order) {
        if (field == Field::week)
            values.push_back(week.title);
        else if (field == Field::away)
            values.push_back(QStringLiteral("BYE"));
        else
            values.push_back(QString());
    }
    return LeagueCells::row(QStringLiteral("bye-") + week.raw + QLatin1Char('-') + QString::number(position),
                            std::move(values));
}

struct Entry {
    const ScheduleWeek* week;
    const GameRow* game; // null for a bye
};

DataTable teamTable(const std::vector<Entry>& entries, const QString& team) {
    bool scores = false;
    bool tv = false;
    for (const Entry& entry : entries) {
        if (entry.game) {
            scores = scores || hasScores(*entry.game);
            tv = tv || hasTV(*entry.game);
        }
    }
    std::vector<Field> order{Field::week, Field::date, Field::away, Field::home, Field::result};
    if (tv)
        order.push_back(Field::tv);

    std::vector<DataRow> rows;
    rows.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& entry = entries[i];
        rows.push_back(entry.game ? gameRow(order, *entry.week, *entry.game) : byeRow(order, *entry.week, i));
    }
    std::vector<DataSection> sections;
    sections.push_back(LeagueCells::section(team, std::move(rows), false));
    return DataTable(std::nullopt, columns(order, Field::date, scores), {}, std::move(sections));
}

// One of a team's games and the position of its week in schedule order.
struct Slot {
    std::size_t week;
    const GameRow* game;
};

// A team's table from its games in input order: week by week, with a bye for every numbered week between
// its first and last week in which it has no game.
DataTable teamTable(const QString& team, std::vector<Slot> played, const std::vector<ScheduleWeek>& weeks,
                    const std::vector<bool>& numbered) {
    if (played.empty())
        return DataTable(std::nullopt, {}, {}, {});
    std::stable_sort(played.begin(), played.end(),
                     [](const Slot& a, const Slot& b) { return a.week < b.week; });
    std::vector<Entry> entries;
    entries.reserve(played.size());
    std::size_t previous = played.front().week;
    for (const Slot& slot : played) {
        for (std::size_t week = previous + 1; week < slot.week; ++week) {
            if (numbered[week])
                entries.push_back(Entry{&weeks[week], nullptr});
        }
        entries.push_back(Entry{&weeks[slot.week], slot.game});
        previous = slot.week;
    }
    return teamTable(entries, team);
}

std::vector<bool> numberedWeeks(const std::vector<ScheduleWeek>& weeks) {
    std::vector<bool> numbered;
    numbered.reserve(weeks.size());
    for (const ScheduleWeek& week : weeks)
        numbered.push_back(week.number().has_value());
    return numbered;
}

} // namespace

DataTable build(const std::vector<GameRow>& games, const ScheduleWeek& week) {
    const bool scores = std::any_of(games.begin(), games.end(), hasScores);
    const bool tv = std::any_of(games.begin(), games.end(), hasTV);
    std::vector<Field> order =
        scores ? std::vector<Field>{Field::day, Field::date, Field::away, Field::home, Field::result}
               : std::vector<Field>{Field::away, Field::home, Field::day, Field::date, Field::result};
    if (tv)
        order.push_back(Field::tv);
    const Field flexible = scores ? Field::date : Field::home;

    std::vector<DataRow> rows;
    rows.reserve(games.size());
    for (const GameRow& game : games)
        rows.push_back(gameRow(order, week, game));
    std::vector<DataSection> sections;
    sections.push_back(LeagueCells::section(label(week), std::move(rows), false));
    return DataTable(std::nullopt, columns(order, flexible, scores), {}, std::move(sections));
}

DataTable team(const QString& abbreviation, const std::vector<GameRow>& rows,
               const std::vector<ScheduleWeek>& weeks) {
    QHash<QString, std::size_t> positions;
    for (std::size_t i = 0; i < weeks.size(); ++i)
        if (!positions.contains(weeks[i].raw))
            positions.insert(weeks[i].raw, i);
    std::vector<Slot> played;
    for (const GameRow& game : rows) {
        const auto position = positions.constFind(game.week);
        if (position != positions.cend() &&
            (game.awayTeamAbbr == abbreviation || game.homeTeamAbbr == abbreviation))
            played.push_back(Slot{*position, &game});
    }
    return teamTable(abbreviation, std::move(played), weeks, numberedWeeks(weeks));
}

SeasonSchedule season(const std::vector<GameRow>& games) {
    if (games.size() > maximumGames)
        throw PostgRESTError::decoding(
            QStringLiteral("%1 games, more than the %2 asked for").arg(games.size()).arg(maximumGames));

    constexpr std::int64_t unnumbered = std::numeric_limits<std::int64_t>::max();
    struct WeekGames {
        ScheduleWeek week;
        std::int64_t number; // unnumbered for a playoff word
        std::vector<GameRow> games;
        std::optional<QString> earliestDate;
    };
    std::vector<WeekGames> weeks;
    QHash<QString, std::size_t> weekIndex;
    QHash<QString, std::size_t> teamIndex;
    std::vector<QString> teams;
    const auto addTeam = [&](const std::optional<QString>& abbreviation) {
        if (abbreviation && !teamIndex.contains(*abbreviation)) {
            teamIndex.insert(*abbreviation, teams.size());
            teams.push_back(*abbreviation);
        }
    };

    for (const GameRow& game : games) {
        auto found = weekIndex.constFind(game.week);
        std::size_t index;
        if (found == weekIndex.cend()) {
            index = weeks.size();
            weekIndex.insert(game.week, index);
            ScheduleWeek week(game.week);
            const std::int64_t number = week.number().value_or(unnumbered);
            weeks.push_back(WeekGames{std::move(week), number, {}, std::nullopt});
        } else {
            index = *found;
        }
        WeekGames& week = weeks[index];
        week.games.push_back(game);
        if (game.gameDate && (!week.earliestDate || byteLess(*game.gameDate, *week.earliestDate)))
            week.earliestDate = game.gameDate;
        addTeam(game.awayTeamAbbr);
        addTeam(game.homeTeamAbbr);
    }

    std::stable_sort(weeks.begin(), weeks.end(), [](const WeekGames& a, const WeekGames& b) {
        const QString& dateA = a.earliestDate ? *a.earliestDate : QString();
        const QString& dateB = b.earliestDate ? *b.earliestDate : QString();
        if (dateA != dateB)
            return byteLess(dateA, dateB);
        if (a.number != b.number)
            return a.number < b.number;
        return byteLess(a.week.raw, b.week.raw);
    });

    SeasonSchedule schedule;
    schedule.weeks.reserve(weeks.size());
    std::vector<bool> numbered;
    numbered.reserve(weeks.size());
    for (std::size_t i = 0; i < weeks.size(); ++i) {
        const WeekGames& week = weeks[i];
        weekIndex.insert(week.week.raw, i); // now the position in schedule order
        schedule.weeks.push_back(week.week);
        numbered.push_back(week.number != unnumbered);
        schedule.tables.emplace(week.week, build(week.games, week.week));
    }

    // Each team's games in one pass, in input order.
    std::vector<std::vector<Slot>> played(teams.size());
    for (const GameRow& game : games) {
        const std::size_t week = weekIndex.value(game.week);
        if (game.awayTeamAbbr)
            played[teamIndex.value(*game.awayTeamAbbr)].push_back(Slot{week, &game});
        if (game.homeTeamAbbr && game.homeTeamAbbr != game.awayTeamAbbr)
            played[teamIndex.value(*game.homeTeamAbbr)].push_back(Slot{week, &game});
    }
    for (std::size_t i = 0; i < teams.size(); ++i)
        schedule.teamTables.emplace(teams[i],
                                    teamTable(teams[i], std::move(played[i]), schedule.weeks, numbered));

    std::stable_sort(teams.begin(), teams.end(),
                     [](const QString& a, const QString& b) { return byteLess(a, b); });
    schedule.teams = std::move(teams);
    return schedule;
}

} // namespace huddlepod::ScheduleBuilder
