// Shared pieces of the league tables.
#include "data/LeagueCells.h"

#include <QTextBoundaryFinder>

namespace huddlepod {

std::map<int, std::vector<PlayerLink>> link(int column, const std::optional<QUuid>& id,
                                            const std::optional<QString>& name,
                                            const std::optional<QString>& position) {
    if (!id || !name || name->isEmpty())
        return {};
    return {{column, {PlayerLink{*id, *name, position}}}};
}

namespace LeagueCells {

StatColumn column(const QString& title, double width, bool isNumeric, bool isFlexible,
                  std::optional<double> trailingGap, bool isContentSized) {
    StatColumn column;
    column.title = title;
    column.width = width;
    column.isNumeric = isNumeric;
    column.isFlexible = isFlexible;
    column.trailingGap = trailingGap;
    column.isContentSized = isContentSized;
    column.isSectionLabel = false;
    return column;
}

DataRow row(QString id, std::vector<QString> values, bool isEmphasized) {
    DataRow row;
    row.id = std::move(id);
    row.values = std::move(values);
    row.isEmphasized = isEmphasized;
    return row;
}

DataSection section(std::optional<QString> label, std::vector<DataRow> rows, bool showsLabel) {
    DataSection section;
    section.label = std::move(label);
    section.rows = std::move(rows);
    section.showsLabel = showsLabel;
    return section;
}

QString uuidString(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QString randomID() {
    return uuidString(QUuid::createUuid());
}

qsizetype characterCount(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

} // namespace LeagueCells

} // namespace huddlepod
