// The player card view: the biography line, the game-log pane's states, the tab row, and its loads.
#include "app/Views/PlayerCardView.h"

#include "RenderOutput.h"
#include "app/Views/Components/PopoverList.h"
#include "app/Views/Components/StatusMessage.h"
#include "app/Views/Components/YearPicker.h"
#include "app/Views/ContentPane.h"
#include "app/Views/PlayerCardHeader.h"
#include "tests/app/FakePlayerService.h"
#include "tests/app/Tables.h"

#include <QAccessible>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace huddlepod;
using huddlepod::testing::FakePlayerService;

SearchResult summary(std::optional<int> start, std::optional<int> end) {
    SearchResult result;
    result.fullName = QStringLiteral("Sam Carter");
    result.primaryPosition = QStringLiteral("QB");
    result.careerStart = start;
    result.careerEnd = end;
    result.teams = {TeamPathEntry{QStringLiteral("KC")}};
    return result;
}

PlayerCard card(std::optional<int> height, std::optional<int> weight, std::optional<QString> college,
                std::optional<HallOfFameEntry> hallOfFame, int firstTeamAllPros,
                std::vector<int> seasons = {}) {
    PlayerBio bio;
    bio.heightInches = height;
    bio.weightLbs = weight;
    bio.college = std::move(college);
    for (int i = 0; i < firstTeamAllPros; ++i) {
        bio.allProHistory.push_back(AllProEntry{2000 + i, QStringLiteral("first_team"), {}, {}});
    }
    bio.allProHistory.push_back(AllProEntry{1999, QStringLiteral("second_team"), {}, {}});
    PlayerStats stats;
    for (const int year : seasons) {
        PassingSeason passing;
        passing.year = year;
        stats.passing.push_back(passing);
    }
    return PlayerCard(std::move(bio), std::move(stats), std::move(hallOfFame));
}

TEST(PlayerCardView, biographyLineVariants) {
    const HallOfFameEntry inducted{2015, {}, {}, {}};
    const HallOfFameEntry noYear{};
    struct Case {
        const char* name;
        SearchResult summary;
        PlayerCardState state;
        QString expected;
    } cases[] = {
        {"loading: the career span alone", summary(1998, 2010), PlayerCardState::loading(), "1998–2010"},
        {"failed, without a span: the career summary", summary({}, {}), PlayerCardState::failed("x"), "KC"},
        {"every part", summary(1998, 2010), PlayerCardState::loaded(card(74, 215, "Alabama", inducted, 2)),
         "6-2  ·  215 lb  ·  Alabama  ·  Hall of Fame 2015  ·  2× first-team All-Pro  ·  1998–2010"},
        {"no induction year, one selection", summary(2001, 2001),
         PlayerCardState::loaded(card({}, {}, {}, noYear, 1)), "1× first-team All-Pro  ·  2001"},
        {"nothing known: the span", summary(2001, 2003), PlayerCardState::loaded(card({}, {}, {}, {}, 0)),
         "2001–2003"},
        {"nothing known, no span: the summary", summary({}, {}),
         PlayerCardState::loaded(card({}, {}, {}, {}, 0)), "KC"},
        {"parts but no span: no summary", summary({}, {}), PlayerCardState::loaded(card(70, {}, {}, {}, 0)),
         "5-10"},
    };
    for (const Case& test : cases)
        EXPECT_EQ(PlayerCardView::biographyLine(test.summary, test.state), test.expected) << test.name;
}

TEST(PlayerCardHeader, longTextsGiveWayToThePositionAndTwoLines) {
    PlayerCardHeader header(QStringLiteral("Bartholomew Maximilian Fitzgerald-Montgomery the Third"),
                            QStringLiteral("QB"), true);
    header.setBiography(QStringList(12, QStringLiteral("Something long about the player")).join("  ·  "));
    const PlayerCardHeader::Layout layout = header.layoutFor(440);
    EXPECT_TRUE(layout.shownName.endsWith(QStringLiteral("…")));
    EXPECT_LT(layout.star->right(), layout.position->left() - PlayerCardHeader::minimumSpacer + 0.5);
    EXPECT_NEAR(layout.position->right(), 440 - PlayerCardHeader::horizontalPadding, 0.5);
    EXPECT_EQ(layout.shownBiography.count('\n'), 1);
    EXPECT_TRUE(layout.shownBiography.section('\n', 0, 0).endsWith("player")) << "lines break between parts";
    EXPECT_TRUE(layout.shownBiography.endsWith(QStringLiteral("…")));

    // Each part is spoken on its own, the star as "Hall of Fame", the biography whole.
    header.resize(440, header.heightForWidth(440));
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(&header);
    QStringList names;
    for (int i = 0; i < spoken->childCount(); ++i)
        names << spoken->child(i)->text(QAccessible::Name);
    EXPECT_EQ(names, QStringList({header.name(), "Hall of Fame", "QB", header.biography()}));
}

