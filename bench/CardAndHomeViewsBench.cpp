// The player card and league browser views against the full demo league served in process: a 15-season card
// built, laid out and painted, and switching league pages whose tables are already cached, until painted.
#include "app/Views/HomeView.h"
#include "app/Views/PlayerCardView.h"

#include "backend/BackendServer.h"
#include "backend/LeagueDatabase.h"
#include "data/LeagueService.h"
#include "data/PlayerService.h"
#include "platform/http/HttpSession.h"
#include "tests/support/AsyncTest.h"

#include <QCoreApplication>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace huddlepod;

constexpr QSize pageArea(440, 508);

struct Backend {
    Backend()
        : database(backend::LeagueDatabase::openOrGenerate(
              (QCoreApplication::applicationDirPath() + QStringLiteral("/full-league.sqlite")).toStdString(),
              {.size = backend::LeagueSize::Full, .seed = 1}))
        , server(database)
        , client(std::make_shared<PostgRESTClient>(
              SupabaseConfiguration{QUrl(QString::fromStdString(server.baseUrl())),
                                    QString::fromStdString(server.anonKey())},
              QStringLiteral("bench"),
              std::make_unique<HttpSession>(HttpSession::Options{.cacheDirectory = cacheDirectory.path()}))) {
    }

    QTemporaryDir cacheDirectory;
    std::shared_ptr<backend::LeagueDatabase> database;
    backend::BackendServer server;
    std::shared_ptr<PostgRESTClient> client;
};

Backend& sharedBackend() {
    static Backend backend;
    return backend;
}

// Lays the view out as on screen and paints it whole.
void paint(QWidget& view, QImage& image) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    view.render(&image);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // controls replaced by the switch
}

// A player with exactly fifteen seasons across the families.
SearchResult fifteenSeasonPlayer(const backend::LeagueDatabase& database) {
    const auto rows =
        database.query("SELECT p.id, p.full_name, COUNT(DISTINCT s.year) AS n FROM players p JOIN ("
                       "SELECT player_id, year FROM player_passing UNION ALL SELECT player_id, year FROM "
                       "player_rushing_receiving "
                       "UNION ALL SELECT player_id, year FROM player_defense UNION ALL SELECT player_id, "
                       "year FROM player_kicking "
                       "UNION ALL SELECT player_id, year FROM player_returns) s ON s.player_id = p.id "
                       "GROUP BY p.id HAVING n = 15 ORDER BY COUNT(*) DESC LIMIT 1");
    SearchResult summary;
    summary.id = QUuid::fromString(QString::fromStdString(rows.at(0).at("id").get<std::string>()));
    summary.fullName = QString::fromStdString(rows.at(0).at("full_name").get<std::string>());
    summary.careerStart = 2000;
    summary.careerEnd = 2014;
    return summary;
}

void BM_FifteenSeasonCardBuiltAndPainted(benchmark::State& state) {
    Backend& backend = sharedBackend();
    const SearchResult summary = fifteenSeasonPlayer(backend.server.database());
    PlayerService players(backend.client);
    const std::optional<PlayerCard> card = test::waitForTask(players.card(summary.id, false));
    PlayerCardViewModel model(summary, nullptr, std::make_shared<SystemClock>(), [](const QByteArray&) {});
    model.setState(PlayerCardState::loaded(*card));
    QImage image(pageArea * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    for (auto _ : state) {
        PlayerCardView view(&model);
        view.resize(pageArea);
        view.show();
        paint(view, image);
    }
    state.counters["tables"] = double(card->tables.size());
}
BENCHMARK(BM_FifteenSeasonCardBuiltAndPainted)->Unit(benchmark::kMillisecond);

void BM_LeaguePageSwitchWithTableReady(benchmark::State& state) {
    Backend& backend = sharedBackend();
    HomeViewModel model(std::make_shared<LeagueService>(backend.client));
    HomeView view(&model, [](const PlayerLink&) {});
    view.resize(pageArea);
    view.show();
    QImage image(pageArea * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    // Visits every page once so each table is cached, as after a first look around.
    const auto settle = [&] {
        while (model.state().kind() == HomeContentState::Kind::loading || model.year() == std::nullopt) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    };
    view.appear();
    settle();
    for (const HomeTab tab : allHomeTabs) {
        model.setTab(tab);
        settle();
    }
    // Draft asks for its rounds on each visit, so it is left out of the cycle.
    const HomeTab cycle[] = {HomeTab::standings, HomeTab::schedule, HomeTab::awards, HomeTab::champions};
    std::size_t next = 0;
    for (auto _ : state) {
        model.setTab(cycle[next++ % std::size(cycle)]);
        if (model.state().kind() != HomeContentState::Kind::loaded) {
            state.SkipWithError("a cached page was not shown at once");
            break;
        }
        paint(view, image);
    }
}
BENCHMARK(BM_LeaguePageSwitchWithTableReady)->Unit(benchmark::kMillisecond);

} // namespace
