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

#include <algorithm>
#include <vector>

namespace {

using namespace huddlepod;

// The page area under the search field of a 440 × 560 panel.
constexpr QSize pageArea(440, 508);
constexpr int slow = 20000; // ms: answers from the local backend under the sanitizers

// Saves a page once pending layout requests have placed freshly swapped-in content.
void saveScreen(QWidget& page, const QString& name) {
    QCoreApplication::processEvents();
    testsupport::saveLooks(page, name, "screens", 0);
}

template <typename View>
void present(View& view) {
    view.resize(pageArea);
    view.show();
    view.appear();
}

// The league is generated once per process; the server and the client live for one test, so the client is
// gone (with every request it had) while the application still runs.
struct Backend {
    Backend()
        : database(league())
        , server(database)
        , client(std::make_shared<PostgRESTClient>(
              SupabaseConfiguration{QUrl(QString::fromStdString(server.baseUrl())),
                                    QString::fromStdString(server.anonKey())},
              "test")) {}

    static std::shared_ptr<backend::LeagueDatabase> league() {
        static const auto shared =
            backend::LeagueDatabase::generate({.size = backend::LeagueSize::Small, .seed = 1});
        return shared;
    }

    std::shared_ptr<backend::LeagueDatabase> database;
    backend::BackendServer server;
    std::shared_ptr<PostgRESTClient> client;
};

class PanelScreensTest : public ::testing::Test {
protected:
    Backend& backend() {
        if (!backend_)
            backend_ = std::make_unique<Backend>();
        return *backend_;
    }

    // Every task holds the shared client; wait until the last one has let go, so none outlives the test.
    void TearDown() override {
        root.reset();
        cards.clear();
        home.reset();
        search.reset();
        if (backend_) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return backend_->client.use_count() == 1; }, slow));
            backend_.reset();
        }
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
            [] {}, [] {}, QStringLiteral("Ctrl+Alt+S"));
        root->resize(440, 560);
        root->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(root.get()));
    }

    void save(const QString& name) { saveScreen(*root, "panel-" + name); }

    ScopedWorkspaceSettings motion;
    PanelSession session;
    PanelNavigation navigation;
    std::unique_ptr<SearchViewModel> search;
    std::unique_ptr<HomeViewModel> home;
    std::vector<std::unique_ptr<PlayerCardViewModel>> cards;
    std::unique_ptr<PanelRootView> root;
    std::unique_ptr<Backend> backend_;
};

TEST_F(PanelScreensTest, everySearchStateFromTheDemoLeague) {
    build(true);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return home->state().kind() != HomeContentState::Kind::loading; }, slow));
    save(QStringLiteral("idle"));

    // A player link in a league table opens a stand-in card for that player.
    home->setTab(HomeTab::draft);
    const auto linked = [&] {
        const auto grids = root->results()->findChildren<DataGridView*>();
        const auto found = std::ranges::find_if(
            grids, [](DataGridView* grid) { return grid->isVisible() && !grid->gridLayout().links.empty(); });
        return found != grids.end() ? *found : nullptr;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return linked() != nullptr; }, slow));
    linked()->activateLink(0);
    ASSERT_TRUE(navigation.route().isPlayer());
    EXPECT_TRUE(navigation.route().playerResult()->isPlaceholder);
    QTest::mouseClick(root->searchField()->leadingGlyph(), Qt::LeftButton);

    // A name shared by several players, a Hall of Famer among them.
    const auto names = backend().database->query(
        "SELECT last_name FROM players GROUP BY last_name ORDER BY MAX(is_hof) DESC, COUNT(*) DESC LIMIT 1");
    QTest::keyClicks(root->searchField()->textField(),
                     QString::fromStdString(names.at(0).at("last_name").get<std::string>()));
    static_cast<void>(
        QTest::qWaitFor([&] { return search->state().kind() == SearchState::Kind::results; }, slow));
    ASSERT_EQ(search->state().kind(), SearchState::Kind::results);
    search->moveSelection(1);
    save(QStringLiteral("results"));

    QTest::keyClick(root->searchField()->textField(), Qt::Key_Return);
    ASSERT_NE(root->card(), nullptr);
    static_cast<void>(QTest::qWaitFor(
        [&] { return root->card()->model()->state().kind() == PlayerCardState::Kind::loaded; }, slow));
    ASSERT_EQ(root->card()->model()->state().kind(), PlayerCardState::Kind::loaded);
    save(QStringLiteral("card"));
    QTest::mouseClick(root->searchField()->leadingGlyph(), Qt::LeftButton);

    // No match, a failing search and a slow one.
    const auto fault = [this](const char* key, int value) {
        backend().server.faults().set(
            {backend::faultRuleFromJson({{"route", "rpc/search_players"}, {key, value}})});
    };
    search->setQuery(QStringLiteral("zzqx"));
    static_cast<void>(
        QTest::qWaitFor([&] { return search->state() == SearchState::empty(QStringLiteral("zzqx")); }, slow));
    ASSERT_EQ(search->state(), SearchState::empty(QStringLiteral("zzqx")));
    save(QStringLiteral("empty"));
    fault("status", 500);
    search->setQuery(QStringLiteral("zzqy"));
    static_cast<void>(
        QTest::qWaitFor([&] { return search->state().kind() == SearchState::Kind::failed; }, slow));
    ASSERT_EQ(search->state().kind(), SearchState::Kind::failed);
    save(QStringLiteral("failed"));
    fault("delay_ms", 2000);
    search->setQuery(QStringLiteral("zzqz"));
    static_cast<void>(QTest::qWaitFor([&] { return search->state() == SearchState::loading(); }, slow));
    ASSERT_EQ(search->state(), SearchState::loading());
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
    present(view);
    int changes = 0;
    QObject::connect(&model, &HomeViewModel::stateChanged, [&] { ++changes; });
    for (const HomeTab tab : allHomeTabs) {
        if (tab != model.tab()) {
            changes = 0;
            model.setTab(tab);
        }
        // Settled: the page's own answer replaced what the last page showed.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return changes > 0 && model.state().kind() != HomeContentState::Kind::loading; }, slow));
        EXPECT_EQ(model.state().kind(), HomeContentState::Kind::loaded) << model.state().text().toStdString();
        saveScreen(view, QStringLiteral("league-") + rawValue(tab).toLower());
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
        present(view);
        static_cast<void>(
            QTest::qWaitFor([&] { return model.state().kind() == PlayerCardState::Kind::loaded; }, slow));
        ASSERT_EQ(model.state().kind(), PlayerCardState::Kind::loaded);
        saveScreen(view, QString::fromUtf8(entry.name) + QStringLiteral("-seasons"));
        model.setTab(PlayerCardTab::gameLog);
        // Settled: loaded, empty or failed, the kinds before idle.
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return model.gameLogState().kind() < GameLogState::Kind::idle; }, slow));
        saveScreen(view, QString::fromUtf8(entry.name) + QStringLiteral("-game-log"));
    }
}

} // namespace
