// The search model: debounce on the injected clock, stale answers dropped, selection rules, reset and timing.
#include "app/SearchViewModel.h"

#include "data/PostgRESTError.h"
#include "tests/app/FakeSearchService.h"

#include <gtest/gtest.h>

namespace {

using namespace huddlepod;
using namespace std::chrono_literals;
using huddlepod::testing::FakeSearchService;

const QString unconfigured = QStringLiteral("Huddlepod isn’t configured. Reinstall the app.");

std::vector<SearchResult> rows(const QStringList& names) {
    std::vector<SearchResult> results;
    for (const QString& name : names) {
        SearchResult result;
        result.id = QUuid::createUuid();
        result.fullName = name;
        results.push_back(result);
    }
    return results;
}

class SearchViewModelTest : public ::testing::Test {
protected:
    ~SearchViewModelTest() override {
        model.reset();
        search->calls.abandonPending();
    }

    // Types a query and lets the debounce run out.
    void searchFor(const QString& query) {
        model->setQuery(query);
        clock->advance(SearchViewModel::debounce);
    }
    void answer(const QString& query, const QStringList& names) {
        search->calls.answer<std::vector<SearchResult>>(query, rows(names));
    }
    QStringList requests() const { return search->calls.requests(); }

    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::shared_ptr<FakeSearchService> search = std::make_shared<FakeSearchService>();
    QByteArrayList lines;
    std::unique_ptr<SearchViewModel> model = std::make_unique<SearchViewModel>(
        search, nullptr, clock, [this](const QByteArray& line) { lines << line; });
};

TEST_F(SearchViewModelTest, keystrokesWithinTheDebounceMakeOneRequestForTheLastText) {
    model->setQuery("jo");
    clock->advance(100ms);
    model->setQuery("joe");
    clock->advance(149ms);
    EXPECT_TRUE(requests().isEmpty());
    EXPECT_EQ(model->state(), SearchState::idle()) << "the state waits with the debounce";
    clock->advance(1ms);
    EXPECT_EQ(requests(), QStringList({"joe"}));
    EXPECT_EQ(model->state(), SearchState::loading());

    clock->advance(87ms);
    answer("joe", {"Joe A", "Joe B", "Joe C"});
    EXPECT_EQ(model->state().kind(), SearchState::Kind::results);
    EXPECT_EQ(model->state().rows().size(), 3u);
    EXPECT_EQ(lines, QByteArrayList({"[huddlepod] search \xE2\x86\x92 results: 87 ms (3 rows)\n"}));
}

TEST_F(SearchViewModelTest, tooShortQueriesGoIdleAtOnceWithoutARequest) {
    for (const QString& query : {QStringLiteral("j"), QStringLiteral("  j \n"), QStringLiteral("    ")}) {
        searchFor("ab");
        model->setQuery(query);
        EXPECT_EQ(model->state(), SearchState::idle());
        EXPECT_EQ(clock->sleeperCount(), 0u);
    }
    answer("ab", {"Abe"});
    EXPECT_EQ(model->state(), SearchState::idle()) << "a late answer for an older query is dropped";
    EXPECT_EQ(requests(), QStringList({"ab", "ab", "ab"}));
}

TEST_F(SearchViewModelTest, onlyTheNewestSearchMayWriteState) {
    searchFor("ab");
    searchFor("abc");
    answer("abc", {"Abc"});
    answer("ab", {"Ab", "Ab2"});
    EXPECT_EQ(model->state().rows().size(), 1u);

    searchFor("abd");
    searchFor("abe");
    search->calls.fail("abd", PostgRESTError::http(500, {}));
    EXPECT_EQ(model->state(), SearchState::loading());
    answer("abe", {});
    EXPECT_EQ(model->state(), SearchState::empty("abe"));

    // A failure of the newest search shows its message, untimed.
    searchFor("abf");
    search->calls.fail("abf", PostgRESTError::decoding("bad"));
    EXPECT_EQ(model->state(), SearchState::failed("Something went wrong loading results."));
    EXPECT_EQ(lines.size(), 2);
}

TEST_F(SearchViewModelTest, emptyAnswersCarryTheNormalisedQuery) {
    const QString longName = QString(120, QLatin1Char('x'));
    searchFor("  " + longName + " ");
    EXPECT_EQ(requests(), QStringList({longName.left(100)}));
    answer(longName.left(100), {});
    EXPECT_EQ(model->state(), SearchState::empty(longName.left(100)));

    // A trailing space is a change of the query: it is searched again.
    searchFor("ab");
    searchFor("ab ");
    EXPECT_EQ(requests().mid(1), QStringList({"ab", "ab"}));
}

TEST_F(SearchViewModelTest, keyboardSelectionClampsAndAlwaysTicks) {
    model->moveSelection(1);
    EXPECT_EQ(model->keyboardNavigationTick(), 0) << "no rows, no move";
    EXPECT_EQ(model->selectedResult(), std::nullopt);

    searchFor("ab");
    answer("ab", {"A", "B", "C"});
    for (auto [step, selection] : {std::pair{-1, 0}, {5, 2}, {1, 2}}) {
        model->moveSelection(step);
        EXPECT_EQ(model->selection(), selection) << step;
    }
    EXPECT_EQ(model->keyboardNavigationTick(), 3);
    EXPECT_EQ(model->selectedResult()->fullName, "C");

    for (auto [index, selection] : {std::pair{5, 2}, {-1, 2}, {1, 1}}) {
        model->select(index);
        EXPECT_EQ(model->selection(), selection) << index;
    }
    EXPECT_EQ(model->keyboardNavigationTick(), 3);

    // A new query resets the selection and turns hover selection off until the mouse moves.
    model->setAllowsHoverSelection(true);
    model->setQuery("abc");
    EXPECT_EQ(model->selection(), 0);
    EXPECT_FALSE(model->allowsHoverSelection());
    clock->advance(SearchViewModel::debounce);
    model->moveSelection(1);
    EXPECT_EQ(model->keyboardNavigationTick(), 3) << "nothing moves while loading";
    EXPECT_EQ(model->selectedResult(), std::nullopt);
}

TEST_F(SearchViewModelTest, resetCancelsTheSearchAndEmptiesEverything) {
    searchFor("ab");
    model->setAllowsHoverSelection(true);
    model->reset();
    EXPECT_TRUE(search->calls.token("ab").isCancelled());
    EXPECT_EQ(model->query(), "");
    EXPECT_EQ(model->state(), SearchState::idle());
    EXPECT_FALSE(model->allowsHoverSelection());
    answer("ab", {"Abe"});
    EXPECT_EQ(model->state(), SearchState::idle());

    model->setQuery("cd");
    model->reset();
    clock->advance(1s);
    EXPECT_EQ(requests(), QStringList({"ab"})) << "a search still waiting out its debounce never starts";
}

TEST(SearchViewModelUnconfigured, keepsItsFailureThroughTypingAndReset) {
    auto clock = std::make_shared<ManualClock>();
    SearchViewModel model(nullptr, nullptr, clock);
    model.setQuery("joe");
    clock->advance(1s);
    model.reset();
    model.warmUp(); // without a client: nothing
    EXPECT_EQ(model.state(), SearchState::failed(unconfigured));
}

} // namespace
