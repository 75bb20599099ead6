// Standings tables: section order, row order, cut line, cells and label promotion.
#include "data/StandingsBuilder.h"

#include "data/JsonReader.h"

#include <gtest/gtest.h>

namespace huddlepod {
namespace {

using Texts = std::vector<QString>;

QUuid team(int n) {
    return QUuid::fromString(QStringLiteral("0000000a-0000-4000-8000-%1").arg(n, 12, 10, QLatin1Char('0')));
}

StandingRow row(int n, QString abbreviation) {
    StandingRow made;
    made.teams = TeamRef{team(n), std::move(abbreviation), std::nullopt, std::nullopt};
    return made;
}

DivisionAssignments assign(std::initializer_list<std::tuple<int, const char*, const char*>> teams) {
    DivisionAssignments made;
    for (const auto& [n, division, conference] : teams)
        made[team(n)] =
            DivisionAssignment{team(n), QString::fromUtf8(division), QString::fromUtf8(conference)};
    return made;
}

Texts labels(const DataTable& table) {
    Texts made;
    for (const DataSection& section : table.sections())
        made.push_back(section.label.value_or(QStringLiteral("<none>")));
    return made;
}

Texts column(const DataSection& section, int index) {
    Texts made;
    for (const DataRow& r : section.rows)
        made.push_back(r.values.at(index));
    return made;
}

TEST(StandingsBuilder, divisionsInByteOrderWithLeagueLastAndLabelPromoted) {
    const auto assignments = assign({{1, "NFC West", "NFC"},
                                     {2, "AFC East", "AFC"},
                                     {3, "afc low", "AFC"},
                                     {4, "Zeta", "NFC"},
                                     {6, "NFC West", "NFC"}});
    const DataTable table = StandingsBuilder::byDivision(
        {row(1, "SF"), row(5, "XXX"), row(3, "LOW"), row(2, "BUF"), row(4, "ZZ"), row(6, "SEA")},
        assignments);

    // The first label moves into the header; "Zeta" sorts before "afc low" (upper case first), "League" last.
    EXPECT_EQ(labels(table), (Texts{"<none>", "NFC West", "Zeta", "afc low", "League"}));
    const StatColumn& first = table.columns()[0];
    EXPECT_EQ(first.title, "AFC East");
    EXPECT_EQ(first.width, 58); // 7 × 8 + 2
    EXPECT_TRUE(first.isSectionLabel);
    EXPECT_TRUE(table.sections()[0].showsLabel);
    EXPECT_EQ(column(table.sections()[1], 0), (Texts{"SF", "SEA"})) << "rows of a division come together";
    EXPECT_EQ(column(table.sections()[4], 0), (Texts{"XXX"}));

    // Rows arrive by rank; within a division they sort stably by rank, a missing rank as 99.
    std::vector<StandingRow> ranked{row(1, "A"), row(2, "B"), row(3, "C"), row(4, "D"), row(5, "E")};
    for (auto [i, rank] : {std::pair{0, 99}, {2, 2}, {3, 98}, {4, 2}})
        ranked[i].divisionRank = rank;
    ranked[4].isDivisionWinner = true;
    const DataTable division = StandingsBuilder::byDivision(ranked, {});
    EXPECT_EQ(column(division.sections()[0], 0), (Texts{"C", "E", "D", "A", "B"}));
    EXPECT_TRUE(division.sections()[0].rows[1].isEmphasized);
    EXPECT_FALSE(division.sections()[0].rows[0].isEmphasized);
    EXPECT_EQ(division.columns()[0].title, "League");
}

TEST(StandingsBuilder, conferencesSortWithLeagueAmongThemSeedsFirstThenWinPercentage) {
    const auto assignments = assign({{1, "N1", "NFC"}, {2, "A1", "AFC"}});
    const DataTable table =
        StandingsBuilder::byConference({row(1, "SF"), row(3, "UN"), row(2, "BUF")}, assignments);
    EXPECT_EQ(labels(table), (Texts{"<none>", "League", "NFC"}));
    EXPECT_EQ(table.columns()[0].title, "AFC");
    EXPECT_EQ(table.columns()[0].width, 23); // the 22-point seed column widened to 7 × 3 + 2

    const DataTable conference = StandingsBuilder::byConference(decodeArray<StandingRow>(R"([
        {"win_pct":0.8,"teams":{"current_abbreviation":"P80a"}}, {"conference_seed":2,"win_pct":0.1,"teams":
        {"current_abbreviation":"S2"}}, {"teams":{"current_abbreviation":"NONE"}}, {"win_pct":0.9,"teams":
        {"current_abbreviation":"P90"}}, {"conference_seed":1,"win_pct":0.5,"teams":{"current_abbreviation":"S1"}},
        {"win_pct":0.8,"teams":{"current_abbreviation":"P80b"}}, {"win_pct":0,"teams":{"current_abbreviation":"P00"}}
    ])"),
                                                                {});
    const DataSection& league = conference.sections()[0];
    EXPECT_EQ(column(league, 1), (Texts{"S1", "S2", "P90", "P80a", "P80b", "NONE", "P00"}));
    EXPECT_EQ(column(league, 0), (Texts{"1", "2", "—", "—", "—", "—", "—"}));
}

TEST(StandingsBuilder, cutLineOnlyUnderLastPlayoffTeamAndNeverUnderLastRow) {
    using Flags = std::vector<bool>;
    const std::pair<Flags, Flags> cases[] = {
        {{true, true, false, false}, {false, true, false, false}},
        {{true, false, true, false}, {false, false, true, false}},
        {{false, false, false}, {false, false, false}},
        {{true, true, true}, {false, false, false}},
    };
    for (const auto& [playoff, cuts] : cases) {
        std::vector<StandingRow> rows;
        for (std::size_t i = 0; i < playoff.size(); ++i) {
            rows.push_back(row(static_cast<int>(i) + 1, QString::number(i)));
            rows.back().conferenceSeed = static_cast<int>(i) + 1;
            rows.back().isPlayoffTeam = playoff[i];
        }
        Flags made, emphasis;
        const DataTable table = StandingsBuilder::byConference(rows, {});
        for (const DataRow& r : table.sections()[0].rows) {
            made.push_back(r.hasCutBelow);
            emphasis.push_back(r.isEmphasized);
        }
        EXPECT_EQ(made, cuts);
        EXPECT_EQ(emphasis, playoff);
    }
}

TEST(StandingsBuilder, cellsAndRowIds) {
    const DataTable table = StandingsBuilder::byDivision(decodeArray<StandingRow>(R"([
        {"wins":12,"losses":4,"ties":1,"win_pct":0.6666,"points_for":8589934592,"points_against":300,
         "point_differential":5,"teams":{"id":"abcdef01-2345-4678-9abc-def012345678","current_abbreviation":"KC"}},
        {"point_differential":0,"win_pct":0,"teams":{"current_abbreviation":""}},
        {"point_differential":-3,"win_pct":1,"teams":{"current_abbreviation":"NE"}}, {}, {"teams":{}}])"),
                                                         {});
    const auto& rows = table.sections()[0].rows;
    EXPECT_EQ(rows[0].values, (Texts{"KC", "12", "4", "1", ".667", "8589934592", "300", "+5"}));
    EXPECT_EQ(rows[0].id, "ABCDEF01-2345-4678-9ABC-DEF012345678");
    EXPECT_EQ(rows[1].values, (Texts{"—", "—", "—", "—", ".000", "—", "—", "0"})); // empty abbreviation
    EXPECT_EQ(rows[2].values, (Texts{"NE", "—", "—", "—", "1.000", "—", "—", "-3"}));
    EXPECT_EQ(rows[3].values, Texts(8, "—"));
    EXPECT_NE(rows[3].id, rows[4].id);
    EXPECT_FALSE(QUuid::fromString(rows[3].id).isNull());
}

