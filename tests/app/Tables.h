// Small tables for view-model tests: a titled table with some rows, or one without any.
#pragma once

#include "data/DataTable.h"

namespace huddlepod::testing {

inline DataTable tableWithRows(const QString& title, int rows = 1) {
    std::vector<DataRow> dataRows;
    for (int i = 0; i < rows; ++i)
        dataRows.push_back(DataRow{QString::number(i), {title + QString::number(i)}, false, {}, {}, false});
    return DataTable(title, {StatColumn{QStringLiteral("Value"), 40}}, {},
                     {DataSection{std::nullopt, std::move(dataRows), false}});
}

inline DataTable emptyTable(const QString& title) {
    return DataTable(title, {StatColumn{QStringLiteral("Value"), 40}}, {}, {});
}

} // namespace huddlepod::testing
