// The data grid's accessible elements, read off its layout and its table's spoken texts.
#include "app/Views/DataGridAccessible.h"

#include "app/Views/DataGridView.h"

#include <QStringList>

namespace huddlepod {

namespace {

using Kind = DataGridLayout::Kind;

QRectF unionOf(const DataGridLayout& layout, Kind kind) {
    QRectF united;
    for (const DataGridLayout::Text& text : layout.texts) {
        if (text.kind == kind) {
            united = united.united(text.frame);
        }
    }
    return united;
}

} // namespace

DataGridAccessible::DataGridAccessible(DataGridView* grid)
    : PaintedAccessible(grid, QAccessible::Grouping) {
    const DataTable& table = grid->table();
    const DataGridLayout& layout = grid->gridLayout();
    const auto add = [this](Entry entry, bool topLevel = true) {
        entries_.push_back(std::move(entry));
        const int element = int(entries_.size()) - 1;
        if (topLevel) {
            topLevel_.push_back(element);
        }
        return element;
    };
    const auto textOf = [&](Kind kind, int section) -> const DataGridLayout::Text* {
        for (const DataGridLayout::Text& text : layout.texts) {
            if (text.kind == kind && (section < 0 || text.section == section)) {
                return &text;
            }
        }
        return nullptr;
    };

    if (const DataGridLayout::Text* title = textOf(Kind::title, -1)) {
        // Spoken as written; only the drawing is upper-cased.
        add(makeEntry(QAccessible::Heading, table.title().value_or(QString()), title->frame));
    }
    for (int section = 0; section < int(table.sections().size()); ++section) {
        const DataSection& current = table.sections()[std::size_t(section)];
        // The first section's label may have moved into the section-label column's title: its rows say it
        // as the later sections' rows say theirs.
        std::optional<QString> spokenSection = current.label;
        if (section == 0 && !spokenSection && !table.columns().empty() &&
            table.columns().front().isSectionLabel) {
            spokenSection = table.columns().front().title;
        }
        if (const DataGridLayout::Text* label = textOf(Kind::sectionLabel, section)) {
            add(makeEntry(QAccessible::Heading, label->text, label->frame));
        }
        if (section == 0) {
            if (textOf(Kind::groupCaption, -1) != nullptr) {
                QStringList captions;
                for (const ColumnGroup& group : table.groups()) {
                    captions.append(group.title);
                }
                add(makeEntry(QAccessible::StaticText, captions.join(QStringLiteral(", ")),
                              unionOf(layout, Kind::groupCaption)));
            }
            if (textOf(Kind::columnHeader, -1) != nullptr) {
                add(makeEntry(QAccessible::ColumnHeader, table.spokenColumnHeader(),
                              unionOf(layout, Kind::columnHeader)));
            }
        }
        for (const DataGridLayout::Row& placed : layout.rows) {
            if (placed.section != section) {
                continue;
            }
            const DataRow& row = current.rows[std::size_t(placed.index)];
            Entry line =
                makeEntry(QAccessible::StaticText, table.spokenLabel(row, spokenSection), placed.frame);
            if (grid->opensPlayers()) {
                line.players = DataGridView::rowActions(row);
            }
            const int element = add(std::move(line));
            for (int link = 0; link < int(layout.links.size()); ++link) {
                const PlayerNameLink& cell = layout.links[std::size_t(link)];
                const DataGridLayout::Text& text = layout.texts[cell.textIndex];
                if (text.section == section && text.row == placed.index) {
                    Entry entry = makeEntry(QAccessible::Link, PlayerNameLink::accessibilityLabel(cell.links),
                                            cell.hitArea);
                    entry.description = PlayerNameLink::accessibilityHint(cell.links);
                    entry.parent = element;
                    entry.link = link;
                    const int child = add(std::move(entry), false);
                    entries_[std::size_t(element)].children.push_back(child);
                }
            }
        }
    }
}

DataGridView* DataGridAccessible::grid() const {
    return static_cast<DataGridView*>(widget());
}

std::vector<int> DataGridAccessible::elementChildren(int element) const {
    return element == self ? topLevel_ : entry(element).children;
}

int DataGridAccessible::elementParent(int element) const {
    return entry(element).parent;
}

QAccessible::Role DataGridAccessible::elementRole(int element) const {
    return entry(element).role;
}

QString DataGridAccessible::elementText(int element, QAccessible::Text text) const {
    switch (text) {
    case QAccessible::Name:
        return entry(element).name;
    case QAccessible::Description:
        return entry(element).description;
    default:
        return {};
    }
}

QRectF DataGridAccessible::elementRect(int element) const {
    return entry(element).frame;
}

QStringList DataGridAccessible::elementActions(int element) const {
    const Entry& current = entry(element);
    if (current.link >= 0) {
        return {QAccessibleActionInterface::pressAction()};
    }
    QStringList names;
    for (const PlayerLink& player : current.players) {
        names.append(QStringLiteral("Open ") + player.name);
    }
    return names;
}

QWidget* DataGridAccessible::attachedPopup() const {
    const Popover* disclosure = grid()->disclosure();
    return disclosure != nullptr && disclosure->isVisible() ? disclosure->content() : nullptr;
}

void DataGridAccessible::performElementAction(int element, int action) {
    const Entry& current = entry(element);
    if (current.link >= 0) {
        grid()->activateLink(current.link);
        return;
    }
    if (action >= 0 && action < int(current.players.size())) {
        grid()->openPlayer(current.players[std::size_t(action)]);
    }
}

} // namespace huddlepod