TEST(StandingsBuilder, promotionDropsEmptySectionsAndCountsCharacters) {
    EXPECT_EQ(StandingsBuilder::byDivision({}, {}).columns()[0].title, "Team");
    EXPECT_TRUE(StandingsBuilder::byDivision({}, {}).sections().empty());

    const StatColumn column{QStringLiteral("#"), 10, false, true, 8.0, true, false};
    const QString decomposed = QStringLiteral("A\u030Ae\u0301"); // two characters in four UTF-16 units
    DataRow r;
    r.id = QStringLiteral("r");
    const auto promoted = StandingsBuilder::promotingFirstSectionLabel(
        {column}, {DataSection{QStringLiteral("gone"), {}, true}, DataSection{decomposed, {r}, false},
                   DataSection{QStringLiteral("next"), {r}, true}});
    ASSERT_EQ(promoted.sections.size(), 2u);
    EXPECT_EQ(promoted.columns[0].title, decomposed);
    EXPECT_EQ(promoted.columns[0].width, 16); // 7 × 2 + 2
    EXPECT_FALSE(promoted.columns[0].isContentSized);
    EXPECT_FALSE(promoted.sections[0].label.has_value());
    EXPECT_TRUE(promoted.sections[0].showsLabel);

    // An unlabelled first section leaves the columns alone.
    EXPECT_EQ(StandingsBuilder::promotingFirstSectionLabel({column}, {DataSection{std::nullopt, {r}, true}})
                  .columns[0],
              column);
}

} // namespace
} // namespace huddlepod
