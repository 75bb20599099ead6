// What assistive technologies find in the painted widgets: elements, roles, spoken texts and actions, and
// that performing an action does what a click does.
#include "GridTables.h"
#include "Spoken.h"
#include "app/Views/Components/ListPicker.h"
#include "app/Views/Components/PopoverList.h"
#include "app/Views/Components/SegmentedToggle.h"
#include "app/Views/Components/StatusMessage.h"
#include "app/Views/DataGridView.h"
#include "app/Views/HotkeyHintView.h"
#include "data/StandingsBuilder.h"

#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QTest>

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

TEST(Accessibility, eachChangedValueIsHeardOnce) {
    struct Change {
        const char* what;
        std::function<QStringList()> heard; // builds a control, changes it, and says what was heard
        QStringList expected;
    };
    const auto toggleChange =
        [](const char* from, const std::function<void(SegmentedToggle<QString>&, QString & value)>& change) {
            return [from, change] {
                QString value = QString::fromLatin1(from);
                SegmentedToggle<QString> toggle(
                    std::vector<QString>{"Standings", "Schedule", "Draft"},
                    Binding<QString>{[&] { return value; }, [&](const QString& to) { value = to; }},
                    [](const QString& option) { return option; }, QStringLiteral("League view"));
                HeardChanges heard;
                change(toggle, value);
                return heard.take();
            };
        };
    const auto pickerStep = [](int offset) {
        return [offset] {
            ListPickerOptions options;
            options.accessibilityHint = QStringLiteral("Choose a week");
            ListPicker<QString>* self = nullptr;
            ListPicker<QString> picker(
                std::vector<QString>{"1", "2", "3"}, "2", [](const QString& week) { return week; },
                [](const QString& week) { return QStringLiteral("Week ") + week; }, options,
                [&](const QString& week) { self->setSelection(week); });
            self = &picker;
            picker.show();
            HeardChanges heard;
            picker.step(offset);
            return heard.take();
        };
    };
    const auto status = [] {
        QWidget page;
        page.show();
        auto* message = new StatusMessage(QStringLiteral("No players matching “smi”"), {}, &page);
        HeardChanges heard;
        message->show();
        QCoreApplication::processEvents();
        return heard.take();
    };
    const Change changes[] = {
        {"a segment tapped",
         toggleChange("Standings", [](auto& toggle, QString&) { toggle.tap(2); }),
         {"selection Button Draft"}},
        {"a segment set elsewhere",
         toggleChange("Standings",
                      [](auto& toggle, QString& value) {
                          value = "Schedule";
                          toggle.refresh();
                      }),
         {"selection Button Schedule"}},
        {"the selected segment tapped again",
         toggleChange("Draft", [](auto& toggle, QString&) { toggle.tap(2); }),
         {}},
        {"a picker stepped forward", pickerStep(+1), {"name Button Week 3"}},
        {"a picker stepped back", pickerStep(-1), {"name Button Week 1"}},
        {"a status shown", status, {"notice Notification No players matching “smi”"}},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        EXPECT_EQ(change.heard(), change.expected);
    }
}

