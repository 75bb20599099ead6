// The list picker and the year picker: forms, stepping at both ends (normal and reversed), the popover list,
// re-picking, and the debug request to open.
#include "app/Views/Components/ListPicker.h"
#include "RenderOutput.h"
#include "app/Views/Components/PopoverList.h"
#include "app/Views/Components/YearPicker.h"

#include <QTest>

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

ListPickerOptions weekOptions() {
    ListPickerOptions options;
    options.accessibilityHint = QStringLiteral("Choose a week");
    options.listWidth = 74;
    options.minLabelWidth = 24;
    options.showsScrollIndicator = false;
    options.debugIdentity = QStringLiteral("week");
    return options;
}

ListPicker<QString>* weekPicker(QStringList weeks, QString selection, std::vector<QString>* picks) {
    auto title = [](const QString& week) { return week; };
    auto spoken = [](const QString& week) { return QStringLiteral("Week ") + week; };
    ListPicker<QString>::Action action;
    if (picks != nullptr) {
        action = [picks](const QString& week) { picks->push_back(week); };
    }
    return new ListPicker<QString>(std::vector<QString>(weeks.begin(), weeks.end()), std::move(selection),
                                   title, spoken, weekOptions(), action);
}

void clickPart(ListPickerBase& picker, const QRectF& part) {
    QTest::mouseClick(&picker, Qt::LeftButton, {}, part.center().toPoint());
}

void clickRow(PopoverList& list, int row) {
    QTest::mouseClick(list.widget(), Qt::LeftButton, {}, list.rowRect(row).center());
}

} // namespace

TEST(ListPicker, readOnlyWithoutActionOrWithFewerThanTwoValues) {
    std::vector<QString> picks;
    std::unique_ptr<ListPicker<QString>> noAction(weekPicker({"1", "2", "3"}, "2", nullptr));
    std::unique_ptr<ListPicker<QString>> oneValue(weekPicker({"1"}, "1", &picks));
    std::unique_ptr<ListPicker<QString>> none(weekPicker({}, "1", &picks));
    for (ListPickerBase* picker :
         {static_cast<ListPickerBase*>(noAction.get()), static_cast<ListPickerBase*>(oneValue.get()),
          static_cast<ListPickerBase*>(none.get())}) {
        EXPECT_FALSE(picker->isInteractive());
        EXPECT_FALSE(picker->layout().isInteractive);
        picker->setPresented(true);
        EXPECT_FALSE(picker->isPresented());
    }
    EXPECT_EQ(noAction->accessibleName(), QStringLiteral("Week 2"));
    oneValue->resize(oneValue->sizeHint());
    testsupport::saveLooks(*oneValue, QStringLiteral("list-picker-read-only"));
}

TEST(ListPicker, interactiveFormHasArrowsAroundTheLabelWithItsChevron) {
    std::vector<QString> picks;
    std::unique_ptr<ListPicker<QString>> picker(weekPicker({"1", "2", "3"}, "2", &picks));
    const ListPickerBase::Layout layout = picker->layout();
    ASSERT_TRUE(layout.isInteractive);
    EXPECT_LT(layout.previous.right(), layout.label.left());
    EXPECT_LT(layout.label.right(), layout.next.left());
    EXPECT_TRUE(layout.label.contains(layout.chevron));
    EXPECT_LE(layout.next.right(), picker->sizeHint().width());
    picker->resize(picker->sizeHint());
    testsupport::saveLooks(*picker, QStringLiteral("list-picker"));
}

TEST(ListPicker, arrowTargetsStopAtBothEndsAndReverse) {
    const std::vector<int> values{2024, 2023, 2022};
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
        ListPicker<int> picker(
            values, row.selection, [](const int& y) { return QString::number(y); },
            [](const int& y) { return QString::number(y); }, options, [](const int&) {});
        EXPECT_EQ(picker.stepTarget(-1), row.previous) << row.selection << " reversed " << row.reversed;
        EXPECT_EQ(picker.stepTarget(+1), row.next) << row.selection << " reversed " << row.reversed;
    }
}

