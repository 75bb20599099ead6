// What assistive technologies find in the painted widgets: elements, roles, spoken texts, states and actions,
// and that performing an action does what a click does.
#include "GridTables.h"
#include "app/Views/Components/ListPicker.h"
#include "app/Views/Components/PopoverList.h"
#include "app/Views/Components/SegmentedToggle.h"
#include "app/Views/Components/StatusMessage.h"
#include "app/Views/DataGridView.h"
#include "app/Views/HotkeyHintView.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QPointer>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace huddlepod;
using namespace huddlepod::testsupport;

namespace {

std::vector<QAccessibleInterface*> childrenOf(QAccessibleInterface* parent) {
    std::vector<QAccessibleInterface*> children;
    for (int index = 0; index < parent->childCount(); ++index) {
        children.push_back(parent->child(index));
    }
    return children;
}

QString name(QAccessibleInterface* element) {
    return element->text(QAccessible::Name);
}

QString hint(QAccessibleInterface* element) {
    return element->text(QAccessible::Description);
}

QStringList actions(QAccessibleInterface* element) {
    QAccessibleActionInterface* action = element->actionInterface();
    return action != nullptr ? action->actionNames() : QStringList();
}

void perform(QAccessibleInterface* element, const QString& action) {
    ASSERT_TRUE(actions(element).contains(action)) << action.toStdString();
    element->actionInterface()->doAction(action);
}

void press(QAccessibleInterface* element) {
    perform(element, QAccessibleActionInterface::pressAction());
}

} // namespace

TEST(GridAccessibility, titleHeadersAndRowsInReadingOrder) {
    const DataTable table = passingTable();
    DataGridView grid(table, 400);
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&grid);
    const std::vector<QAccessibleInterface*> elements = childrenOf(root);
    const DataSection& regular = table.sections()[0];
    const std::pair<QAccessible::Role, QString> expected[] = {
        {QAccessible::Heading, QStringLiteral("Passing")}, // drawn upper-cased, spoken as written
        {QAccessible::StaticText, QStringLiteral("Games, Passing")},
        {QAccessible::ColumnHeader, table.spokenColumnHeader()},
        {QAccessible::StaticText, table.spokenLabel(regular.rows[0], std::nullopt)},
        {QAccessible::StaticText, table.spokenLabel(regular.rows[1], std::nullopt)},
        {QAccessible::Heading, QStringLiteral("Postseason")},
        {QAccessible::StaticText,
         table.spokenLabel(table.sections()[1].rows[0], QStringLiteral("Postseason"))},
    };
    ASSERT_EQ(elements.size(), std::size(expected));
    for (std::size_t index = 0; index < elements.size(); ++index) {
        EXPECT_EQ(elements[index]->role(), expected[index].first) << index;
        EXPECT_EQ(name(elements[index]), expected[index].second);
        EXPECT_EQ(elements[index]->parent(), root);
        EXPECT_EQ(root->indexOfChild(elements[index]), int(index));
        // Without an open action nothing is a link or offers one.
        EXPECT_TRUE(actions(elements[index]).isEmpty());
        EXPECT_EQ(elements[index]->childCount(), 0);
    }
    // Rows are where they are drawn: each one is found at its own centre.
    const QRect second = elements[4]->rect();
    EXPECT_EQ(second.width(), grid.width());
    EXPECT_EQ(root->childAt(second.center().x(), second.center().y()), elements[4]);
}

TEST(GridAccessibility, rowsOfferOneOpenActionPerLinkedPlayerAndLinksOpenOneOrTheChoice) {
    const DataTable table = standingsTable();
    std::vector<QString> opened;
    DataGridView grid(table, 400, [&](const PlayerLink& link) { opened.push_back(link.name); });
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&grid);
    // Column header and three rows: the cut rule is no element, the hidden section label neither, but the
    // section's label is spoken.
    ASSERT_EQ(root->childCount(), 4);
    EXPECT_EQ(name(root->child(3)),
              table.spokenLabel(table.sections()[0].rows[2], QStringLiteral("AFC East")));
    EXPECT_EQ(actions(root->child(1)),
              QStringList({QStringLiteral("Open Team Captain"), QStringLiteral("Open Josh Allen")}));
    EXPECT_EQ(actions(root->child(2)).size(), 3);
    EXPECT_TRUE(actions(root->child(3)).isEmpty());
    perform(root->child(2), QStringLiteral("Open Tyreek Hill"));
    EXPECT_EQ(opened, std::vector<QString>{QStringLiteral("Tyreek Hill")});

    QAccessibleInterface* captain = root->child(1)->child(0);
    EXPECT_EQ(captain->role(), QAccessible::Link);
    EXPECT_EQ(captain->parent(), root->child(1));
    EXPECT_EQ(name(root->child(1)->child(1)), QStringLiteral("Josh Allen"));
    EXPECT_EQ(hint(captain), QStringLiteral("Open player"));
    QAccessibleInterface* winners = root->child(2)->child(0);
    EXPECT_EQ(name(winners), QStringLiteral("3 winners: Tua Tagovailoa, Tyreek Hill, Jaylen Waddle"));
    EXPECT_EQ(hint(winners), QStringLiteral("Choose a player to open"));
    EXPECT_EQ(root->child(3)->childCount(), 0);
    press(captain);
    EXPECT_EQ(opened.back(), QStringLiteral("Team Captain"));

    // The choice is a list of the three names; picking one opens that player.
    press(winners);
    ASSERT_NE(grid.disclosure(), nullptr);
    QAccessibleInterface* choice = QAccessible::queryAccessibleInterface(grid.disclosure()->content());
    ASSERT_EQ(choice->childCount(), 3);
    EXPECT_EQ(choice->child(2)->role(), QAccessible::ListItem);
    EXPECT_FALSE(choice->child(0)->state().selected);
    press(choice->child(2));
    QCoreApplication::processEvents();
    EXPECT_EQ(opened.back(), QStringLiteral("Jaylen Waddle"));
}