class PlayerCardViewTest : public ::testing::Test {
protected:
    ~PlayerCardViewTest() override {
        view.reset();
        model.reset();
        players->calls.abandonPending();
    }

    std::shared_ptr<FakePlayerService> players = std::make_shared<FakePlayerService>();
    std::unique_ptr<PlayerCardViewModel> model = std::make_unique<PlayerCardViewModel>(
        summary(2017, 2019), players, std::make_shared<ManualClock>(), [](const QByteArray&) {});
    std::unique_ptr<PlayerCardView> view = std::make_unique<PlayerCardView>(model.get());
};

TEST_F(PlayerCardViewTest, appearLoadsAndDisappearCancelsButShowingDoesNot) {
    view->show();
    EXPECT_EQ(players->calls.count(), 0);
    view->appear();
    ASSERT_EQ(players->calls.pending().size(), 1);
    const CancellationToken token = players->calls.token(players->calls.pending().front());
    EXPECT_FALSE(token.isCancelled());
    view->disappear();
    EXPECT_TRUE(token.isCancelled());
}

TEST_F(PlayerCardViewTest, gameLogPaneShowsEveryStateBelowTheTabRow) {
    const auto message = [this] {
        auto* status = dynamic_cast<StatusMessage*>(view->content());
        return status ? status->text() + (status->symbol() ? "+symbol" : "") : QString();
    };
    EXPECT_TRUE(view->tabRow()->isHidden()) << "no tab row before the card arrives";
    EXPECT_EQ(message(), "Loading…");

    model->setState(PlayerCardState::loaded(card(74, 215, {}, {}, 0, {2019, 2018, 2017})));
    EXPECT_FALSE(view->tabRow()->isHidden());
    EXPECT_TRUE(view->yearPicker()->isHidden()) << "the season picker belongs to the game log";
    model->setTab(PlayerCardTab::gameLog);
    EXPECT_FALSE(view->yearPicker()->isHidden());
    EXPECT_EQ(view->yearPicker()->values(), (std::vector<int>{2019, 2018, 2017}));

    const struct {
        GameLogState state;
        QString shown;
    } cases[] = {
        {GameLogState::idle(), "Loading…"},
        {GameLogState::empty(1998), "No game-by-game data recorded for 1998.+symbol"},
        {GameLogState::loaded(huddlepod::testing::tableWithRows("games", 3)), ""},
    };
    for (const auto& test : cases) {
        model->setGameLogState(test.state);
        EXPECT_EQ(message(), test.shown);
    }
    EXPECT_NE(dynamic_cast<GridScrollArea*>(view->content()), nullptr) << "the game log's table";

    // The seasons pane of a card without season tables says so.
    model->setTab(PlayerCardTab::seasons);
    EXPECT_EQ(message(), "No season statistics recorded for this player.+symbol");
}

TEST_F(PlayerCardViewTest, aPlayerWithoutSeasonRecordsHasNoGameLogToWaitFor) {
    model->setState(PlayerCardState::loaded(card(74, 215, "Alabama", {}, 0)));
    model->setTab(PlayerCardTab::gameLog);
    auto* status = dynamic_cast<StatusMessage*>(view->content());
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text(), "No game-by-game data recorded for this player.");
    EXPECT_EQ(status->symbol(), Symbol::questionmarkCircle);
    EXPECT_TRUE(view->yearPicker()->isHidden());
    EXPECT_EQ(players->calls.count(), 0);
    view->resize(440, 300);
    huddlepod::testsupport::saveLooks(*view, QStringLiteral("card-game-log-without-seasons"));
}

TEST_F(PlayerCardViewTest, theGameLogsSeasonListAskedForByADebugRunOpensUnderItsPicker) {
    qputenv("HUDDLEPOD_DEBUG_PICKER", "year");
    view->resize(440, 508);
    view->show();
    model->setState(PlayerCardState::loaded(card(74, 215, {}, {}, 0, {2019, 2018, 2017})));
    QCoreApplication::processEvents();
    model->setTab(PlayerCardTab::gameLog);
    YearPicker* picker = view->yearPicker();
    ASSERT_TRUE(QTest::qWaitFor([&] { return picker->isPresented(); }, 5000));
    qunsetenv("HUDDLEPOD_DEBUG_PICKER");
    const QPoint below = picker->mapToGlobal(QPoint(0, picker->height()));
    EXPECT_EQ(picker->popover()->placement().frame.top(), below.y());
    EXPECT_EQ(picker->presentedList()->selectedIndex(), 0);
}

} // namespace
