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
    using Made = std::unique_ptr<QWidget>;
    const auto passing = [](Done) -> Made { return std::make_unique<DataGridView>(passingTable(), 400); };
    const auto grid = [](Done done) -> Made {
        return std::make_unique<DataGridView>(standingsTable(), 400,
                                              [done](const PlayerLink& link) { done(link.name); });
    };
    const auto picker = [](Done done) -> Made {
        ListPickerOptions options;
        options.accessibilityHint = QStringLiteral("Choose a week"); // names the arrows
        return std::make_unique<ListPicker<QString>>(
            std::vector<QString>{"1", "2", "3"}, "1", [](const QString& week) { return week; },
            [](const QString& week) { return QStringLiteral("Week ") + week; }, options, done);
    };
    const auto toggle = [](Done done) -> Made {
        return std::make_unique<SegmentedToggle<QString>>(
            std::vector<QString>{"Standings", "Schedule", "Draft"},
            Binding<QString>{[] { return QStringLiteral("Standings"); }, done},
            [](const QString& option) { return option; }, QStringLiteral("League view"));
    };
    const auto status = [](Done) -> Made {
        return std::make_unique<StatusMessage>(QStringLiteral("No players found"),
                                               QStringLiteral("questionmark.circle"));
    };
    const auto hint = [](Done done) -> Made {
        auto view = std::make_unique<HotkeyHintView>(QStringLiteral("Ctrl+Alt+S"));
        QObject::connect(view.get(), &HotkeyHintView::dismissed, [done] { done("dismissed"); });
        return view;
    };
    const Component components[] = {
        {"grid heading", passing, {0}, QAccessible::Heading, "Passing", {}},
        {"grid link", grid, {1, 0}, QAccessible::Link, "Team Captain", "Team Captain"},
        {"picker arrow", picker, {2}, QAccessible::Button, "Next week", "2"},
        {"toggle segment", toggle, {2}, QAccessible::Button, "Draft", "Draft"},
        {"status", status, {}, QAccessible::StaticText, "No players found", {}},
        {"hint dismiss", hint, {1}, QAccessible::Button, "Dismiss shortcut tip", "dismissed"},
    };
    for (const Component& component : components) {
        SCOPED_TRACE(component.what);
        QStringList done;
        const Made widget = component.make([&](const QString& what) { done.push_back(what); });
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
        EXPECT_EQ(done, QStringList{component.pressed});
    }
}

TEST(Accessibility, aLinkToSeveralPlayersOffersTheirNamesAsAList) {
    QString opened;
    DataGridView grid(standingsTable(), 400, [&](const PlayerLink& link) { opened = link.name; });
    QAccessibleInterface* winners = QAccessible::queryAccessibleInterface(&grid)->child(2)->child(0);
    EXPECT_EQ(winners->text(QAccessible::Name),
              QStringLiteral("3 winners: Tua Tagovailoa, Tyreek Hill, Jaylen Waddle"));
    press(winners);
    ASSERT_NE(grid.disclosure(), nullptr);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(grid.disclosure()->content());
    ASSERT_EQ(list->childCount(), 3);
    EXPECT_EQ(list->child(2)->role(), QAccessible::ListItem);
    press(list->child(2));
    QCoreApplication::processEvents();
    EXPECT_EQ(opened, QStringLiteral("Jaylen Waddle"));
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
