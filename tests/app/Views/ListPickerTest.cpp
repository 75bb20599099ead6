// The list picker and the year picker: forms, stepping at both ends (normal and reversed), the popover list,
// re-picking, and the debug request to open.
#include "app/Views/Components/ListPicker.h"
#include "RenderOutput.h"
#include "app/Views/Components/PopoverList.h"
#include "app/Views/Components/YearPicker.h"

#include <QTest>
#include <QVBoxLayout>

#include <cmath>
#include <functional>

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

std::vector<int> years(int newest, int oldest) {
    std::vector<int> result;
    for (int year = newest; year >= oldest; --year) {
        result.push_back(year);
    }
    return result;
}

QString number(const int& value) {
    return QString::number(value);
}

// A picker of plain numbers; without an action it is read-only.
std::unique_ptr<ListPicker<int>> numberPicker(std::vector<int> values, int selection,
                                              std::function<void(const int&)> action,
                                              ListPickerOptions options = {}) {
    return std::make_unique<ListPicker<int>>(std::move(values), selection, number, number, options, action);
}

void clickPart(ListPickerBase& picker, const QRectF& part) {
    QTest::mouseClick(&picker, Qt::LeftButton, {}, part.center().toPoint());
}

} // namespace

TEST(ListPicker, readOnlyWithoutActionOrWithFewerThanTwoValues) {
    const auto pick = [](const int&) {};
    std::vector<std::unique_ptr<ListPickerBase>> pickers;
    pickers.push_back(numberPicker({1, 2, 3}, 2, {}));
    pickers.push_back(numberPicker({1}, 1, pick));
    pickers.push_back(numberPicker({}, 1, pick));
    pickers.push_back(std::make_unique<YearPicker>(2019, years(2024, 2015), nullptr));
    pickers.push_back(std::make_unique<YearPicker>(2019, std::vector<int>{}, [](int) {}));
    for (const auto& picker : pickers) {
        EXPECT_FALSE(picker->isInteractive());
        EXPECT_FALSE(picker->layout().isInteractive);
        picker->setPresented(true);
        EXPECT_FALSE(picker->isPresented());
    }
    pickers[1]->resize(pickers[1]->sizeHint());
    testsupport::saveLooks(*pickers[1], QStringLiteral("list-picker-read-only"));
}

TEST(ListPicker, arrowTargetsStopAtBothEndsAndReverse) {
    const struct {
        int selection;
        bool reversed;
        std::optional<int> previous;
        std::optional<int> next;
    } table[] = {
        {2024, false, std::nullopt, 1},
        {2022, false, 1, std::nullopt},
        {2023, false, 0, 2},
        {2024, true, 1, std::nullopt},
        {2022, true, std::nullopt, 1},
        {1999, false, std::nullopt, std::nullopt},
    };
    for (const auto& row : table) {
        ListPickerOptions options = YearPicker::pickerOptions();
        options.reversedStepping = row.reversed;
        const auto picker = numberPicker(
            {2024, 2023, 2022}, row.selection, [](const int&) {}, options);
        EXPECT_EQ(picker->stepTarget(-1), row.previous) << row.selection << " reversed " << row.reversed;
        EXPECT_EQ(picker->stepTarget(+1), row.next) << row.selection << " reversed " << row.reversed;
    }
}

TEST(ListPicker, arrowsAroundTheLabelReportTheirTargetAndLeaveTheListClosed) {
    std::vector<int> picks;
    YearPicker picker(2023, years(2024, 2020), [&](int year) { picks.push_back(year); });
    picker.resize(picker.sizeHint());
    picker.show();
    const ListPickerBase::Layout layout = picker.layout();
    testsupport::saveLooks(picker, QStringLiteral("list-picker"));

    // Reversed stepping over a newest-first list: "previous" is the older season.
    clickPart(picker, layout.previous);
    clickPart(picker, layout.next);
    EXPECT_EQ(picks, (std::vector<int>{2022, 2024}));
    EXPECT_FALSE(picker.isPresented());
    // At the newest season the next arrow has no target and does nothing.
    picker.setYear(2024);
    clickPart(picker, layout.next);
    EXPECT_EQ(picks.size(), 2u);
}

// From the keyboard: Left and Right do what the arrows on those sides do, Space and Return open and close the
// list as a click on the label does; a read-only picker is no Tab stop.
TEST(ListPicker, arrowKeysStepAsTheArrowsDoAndSpaceOrReturnOpenTheList) {
    const struct {
        int selected;
        std::vector<Qt::Key> keys;
        std::vector<int> picks;
        bool presented;
    } cases[] = {
        {2023, {Qt::Key_Left}, {2022}, false}, // the left arrow: the older season
        {2023, {Qt::Key_Right}, {2024}, false},
        {2024, {Qt::Key_Right}, {}, false}, // past the newest: nothing
        {2020, {Qt::Key_Left}, {}, false},
        {2023, {Qt::Key_Space}, {}, true},
        {2023, {Qt::Key_Return, Qt::Key_Return}, {}, false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.selected);
        std::vector<int> picks;
        YearPicker picker(test.selected, years(2024, 2020), [&](int year) { picks.push_back(year); });
        picker.resize(picker.sizeHint());
        picker.show();
        EXPECT_EQ(picker.focusPolicy(), Qt::TabFocus);
        for (const Qt::Key key : test.keys) {
            QTest::keyClick(&picker, key);
        }
        EXPECT_EQ(picks, test.picks);
        EXPECT_EQ(picker.isPresented(), test.presented);
        picker.setPresented(false);
    }
    EXPECT_EQ(YearPicker(2023, {2023}, [](int) {}).focusPolicy(), Qt::NoFocus);
}

