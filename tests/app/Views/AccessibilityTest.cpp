// What assistive technologies find in the painted widgets: elements, roles, spoken texts, states and actions,
// and that performing an action does what a click does.
#include "GridTables.h"
#include "app/Views/Components/ListPicker.h"
#include "app/Views/Components/PopoverList.h"
#include "app/Views/Components/SegmentedToggle.h"
#include "app/Views/Components/StatusMessage.h"
#include "app/Views/Components/YearPicker.h"
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
    ASSERT_NE(root, nullptr);
    const std::vector<QAccessibleInterface*> elements = childrenOf(root);
    ASSERT_EQ(elements.size(), 7U);

    EXPECT_EQ(elements[0]->role(), QAccessible::Heading);
    EXPECT_EQ(name(elements[0]), QStringLiteral("Passing")); // drawn upper-cased, spoken as written
    EXPECT_EQ(elements[1]->role(), QAccessible::StaticText);
    EXPECT_EQ(name(elements[1]), QStringLiteral("Games, Passing"));
    EXPECT_EQ(elements[2]->role(), QAccessible::ColumnHeader);
    EXPECT_EQ(name(elements[2]), table.spokenColumnHeader());

    const DataSection& regular = table.sections()[0];
    const DataSection& post = table.sections()[1];
    EXPECT_EQ(name(elements[3]), table.spokenLabel(regular.rows[0], std::nullopt));
    EXPECT_EQ(name(elements[4]), table.spokenLabel(regular.rows[1], std::nullopt));
    EXPECT_EQ(elements[5]->role(), QAccessible::Heading);
    EXPECT_EQ(name(elements[5]), QStringLiteral("Postseason"));
    EXPECT_EQ(elements[6]->role(), QAccessible::StaticText);
    EXPECT_EQ(name(elements[6]), table.spokenLabel(post.rows[0], QStringLiteral("Postseason")));

    for (std::size_t index = 0; index < elements.size(); ++index) {
        EXPECT_EQ(elements[index]->parent(), root);
        EXPECT_EQ(root->indexOfChild(elements[index]), int(index));
    }
    // Rows are where they are drawn: each one is found at its own centre.
    const QRect second = elements[4]->rect();
    EXPECT_EQ(second.width(), grid.width());
    EXPECT_EQ(root->childAt(second.center().x(), second.center().y()), elements[4]);
}

TEST(GridAccessibility, rowsOfferOneOpenActionPerLinkedPlayerInColumnOrder) {
    const DataTable table = standingsTable();
    std::vector<PlayerLink> opened;
    DataGridView grid(table, 400, [&](const PlayerLink& link) { opened.push_back(link); });
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&grid);
    const std::vector<QAccessibleInterface*> elements = childrenOf(root);
    // Column header and three rows: the cut rule is no element, the hidden section label neither.
    ASSERT_EQ(elements.size(), 4U);
    EXPECT_EQ(elements[0]->role(), QAccessible::ColumnHeader);
    const DataSection& section = table.sections()[0];
    for (int row = 0; row < 3; ++row) {
        // The section's label is spoken even though it is not shown.
        EXPECT_EQ(name(elements[std::size_t(row) + 1]),
                  table.spokenLabel(section.rows[std::size_t(row)], QStringLiteral("AFC East")));
    }

    EXPECT_EQ(actions(elements[1]),
              QStringList({QStringLiteral("Open Team Captain"), QStringLiteral("Open Josh Allen")}));
    EXPECT_EQ(actions(elements[2]),
              QStringList({QStringLiteral("Open Tua Tagovailoa"), QStringLiteral("Open Tyreek Hill"),
                           QStringLiteral("Open Jaylen Waddle")}));
    EXPECT_TRUE(actions(elements[3]).isEmpty());

    perform(elements[1], QStringLiteral("Open Josh Allen"));
    perform(elements[2], QStringLiteral("Open Tyreek Hill"));
    ASSERT_EQ(opened.size(), 2U);
    EXPECT_EQ(opened[0], player("Josh Allen"));
    EXPECT_EQ(opened[1], player("Tyreek Hill"));
}

