// Schedule tables: week ordering, per-week and per-team tables, bye rows and winner emphasis.
#include "data/ScheduleBuilder.h"

#include "data/LeagueCells.h"
#include "data/StatFormat.h"
#include "data/TextOrder.h"

#include <QHash>
#include <QSet>
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

bool playsIn(const GameRow& game, const QString& abbreviation) {
    return game.awayTeamAbbr == abbreviation || game.homeTeamAbbr == abbreviation;
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
    QHash<QString, std::vector<const GameRow*>> byWeek;
    for (const GameRow& game : rows) {
        if (playsIn(game, abbreviation))
            byWeek[game.week].push_back(&game);
    }

    std::ptrdiff_t first = -1;
    std::ptrdiff_t last = -1;
    for (std::size_t i = 0; i < weeks.size(); ++i) {
        if (byWeek.contains(weeks[i].raw)) {
            if (first < 0)
                first = static_cast<std::ptrdiff_t>(i);
            last = static_cast<std::ptrdiff_t>(i);
        }
    }
    if (first < 0)
        return DataTable(std::nullopt, {}, {}, {});

    std::vector<Entry> entries;
    for (std::size_t i = 0; i < weeks.size(); ++i) {
        const ScheduleWeek& week = weeks[i];
        const auto games = byWeek.constFind(week.raw);
        if (games != byWeek.cend()) {
            for (const GameRow* game : *games)
                entries.push_back(Entry{&week, game});
        } else if (static_cast<std::ptrdiff_t>(i) > first && static_cast<std::ptrdiff_t>(i) < last &&
                   week.number()) {
            entries.push_back(Entry{&week, nullptr});
        }
    }
    return teamTable(entries, abbreviation);
}

SeasonSchedule season(const std::vector<GameRow>& games) {
    struct WeekGames {
        ScheduleWeek week;
        std::vector<GameRow> games;
        std::optional<QString> earliestDate;
    };
    std::vector<WeekGames> weeks;
    QHash<QString, std::size_t> weekIndex;
    QSet<QString> seenTeams;
    std::vector<QString> teams;
    const auto addTeam = [&](const std::optional<QString>& abbreviation) {
        if (abbreviation && !seenTeams.contains(*abbreviation)) {
            seenTeams.insert(*abbreviation);
            teams.push_back(*abbreviation);
        }
    };

    for (const GameRow& game : games) {
        auto found = weekIndex.constFind(game.week);
        std::size_t index;
        if (found == weekIndex.cend()) {
            index = weeks.size();
            weekIndex.insert(game.week, index);
            weeks.push_back(WeekGames{ScheduleWeek(game.week), {}, std::nullopt});
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
        constexpr std::int64_t unnumbered = std::numeric_limits<std::int64_t>::max();
        const std::int64_t numberA = a.week.number().value_or(unnumbered);
        const std::int64_t numberB = b.week.number().value_or(unnumbered);
        if (numberA != numberB)
            return numberA < numberB;
        return byteLess(a.week.raw, b.week.raw);
    });
    std::stable_sort(teams.begin(), teams.end(),
                     [](const QString& a, const QString& b) { return byteLess(a, b); });

    SeasonSchedule schedule;
    schedule.weeks.reserve(weeks.size());
    for (const WeekGames& week : weeks) {
        schedule.weeks.push_back(week.week);
        schedule.tables.emplace(week.week, build(week.games, week.week));
    }
    for (const QString& abbreviation : teams)
        schedule.teamTables.emplace(abbreviation, team(abbreviation, games, schedule.weeks));
    schedule.teams = std::move(teams);
    return schedule;
}

} // namespace huddlepod::ScheduleBuilder
