// The player card's model: card loads, the tab rule, per-season game logs, stale answers and timing lines.
#include "app/PlayerCardViewModel.h"

#include "data/PostgRESTError.h"
#include "tests/app/FakePlayerService.h"

#include <gtest/gtest.h>

namespace {

using namespace huddlepod;
using namespace std::chrono_literals;
using huddlepod::testing::FakePlayerService;

const QUuid playerID = QUuid::fromString(QStringLiteral("0b7c4a52-6f0e-4a43-9d55-3b1f2a9c8e10"));
const QString cardRequest = QStringLiteral("card 0b7c4a52-6f0e-4a43-9d55-3b1f2a9c8e10 hof");

SearchResult summary() {
    SearchResult result;
    result.id = playerID;
    result.fullName = QStringLiteral("Sam Carter");
    result.isHOF = true;
    return result;
}

// Seasons in 2017 (rushing), 2018 (defense) and 2019 (passing, regular and postseason).
PlayerCard cardWithSeasons() {
    PlayerStats stats;
    stats.passing.resize(2);
    for (PassingSeason& season : stats.passing) {
        season.year = 2019;
        season.passAtt = 320;
    }
    stats.passing[1].seasonType = SeasonType::postseason;
    stats.rushingReceiving.resize(1);
    stats.rushingReceiving[0].year = 2017;
    stats.defense.resize(1);
    stats.defense[0].year = 2018;
    return PlayerCard(PlayerBio{}, std::move(stats), std::nullopt);
}

std::vector<GameLogEntry> games(int count) {
    std::vector<GameLogEntry> entries(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        entries[static_cast<std::size_t>(i)].id = QUuid::createUuid();
        entries[static_cast<std::size_t>(i)].context.week = QString::number(i + 1);
    }
    return entries;
}

class PlayerCardViewModelTest : public ::testing::Test {
protected:
    ~PlayerCardViewModelTest() override {
        model.reset();
        players->calls.abandonPending();
    }