TEST(GridAccessibility, linksInsideRowsOpenOnePlayerOrOfferTheChoice) {
    std::vector<PlayerLink> opened;
    DataGridView grid(standingsTable(), 400, [&](const PlayerLink& link) { opened.push_back(link); });
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&grid);
    QAccessibleInterface* first = root->child(1);
    QAccessibleInterface* second = root->child(2);
    ASSERT_EQ(first->childCount(), 2);
    ASSERT_EQ(second->childCount(), 1);
    EXPECT_EQ(root->child(3)->childCount(), 0);

    QAccessibleInterface* captain = first->child(0);
    EXPECT_EQ(captain->role(), QAccessible::Link);
    EXPECT_EQ(name(captain), QStringLiteral("Team Captain"));
    EXPECT_EQ(hint(captain), QStringLiteral("Open player"));
    EXPECT_EQ(captain->parent(), first);
    EXPECT_EQ(first->indexOfChild(first->child(1)), 1);
    EXPECT_EQ(name(first->child(1)), QStringLiteral("Josh Allen"));

    QAccessibleInterface* winners = second->child(0);
    EXPECT_EQ(name(winners), QStringLiteral("3 winners: Tua Tagovailoa, Tyreek Hill, Jaylen Waddle"));
    EXPECT_EQ(hint(winners), QStringLiteral("Choose a player to open"));

    press(captain);
    ASSERT_EQ(opened.size(), 1U);
    EXPECT_EQ(opened[0], player("Team Captain"));
    press(winners);
    EXPECT_EQ(opened.size(), 1U);
    ASSERT_NE(grid.disclosure(), nullptr);

    // The choice is a list of the three names; picking one opens that player.
    auto* list = qobject_cast<PopoverList*>(grid.disclosure()->content());
    ASSERT_NE(list, nullptr);
    QAccessibleInterface* choice = QAccessible::queryAccessibleInterface(list);
    ASSERT_EQ(choice->childCount(), 3);
    EXPECT_EQ(choice->child(2)->role(), QAccessible::ListItem);
    EXPECT_EQ(name(choice->child(2)), QStringLiteral("Jaylen Waddle"));
    EXPECT_FALSE(choice->child(0)->state().selected);
    press(choice->child(2));
    QCoreApplication::processEvents();
    ASSERT_EQ(opened.size(), 2U);
    EXPECT_EQ(opened[1], player("Jaylen Waddle"));
}

TEST(GridAccessibility, withoutAnOpenActionRowsHaveNoActionsAndNoLinks) {
    DataGridView grid(standingsTable(), 400);
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&grid);
    ASSERT_EQ(root->childCount(), 4);
    for (int index = 1; index < 4; ++index) {
        EXPECT_TRUE(actions(root->child(index)).isEmpty());
        EXPECT_EQ(root->child(index)->childCount(), 0);
    }
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
    QAccessibleInterface* link = row->child(0);
    ASSERT_NE(link, nullptr);
    perform(row, QStringLiteral("Open Team Captain"));
    EXPECT_TRUE(grid.isNull());
    EXPECT_EQ(opened.size(), 1U);
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
    EXPECT_TRUE(name(root).isEmpty());
    const std::vector<QAccessibleInterface*> parts = childrenOf(root);
    ASSERT_EQ(parts.size(), 3U);
    for (QAccessibleInterface* part : parts) {
        EXPECT_EQ(part->role(), QAccessible::Button);
    }
    EXPECT_EQ(name(parts[0]), QStringLiteral("Previous week"));
    EXPECT_EQ(name(parts[1]), QStringLiteral("Week 1"));
    EXPECT_EQ(hint(parts[1]), QStringLiteral("Choose a week"));
    EXPECT_EQ(name(parts[2]), QStringLiteral("Next week"));
    EXPECT_TRUE(hint(parts[0]).isEmpty());

    EXPECT_TRUE(parts[0]->state().disabled);
    EXPECT_TRUE(actions(parts[0]).isEmpty());
    EXPECT_FALSE(parts[2]->state().disabled);
    press(parts[2]);
    EXPECT_EQ(picks, std::vector<QString>({"2"}));

    picker.setSelection("3");
    EXPECT_FALSE(parts[0]->state().disabled);
    EXPECT_TRUE(parts[2]->state().disabled);
    EXPECT_EQ(name(parts[1]), QStringLiteral("Week 3"));

    // The label opens the list; its rows are spoken by title and the current one is selected.
    EXPECT_TRUE(parts[1]->state().collapsed);
    press(parts[1]);
    ASSERT_TRUE(picker.isPresented());
    EXPECT_TRUE(parts[1]->state().expanded);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(picker.presentedList());
    EXPECT_EQ(list->role(), QAccessible::List);
    ASSERT_EQ(list->childCount(), 3);
    EXPECT_EQ(name(list->child(0)), QStringLiteral("1"));
    EXPECT_FALSE(list->child(0)->state().selected);
    EXPECT_TRUE(list->child(2)->state().selected);
    press(list->child(0));
    QCoreApplication::processEvents();
    EXPECT_EQ(picks, std::vector<QString>({"2", "1"}));
    EXPECT_FALSE(picker.isPresented());

    // Read-only: one static text, no arrows; parts made before are gone.
    picker.setOnSelect({});
    EXPECT_EQ(root->role(), QAccessible::StaticText);
    EXPECT_EQ(name(root), QStringLiteral("Week 3"));
    EXPECT_TRUE(hint(root).isEmpty());
    EXPECT_EQ(root->childCount(), 0);
    EXPECT_FALSE(parts[0]->isValid());
}

