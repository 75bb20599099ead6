// The league browser over the real service, client and a loopback server that names years no league has:
// each page fails as it does for any broken answer, and the season list never grows with the numbers.
#include "app/HomeViewModel.h"
#include "app/Views/Components/YearPicker.h"
#include "app/Views/HomeView.h"
#include "data/LeagueService.h"
#include "data/PostgRESTClient.h"
#include "platform/http/HttpSession.h"
#include "tests/app/FakeLeagueService.h"
#include "tests/support/AsyncTest.h"
#include "tests/support/LoopbackServer.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

using namespace huddlepod;
using huddlepod::test::LoopbackServer;

TEST(HomeViewAgainstAServer, yearsNoLeagueHasFailEachPageWithoutListingThem) {
    const auto flat = [](const std::string& year) { return "[{\"year\":" + year + "}]"; };
    const auto nested = [](const std::string& year) { return "[{\"seasons\":{\"year\":" + year + "}}]"; };
    struct Page {
        HomeTab tab;
        std::string table; // the table of its year lookups
        bool nested;
    };
    const Page pages[] = {{HomeTab::standings, "standings", true},
                          {HomeTab::schedule, "games", false},
                          {HomeTab::draft, "drafts", false},
                          {HomeTab::awards, "awards", true}};
    for (const Page& page : pages) {
        for (const char* year : {"2147483648", "-2147483648", "2147483647", "20000000"}) {
            SCOPED_TRACE(rawValue(page.tab).toStdString() + " " + year);
            LoopbackServer server;
            server.setFallback({200, "[]"});
            server.setDefault("/rest/v1/" + page.table, {200, page.nested ? nested(year) : flat(year)});
            QTemporaryDir cache;
            HttpSession::Options options;
            options.cacheDirectory = cache.path();
            auto client = std::make_shared<PostgRESTClient>(SupabaseConfiguration{server.baseUrl(), "anon"},
                                                            "1.0", std::make_unique<HttpSession>(options));
            HomeViewModel model(std::make_shared<LeagueService>(client));
            HomeView view(&model, [](const PlayerLink&) {});
            model.setTab(page.tab);
            view.appear();
            EXPECT_TRUE(
                test::waitUntil([&] { return model.state().kind() == HomeContentState::Kind::failed; }));
            EXPECT_EQ(model.state().text().toStdString(), "Something went wrong loading that.");
            EXPECT_TRUE(model.bounds().empty());
            EXPECT_EQ(model.year(), std::nullopt);
            EXPECT_TRUE(view.yearPicker()->isHidden());
            EXPECT_TRUE(view.yearPicker()->values().empty());
        }
    }
}

TEST(HomeViewSeasonList, listsOnlyTheYearsALeagueCanHave) {
    const auto league = std::make_shared<huddlepod::testing::FakeLeagueService>();
    HomeViewModel model(league);
    HomeView view(&model, [](const PlayerLink&) {});
    model.setTab(HomeTab::schedule);
    league->calls.answer<std::optional<YearRange>>("scheduleYearBounds", YearRange{INT_MIN, INT_MAX});
    const std::vector<int>& years = view.yearPicker()->values();
    ASSERT_EQ(years.size(), 701u);
    EXPECT_EQ(years.front(), 2500);
    EXPECT_EQ(years.back(), 1800);
    league->calls.abandonPending();
}

} // namespace
