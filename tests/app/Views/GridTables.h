// Tables for the grid tests: columns, groups, sections, a cut line and links.
#pragma once

#include "data/DataTable.h"
#include "data/StatFormat.h"

namespace huddlepod::testsupport {

inline StatColumn column(QString title, double width, bool numeric = true) {
    StatColumn result;
    result.title = std::move(title);
    result.width = width;
    result.isNumeric = numeric;
    return result;
}

inline DataRow row(QString id, std::vector<QString> values) {
    DataRow result;
    result.id = std::move(id);
    result.values = std::move(values);
    return result;
}

inline PlayerLink player(const char* name) {
    return {QUuid::createUuidV5(QUuid(), QString::fromUtf8(name)), QString::fromUtf8(name),
            QStringLiteral("QB")};
}

// Year (gap 8) | Tm (flexible, text) | G | Yds | TD, two groups the second of which runs past the last
// column, a primary section of two rows, and a labelled postseason section.
inline DataTable passingTable() {
    std::vector<StatColumn> columns{column("Year", 40), column("Tm", 36, false), column("G", 26),
                                    column("Yds", 30), column("TD", 24)};
    columns[0].trailingGap = 8;
    columns[1].isFlexible = true;
    DataSection regular{std::nullopt,
                        {row("r1", {"2019", "KC", "16", "4031", "26"}),
                         row("r2", {"2020", "KC", "15", StatFormat::absent, "38"})},
                        true};
    DataSection post{QStringLiteral("Postseason"), {row("p1", {"2019", "KC", "3", "901", "8"})}, true};
    return DataTable(QStringLiteral("Passing"), columns,
                     {{QStringLiteral("Games"), 1, 2}, {QStringLiteral("Passing"), 3, 5}}, {regular, post});
}

// A standings-like table: a section-label column, a cut line after the second row, links in two columns.
inline DataTable standingsTable() {
    std::vector<StatColumn> columns{column("AFC East", 120, false), column("W", 24), column("L", 24),
                                    column("Leader", 110, false)};
    columns[0].isSectionLabel = true;
    columns[3].isContentSized = true;
    DataRow first = row("t1", {"Buffalo", "11", "6", "Josh Allen"});
    first.isEmphasized = true;
    first.links[3] = {player("Josh Allen")};
    first.links[0] = {player("Team Captain")};
    DataRow second = row("t2", {"Miami", "9", "8", "Three Winners"});
    second.links[3] = {player("Tua Tagovailoa"), player("Tyreek Hill"), player("Jaylen Waddle")};
    second.hasCutBelow = true;
    DataRow third = row("t3", {"New York", "7", "10", StatFormat::absent});
    third.emphasizedValues = {1};
    DataSection section{QStringLiteral("AFC East"), {first, second, third}, false};
    return DataTable(std::nullopt, columns, {}, {section});
}

} // namespace huddlepod::testsupport
