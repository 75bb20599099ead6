// Derived answers of the table model: kept sections, gaps, resolved widths and spoken texts.
#include "data/DataTable.h"

#include "data/StatFormat.h"

#include <QStringList>

#include <algorithm>
#include <utility>

namespace huddlepod {

namespace {
const std::vector<DataRow> noRows;
}

DataTable::DataTable(std::optional<QString> title, std::vector<StatColumn> columns,
                     std::vector<ColumnGroup> groups, std::vector<DataSection> sections)
    : m_title(std::move(title))
    , m_columns(std::move(columns))
    , m_groups(std::move(groups)) {
    m_sections.reserve(sections.size());
    for (auto& section : sections) {
        if (!section.isEmpty())
            m_sections.push_back(std::move(section));
    }
}

QString DataTable::id() const {
    if (m_title)
        return *m_title;
    QString joined;
    for (const auto& column : m_columns)
        joined += column.title;
    return joined;
}

bool DataTable::isEmpty() const {
    return std::all_of(m_sections.begin(), m_sections.end(),
                       [](const DataSection& s) { return s.isEmpty(); });
}

double DataTable::contentWidth() const {
    double sum = 0;
    for (const auto& column : m_columns)
        sum += column.width;
    return sum;
}

const std::vector<DataRow>& DataTable::primaryRows() const {
    for (const auto& section : m_sections) {
        if (!section.label)
            return section.rows;
    }
    return noRows;
}

const std::vector<DataRow>& DataTable::rows(const QString& labelled) const {
    for (const auto& section : m_sections) {
        if (section.label == labelled)
            return section.rows;
    }
    return noRows;
}

std::optional<int> DataTable::columnIndex(const QString& title) const {
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].title == title)
            return static_cast<int>(i);
    }
    return std::nullopt;
}

double DataTable::gap(int after) const {
    if (after < 0 || after + 1 >= static_cast<int>(m_columns.size()))
        return 0;
    return m_columns[after].trailingGap.value_or(columnSpacing);
}

double DataTable::totalGaps() const {
    double sum = 0;
    for (int i = 0; i < static_cast<int>(m_columns.size()); ++i)
        sum += gap(i);
    return sum;
}

std::vector<double> DataTable::resolvedWidths(double available, const std::map<int, double>& measured) const {
    std::vector<double> widths;
    widths.reserve(m_columns.size());
    int flexibleCount = 0;
    double baseSum = 0;
    for (int i = 0; i < static_cast<int>(m_columns.size()); ++i) {
        const StatColumn& column = m_columns[i];
        double width = column.width;
        if (column.isContentSized) {
            const auto found = measured.find(i);
            if (found != measured.end())
                width = std::min(found->second, column.width);
        }
        widths.push_back(width);
        baseSum += width;
        if (column.isFlexible)
            ++flexibleCount;
    }
    if (flexibleCount == 0)
        return widths;
    const double spare = available - totalGaps() - baseSum;
    if (!(spare > 0))
        return widths;
    const double share = spare / flexibleCount;
    for (size_t i = 0; i < widths.size(); ++i) {
        if (m_columns[i].isFlexible)
            widths[i] += share;
    }
    return widths;
}

QString DataTable::spokenLabel(const DataRow& row, const std::optional<QString>& sectionLabel) const {
    QStringList parts;
    if (sectionLabel && !sectionLabel->isEmpty())
        parts << *sectionLabel;
    for (size_t i = 0; i < row.values.size(); ++i) {
        const QString& value = row.values[i];
        const QString spoken = value == StatFormat::absent ? absentSpoken : value;
        // With no columns at all there is no title to speak; the value stands alone.
        const StatColumn* column =
            m_columns.empty() ? nullptr : &m_columns[std::min(i, m_columns.size() - 1)];
        if (column && !column->title.isEmpty() && !column->isSectionLabel)
            parts << column->title + QLatin1Char(' ') + spoken;
        else
            parts << spoken;
    }
    if (row.hasCutBelow)
        parts << QStringLiteral("last in the playoff field");
    return parts.join(QStringLiteral(", "));
}

QString DataTable::spokenColumnHeader() const {
    QStringList titles;
    for (const auto& column : m_columns) {
        if (!column.title.isEmpty() && !column.isSectionLabel)
            titles << column.title;
    }
    if (titles.isEmpty())
        return {};
    return QStringLiteral("Columns: ") + titles.join(QStringLiteral(", "));
}

} // namespace huddlepod
