// Screens of the league browser's five pages and of player cards, drawn from the demo league served in
// process, saved at the panel's page size in both looks under $HUDDLEPOD_TEST_OUTPUT/screens/ for people to
// look at.
#include "app/Views/HomeView.h"
#include "app/Views/PlayerCardView.h"

#include "backend/BackendServer.h"
#include "backend/LeagueDatabase.h"
#include "data/LeagueService.h"
#include "data/PlayerService.h"
#include "data/SearchService.h"
#include "platform/http/HttpSession.h"
#include "tests/support/AsyncTest.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace huddlepod;

// The page area under the search field of a 440 × 560 panel.
constexpr QSize pageArea(440, 508);

void saveScreen(QWidget& widget, const QString& name) {
    const QString folder = qEnvironmentVariable("HUDDLEPOD_TEST_OUTPUT") + QStringLiteral("/screens");
    QDir().mkpath(folder);
    for (const Appearance appearance : {Appearance::light, Appearance::dark}) {
        widget.setPalette(Theme::palette(appearance));
        QImage image(widget.size() * 2, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Theme::materialFill(Material::menu, appearance));
        widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        image.save(
            folder + QLatin1Char('/') + name +
            (appearance == Appearance::dark ? QStringLiteral("-dark.png") : QStringLiteral("-light.png")));
    }
}

class CardAndHomeScreens : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        database = backend::LeagueDatabase::generate({.size = backend::LeagueSize::Small, .seed = 1});
    }

    // The search hit of the first player the query finds.
    SearchResult player(const std::string& sql) {
        const QString name =
            QString::fromStdString(database->query(sql).at(0).at("full_name").get<std::string>());
        return test::waitForTask(search.search(name)).at(0);
    }

    static inline std::shared_ptr<backend::LeagueDatabase> database;
    backend::BackendServer server{database};
    QTemporaryDir cache;
    std::shared_ptr<PostgRESTClient> client = std::make_shared<PostgRESTClient>(
        SupabaseConfiguration{QUrl(QString::fromStdString(server.baseUrl())),
                              QString::fromStdString(server.anonKey())},
        QStringLiteral("screens"),
        std::make_unique<HttpSession>(HttpSession::Options{.cacheDirectory = cache.path()}));
    SearchService search{client};
};

TEST_F(CardAndHomeScreens, leagueBrowserPages) {
    HomeViewModel model(std::make_shared<LeagueService>(client));
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
        saveScreen(view, QStringLiteral("league-") + rawValue(tab).toLower());
    }
}

TEST_F(CardAndHomeScreens, playerCards) {
    const struct {
        const char* name;
        std::string sql;
    } players[] = {
        {"card-busiest-player", "SELECT full_name FROM players p WHERE is_hof = 0 ORDER BY (SELECT COUNT(*) "
                                "FROM player_passing WHERE player_id = p.id) DESC LIMIT 1"},
        {"card-hall-of-famer",
         "SELECT full_name FROM players WHERE is_hof = 1 ORDER BY career_av DESC LIMIT 1"},
    };
    for (const auto& entry : players) {
        SCOPED_TRACE(entry.name);
        PlayerCardViewModel model(player(entry.sql), std::make_shared<PlayerService>(client),
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
        saveScreen(view, QString::fromUtf8(entry.name) + QStringLiteral("-seasons"));
        model.setTab(PlayerCardTab::gameLog);
        // Settled: loaded, empty or failed, the kinds before idle.
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return model.gameLogState().kind() < GameLogState::Kind::idle; }, 20000));
        QCoreApplication::processEvents();
        saveScreen(view, QString::fromUtf8(entry.name) + QStringLiteral("-game-log"));
    }
}

} // namespace
