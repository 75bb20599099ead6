// Standings tables: division and conference sections, record cells, the playoff cut line.
#include "data/StandingsBuilder.h"

#include "data/LeagueCells.h"
#include "data/StatFormat.h"
#include "data/TextOrder.h"

#include <QHash>

#include <algorithm>

namespace huddlepod::StandingsBuilder {

namespace {

const QString leagueKey = QStringLiteral("League");

StatColumn recordColumn(const char* title, double width) {
    return LeagueCells::column(QString::fromLatin1(title), width, true, false, std::nullopt, false);
}

const StatColumn& teamColumn() {
    static const StatColumn column =
        LeagueCells::column(QStringLiteral("Team"), 42, false, true, std::nullopt, false);
    return column;
}

std::vector<StatColumn> recordColumns() {
    return {recordColumn("W", 28),  recordColumn("L", 28),  recordColumn("T", 24),   recordColumn("PCT", 40),
            recordColumn("PF", 38), recordColumn("PA", 38), recordColumn("DIFF", 44)};
}

QString signedText(std::optional<std::int64_t> value) {
    if (value && *value >= 1)
        return QLatin1Char('+') + QString::number(*value);
    return StatFormat::integer(value);
}

std::vector<QString> values(const StandingRow& row, bool seed) {
    std::vector<QString> cells;
    cells.reserve(9);
    if (seed)
        cells.push_back(StatFormat::integer(row.conferenceSeed));
    cells.push_back(StatFormat::text(row.teams ? row.teams->currentAbbreviation : std::nullopt));
    cells.push_back(StatFormat::integer(row.wins));
    cells.push_back(StatFormat::integer(row.losses));
    cells.push_back(StatFormat::integer(row.ties));
    cells.push_back(StatFormat::winPct(row.winPct));
    cells.push_back(StatFormat::integer(row.pointsFor));
    cells.push_back(StatFormat::integer(row.pointsAgainst));
    cells.push_back(signedText(row.pointDifferential));
    return cells;
}

QString rowID(const StandingRow& row) {
    if (row.teams && row.teams->id)
        return LeagueCells::uuidString(*row.teams->id);
    return LeagueCells::randomID();
}

const DivisionAssignment* assignmentOf(const StandingRow& row, const DivisionAssignments& assignments) {
    if (!row.teams || !row.teams->id)
        return nullptr;
    const auto found = assignments.find(*row.teams->id);
    return found == assignments.end() ? nullptr : &found->second;
}

// Groups in first-seen order; the caller sorts the keys.
struct Group {
    QString key;
    std::vector<const StandingRow*> rows;
};

class Groups {
public:
    Group& operator[](const QString& key) {
        const auto found = m_index.constFind(key);
        if (found != m_index.cend())
            return m_groups[*found];
        m_index.insert(key, m_groups.size());
        m_groups.push_back(Group{key, {}});
        return m_groups.back();
    }
    // The groups, for sorting and taking apart; the index is not kept up to date.
    std::vector<Group>& all() { return m_groups; }

private:
    std::vector<Group> m_groups;
    QHash<QString, std::size_t> m_index;
};

void sortByKey(std::vector<Group>& groups) {
    std::stable_sort(groups.begin(), groups.end(),
                     [](const Group& a, const Group& b) { return byteLess(a.key, b.key); });
}

DataSection divisionSection(const QString& label, std::vector<const StandingRow*> rows) {
    const auto rank = [](const StandingRow* row) { return row->divisionRank.value_or(99); };
    std::stable_sort(rows.begin(), rows.end(),
                     [&](const StandingRow* a, const StandingRow* b) { return rank(a) < rank(b); });
    std::vector<DataRow> made;
    made.reserve(rows.size());
    for (const StandingRow* row : rows)
        made.push_back(
            LeagueCells::row(rowID(*row), values(*row, false), row->isDivisionWinner.value_or(false)));
    return LeagueCells::section(label, std::move(made), true);
}

bool seededFirst(const StandingRow* a, const StandingRow* b) {
    if (a->conferenceSeed && b->conferenceSeed)
        return *a->conferenceSeed < *b->conferenceSeed;
    if (a->conferenceSeed || b->conferenceSeed)
        return a->conferenceSeed.has_value();
    return a->winPct.value_or(0) > b->winPct.value_or(0);
}

DataSection conferenceSection(const QString& label, std::vector<const StandingRow*> rows) {
    std::stable_sort(rows.begin(), rows.end(), seededFirst);
    const auto lastPlayoff = std::find_if(rows.rbegin(), rows.rend(), [](const StandingRow* row) {
        return row->isPlayoffTeam.value_or(false);
    });
    const std::ptrdiff_t cut = lastPlayoff == rows.rend() ? -1 : std::distance(lastPlayoff, rows.rend()) - 1;
    std::vector<DataRow> made;
    made.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const StandingRow& row = *rows[i];
        DataRow next = LeagueCells::row(rowID(row), values(row, true), row.isPlayoffTeam.value_or(false));
        next.hasCutBelow = static_cast<std::ptrdiff_t>(i) == cut && i + 1 < rows.size();
        made.push_back(std::move(next));
    }
    return LeagueCells::section(label, std::move(made), true);
}

DataTable finish(std::vector<StatColumn> columns, std::vector<DataSection> sections) {
    PromotedLabel promoted = promotingFirstSectionLabel(std::move(columns), std::move(sections));
    return DataTable(std::nullopt, std::move(promoted.columns), {}, std::move(promoted.sections));
}

} // namespace