TEST(Accessibility, anOpenListIsReadUnderItsControlNamedByItAndWalkedByTheKeys) {
    struct Opened {
        const char* what;
        QString hint;                // the picker's, or empty for a grid's list of winners
        std::vector<QString> values; // the picker's, the first selected
        QString name;
        QStringList heard; // after Down, Down, Up
        QString chosen;    // by Return
    };
    const Opened lists[] = {
        {"season",
         "Choose a season",
         {"1975", "1976", "1977"},
         "Season",
         {"focus ListItem 1976", "focus ListItem 1977", "focus ListItem 1976"},
         "1976"},
        {"team",
         "Choose a team",
         {"ARI", "ATL", "BAL"},
         "Team",
         {"focus ListItem ATL", "focus ListItem BAL", "focus ListItem ATL"},
         "ATL"},
        {"winners",
         {},
         {},
         "Winners",
         {"focus ListItem Tyreek Hill", "focus ListItem Jaylen Waddle", "focus ListItem Tyreek Hill"},
         "Tyreek Hill"},
    };
    for (const bool escape : {false, true}) {
        for (const Opened& opened : lists) {
            SCOPED_TRACE(std::string(opened.what) + (escape ? ", Escape" : ", Return"));
            QString chosen;
            std::unique_ptr<QWidget> owner;
            if (opened.hint.isEmpty()) {
                owner = std::make_unique<DataGridView>(standingsTable(), 400,
                                                       [&](const PlayerLink& link) { chosen = link.name; });
            } else {
                ListPickerOptions options;
                options.accessibilityHint = opened.hint;
                owner = std::make_unique<ListPicker<QString>>(
                    opened.values, opened.values.front(), [](const QString& value) { return value; },
                    [](const QString& value) { return value; }, options,
                    [&](const QString& value) { chosen = value; });
            }
            owner->show();
            QAccessibleInterface* control = QAccessible::queryAccessibleInterface(owner.get());
            const int closedCount = control->childCount();
            // The label button, or the link to three winners in the second row.
            press(opened.hint.isEmpty() ? control->child(2)->child(0) : control->child(1));
            ASSERT_EQ(control->childCount(), closedCount + 1);
            QAccessibleInterface* list = control->child(closedCount);
            EXPECT_EQ(list->role(), QAccessible::List);
            EXPECT_EQ(list->text(QAccessible::Name), opened.name);
            EXPECT_EQ(list->parent(), control);
            EXPECT_EQ(control->indexOfChild(list), closedCount);
            ASSERT_EQ(list->childCount(), 3);
            auto* listWidget = qobject_cast<QWidget*>(list->object());
            ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == listWidget; }));
            QCoreApplication::processEvents();

            HeardChanges heard;
            for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}) {
                QTest::keyClick(QApplication::focusWidget(), key);
            }
            EXPECT_EQ(heard.take(), opened.heard);
            EXPECT_TRUE(list->child(1)->state().focused);
            QTest::keyClick(QApplication::focusWidget(), escape ? Qt::Key_Escape : Qt::Key_Return);
            ASSERT_TRUE(QTest::qWaitFor([&] { return control->childCount() == closedCount; }));
            QCoreApplication::processEvents();
            EXPECT_EQ(chosen, escape ? QString() : opened.chosen);
        }
    }
}

TEST(Accessibility, aLabelMovedIntoTheHeaderIsStillSaidByItsSectionsRows) {
    struct Promoted {
        const char* what;
        std::vector<StatColumn> columns;
        std::vector<DataSection> sections;
        QStringList rows;
    };
    const Promoted tables[] = {
        {"standings",
         {column("", 40, false), column("W", 24)},
         {{QStringLiteral("AFC East"), {row("a", {"BOS", "13"}), row("b", {"MIA", "9"})}, true},
          {QStringLiteral("AFC North"), {row("c", {"CLE", "11"})}, true}},
         {"AFC East, BOS, W 13", "AFC East, MIA, W 9", "AFC North, CLE, W 11"}},
        {"draft",
         {column("", 30), column("Tm", 36, false)},
         {{QStringLiteral("Rd 1"), {row("a", {"1", "ATL"})}, true},
          {QStringLiteral("Rd 2"), {row("b", {"33", "CLE"})}, true}},
         {"Rd 1, 1, Tm ATL", "Rd 2, 33, Tm CLE"}},
    };
    for (const Promoted& table : tables) {
        SCOPED_TRACE(table.what);
        StandingsBuilder::PromotedLabel promoted =
            StandingsBuilder::promotingFirstSectionLabel(table.columns, table.sections);
        DataGridView grid(DataTable(std::nullopt, promoted.columns, {}, promoted.sections), 400);
        QAccessibleInterface* element = QAccessible::queryAccessibleInterface(&grid);
        QStringList rows;
        for (int index = 0; index < element->childCount(); ++index) {
            if (element->child(index)->role() == QAccessible::StaticText) {
                rows << element->child(index)->text(QAccessible::Name);
            }
        }
        EXPECT_EQ(rows, table.rows);
    }
}