TEST(ListPicker, labelOpensTheListAndRowsReportEvenTheSelectedOne) {
    std::vector<int> picks;
    YearPicker picker(2010, years(2024, 1990), [&](int year) { picks.push_back(year); });
    picker.resize(picker.sizeHint());
    picker.show();
    clickPart(picker, picker.layout().label);
    ASSERT_TRUE(picker.isPresented());
    PopoverList* list = picker.presentedList();
    EXPECT_EQ(list->selectedIndex(), 14);
    EXPECT_NEAR(list->rowRect(14).center().y() - list->scrollOffset(), list->viewport()->height() / 2, 1);
    testsupport::saveLooks(*picker.popover(), QStringLiteral("year-picker-open"));
    QTest::mouseClick(list->widget(), Qt::LeftButton, {}, list->rowRect(14).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(picks, std::vector<int>{2010});
    EXPECT_FALSE(picker.isPresented());

    // The label toggles; a selection outside the list opens it with no row selected.
    clickPart(picker, picker.layout().label);
    EXPECT_TRUE(picker.isPresented());
    clickPart(picker, picker.layout().label);
    EXPECT_FALSE(picker.isPresented());
    picker.setYear(1800);
    clickPart(picker, picker.layout().label);
    ASSERT_TRUE(picker.isPresented());
    EXPECT_FALSE(picker.presentedList()->selectedIndex().has_value());
}

TEST(ListPicker, debugRequestOpensTheNamedPickerOnly) {
    const struct {
        const char* identity;
        const char* requested;
        bool opens;
    } cases[] = {{"week", "week", true}, {"year", "week", false}, {"", "", false}};
    for (const auto& c : cases) {
        ListPickerOptions options;
        options.debugIdentity = QString::fromUtf8(c.identity);
        const auto picker = numberPicker(
            {1, 2}, 1, [](const int&) {}, options);
        picker->setPresentedPickerProvider([&c] { return std::optional(QString::fromUtf8(c.requested)); });
        picker->show();
        QCoreApplication::processEvents();
        EXPECT_EQ(picker->isPresented(), c.opens) << c.identity << " / " << c.requested;
    }

    qputenv("HUDDLEPOD_DEBUG_PICKER", "");
    EXPECT_FALSE(ListPickerBase::environmentPresentedPicker().has_value()) << "set but empty: none";
    qunsetenv("HUDDLEPOD_DEBUG_PICKER");
}

TEST(ListPicker, aDebugRequestOpensOnceThePickerCanAndTheListKeepsToItsLabelAndSelection) {
    QWidget row;
    auto* column = new QVBoxLayout(&row);
    column->setContentsMargins(0, 0, 0, 0);
    auto* above = new QWidget; // what the window lays out above the picker after it came on screen
    above->setFixedHeight(230);
    above->hide();
    column->addWidget(above);
    ListPickerOptions options;
    options.debugIdentity = QStringLiteral("week");
    auto* picker = new ListPicker<int>({}, 1, number, number, options, [](const int&) {});
    picker->setPresentedPickerProvider([] { return std::optional(QStringLiteral("week")); });
    column->addWidget(picker, 0, Qt::AlignLeft);
    column->addStretch(1);
    row.resize(200, 400);

    const auto hangsUnderTheLabel = [&] {
        const QRectF label = picker->layout().label;
        const QRect anchor(picker->mapToGlobal(QPoint(int(label.left()), 0)),
                           QSize(int(std::ceil(label.width())), picker->height()));
        return picker->popover()->anchorGlobal() == anchor &&
               picker->popover()->placement().frame.top() == anchor.bottom() + 1;
    };
    const struct {
        const char* step;
        std::function<void()> act;
        bool presented;
        std::optional<int> highlighted;
    } steps[] = {
        {"shown before it has its weeks", [&] { row.show(); }, false, {}},
        {"given its weeks",
         [&] {
             picker->setValues({1, 2, 3, 4}, 1);
         },
         true, 0},
        {"week 3 chosen elsewhere", [&] { picker->setSelection(3); }, true, 2},
        {"the window lays out above it", [&] { above->show(); }, true, 2},
        {"closed by the user", [&] { picker->setPresented(false); }, false, {}},
        {"new weeks: the request was answered",
         [&] {
             picker->setValues({1, 2, 3, 4, 5}, 2);
         },
         false,
         {}},
        {"on screen again", [&] { row.hide(), row.show(); }, true, 1},
    };
    for (const auto& step : steps) {
        step.act();
        QCoreApplication::processEvents();
        ASSERT_EQ(picker->isPresented(), step.presented) << step.step;
        if (step.presented) {
            EXPECT_EQ(picker->presentedList()->selectedIndex(), step.highlighted) << step.step;
            EXPECT_TRUE(hangsUnderTheLabel()) << step.step;
        }
    }
}

TEST(ListPicker, anActionThatRemovesThePickerRunsToItsEnd) {
    // A caller that rebuilds its controls on every pick drops the picker inside the action.
    std::vector<int> picks;
    QWidget row;
    QPointer<YearPicker> picker;
    picker = new YearPicker(
        2023, years(2024, 2020),
        [&](int year) {
            delete picker.data();
            picks.push_back(year);
        },
        &row);
    picker->resize(picker->sizeHint());
    picker->show();
    clickPart(*picker, picker->layout().previous);
    EXPECT_TRUE(picker.isNull());
    EXPECT_EQ(picks, std::vector<int>{2022});
}
