// Game-log table: week, opponent and result, then the stat groups that suit the player's career.
#include "data/GameLogBuilder.h"

#include "data/StatFormat.h"

#include <algorithm>
#include <functional>

namespace huddlepod::GameLogBuilder {

namespace {

enum class Group { passing, rushing, receiving, defense, kicking, punting, returns };

using Cell = std::function<QString(const GameLogEntry&)>;

struct GroupColumn {
    QString title;
    double width;
    Cell cell;
};

// A cell read from one of the entry's lines; every cell of a missing line is the placeholder.
template <class Line, class Format>
Cell cellOf(std::optional<Line> GameLogEntry::*line, Format format) {
    return
        [line, format](const GameLogEntry& e) { return e.*line ? format(*(e.*line)) : StatFormat::absent; };
}

template <class Line>
Cell count(std::optional<Line> GameLogEntry::*line, std::optional<std::int64_t> Line::*field) {
    return cellOf(line, [field](const Line& l) { return StatFormat::integer(l.*field); });
}

template <class Line>
Cell oneDecimal(std::optional<Line> GameLogEntry::*line, std::optional<double> Line::*field) {
    return cellOf(line, [field](const Line& l) { return StatFormat::decimal(l.*field, 1); });
}

template <class Line>
Cell ratio(std::optional<Line> GameLogEntry::*line, std::optional<std::int64_t> Line::*made,
           std::optional<std::int64_t> Line::*tried) {
    return cellOf(line, [made, tried](const Line& l) { return StatFormat::ratio(l.*made, l.*tried); });
}

QString groupTitle(Group group) {
    switch (group) {
    case Group::passing:
        return QStringLiteral("Passing");
    case Group::rushing:
        return QStringLiteral("Rushing");
    case Group::receiving:
        return QStringLiteral("Receiving");
    case Group::defense:
        return QStringLiteral("Defense");
    case Group::kicking:
        return QStringLiteral("Kicking");
    case Group::punting:
        return QStringLiteral("Punting");
    case Group::returns:
        return QStringLiteral("Returns");
    }
    return {};
}

std::vector<GroupColumn> columnsFor(Group group) {
    using O = GameOffenseLine;
    using D = GameDefenseLine;
    using K = GameKickingLine;
    using R = GameReturnsLine;
    constexpr auto offense = &GameLogEntry::offense;
    constexpr auto defense = &GameLogEntry::defense;
    constexpr auto kicking = &GameLogEntry::kicking;
    constexpr auto returns = &GameLogEntry::returns;
    switch (group) {
    case Group::passing:
        return {{"C/A", 52, ratio(offense, &O::passCmp, &O::passAtt)},
                {"Yds", 42, count(offense, &O::passYds)},
                {"TD", 28, count(offense, &O::passTd)},
                {"Int", 28, count(offense, &O::passInt)}};
    case Group::rushing:
        return {{"Att", 34, count(offense, &O::rushAtt)},
                {"Yds", 42, count(offense, &O::rushYds)},
                {"TD", 28, count(offense, &O::rushTd)}};
    case Group::receiving:
        return {{"Rec", 34, count(offense, &O::rec)},
                {"Yds", 42, count(offense, &O::recYds)},
                {"TD", 28, count(offense, &O::recTd)}};
    case Group::defense:
        return {{"Tkl", 34, count(defense, &D::tacklesCombined)},
                {"Sk", 32, oneDecimal(defense, &D::sacks)},
                {"Int", 28, count(defense, &D::defInt)}};
    case Group::kicking:
        return {{"FG", 46, ratio(kicking, &K::fgm, &K::fga)}, {"XP", 46, ratio(kicking, &K::xpm, &K::xpa)}};
    case Group::punting:
        return {{"Pnt", 34, count(kicking, &K::punt)},
                {"Yds", 44, count(kicking, &K::puntYds)},
                {"Avg", 40, oneDecimal(kicking, &K::puntYdsPerPunt)}};
    case Group::returns:
        return {{"KR", 30, count(returns, &R::kickRet)}, {"PR", 30, count(returns, &R::puntRet)}};
    }
    return {};
}

double widthOf(const std::vector<GroupColumn>& columns) {
    double sum = 0;
    for (const auto& c : columns)
        sum += c.width;
    return sum;
}

template <class Test>
bool anyEntry(const std::vector<GameLogEntry>& entries, Test test) {
    return std::any_of(entries.begin(), entries.end(), test);
}

bool positive(const std::optional<std::int64_t>& value) {
    return value && *value > 0;
}

const std::vector<StatColumn> leadingColumns{
    StatColumn{.title = "Wk", .width = 34, .isNumeric = false, .trailingGap = 8},
    StatColumn{.title = "Opp", .width = 58, .isNumeric = false},
    StatColumn{.title = "", .width = 20, .isNumeric = false, .isFlexible = true},
};

// The groups this career calls for (or, when it calls for none, that the games show), kept while they fit.
std::vector<Group> chooseGroups(const PlayerStats& stats, const std::vector<GameLogEntry>& entries) {
    std::vector<Group> chosen;
    if (hasSubstantiveData(stats.passing))
        chosen.push_back(Group::passing);
    if (stats.hasSubstantiveRushing())
        chosen.push_back(Group::rushing);
    if (stats.hasSubstantiveReceiving())
        chosen.push_back(Group::receiving);
    if (hasSubstantiveData(stats.defense))
        chosen.push_back(Group::defense);
    if (hasSubstantiveData(stats.kicking))
        chosen.push_back(Group::kicking);
    if (hasSubstantiveData(stats.punting))
        chosen.push_back(Group::punting);
    if (hasSubstantiveData(stats.returns))
        chosen.push_back(Group::returns);

    if (chosen.empty() && !entries.empty()) {
        if (anyEntry(entries,
                     [](const GameLogEntry& e) { return e.offense && positive(e.offense->rushAtt); }))
            chosen.push_back(Group::rushing);
        if (anyEntry(entries, [](const GameLogEntry& e) { return e.offense && positive(e.offense->rec); }))
            chosen.push_back(Group::receiving);
        if (anyEntry(entries,
                     [](const GameLogEntry& e) { return e.defense && positive(e.defense->tacklesCombined); }))
            chosen.push_back(Group::defense);
        if (anyEntry(entries, [](const GameLogEntry& e) { return e.kicking && positive(e.kicking->punt); }))
            chosen.push_back(Group::punting);
    }

    // Greedy fit: a group that would overflow is skipped, and a later, narrower one may still fit.
    double total = 0;
    for (const auto& c : leadingColumns)
        total += c.width;
    std::vector<Group> kept;
    for (Group group : chosen) {
        const double next = total + widthOf(columnsFor(group));
        if (next <= availableWidth) {
            kept.push_back(group);
            total = next;
        }
    }
    return kept;
}

} // namespace

DataTable build(const std::vector<GameLogEntry>& entries, const PlayerStats& stats) {
    std::vector<StatColumn> columns = leadingColumns;
    std::vector<ColumnGroup> groups;
    std::vector<GroupColumn> cells;
    for (Group group : chooseGroups(stats, entries)) {
        const std::vector<GroupColumn> groupColumns = columnsFor(group);
        groups.push_back(ColumnGroup{.title = groupTitle(group),
                                     .start = static_cast<int>(columns.size()),
                                     .count = static_cast<int>(groupColumns.size())});
        for (const auto& c : groupColumns) {
            columns.push_back(StatColumn{.title = c.title, .width = c.width});
            cells.push_back(c);
        }
    }

    const auto makeRow = [&cells](const GameLogEntry& entry) {
        std::vector<QString> values;
        values.reserve(3 + cells.size());
        values.push_back(entry.context.weekLabel());
        values.push_back(entry.opponentLabel());
        values.push_back(entry.result().value_or(QString()));
        for (const auto& c : cells)
            values.push_back(c.cell(entry));
        return DataRow{.id = entry.id.toString(QUuid::WithoutBraces).toUpper(), .values = std::move(values)};
    };

    DataSection regular{.label = std::nullopt};
    DataSection post{.label = QStringLiteral("Postseason")};
    for (const auto& entry : entries)
        (entry.context.seasonType == SeasonType::regular ? regular : post).rows.push_back(makeRow(entry));

    return DataTable(std::nullopt, std::move(columns), std::move(groups),
                     {std::move(regular), std::move(post)});
}

} // namespace huddlepod::GameLogBuilder
