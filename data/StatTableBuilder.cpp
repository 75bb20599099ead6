// The season stat tables: three leading columns, the family's columns, regular and postseason sections.
#include "data/StatTableBuilder.h"

#include "data/StatFormat.h"
#include "data/StatSection.h"

#include <algorithm>
#include <functional>

namespace huddlepod {

namespace {

const QString postseasonLabel = QStringLiteral("Postseason");

template <class R>
struct FamilyColumn {
    QString title;
    double width;
    std::function<QString(const R&)> cell;
};

QString oneDecimal(const std::optional<double>& value) {
    return StatFormat::decimal(value, 1);
}

template <class R>
DataTable buildTable(StatSection section, const std::vector<R>& seasons,
                     const std::vector<FamilyColumn<R>>& family,
                     const std::function<bool(const R&)>& isRow = {}) {
    std::vector<StatColumn> columns{
        StatColumn{.title = "Year", .width = 40, .isNumeric = false, .trailingGap = 8},
        StatColumn{.title = "Tm", .width = 36, .isNumeric = false, .isFlexible = true},
        StatColumn{.title = "G", .width = 26},
    };
    for (const auto& column : family)
        columns.push_back(StatColumn{.title = column.title, .width = column.width});

    std::vector<R> selected;
    if (isRow)
        std::copy_if(seasons.begin(), seasons.end(), std::back_inserter(selected), isRow);
    else
        selected = seasons;

    const auto rowsOf = [&family](const std::vector<R>& chosen) {
        std::vector<DataRow> rows;
        rows.reserve(chosen.size());
        for (const R& season : chosen) {
            std::vector<QString> values;
            values.reserve(3 + family.size());
            values.push_back(QString::number(season.year));
            values.push_back(StatFormat::text(season.teamAbbr));
            values.push_back(StatFormat::integer(season.games));
            for (const auto& column : family)
                values.push_back(column.cell(season));
            rows.push_back(DataRow{.id = season.id.toString(QUuid::WithoutBraces).toUpper(),
                                   .values = std::move(values)});
        }
        return rows;
    };

    return DataTable(title(section), std::move(columns), {},
                     {
                         DataSection{.label = std::nullopt, .rows = rowsOf(regularSeason(selected))},
                         DataSection{.label = postseasonLabel, .rows = rowsOf(postseason(selected))},
                     });
}

} // namespace

namespace StatTableBuilder {

DataTable passing(const std::vector<PassingSeason>& seasons) {
    using S = PassingSeason;
    return buildTable<S>(StatSection::passing, seasons,
                         {
                             {"Cmp", 38, [](const S& s) { return StatFormat::integer(s.passCmp); }},
                             {"Att", 38, [](const S& s) { return StatFormat::integer(s.passAtt); }},
                             {"Yds", 46, [](const S& s) { return StatFormat::integer(s.passYds); }},
                             {"TD", 30, [](const S& s) { return StatFormat::integer(s.passTd); }},
                             {"Int", 30, [](const S& s) { return StatFormat::integer(s.passInt); }},
                             {"Rate", 44, [](const S& s) { return oneDecimal(s.passRating); }},
                         });
}

DataTable rushing(const std::vector<RushingReceivingSeason>& seasons) {
    using S = RushingReceivingSeason;
    return buildTable<S>(StatSection::rushing, seasons,
                         {
                             {"Att", 38, [](const S& s) { return StatFormat::integer(s.rushAtt); }},
                             {"Yds", 48, [](const S& s) { return StatFormat::integer(s.rushYds); }},
                             {"Avg", 40, [](const S& s) { return oneDecimal(s.rushYdsPerAtt); }},
                             {"TD", 30, [](const S& s) { return StatFormat::integer(s.rushTd); }},
                             {"Lng", 34, [](const S& s) { return StatFormat::integer(s.rushLong); }},
                         },
                         [](const S& s) { return s.rushesAtLeast(1); });
}

DataTable receiving(const std::vector<RushingReceivingSeason>& seasons) {
    using S = RushingReceivingSeason;
    return buildTable<S>(StatSection::receiving, seasons,
                         {
                             {"Tgt", 36, [](const S& s) { return StatFormat::integer(s.targets); }},
                             {"Rec", 36, [](const S& s) { return StatFormat::integer(s.rec); }},
                             {"Yds", 48, [](const S& s) { return StatFormat::integer(s.recYds); }},
                             {"Avg", 40, [](const S& s) { return oneDecimal(s.recYdsPerRec); }},
                             {"TD", 30, [](const S& s) { return StatFormat::integer(s.recTd); }},
                         },
                         [](const S& s) { return s.catchesAtLeast(1); });
}

DataTable defense(const std::vector<DefenseSeason>& seasons) {
    using S = DefenseSeason;
    return buildTable<S>(StatSection::defense, seasons,
                         {
                             {"Tkl", 38, [](const S& s) { return StatFormat::integer(s.tacklesCombined); }},
                             {"Sk", 36, [](const S& s) { return oneDecimal(s.sacks); }},
                             {"Int", 32, [](const S& s) { return StatFormat::integer(s.defInt); }},
                             {"PD", 32, [](const S& s) { return StatFormat::integer(s.passDefended); }},
                             {"FF", 30, [](const S& s) { return StatFormat::integer(s.fumblesForced); }},
                         });
}

DataTable kicking(const std::vector<KickingSeason>& seasons) {
    using S = KickingSeason;
    return buildTable<S>(StatSection::kicking, seasons,
                         {
                             {"FG", 52, [](const S& s) { return StatFormat::ratio(s.fgm, s.fga); }},
                             {"FG%", 44, [](const S& s) { return StatFormat::percent(s.fgPct); }},
                             {"Lng", 36, [](const S& s) { return StatFormat::integer(s.fgLong); }},
                             {"XP", 52, [](const S& s) { return StatFormat::ratio(s.xpm, s.xpa); }},
                         });
}

DataTable punting(const std::vector<PuntingSeason>& seasons) {
    using S = PuntingSeason;
    return buildTable<S>(StatSection::punting, seasons,
                         {
                             {"Pnt", 36, [](const S& s) { return StatFormat::integer(s.punt); }},
                             {"Yds", 50, [](const S& s) { return StatFormat::integer(s.puntYds); }},
                             {"Avg", 42, [](const S& s) { return oneDecimal(s.puntYdsPerPunt); }},
                             {"Lng", 36, [](const S& s) { return StatFormat::integer(s.puntLong); }},
                             {"In20", 40, [](const S& s) { return StatFormat::integer(s.puntIn20); }},
                         });
}

DataTable returns(const std::vector<ReturnsSeason>& seasons) {
    using S = ReturnsSeason;
    return buildTable<S>(StatSection::returns, seasons,
                         {
                             {"KR", 32, [](const S& s) { return StatFormat::integer(s.kickRet); }},
                             {"Yds", 46, [](const S& s) { return StatFormat::integer(s.kickRetYds); }},
                             {"TD", 28, [](const S& s) { return StatFormat::integer(s.kickRetTd); }},
                             {"PR", 32, [](const S& s) { return StatFormat::integer(s.puntRet); }},
                             {"Yds", 46, [](const S& s) { return StatFormat::integer(s.puntRetYds); }},
                             {"TD", 28, [](const S& s) { return StatFormat::integer(s.puntRetTd); }},
                         });
}

DataTable scoring(const std::vector<ScoringSeason>& seasons) {
    using S = ScoringSeason;
    return buildTable<S>(StatSection::scoring, seasons,
                         {
                             {"TD", 32, [](const S& s) { return StatFormat::integer(s.totalTd); }},
                             {"FG", 32, [](const S& s) { return StatFormat::integer(s.fgm); }},
                             {"XP", 32, [](const S& s) { return StatFormat::integer(s.xpm); }},
                             {"2Pt", 34, [](const S& s) { return StatFormat::integer(s.twoPtMd); }},
                             {"Pts", 42, [](const S& s) { return StatFormat::integer(s.scoring); }},
                         });
}

std::vector<DataTable> sections(const PlayerStats& stats) {
    // The rushing and receiving halves of one family are judged apart; every other table uses its family's
    // substantive test.
    std::vector<DataTable> tables;
    const auto add = [&tables](DataTable table) {
        if (!table.isEmpty())
            tables.push_back(std::move(table));
    };
    if (hasSubstantiveData(stats.passing))
        add(passing(stats.passing));
    if (stats.hasSubstantiveRushing())
        add(rushing(stats.rushingReceiving));
    if (stats.hasSubstantiveReceiving())
        add(receiving(stats.rushingReceiving));
    if (hasSubstantiveData(stats.defense))
        add(defense(stats.defense));
    if (hasSubstantiveData(stats.kicking))
        add(kicking(stats.kicking));
    if (hasSubstantiveData(stats.punting))
        add(punting(stats.punting));
    if (hasSubstantiveData(stats.returns))
        add(returns(stats.returns));
    if (hasSubstantiveData(stats.scoring))
        add(scoring(stats.scoring));
    return tables;
}

} // namespace StatTableBuilder

} // namespace huddlepod