TEST(ListPickerAccessibility, yearPickerStepsToOlderSeasonsWithItsPreviousArrow) {
    std::vector<int> picks;
    YearPicker picker(2021, {2021, 2020, 2019}, [&](int year) { picks.push_back(year); });
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&picker);
    ASSERT_EQ(root->childCount(), 3);
    QAccessibleInterface* previous = root->child(0);
    QAccessibleInterface* label = root->child(1);
    QAccessibleInterface* next = root->child(2);
    EXPECT_EQ(name(previous), QStringLiteral("Previous season"));
    EXPECT_EQ(name(next), QStringLiteral("Next season"));
    EXPECT_EQ(name(label), QStringLiteral("Season 2021"));
    EXPECT_EQ(hint(label), QStringLiteral("Choose a season"));
    // Newest first and stepping reversed: at the newest season there is no next one.
    EXPECT_TRUE(next->state().disabled);
    press(previous);
    EXPECT_EQ(picks, std::vector<int>({2020}));
    picker.setYear(2019);
    EXPECT_TRUE(previous->state().disabled);
    press(next);
    EXPECT_EQ(picks, std::vector<int>({2020, 2020}));
}

TEST(ComponentAccessibility, segmentsAreButtonsAndTheSelectedOneIsMarked) {
    QString selected = QStringLiteral("Standings");
    std::vector<QString> options{"Standings", "Schedule", "Draft"};
    SegmentedToggle<QString> toggle(
        options, Binding<QString>{[&] { return selected; }, [&](const QString& value) { selected = value; }},
        [](const QString& option) { return option; }, QStringLiteral("League view"));
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&toggle);
    EXPECT_EQ(root->role(), QAccessible::Grouping);
    EXPECT_EQ(name(root), QStringLiteral("League view"));
    const std::vector<QAccessibleInterface*> segments = childrenOf(root);
    ASSERT_EQ(segments.size(), 3U);
    EXPECT_EQ(segments[1]->role(), QAccessible::Button);
    EXPECT_EQ(name(segments[1]), QStringLiteral("Schedule"));
    EXPECT_TRUE(segments[0]->state().selected);
    EXPECT_FALSE(segments[1]->state().selected);

    press(segments[2]);
    EXPECT_EQ(selected, QStringLiteral("Draft"));
    EXPECT_FALSE(segments[0]->state().selected);
    EXPECT_TRUE(segments[2]->state().selected);
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
    EXPECT_TRUE(name(root).isEmpty());
    ASSERT_EQ(root->childCount(), 2);
    QAccessibleInterface* text = root->child(0);
    QAccessibleInterface* button = root->child(1);
    EXPECT_EQ(text->role(), QAccessible::StaticText);
    EXPECT_EQ(name(text), QStringLiteral("Press ⌃⌥S from anywhere to open Huddlepod."));
    EXPECT_EQ(button->role(), QAccessible::Button);
    EXPECT_EQ(name(button), QStringLiteral("Dismiss shortcut tip"));
    EXPECT_EQ(button->rect().size(), QSize(18, 18));
    press(button);
    EXPECT_EQ(dismissed.count(), 1);
}
