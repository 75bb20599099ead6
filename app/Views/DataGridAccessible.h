// What the data grid offers assistive technologies: the title, headers and one element per row with an open
// action per linked player, and the player links inside the rows.
#pragma once

#include "app/Views/AccessibleElements.h"
#include "data/DataTable.h"

namespace huddlepod {

class DataGridView;

class DataGridAccessible : public PaintedAccessible {
public:
    explicit DataGridAccessible(DataGridView* grid);

    std::vector<int> elementChildren(int element) const override;
    int elementParent(int element) const override;
    QAccessible::Role elementRole(int element) const override;
    QString elementText(int element, QAccessible::Text text) const override;
    QRectF elementRect(int element) const override;
    QStringList elementActions(int element) const override;
    void performElementAction(int element, int action) override;
    QWidget* attachedPopup() const override;

private:
    struct Entry {
        QAccessible::Role role = QAccessible::StaticText;
        QString name;
        QString description;
        QRectF frame;
        int parent = self;
        std::vector<int> children;
        std::vector<PlayerLink> players; // a row's open actions
        int link = -1;                   // a link's index in the grid's layout
    };

    static Entry makeEntry(QAccessible::Role role, QString name, QRectF frame) {
        Entry entry;
        entry.role = role;
        entry.name = std::move(name);
        entry.frame = frame;
        return entry;
    }
    DataGridView* grid() const;
    const Entry& entry(int element) const { return entries_[std::size_t(element)]; }

    std::vector<Entry> entries_; // the grid never changes after it is made
    std::vector<int> topLevel_;
};

} // namespace huddlepod