    // Loads the card and answers it.
    void showCard(PlayerCard card = cardWithSeasons()) {
        model->load();
        players->calls.answer<std::optional<PlayerCard>>(cardRequest, std::move(card));
        lines.clear();
    }
    QStringList pending() const { return players->calls.pending(); }

    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::shared_ptr<FakePlayerService> players = std::make_shared<FakePlayerService>();
    QByteArrayList lines;
    std::unique_ptr<PlayerCardViewModel> model = std::make_unique<PlayerCardViewModel>(
        summary(), players, clock, [this](const QByteArray& line) { lines << line; });
};

TEST(PlayerCardViewModelUnconfigured, failsWithoutAPlayerService) {
    PlayerCardViewModel model(summary(), nullptr, std::make_shared<ManualClock>());
    EXPECT_EQ(model.state().kind(), PlayerCardState::Kind::loading);
    model.load();
    EXPECT_EQ(model.state().kind(), PlayerCardState::Kind::failed);
    EXPECT_EQ(model.state().message(), "Huddlepod isn’t configured.");
    model.setTab(PlayerCardTab::gameLog);
    EXPECT_EQ(model.gameLogState(), GameLogState::idle());
}

TEST_F(PlayerCardViewModelTest, aCardIsShownAndTimedAndAReloadKeepsItUntilItsOwnAnswer) {
    model->load();
    EXPECT_EQ(pending(), QStringList({cardRequest})) << "the Hall of Fame flag goes with the request";
    clock->advance(212400us);
    players->calls.answer<std::optional<PlayerCard>>(cardRequest, cardWithSeasons());
    ASSERT_EQ(model->state().kind(), PlayerCardState::Kind::loaded);
    EXPECT_EQ(lines, QByteArrayList({QStringLiteral("[huddlepod] player card: 212 ms (%1 sections)\n")
                                         .arg(cardWithSeasons().tables.size())
                                         .toUtf8()}));
    EXPECT_EQ(model->availableYears(), (std::vector<int>{2019, 2018, 2017}));

    lines.clear();
    model->load();
    EXPECT_EQ(model->state().kind(), PlayerCardState::Kind::loaded);
    players->calls.fail(cardRequest, PostgRESTError::decoding("bad"));
    EXPECT_EQ(model->state().message(), "Something went wrong loading this player.");
    model->load();
    players->calls.answer<std::optional<PlayerCard>>(cardRequest, std::nullopt);
    EXPECT_EQ(model->state().message(), "Couldn’t find that player’s record.");
    EXPECT_TRUE(lines.isEmpty()) << "only a card that arrived is timed";
}

TEST_F(PlayerCardViewModelTest, theGameLogTabLoadsTheNewestSeasonOnce) {
    model->setTab(PlayerCardTab::gameLog);
    EXPECT_EQ(model->selectedYear(), std::nullopt) << "nothing loads before the card";
    model->setTab(PlayerCardTab::seasons);
    showCard();

    model->setTab(PlayerCardTab::gameLog);
    EXPECT_EQ(model->selectedYear(), 2019);
    EXPECT_EQ(model->gameLogState(), GameLogState::loading());
    clock->advance(145ms);
    players->calls.answer("gameLog 2019", games(17));
    EXPECT_EQ(model->gameLogState().kind(), GameLogState::Kind::loaded);
    EXPECT_EQ(lines, QByteArrayList({"[huddlepod] game log 2019: 145 ms (17 games)\n"}));

    model->setTab(PlayerCardTab::seasons);
    model->setTab(PlayerCardTab::gameLog);
    EXPECT_EQ(players->calls.requests().count("gameLog 2019"), 1);
}

TEST_F(PlayerCardViewModelTest, seasonsAreCachedEmptyOnesIncluded) {
    showCard();
    model->setTab(PlayerCardTab::gameLog);
    players->calls.answer("gameLog 2019", games(3));
    model->selectYear(2017);
    players->calls.answer("gameLog 2017", games(0));
    EXPECT_EQ(model->gameLogState(), GameLogState::empty(2017));
    EXPECT_EQ(lines.back(), "[huddlepod] game log 2017: 0 ms (0 games)\n");

    model->selectYear(2019);
    EXPECT_EQ(model->gameLogState().kind(), GameLogState::Kind::loaded);
    model->selectYear(2017);
    EXPECT_EQ(model->gameLogState(), GameLogState::empty(2017));
    model->selectYear(2016); // not a season of this player
    EXPECT_EQ(model->selectedYear(), 2017);
    EXPECT_EQ(players->calls.count(), 3);
}

TEST_F(PlayerCardViewModelTest, aFailedSeasonIsRetriedFromTheTabNotTheSamePick) {
    showCard();
    model->setTab(PlayerCardTab::gameLog);
    players->calls.fail("gameLog 2019", PostgRESTError::http(429, {}));
    EXPECT_EQ(model->gameLogState(), GameLogState::failed("Too many requests. Try again in a moment."));
    EXPECT_TRUE(lines.isEmpty());

    model->selectYear(2019);
    EXPECT_TRUE(pending().isEmpty());
    model->setTab(PlayerCardTab::gameLog);
    EXPECT_EQ(pending(), QStringList({"gameLog 2019"}));
    players->calls.answer("gameLog 2019", games(2));
    EXPECT_EQ(model->gameLogState().kind(), GameLogState::Kind::loaded);
}

TEST_F(PlayerCardViewModelTest, onlyTheSelectedSeasonsAnswerIsShownOrCached) {
    showCard();
    model->setTab(PlayerCardTab::gameLog); // 2019
    model->selectYear(2018);
    players->calls.answer("gameLog 2018", games(4));
    players->calls.answer("gameLog 2019", games(9));
    EXPECT_EQ(model->gameLogState().table().sections().front().rows.size(), 4u);
    EXPECT_EQ(lines.size(), 1);

    // A pick served from the cache leaves the running request alone; its answer is dropped.
    model->selectYear(2017);
    model->selectYear(2018);
    EXPECT_FALSE(players->calls.token("gameLog 2017").isCancelled());
    players->calls.answer("gameLog 2017", games(1));
    EXPECT_EQ(model->gameLogState().table().sections().front().rows.size(), 4u);

    model->selectYear(2019);
    model->selectYear(2017);
    EXPECT_EQ(pending(), QStringList({"gameLog 2019", "gameLog 2017"})) << "dropped answers were not cached";
}

TEST_F(PlayerCardViewModelTest, aCardWithoutSeasonsHasNoGameLogToLoad) {
    showCard(PlayerCard(PlayerBio{}, {}, std::nullopt));
    model->setTab(PlayerCardTab::gameLog);
    EXPECT_TRUE(model->availableYears().empty());
    EXPECT_EQ(model->selectedYear(), std::nullopt);
    EXPECT_EQ(model->gameLogState(), GameLogState::idle());
    EXPECT_TRUE(pending().isEmpty());
}

TEST_F(PlayerCardViewModelTest, aGameLogCancelledWithTheCardLoadsAgainWithTheCard) {
    showCard();
    model->setTab(PlayerCardTab::gameLog);
    model->load();
    model->cancel(); // the card view disappeared
    EXPECT_TRUE(players->calls.token(cardRequest).isCancelled());
    EXPECT_TRUE(players->calls.token("gameLog 2019").isCancelled());
    EXPECT_EQ(model->gameLogState(), GameLogState::idle()) << "nothing is loading any more";
    players->calls.answer("gameLog 2019", games(5));
    players->calls.answer<std::optional<PlayerCard>>(cardRequest, cardWithSeasons());
    EXPECT_EQ(model->gameLogState(), GameLogState::idle());
    EXPECT_TRUE(lines.isEmpty());

    model->load(); // the card view appeared again
    players->calls.answer<std::optional<PlayerCard>>(cardRequest, cardWithSeasons());
    EXPECT_EQ(model->gameLogState(), GameLogState::loading());
    players->calls.answer("gameLog 2019", games(5));
    EXPECT_EQ(model->gameLogState().kind(), GameLogState::Kind::loaded);
}

} // namespace
