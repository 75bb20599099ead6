// A table's shape as text, one line per column or group, so that two shapes compare whole and a failure shows
// the lines that differ: `"Year" 40 text gap=8`, `"Tm" 36 text flexible`, `"G" 26`.
#pragma once

#include "data/DataTable.h"

#include <string>
#include <vector>

namespace huddlepod::test {

// A numeric, fixed column with the default gap: the most common kind.
inline StatColumn numeric(const char* title, double width) {
    return StatColumn{.title = QString::fromUtf8(title), .width = width};
}

inline std::string shape(const StatColumn& column) {
    std::string line =
        "\"" + column.title.toStdString() + "\" " + QString::number(column.width).toStdString();
    if (!column.isNumeric)
        line += " text";
    if (column.isFlexible)
        line += " flexible";
    if (column.isContentSized)
        line += " content-sized";
    if (column.isSectionLabel)
        line += " section-label";
    if (column.trailingGap)
        line += " gap=" + QString::number(*column.trailingGap).toStdString();
    return line;
}

inline std::string shape(const std::vector<StatColumn>& columns) {
    std::string text;
    for (const StatColumn& column : columns)
        text += shape(column) + "\n";
    return text;
}

inline std::string shape(const std::vector<ColumnGroup>& groups) {
    std::string text;
    for (const ColumnGroup& group : groups)
        text += "\"" + group.title.toStdString() + "\" from " + std::to_string(group.start) + " over " +
                std::to_string(group.count) + "\n";
    return text;
}

inline double totalWidth(const std::vector<StatColumn>& columns) {
    double sum = 0;
    for (const StatColumn& column : columns)
        sum += column.width;
    return sum;
}

} // namespace huddlepod::test
