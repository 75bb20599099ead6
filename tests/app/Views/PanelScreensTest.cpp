// The whole panel against the local backend's demo league, in every search state, and the league browser's
// pages and player cards at the panel's page size, saved in the light and the dark look under
// $HUDDLEPOD_TEST_OUTPUT/screens/ for people to look at.
#include "RenderOutput.h"
#include "app/HomeViewModel.h"
#include "app/PanelNavigation.h"
#include "app/PanelSession.h"
#include "app/PlayerCardViewModel.h"
#include "app/SearchViewModel.h"
#include "app/Views/DataGridView.h"
#include "app/Views/HomeView.h"
#include "app/Views/PanelRootView.h"
#include "app/Views/PlayerCardView.h"
#include "app/Views/SearchFieldView.h"
#include "app/Views/SearchResultsView.h"
#include "backend/BackendServer.h"
#include "backend/LeagueDatabase.h"
#include "data/LeagueService.h"
#include "data/PlayerService.h"
#include "data/PostgRESTClient.h"
#include "data/SearchService.h"
#include "platform/UserDefaults.h"
#include "platform/http/HttpSession.h"
#include "platform/workspace/WorkspaceSettings.h"
#include "tests/support/AsyncTest.h"
#include "ui/Preferences.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace huddlepod;
using namespace std::chrono_literals;

// The page area under the search field of a 440 × 560 panel.
constexpr QSize pageArea(440, 508);

struct Backend {
    Backend()
        : database(backend::LeagueDatabase::generate({.size = backend::LeagueSize::Small, .seed = 1}))
        , server(database)
        , client(std::make_shared<PostgRESTClient>(
              SupabaseConfiguration{QUrl(QString::fromStdString(server.baseUrl())),
                                    QString::fromStdString(server.anonKey())},
              "test")) {}

    std::shared_ptr<backend::LeagueDatabase> database;
    backend::BackendServer server;
    std::shared_ptr<PostgRESTClient> client;
};

class PanelScreensTest : public ::testing::Test {
protected:
    static Backend& backend() {
        static Backend shared;
        return shared;
    }

    // Every task holds the shared client; wait until the last one has let go, so none outlives the test.
    void TearDown() override {
        root.reset();
        cards.clear();
        home.reset();
        search.reset();
        QTRY_VERIFY_WITH_TIMEOUT(backend().client.use_count() == 1, 10000);
    }

    void build(bool configured) {
        UserDefaults::openStandard()->remove(Preferences::hasSeenHotkeyHintKey);
        motion.reduceMotionValue = true;
        auto clock = std::make_shared<SystemClock>();
        std::shared_ptr<PostgRESTClient> client = configured ? backend().client : nullptr;
        search = std::make_unique<SearchViewModel>(client ? std::make_shared<SearchService>(client) : nullptr,
                                                   client, clock, [](const QByteArray&) {});
        home = std::make_unique<HomeViewModel>(client ? std::make_shared<LeagueService>(client) : nullptr);
        auto players = client ? std::make_shared<PlayerService>(client) : nullptr;
        root = std::make_unique<PanelRootView>(
            &session, search.get(), &navigation, home.get(),
            [this, players, clock](const SearchResult& result) {
                return cards.emplace_back(std::make_unique<PlayerCardViewModel>(result, players, clock))
                    .get();
            },
            [] {}, [] {}, QStringLiteral("⌃⌥S"));
        root->resize(440, 560);
        root->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(root.get()));
    }

    void save(const QString& name) {
        // Let pending layout requests place freshly swapped-in content before it is drawn.
        QCoreApplication::processEvents();
        testsupport::saveLooks(*root, "panel-" + name, "screens", 0);
    }

    ScopedWorkspaceSettings motion;
    PanelSession session;
    PanelNavigation navigation;
    std::unique_ptr<SearchViewModel> search;
    std::unique_ptr<HomeViewModel> home;
    std::vector<std::unique_ptr<PlayerCardViewModel>> cards;
    std::unique_ptr<PanelRootView> root;
};

