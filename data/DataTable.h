// The one table model every grid draws: columns, column groups and sections of preformatted rows.
#pragma once

#include <QHash>
#include <QString>
#include <QUuid>

#include <map>
#include <optional>
#include <set>
#include <vector>

namespace huddlepod {

struct StatColumn {
    QString title{};                     // may be empty (an untitled column)
    double width = 0;                    // declared width; for a content-sized column the most it may take
    bool isNumeric = true;               // cells align to the trailing edge
    bool isFlexible = false;             // takes a share of spare width
    std::optional<double> trailingGap{}; // space after the column; absent means DataTable::columnSpacing
    bool isContentSized = false;         // shrinks to its measured content, never grows past `width`
    bool isSectionLabel = false;         // the title is a section label; never spoken as a cell title

    bool operator==(const StatColumn&) const = default;
};

struct ColumnGroup {
    QString title{};
    int start = 0; // index of the first column spanned
    int count = 0; // number of columns spanned

    QString id() const { return title + QLatin1Char('-') + QString::number(start); }
    bool operator==(const ColumnGroup&) const = default;
};

struct PlayerLink {
    QUuid id{};
    QString name{};
    std::optional<QString> position{};

    bool operator==(const PlayerLink&) const = default;
};

struct DataRow {
    QString id{};                                   // stable identifier chosen by the builder
    std::vector<QString> values{};                  // one preformatted text per column
    bool isEmphasized = false;                      // the whole row
    std::set<int> emphasizedValues{};               // single emphasised cells
    std::map<int, std::vector<PlayerLink>> links{}; // player links per column index
    bool hasCutBelow = false;                       // a cut line is drawn under the row

    bool emphasises(int column) const { return isEmphasized || emphasizedValues.contains(column); }
    bool operator==(const DataRow&) const = default;
};

struct DataSection {
    std::optional<QString> label{};
    std::vector<DataRow> rows{};
    bool showsLabel = true;

    QString id() const { return label.value_or(QStringLiteral("__primary")); }
    bool isEmpty() const { return rows.empty(); }
    bool operator==(const DataSection&) const = default;
};

class DataTable {
public:
    static constexpr double columnSpacing = 6.0;
    static inline const QString absentSpoken = QStringLiteral("not recorded");

    DataTable() = default;
    // Keeps, in order, only the sections that have rows.
    DataTable(std::optional<QString> title, std::vector<StatColumn> columns, std::vector<ColumnGroup> groups,
              std::vector<DataSection> sections);

    const std::optional<QString>& title() const { return m_title; }
    const std::vector<StatColumn>& columns() const { return m_columns; }
    const std::vector<ColumnGroup>& groups() const { return m_groups; }
    const std::vector<DataSection>& sections() const { return m_sections; }

    // The title when present (even empty), else every column title run together.
    QString id() const;
    bool isEmpty() const;
    double contentWidth() const;
    bool needsGroupHeader() const { return m_groups.size() > 1; }

    const std::vector<DataRow>& primaryRows() const;
    const std::vector<DataRow>& rows(const QString& labelled) const;
    std::optional<int> columnIndex(const QString& title) const;

    double gap(int after) const;
    double totalGaps() const;
    // One width per column: content-sized columns shrink to `measured` (never grow), and spare width beyond
    // widths and gaps is shared equally by the flexible columns. Nothing is narrowed to fit.
    std::vector<double> resolvedWidths(double available, const std::map<int, double>& measured) const;

    QString spokenLabel(const DataRow& row, const std::optional<QString>& sectionLabel) const;
    QString spokenColumnHeader() const;

    bool operator==(const DataTable&) const = default;

private:
    std::optional<QString> m_title;
    std::vector<StatColumn> m_columns;
    std::vector<ColumnGroup> m_groups;
    std::vector<DataSection> m_sections;
};

inline size_t qHash(const StatColumn& column, size_t seed = 0) {
    return qHashMulti(seed, column.title, column.width, column.isNumeric, column.isFlexible,
                      column.trailingGap.value_or(0.0), column.trailingGap.has_value(), column.isContentSized,
                      column.isSectionLabel);
}

inline size_t qHash(const PlayerLink& link, size_t seed = 0) {
    return qHashMulti(seed, link.id, link.name, link.position.value_or(QString()), link.position.has_value());
}

inline size_t qHash(const ColumnGroup& group, size_t seed = 0) {
    return qHashMulti(seed, group.title, group.start, group.count);
}

} // namespace huddlepod