DataTable byDivision(const std::vector<StandingRow>& rows, const DivisionAssignments& assignments) {
    Groups groups;
    std::vector<const StandingRow*> unassigned;
    for (const StandingRow& row : rows) {
        if (const DivisionAssignment* assignment = assignmentOf(row, assignments))
            groups[assignment->division].rows.push_back(&row);
        else
            unassigned.push_back(&row);
    }
    std::vector<Group>& divisions = groups.all();
    sortByKey(divisions);

    std::vector<DataSection> sections;
    sections.reserve(divisions.size() + 1);
    for (Group& division : divisions)
        sections.push_back(divisionSection(division.key, std::move(division.rows)));
    if (!unassigned.empty())
        sections.push_back(divisionSection(leagueKey, std::move(unassigned)));

    std::vector<StatColumn> columns{teamColumn()};
    for (StatColumn& column : recordColumns())
        columns.push_back(std::move(column));
    return finish(std::move(columns), std::move(sections));
}

DataTable byConference(const std::vector<StandingRow>& rows, const DivisionAssignments& assignments) {
    Groups groups;
    for (const StandingRow& row : rows) {
        const DivisionAssignment* assignment = assignmentOf(row, assignments);
        groups[assignment ? assignment->conference : leagueKey].rows.push_back(&row);
    }
    std::vector<Group>& conferences = groups.all();
    sortByKey(conferences);

    std::vector<DataSection> sections;
    sections.reserve(conferences.size());
    for (Group& conference : conferences)
        sections.push_back(conferenceSection(conference.key, std::move(conference.rows)));

    std::vector<StatColumn> columns{LeagueCells::column(QStringLiteral("Sd"), 22, false, false, 8.0, false),
                                    teamColumn()};
    for (StatColumn& column : recordColumns())
        columns.push_back(std::move(column));
    return finish(std::move(columns), std::move(sections));
}

PromotedLabel promotingFirstSectionLabel(std::vector<StatColumn> columns, std::vector<DataSection> sections) {
    std::erase_if(sections, [](const DataSection& section) { return section.rows.empty(); });
    if (sections.empty() || !sections.front().label || columns.empty())
        return {std::move(columns), std::move(sections)};

    const QString label = *sections.front().label;
    StatColumn& first = columns.front();
    first.title = label;
    first.width = std::max(first.width, 7.0 * LeagueCells::characterCount(label) + 2);
    first.isSectionLabel = true;
    first.isContentSized = false;
    sections.front().label = std::nullopt;
    sections.front().showsLabel = true;
    return {std::move(columns), std::move(sections)};
}

} // namespace huddlepod::StandingsBuilder
