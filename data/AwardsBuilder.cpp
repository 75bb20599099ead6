// Awards tables: winners with vote shares, and honour teams ordered by group, position and name.
#include "data/AwardsBuilder.h"

#include "data/LeagueCells.h"
#include "data/StandingsBuilder.h"
#include "data/StatFormat.h"
#include "data/TextOrder.h"

#include <algorithm>
#include <limits>

namespace huddlepod::AwardsBuilder {

namespace {

std::vector<StatColumn> honorColumns() {
    using LeagueCells::column;
    return {column(QStringLiteral("Pos"), 40, false, false, 10.0, false),
            column(QStringLiteral("Player"), 150, false, true, 10.0, false),
            column(QStringLiteral("Tm"), 40, true, false, std::nullopt, false)};
}

int groupRank(const std::optional<PositionRef>& position) {
    if (!position || !position->positionGroup)
        return 3;
    const QString& group = *position->positionGroup;
    if (group == u"offense")
        return 0;
    if (group == u"defense")
        return 1;
    if (group == u"special_teams")
        return 2;
    return 3;
}

std::vector<HonorRow> ordered(std::vector<HonorRow> rows) {
    const auto sortOrder = [](const HonorRow& row) {
        return row.positions && row.positions->sortOrder ? *row.positions->sortOrder
                                                         : std::numeric_limits<std::int64_t>::max();
    };
    const auto name = [](const HonorRow& row) {
        return row.players && row.players->fullName ? *row.players->fullName : QString();
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const HonorRow& a, const HonorRow& b) {
        const int groupA = groupRank(a.positions);
        const int groupB = groupRank(b.positions);
        if (groupA != groupB)
            return groupA < groupB;
        const std::int64_t orderA = sortOrder(a);
        const std::int64_t orderB = sortOrder(b);
        if (orderA != orderB)
            return orderA < orderB;
        return byteLess(name(a), name(b));
    });
    return rows;
}

DataSection section(const std::optional<QString>& label, const std::vector<HonorRow>& rows) {
    std::vector<DataRow> made;
    made.reserve(rows.size());
    for (const HonorRow& honor : rows) {
        const std::optional<QString> position =
            honor.positions ? honor.positions->abbreviation : std::nullopt;
        const std::optional<QUuid> playerID = honor.players ? honor.players->id : std::nullopt;
        const std::optional<QString> name = honor.players ? honor.players->fullName : std::nullopt;
        const QString id = label.value_or(QString()) + QLatin1Char('-') + position.value_or(QString()) +
                           QLatin1Char('-') + (name ? *name : LeagueCells::randomID());
        DataRow row = LeagueCells::row(
            id, {StatFormat::text(position), StatFormat::text(name),
                 StatFormat::text(honor.teams ? honor.teams->currentAbbreviation : std::nullopt)});
        row.links = link(1, playerID, name, position);
        made.push_back(std::move(row));
    }
    return LeagueCells::section(label, std::move(made), true);
}

} // namespace

DataTable winners(const std::vector<AwardRow>& rows) {
    std::vector<DataRow> made;
    made.reserve(rows.size());
    for (const AwardRow& award : rows) {
        const std::optional<QString> abbreviation =
            award.awardTypes ? award.awardTypes->abbreviation : std::nullopt;
        const std::optional<QString> awardName = award.awardTypes ? award.awardTypes->name : std::nullopt;
        const std::optional<QUuid> playerID = award.players ? award.players->id : std::nullopt;
        const std::optional<QString> name = award.players ? award.players->fullName : std::nullopt;
        const std::optional<QString> position =
            award.positions ? award.positions->abbreviation : std::nullopt;

        const QString id = abbreviation ? *abbreviation : name ? *name : LeagueCells::randomID();
        std::vector<QString> values{
            StatFormat::text(abbreviation ? abbreviation : awardName),
            StatFormat::text(name),
            StatFormat::text(position),
            StatFormat::text(award.teams ? award.teams->currentAbbreviation : std::nullopt),
            StatFormat::percent(award.votePercentage),
        };
        DataRow row = LeagueCells::row(id, std::move(values));
        row.links = link(1, playerID, name, position);
        made.push_back(std::move(row));
    }
    using LeagueCells::column;
    std::vector<StatColumn> columns{column(QStringLiteral("Award"), 52, false, false, 10.0, false),
                                    column(QStringLiteral("Player"), 130, false, true, 10.0, false),
                                    column(QStringLiteral("Pos"), 34, false, false, 10.0, false),
                                    column(QStringLiteral("Tm"), 40, false, false, 10.0, false),
                                    column(QStringLiteral("Vote%"), 46, true, false, std::nullopt, false)};
    std::vector<DataSection> sections;
    sections.push_back(LeagueCells::section(std::nullopt, std::move(made), true));
    return DataTable(std::nullopt, std::move(columns), {}, std::move(sections));
}

DataTable allPro(const std::vector<HonorRow>& rows) {
    std::vector<HonorRow> first;
    std::vector<HonorRow> second;
    for (const HonorRow& row : rows) {
        if (row.teamLevel == u"first_team")
            first.push_back(row);
        else if (row.teamLevel == u"second_team")
            second.push_back(row);
    }
    std::vector<DataSection> sections;
    sections.push_back(section(QStringLiteral("1st Team"), ordered(std::move(first))));
    sections.push_back(section(QStringLiteral("2nd Team"), ordered(std::move(second))));
    StandingsBuilder::PromotedLabel promoted =
        StandingsBuilder::promotingFirstSectionLabel(honorColumns(), std::move(sections));
    return DataTable(std::nullopt, std::move(promoted.columns), {}, std::move(promoted.sections));
}

DataTable allRookie(const std::vector<HonorRow>& rows) {
    std::vector<DataSection> sections;
    sections.push_back(section(std::nullopt, ordered(rows)));
    return DataTable(std::nullopt, honorColumns(), {}, std::move(sections));
}

} // namespace huddlepod::AwardsBuilder
