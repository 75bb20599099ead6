// Draft round table: one row per pick, the round's label heading the first column.
#include "data/DraftBuilder.h"

#include "data/LeagueCells.h"
#include "data/StandingsBuilder.h"
#include "data/StatFormat.h"

namespace huddlepod::DraftBuilder {

namespace {

std::vector<StatColumn> columns() {
    using LeagueCells::column;
    return {column(QStringLiteral("#"), 26, false, false, 8.0, true),
            column(QStringLiteral("Tm"), 40, false, false, 10.0, true),
            column(QStringLiteral("Player"), 120, false, true, 8.0, false),
            column(QStringLiteral("Pos"), 36, false, false, 10.0, true),
            column(QStringLiteral("College"), 130, false, false, std::nullopt, true)};
}

} // namespace

DataTable build(const std::vector<DraftPickRow>& rows, int year, int round) {
    std::vector<DataRow> made;
    made.reserve(rows.size());
    for (const DraftPickRow& pick : rows) {
        const auto& player = pick.players;
        const std::optional<QString> position = pick.positions ? pick.positions->abbreviation : std::nullopt;
        std::vector<QString> values{
            StatFormat::integer(pick.pickOverall),
            StatFormat::text(pick.teams ? pick.teams->currentAbbreviation : std::nullopt),
            player && player->fullName ? *player->fullName : StatFormat::absent,
            StatFormat::text(position),
            StatFormat::text(player ? player->college : std::nullopt),
        };
        DataRow row = LeagueCells::row(QString::number(year) + QLatin1Char('-') +
                                           QString::number(pick.pickOverall.value_or(0)),
                                       std::move(values));
        row.links =
            link(2, player ? player->id : std::nullopt, player ? player->fullName : std::nullopt, position);
        made.push_back(std::move(row));
    }
    std::vector<DataSection> sections;
    sections.push_back(
        LeagueCells::section(QStringLiteral("Rd ") + QString::number(round), std::move(made), true));
    StandingsBuilder::PromotedLabel promoted =
        StandingsBuilder::promotingFirstSectionLabel(columns(), std::move(sections));
    return DataTable(std::nullopt, std::move(promoted.columns), {}, std::move(promoted.sections));
}

} // namespace huddlepod::DraftBuilder
