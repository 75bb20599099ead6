// Shared pieces of the league tables: columns, rows, sections, ids and player links.
#pragma once

#include "data/DataTable.h"

#include <QString>
#include <QUuid>

#include <map>
#include <optional>
#include <vector>

namespace huddlepod {

// The links of one cell: {column: [player]} when the id is known and the name not empty, else none.
std::map<int, std::vector<PlayerLink>> link(int column, const std::optional<QUuid>& id,
                                            const std::optional<QString>& name,
                                            const std::optional<QString>& position);

namespace LeagueCells {

StatColumn column(const QString& title, double width, bool isNumeric, bool isFlexible,
                  std::optional<double> trailingGap, bool isContentSized);

DataRow row(QString id, std::vector<QString> values, bool isEmphasized = false);

DataSection section(std::optional<QString> label, std::vector<DataRow> rows, bool showsLabel);

// A UUID's standard upper-case text without braces.
QString uuidString(const QUuid& id);
// The text of a fresh random UUID, for rows that have no identity of their own.
QString randomID();
// The number of user-perceived characters (grapheme clusters).
qsizetype characterCount(const QString& text);

} // namespace LeagueCells

} // namespace huddlepod
