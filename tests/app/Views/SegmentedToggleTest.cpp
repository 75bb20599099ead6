// The segmented toggle: segment geometry, spreading over the width, writes on every tap, and reduce motion.
#include "app/Views/Components/SegmentedToggle.h"
#include "RenderOutput.h"
#include "platform/workspace/WorkspaceSettings.h"
#include "ui/AppearancePreference.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QKeySequence>
#include <QTest>

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

const std::vector<QString> pages{"Standings", "Schedule", "Draft"};

// Records every write, like a view model's setter.
struct Model {
    QString page = pages[0];
    std::vector<QString> writes;

    Binding<QString> binding() {
        return {[this] { return page; }, [this](const QString& value) { writes.push_back(page = value); }};
    }
};

std::unique_ptr<SegmentedToggle<QString>> makeToggle(Binding<QString> binding, bool compact = false,
                                                     bool spans = false, QWidget* parent = nullptr) {
    return std::make_unique<SegmentedToggle<QString>>(
        pages, std::move(binding), [](const QString& page) { return page; }, QStringLiteral("League view"),
        compact, spans, parent);
}

void tap(SegmentedToggleBase& toggle, int index) {
    QTest::mouseClick(&toggle, Qt::LeftButton, {},
                      toggle.segmentRects(toggle.width())[std::size_t(index)].center().toPoint());
}

} // namespace

TEST(SegmentedToggle, segmentsHoldTheirTextsInARowOrSpreadOverTheWidth) {
    Model model;
    const struct {
        bool compact;
        bool spans;
        const char* look;
    } forms[] = {{false, false, "segmented-toggle"},
                 {true, false, "segmented-toggle-compact"},
                 {false, true, "segmented-toggle-spanning"}};
    for (const auto& form : forms) {
        SCOPED_TRACE(form.look);
        const auto toggle = makeToggle(model.binding(), form.compact, form.spans);
        toggle->resize(form.spans ? 416 : toggle->sizeHint().width(), toggle->sizeHint().height());
        const std::vector<QRectF> rects = toggle->segmentRects(toggle->width());
        ASSERT_EQ(rects.size(), 3u);
        for (std::size_t index = 0; index < 3; ++index) {
            const QFontMetricsF metrics(
                Theme::font(11, index == 0 ? FontWeight::semibold : FontWeight::regular));
            EXPECT_GT(rects[index].width(), metrics.horizontalAdvance(pages[index]));
            EXPECT_GT(rects[index].left(), index == 0 ? -1 : rects[index - 1].right());
        }
        EXPECT_LE(rects.back().right(), toggle->width() + 1e-9);
        EXPECT_TRUE(!form.spans || std::abs(rects.back().right() - 416) < 1e-9) << "spread over the width";
        testsupport::saveLooks(*toggle, QString::fromUtf8(form.look));
    }
}

TEST(SegmentedToggle, everyTapWritesTheSelectedOneIncludedAndMovesTheHighlight) {
    for (const bool reduceMotion : {false, true}) {
        ScopedWorkspaceSettings workspace;
        workspace.reduceMotionValue = reduceMotion;
        Model model;
        const auto toggle = makeToggle(model.binding());
        toggle->resize(toggle->sizeHint());
        tap(*toggle, 0);
        EXPECT_FALSE(toggle->isAnimating()) << "nothing to move";
        tap(*toggle, 2);
        EXPECT_EQ(model.writes, (std::vector<QString>{"Standings", "Draft"}));
        EXPECT_EQ(toggle->selectedIndex(), 2);
        EXPECT_EQ(toggle->isAnimating(), !reduceMotion);

        // A change made elsewhere shows after refresh(), without a write.
        model.page = pages[1];
        toggle->refresh();
        EXPECT_EQ(toggle->selectedIndex(), 1);
        EXPECT_EQ(model.writes.size(), 2u);
    }
}

// From the keyboard: the arrows choose the neighbour (stopping at either end), Space and Return tap the
// selected segment again, other keys pass on to whatever holds the toggle.
TEST(SegmentedToggle, arrowKeysChooseTheNeighbourSpaceAndReturnTapTheSelectedOne) {
    const struct {
        int selected;
        Qt::Key key;
        std::vector<QString> writes;
        bool accepted;
    } cases[] = {
        {0, Qt::Key_Right, {"Schedule"}, true},
        {1, Qt::Key_Left, {"Standings"}, true},
        {0, Qt::Key_Left, {}, true},
        {2, Qt::Key_Right, {}, true},
        {1, Qt::Key_Space, {"Schedule"}, true},
        {2, Qt::Key_Return, {"Draft"}, true},
        {1, Qt::Key_Down, {}, false},
        {1, Qt::Key_A, {}, false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(QKeySequence(test.key).toString().toStdString() + " from " +
                     std::to_string(test.selected));
        Model model;
        model.page = pages[std::size_t(test.selected)];
        const auto toggle = makeToggle(model.binding());
        EXPECT_EQ(toggle->focusPolicy(), Qt::TabFocus) << "reached by Tab, not taken by a click";
        QKeyEvent press(QEvent::KeyPress, test.key, Qt::NoModifier, test.key == Qt::Key_A ? "a" : "");
        QCoreApplication::sendEvent(toggle.get(), &press);
        EXPECT_EQ(model.writes, test.writes);
        EXPECT_EQ(press.isAccepted(), test.accepted);
    }
}

TEST(SegmentedToggle, toggleOptionTypesSupplyTheirCases) {
    AppearancePreference stored = AppearancePreference::dark;
    SegmentedToggle<AppearancePreference> toggle(
        Binding<AppearancePreference>{[&] { return stored; },
                                      [&](const AppearancePreference& value) { stored = value; }},
        QStringLiteral("Appearance"));
    EXPECT_EQ(toggle.selectedIndex(), 2);
    toggle.resize(toggle.sizeHint());
    tap(toggle, 0);
    EXPECT_EQ(stored, AppearancePreference::system);
}

TEST(SegmentedToggle, aWriteThatRemovesTheToggleEndsTheTapCleanly) {
    // A page whose controls are rebuilt when the model changes drops the old toggle inside the write, which
    // goes on reading its value; a click and an accessible press take the same way.
    ScopedWorkspaceSettings workspace;
    const std::function<void(SegmentedToggleBase&)> presses[] = {
        [](SegmentedToggleBase& toggle) { tap(toggle, 2); },
        [](SegmentedToggleBase& toggle) {
            QAccessible::queryAccessibleInterface(&toggle)->child(2)->actionInterface()->doAction(
                QAccessibleActionInterface::pressAction());
        },
    };
    for (const auto& press : presses) {
        std::vector<QString> writes;
        QWidget row;
        QPointer<SegmentedToggle<QString>> toggle;
        toggle = makeToggle({[] { return pages[0]; },
                             [&](const QString& value) {
                                 delete toggle.data();
                                 writes.push_back(value);
                             }},
                            false, false, &row)
                     .release();
        toggle->resize(toggle->sizeHint());
        press(*toggle);
        EXPECT_TRUE(toggle.isNull());
        EXPECT_EQ(writes, std::vector<QString>{"Draft"});
    }
}
