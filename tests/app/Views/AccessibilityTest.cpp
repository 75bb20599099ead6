// What assistive technologies find in the painted widgets: elements, roles, spoken texts and actions, and
// that performing an action does what a click does.
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

#include <functional>
#include <memory>

#include <gtest/gtest.h>

using namespace huddlepod;
using namespace huddlepod::testsupport;

namespace {

void press(QAccessibleInterface* element) {
    QAccessibleActionInterface* action = element->actionInterface();
    ASSERT_NE(action, nullptr);
    ASSERT_TRUE(action->actionNames().contains(QAccessibleActionInterface::pressAction()));
    action->doAction(QAccessibleActionInterface::pressAction());
}

struct Component {
    const char* what;
    // Builds the widget; a press reports what it did through `done`.
    std::function<std::unique_ptr<QWidget>(std::function<void(QString)> done)> make;
    std::vector<int> path; // child indexes from the widget's element to the one checked
    QAccessible::Role role;
    QString name;
    QString pressed; // what a press reports; empty: the element offers no press
};

} // namespace

TEST(Accessibility, eachComponentsElementHasItsRoleNameAndPress) {
    using Done = std::function<void(QString)>;
    const auto grid = [](Done done) -> std::unique_ptr<QWidget> {
        return std::make_unique<DataGridView>(standingsTable(), 400,
                                              [done](const PlayerLink& link) { done(link.name); });
    };
    const Component components[] = {
        {"grid heading",
         [](Done) -> std::unique_ptr<QWidget> { return std::make_unique<DataGridView>(passingTable(), 400); },
         {0},
         QAccessible::Heading,
         "Passing",
         {}},
        {"grid link", grid, {1, 0}, QAccessible::Link, "Team Captain", "Team Captain"},
        {"grid choice",
         grid,
         {2, 0},
         QAccessible::Link,
         "3 winners: Tua Tagovailoa, Tyreek Hill, Jaylen Waddle",
         "choice"},
        {"picker arrow",
         [](Done done) -> std::unique_ptr<QWidget> {
             ListPickerOptions options;
             options.accessibilityHint = QStringLiteral("Choose a week");
             return std::make_unique<ListPicker<QString>>(
                 std::vector<QString>{"1", "2", "3"}, "1", [](const QString& week) { return week; },
                 [](const QString& week) { return QStringLiteral("Week ") + week; }, options, done);
         },
         {2},
         QAccessible::Button,
         "Next week",
         "2"},
        {"toggle segment",
         [](Done done) -> std::unique_ptr<QWidget> {
             return std::make_unique<SegmentedToggle<QString>>(
                 std::vector<QString>{"Standings", "Schedule", "Draft"},
                 Binding<QString>{[] { return QStringLiteral("Standings"); }, done},
                 [](const QString& option) { return option; }, QStringLiteral("League view"));
         },
         {2},
         QAccessible::Button,
         "Draft",
         "Draft"},
        {"status",
         [](Done) -> std::unique_ptr<QWidget> {
             return std::make_unique<StatusMessage>(QStringLiteral("No players found"),
                                                    QStringLiteral("questionmark.circle"));
         },
         {},
         QAccessible::StaticText,
         "No players found",
         {}},
        {"hint dismiss",
         [](Done done) -> std::unique_ptr<QWidget> {
             auto view = std::make_unique<HotkeyHintView>(QStringLiteral("⌃⌥S"));
             QObject::connect(view.get(), &HotkeyHintView::dismissed, [done] { done("dismissed"); });
             return view;
         },
         {1},
         QAccessible::Button,
         "Dismiss shortcut tip",
         "dismissed"},
    };
    for (const Component& component : components) {
        SCOPED_TRACE(component.what);
        QStringList done;
        std::unique_ptr<QWidget> widget = component.make([&](const QString& what) { done.push_back(what); });
        QAccessibleInterface* element = QAccessible::queryAccessibleInterface(widget.get());
        for (int index : component.path) {
            ASSERT_LT(index, element->childCount());
            element = element->child(index);
        }
        EXPECT_EQ(element->role(), component.role);
        EXPECT_EQ(element->text(QAccessible::Name), component.name);
        if (component.pressed.isEmpty()) {
            EXPECT_TRUE(element->actionInterface() == nullptr ||
                        element->actionInterface()->actionNames().isEmpty());
            continue;
        }
        press(element);
        QCoreApplication::processEvents();
        if (auto* view = qobject_cast<DataGridView*>(widget.get());
            view != nullptr && component.pressed == "choice") {
            // The choice lists the names; picking one opens that player.
            ASSERT_NE(view->disclosure(), nullptr);
            QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view->disclosure()->content());
            ASSERT_EQ(list->childCount(), 3);
            EXPECT_EQ(list->child(2)->role(), QAccessible::ListItem);
            press(list->child(2));
            QCoreApplication::processEvents();
            EXPECT_EQ(done, QStringList{"Jaylen Waddle"});
            continue;
        }
        EXPECT_EQ(done, QStringList{component.pressed});
    }
}

TEST(Accessibility, anActionThatRemovesTheGridIsSafe) {
    // Opening a player replaces the page that holds the grid; the grid's interfaces go with it.
    std::vector<PlayerLink> opened;
    QPointer<DataGridView> grid;
    grid = new DataGridView(standingsTable(), 400, [&](const PlayerLink& link) {
        delete grid.data();
        opened.push_back(link);
    });
    QAccessibleInterface* link = QAccessible::queryAccessibleInterface(grid)->child(1)->child(0);
    press(link);
    EXPECT_TRUE(grid.isNull());
    EXPECT_EQ(opened, std::vector<PlayerLink>{player("Team Captain")});
}