TEST(GridAccessibility, anActionThatRemovesTheGridIsSafe) {
    // Opening a player replaces the page that holds the grid; the grid's interfaces go with it.
    std::vector<PlayerLink> opened;
    QPointer<DataGridView> grid;
    grid = new DataGridView(standingsTable(), 400, [&](const PlayerLink& link) {
        delete grid.data();
        opened.push_back(link);
    });
    QAccessibleInterface* row = QAccessible::queryAccessibleInterface(grid)->child(1);
    ASSERT_NE(row->child(0), nullptr);
    perform(row, QStringLiteral("Open Team Captain"));
    EXPECT_TRUE(grid.isNull());
    EXPECT_EQ(opened, std::vector<PlayerLink>{player("Team Captain")});
}

TEST(ListPickerAccessibility, arrowsAreNamedFromTheHintAndDisabledAtTheEnds) {
    std::vector<QString> picks;
    ListPickerOptions options;
    options.accessibilityHint = QStringLiteral("Choose a week");
    ListPicker<QString> picker(
        {"1", "2", "3"}, "1", [](const QString& week) { return week; },
        [](const QString& week) { return QStringLiteral("Week ") + week; }, options,
        [&](const QString& week) { picks.push_back(week); });
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&picker);
    EXPECT_EQ(root->role(), QAccessible::Grouping);
    const std::vector<QAccessibleInterface*> parts = childrenOf(root);
    ASSERT_EQ(parts.size(), 3U);
    const QString names[] = {QStringLiteral("Previous week"), QStringLiteral("Week 1"),
                             QStringLiteral("Next week")};
    for (std::size_t index = 0; index < 3; ++index) {
        EXPECT_EQ(parts[index]->role(), QAccessible::Button);
        EXPECT_EQ(name(parts[index]), names[index]);
        EXPECT_EQ(hint(parts[index]), index == 1 ? QStringLiteral("Choose a week") : QString());
    }
    EXPECT_TRUE(parts[0]->state().disabled);
    EXPECT_TRUE(actions(parts[0]).isEmpty());
    press(parts[2]);
    EXPECT_EQ(picks, std::vector<QString>({"2"}));
    picker.setSelection("3");
    EXPECT_FALSE(parts[0]->state().disabled);
    EXPECT_TRUE(parts[2]->state().disabled);

    // The label opens the list; its rows are spoken by title and the current one is selected.
    EXPECT_TRUE(parts[1]->state().collapsed);
    press(parts[1]);
    ASSERT_TRUE(picker.isPresented());
    EXPECT_TRUE(parts[1]->state().expanded);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(picker.presentedList());
    ASSERT_EQ(list->childCount(), 3);
    EXPECT_EQ(name(list->child(0)), QStringLiteral("1"));
    EXPECT_TRUE(list->child(2)->state().selected);
    picker.setPresented(false);

    // Read-only: one static text, no arrows; parts made before are gone.
    picker.setOnSelect({});
    EXPECT_EQ(root->role(), QAccessible::StaticText);
    EXPECT_EQ(name(root), QStringLiteral("Week 3"));
    EXPECT_EQ(root->childCount(), 0);
    EXPECT_FALSE(parts[0]->isValid());
}

TEST(ComponentAccessibility, segmentsAreButtonsAndTheSelectedOneIsMarked) {
    QString selected = QStringLiteral("Standings");
    SegmentedToggle<QString> toggle(
        {"Standings", "Schedule", "Draft"},
        Binding<QString>{[&] { return selected; }, [&](const QString& value) { selected = value; }},
        [](const QString& option) { return option; }, QStringLiteral("League view"));
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&toggle);
    EXPECT_EQ(root->role(), QAccessible::Grouping);
    EXPECT_EQ(name(root), QStringLiteral("League view"));
    ASSERT_EQ(root->childCount(), 3);
    EXPECT_EQ(root->child(1)->role(), QAccessible::Button);
    EXPECT_EQ(name(root->child(1)), QStringLiteral("Schedule"));
    EXPECT_TRUE(root->child(0)->state().selected);
    press(root->child(2));
    EXPECT_EQ(selected, QStringLiteral("Draft"));
    EXPECT_FALSE(root->child(0)->state().selected);
    EXPECT_TRUE(root->child(2)->state().selected);
}

TEST(ComponentAccessibility, statusAndHintSpeakTheirTextsButNotTheirSymbols) {
    StatusMessage message(QStringLiteral("No players found"), QStringLiteral("questionmark.circle"));
    QAccessibleInterface* status = QAccessible::queryAccessibleInterface(&message);
    EXPECT_EQ(status->role(), QAccessible::StaticText);
    EXPECT_EQ(name(status), QStringLiteral("No players found"));
    EXPECT_EQ(status->childCount(), 0);

    HotkeyHintView view(QStringLiteral("⌃⌥S"));
    view.resize(440, view.sizeHint().height());
    QSignalSpy dismissed(&view, &HotkeyHintView::dismissed);
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&view);
    ASSERT_EQ(root->childCount(), 2);
    EXPECT_EQ(root->child(0)->role(), QAccessible::StaticText);
    EXPECT_EQ(name(root->child(0)), QStringLiteral("Press ⌃⌥S from anywhere to open Huddlepod."));
    EXPECT_EQ(root->child(1)->role(), QAccessible::Button);
    EXPECT_EQ(name(root->child(1)), QStringLiteral("Dismiss shortcut tip"));
    press(root->child(1));
    EXPECT_EQ(dismissed.count(), 1);
}