TEST_F(PanelScreensTest, everySearchStateFromTheDemoLeague) {
    build(true);
    QTRY_VERIFY_WITH_TIMEOUT(home->state().kind() != HomeContentState::Kind::loading, 10000);
    save(QStringLiteral("idle"));

    // A player link in a league table opens a stand-in card for that player.
    home->setTab(HomeTab::draft);
    DataGridView* grid = nullptr;
    auto linkedGrid = [&] {
        for (DataGridView* shown : root->results()->findChildren<DataGridView*>()) {
            if (shown->isVisible() && !shown->gridLayout().links.empty()) {
                grid = shown;
            }
        }
        return grid != nullptr;
    };
    QTRY_VERIFY_WITH_TIMEOUT(linkedGrid(), 10000);
    grid->activateLink(0);
    ASSERT_TRUE(navigation.route().isPlayer());
    EXPECT_TRUE(navigation.route().playerResult()->isPlaceholder);
    QTest::mouseClick(root->searchField()->leadingGlyph(), Qt::LeftButton);

    // A name shared by several players, a Hall of Famer among them.
    const auto names = backend().database->query(
        "SELECT last_name FROM players GROUP BY last_name ORDER BY MAX(is_hof) DESC, COUNT(*) DESC LIMIT 1");
    QTest::keyClicks(root->searchField()->textField(),
                     QString::fromStdString(names.at(0).at("last_name").get<std::string>()));
    QTRY_COMPARE_WITH_TIMEOUT(search->state().kind(), SearchState::Kind::results, 10000);
    search->moveSelection(1);
    save(QStringLiteral("results"));

    QTest::keyClick(root->searchField()->textField(), Qt::Key_Return);
    ASSERT_NE(root->card(), nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(root->card()->model()->state().kind(), PlayerCardState::Kind::loaded, 10000);
    save(QStringLiteral("card"));
    QTest::mouseClick(root->searchField()->leadingGlyph(), Qt::LeftButton);

    search->setQuery(QStringLiteral("zzqx"));
    QTRY_COMPARE_WITH_TIMEOUT(search->state(), SearchState::empty(QStringLiteral("zzqx")), 10000);
    save(QStringLiteral("empty"));

    backend().server.faults().add(
        backend::faultRuleFromJson({{"route", "rpc/search_players"}, {"status", 500}}));
    search->setQuery(QStringLiteral("zzqy"));
    QTRY_COMPARE_WITH_TIMEOUT(search->state().kind(), SearchState::Kind::failed, 10000);
    save(QStringLiteral("failed"));

    backend().server.faults().set(
        {backend::faultRuleFromJson({{"route", "rpc/search_players"}, {"delay_ms", 2000}})});
    search->setQuery(QStringLiteral("zzqz"));
    QTRY_COMPARE_WITH_TIMEOUT(search->state(), SearchState::loading(), 10000);
    save(QStringLiteral("loading"));
    search->reset();
    backend().server.faults().clear();
}

TEST_F(PanelScreensTest, unconfigured) {
    build(false);
    save(QStringLiteral("unconfigured"));
}

TEST_F(PanelScreensTest, leagueBrowserPages) {
    HomeViewModel model(std::make_shared<LeagueService>(backend().client));
    HomeView view(&model, [](const PlayerLink&) {});
    view.resize(pageArea);
    view.show();
    view.appear();
    int changes = 0;
    QObject::connect(&model, &HomeViewModel::stateChanged, [&] { ++changes; });
    for (const HomeTab tab : allHomeTabs) {
        if (tab != model.tab()) {
            changes = 0;
            model.setTab(tab);
        }
        // Settled: the page's own answer replaced what the last page showed.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return changes > 0 && model.state().kind() != HomeContentState::Kind::loading; }, 20000));
        EXPECT_EQ(model.state().kind(), HomeContentState::Kind::loaded) << model.state().text().toStdString();
        QCoreApplication::processEvents();
        testsupport::saveLooks(view, QStringLiteral("league-") + rawValue(tab).toLower(), "screens", 0);
    }
}

TEST_F(PanelScreensTest, playerCards) {
    const struct {
        const char* name;
        std::string sql;
    } players[] = {
        {"card-busiest-player", "SELECT full_name FROM players p WHERE is_hof = 0 ORDER BY (SELECT COUNT(*) "
                                "FROM player_passing WHERE player_id = p.id) DESC LIMIT 1"},
        {"card-hall-of-famer",
         "SELECT full_name FROM players WHERE is_hof = 1 ORDER BY career_av DESC LIMIT 1"},
    };
    SearchService search(backend().client);
    for (const auto& entry : players) {
        SCOPED_TRACE(entry.name);
        const QString name = QString::fromStdString(
            backend().database->query(entry.sql).at(0).at("full_name").get<std::string>());
        PlayerCardViewModel model(test::waitForTask(search.search(name)).at(0),
                                  std::make_shared<PlayerService>(backend().client),
                                  std::make_shared<SystemClock>(), [](const QByteArray&) {});
        PlayerCardView view(&model);
        view.resize(pageArea);
        view.show();
        view.appear();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return model.state().kind() != PlayerCardState::Kind::loading; }, 20000));
        ASSERT_EQ(model.state().kind(), PlayerCardState::Kind::loaded)
            << model.state().message().toStdString();
        QCoreApplication::processEvents();
        testsupport::saveLooks(view, QString::fromUtf8(entry.name) + QStringLiteral("-seasons"), "screens",
                               0);
        model.setTab(PlayerCardTab::gameLog);
        // Settled: loaded, empty or failed, the kinds before idle.
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return model.gameLogState().kind() < GameLogState::Kind::idle; }, 20000));
        QCoreApplication::processEvents();
        testsupport::saveLooks(view, QString::fromUtf8(entry.name) + QStringLiteral("-game-log"), "screens",
                               0);
    }
}

} // namespace