TEST(ListPicker, arrowsReportTheirTargetAndLeaveTheListClosed) {
    std::vector<int> picks;
    YearPicker picker(2023, years(2024, 2020), [&](int year) { picks.push_back(year); });
    picker.resize(picker.sizeHint());
    picker.show();
    // Reversed stepping over a newest-first list: "previous" is the older season.
    clickPart(picker, picker.layout().previous);
    clickPart(picker, picker.layout().next);
    EXPECT_EQ(picks, (std::vector<int>{2022, 2024}));
    EXPECT_FALSE(picker.isPresented());

    // At the newest season the next arrow has no target and does nothing.
    picker.setYear(2024);
    clickPart(picker, picker.layout().next);
    EXPECT_EQ(picks.size(), 2u);
}

TEST(ListPicker, labelOpensTheListAndRowsReportEvenTheSelectedOne) {
    std::vector<int> picks;
    YearPicker picker(2010, years(2024, 1990), [&](int year) { picks.push_back(year); });
    picker.resize(picker.sizeHint());
    picker.show();
    clickPart(picker, picker.layout().label);
    ASSERT_TRUE(picker.isPresented());
    PopoverList* list = picker.presentedList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->selectedIndex(), 14);
    EXPECT_NEAR(list->rowRect(14).center().y() - list->scrollOffset(), list->viewport()->height() / 2, 1);
    testsupport::saveLooks(*picker.popover(), QStringLiteral("year-picker-open"));

    clickRow(*list, 14);
    QCoreApplication::processEvents();
    EXPECT_EQ(picks, std::vector<int>{2010});
    EXPECT_FALSE(picker.isPresented());

    // The label toggles: open, then closed again.
    clickPart(picker, picker.layout().label);
    EXPECT_TRUE(picker.isPresented());
    clickPart(picker, picker.layout().label);
    EXPECT_FALSE(picker.isPresented());
}

TEST(ListPicker, selectionOutsideTheListDisablesArrowsButStillOpens) {
    std::vector<QString> picks;
    std::unique_ptr<ListPicker<QString>> picker(weekPicker({"1", "2", "3"}, "9", &picks));
    picker->resize(picker->sizeHint());
    picker->show();
    EXPECT_FALSE(picker->stepTarget(-1));
    EXPECT_FALSE(picker->stepTarget(+1));
    clickPart(*picker, picker->layout().label);
    ASSERT_TRUE(picker->isPresented());
    EXPECT_FALSE(picker->presentedList()->selectedIndex().has_value());
}

TEST(ListPicker, debugRequestOpensTheNamedPickerOnly) {
    const struct {
        const char* identity;
        const char* requested;
        bool opens;
    } cases[] = {{"week", "week", true}, {"year", "week", false}, {"", "", false}};
    const auto number = [](const int& value) { return QString::number(value); };
    for (const auto& c : cases) {
        ListPickerOptions options = weekOptions();
        options.debugIdentity = QString::fromUtf8(c.identity);
        ListPicker<int> picker({1, 2}, 1, number, number, options, [](const int&) {});
        picker.setPresentedPickerProvider([&c] { return std::optional(QString::fromUtf8(c.requested)); });
        picker.show();
        QCoreApplication::processEvents();
        EXPECT_EQ(picker.isPresented(), c.opens) << c.identity << " / " << c.requested;
    }

    qputenv("HUDDLEPOD_DEBUG_PICKER", "year");
    EXPECT_EQ(ListPickerBase::environmentPresentedPicker(), std::optional<QString>(QStringLiteral("year")));
    qputenv("HUDDLEPOD_DEBUG_PICKER", "");
    EXPECT_FALSE(ListPickerBase::environmentPresentedPicker().has_value());
    qunsetenv("HUDDLEPOD_DEBUG_PICKER");
}

TEST(YearPicker, withoutActionOrSeasonsItIsReadOnly) {
    YearPicker noAction(2019, years(2024, 2015), {});
    EXPECT_FALSE(noAction.isInteractive());
    EXPECT_EQ(noAction.accessibleName(), QStringLiteral("Season 2019"));
    YearPicker empty(2019, {}, [](int) {});
    EXPECT_FALSE(empty.isInteractive());
    empty.resize(empty.sizeHint());
    testsupport::saveLooks(empty, QStringLiteral("year-picker-empty"));
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
