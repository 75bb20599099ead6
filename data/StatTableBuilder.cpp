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

bool rushes(const RushingReceivingSeason& s, int least) {
    return atLeast(s.rushAtt, least);
}

bool catches(const RushingReceivingSeason& s, int least) {
    return atLeast(s.rec, least) || atLeast(s.targets, least);
}

template <class R, class Test>
bool any(const std::vector<R>& seasons, Test test) {
    return std::any_of(seasons.begin(), seasons.end(), test);
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
                         [](const S& s) { return rushes(s, 1); });
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
                         [](const S& s) { return catches(s, 1); });
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
    const auto substantive = [](const auto& s) { return s.isSubstantive(); };
    const int least = incidentalStatThreshold;
    std::vector<DataTable> tables;
    const auto add = [&tables](DataTable table) {
        if (!table.isEmpty())
            tables.push_back(std::move(table));
    };
    if (any(stats.passing, substantive))
        add(passing(stats.passing));
    if (any(stats.rushingReceiving, [least](const auto& s) { return rushes(s, least); }))
        add(rushing(stats.rushingReceiving));
    if (any(stats.rushingReceiving, [least](const auto& s) { return catches(s, least); }))
        add(receiving(stats.rushingReceiving));
    if (any(stats.defense, substantive))
        add(defense(stats.defense));
    if (any(stats.kicking, substantive))
        add(kicking(stats.kicking));
    if (any(stats.punting, substantive))
        add(punting(stats.punting));
    if (any(stats.returns, substantive))
        add(returns(stats.returns));
    if (any(stats.scoring, substantive))
        add(scoring(stats.scoring));
    return tables;
}

} // namespace StatTableBuilder

} // namespace huddlepod
