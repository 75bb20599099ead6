// The panel controller: placement decisions, the card cache, show and hide, Escape and Ctrl+[, drags and the
// ready-for-input line.
#include "app/PanelController.h"

#include "app/PanelPlacement.h"
#include "app/PlayerCardViewModel.h"
#include "data/SearchService.h"
#include "tests/app/shell/ShellTestSupport.h"
#include "tests/support/AsyncTest.h"
#include "tests/support/LoopbackServer.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QWindow>

#include <gtest/gtest.h>

#include <tuple>

using namespace huddlepod;
using huddlepod::testing::player;

namespace {

using huddlepod::testing::wholeScreen;

struct PlacementCase {
    const char* name;
    std::optional<QPointF> stored;
    std::vector<PanelController::Screen> screens;
    std::optional<QRect> anchor;
    PanelController::Placement expected;
};

class PanelControllerTest : public ::testing::Test {
protected:
    void SetUp() override { controller = std::make_unique<PanelController>(fixture.environment()); }
    void TearDown() override {
        controller.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // evicted card models
    }
    QString cardRequest(int n) const {
        return QStringLiteral("card %1").arg(player(n).id.toString(QUuid::WithoutBraces));
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(QApplication::focusWidget() ? QApplication::focusWidget()
                                                            : controller->panel()->content(),
                                &event);
        QCoreApplication::processEvents();
    }

    huddlepod::testing::ShellFixture fixture;
    std::unique_ptr<PanelController> controller;
};

} // namespace

TEST(PanelPlacementDecision, honoursAStoredOriginOnAScreenAndOtherwisePlacesUnderTheAnchor) {
    const std::vector<PanelController::Screen> desktop{wholeScreen(QRect(0, 0, 1280, 800))};
    const QRect icon(1200, 0, 24, 24);
    const PlacementCase cases[] = {
        {"attached", std::nullopt, desktop, icon, {QPoint(832, 30), false}},
        {"stored on screen", QPointF(100, 200), desktop, icon, {QPoint(100, 200), false}},
        {"stored partly off screen", QPointF(1200, 700), desktop, icon, {QPoint(1200, 700), false}},
        {"stored on a gone display", QPointF(3000, 200), desktop, icon, {QPoint(832, 30), true}},
        // While no screen exists at all the origin is kept for the screens' return.
        {"no screens", QPointF(3000, 200), {}, icon, {QPoint(8, -568), false}},
        {"no anchor: top of the mouse's screen",
         std::nullopt,
         {wholeScreen(QRect(0, 0, 1280, 800)), wholeScreen(QRect(1280, 0, 1920, 1080))},
         std::nullopt,
         {QPoint(1280 + 960 - 220, 6), false}},
    };
    for (const PlacementCase& c : cases) {
        const auto cursor = c.screens.size() > 1 ? std::optional(QPoint(2000, 500)) : std::nullopt;
        EXPECT_EQ(PanelController::placement(c.stored, c.screens, c.anchor, cursor), c.expected) << c.name;
    }
}

TEST(PanelPlacementDecision, opensOnTheScreenWhoseBarHoldsTheIconOrThePointer) {
    // A bar 26 px high at the top of the right screen; the window manager keeps the strip free on both.
    const std::vector<PanelController::Screen> bar{{QRect(0, 0, 1280, 800), QRect(0, 26, 1280, 774)},
                                                   {QRect(1280, 0, 1920, 1080), QRect(1280, 26, 1920, 1054)}};
    // Two 2x screens of 2880x1800 and 3840x2160 device pixels side by side: the second keeps its device
    // origin, x 2880, as its origin in global coordinates, and its bar is 13 px high there.
    const std::vector<PanelController::Screen> doubled{
        {QRect(0, 0, 1440, 900), QRect(0, 13, 1440, 887)},
        {QRect(2880, 0, 1920, 1080), QRect(2880, 13, 1920, 1067)}};
    struct Case {
        const char* name;
        std::vector<PanelController::Screen> screens;
        std::optional<QRect> anchor;
        QPoint cursor;
        QPoint expected;
    };
    const Case cases[] = {
        {"icon in the right screen's bar", bar, QRect(3150, 0, 24, 26), QPoint(3160, 12), QPoint(2752, 32)},
        {"no icon, pointer in the right screen's bar", bar, std::nullopt, QPoint(3160, 12), QPoint(2020, 32)},
        {"icon on the left, pointer on the right", bar, QRect(1200, 0, 24, 26), QPoint(3160, 500),
         QPoint(832, 32)},
        {"icon in the second 2x screen's bar", doubled, QRect(4772, 0, 24, 13), QPoint(4780, 6),
         QPoint(4352, 19)},
        {"no icon, pointer in the second 2x screen's bar", doubled, std::nullopt, QPoint(4780, 6),
         QPoint(3620, 19)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PanelController::placement(std::nullopt, c.screens, c.anchor, c.cursor),
                  (PanelController::Placement{c.expected, false}))
            << c.name;
    }
}

TEST_F(PanelControllerTest, evictsTheLeastRecentlyRequestedCardModelAndCancelsItsLoads) {
    std::vector<PlayerCardViewModel*> models;
    for (int n = 1; n <= 8; ++n) {
        models.push_back(controller->playerModel(player(n)));
    }
    models[1]->load(); // B is loading when it is evicted
    ASSERT_EQ(fixture.players->calls.pending(), QStringList{cardRequest(2)});
    models[1]->setTab(PlayerCardTab::gameLog); // marks B: a fresh model starts on the seasons

    EXPECT_EQ(controller->playerModel(player(1)), models[0]); // A again: the same model, A refreshed
    QPointer<PlayerCardViewModel> evicted(models[1]);
    controller->playerModel(player(9));

    std::vector<QUuid> expected;
    for (int n : {3, 4, 5, 6, 7, 8, 1, 9}) {
        expected.push_back(player(n).id);
    }
    EXPECT_EQ(controller->playerModelOrder(), expected);
    EXPECT_TRUE(fixture.players->calls.token(cardRequest(2)).isCancelled());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(evicted.isNull());
    // B again: a fresh model, not the evicted one kept on, which asks for its card anew.
    const QPointer<PlayerCardViewModel> fresh(controller->playerModel(player(2)));
    ASSERT_FALSE(fresh.isNull());
    EXPECT_EQ(fresh->tab(), PlayerCardTab::seasons);
    EXPECT_EQ(fresh->state().kind(), PlayerCardState::Kind::loading);
    EXPECT_EQ(fixture.players->calls.requests().count(cardRequest(2)), 1) << "nothing asked before it shows";
    fresh->load();
    EXPECT_EQ(fixture.players->calls.requests().count(cardRequest(2)), 2);
}

TEST_F(PanelControllerTest, aRealResultReplacesACardOpenedFromATableLink) {
    PlayerCardViewModel* fromLink = controller->playerModel(player(5, true));
    fromLink->load();
    EXPECT_EQ(controller->playerModel(player(5, true)), fromLink);

    PlayerCardViewModel* fromSearch = controller->playerModel(player(5));
    EXPECT_NE(fromSearch, fromLink);
    EXPECT_FALSE(fromSearch->summary().isPlaceholder);
    EXPECT_TRUE(fixture.players->calls.token(cardRequest(5)).isCancelled());
    // From then on a table link finds the real one.
    EXPECT_EQ(controller->playerModel(player(5, true)), fromSearch);
    EXPECT_EQ(controller->playerModelOrder().size(), 1u);
}

TEST_F(PanelControllerTest, showingAgainResetsAndReplacesTheMonitorsAndHidingRemovesThem) {
    QSignalSpy routes(&controller->navigation(), &PanelNavigation::routeChanged);
    controller->show();
    fixture.clock->advance(std::chrono::microseconds(12340));
    QCoreApplication::processEvents(); // the field takes focus and reports; a second report writes nothing
    controller->reportReadyForInput();
    EXPECT_EQ(fixture.lines, QByteArrayList{"[huddlepod] hotkey → typeable field: 12.3 ms\n"});
    controller->searchModel().setQuery(QStringLiteral("ma"));
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(controller->panel()->windowHandle(), &move);
    EXPECT_TRUE(controller->searchModel().allowsHoverSelection()); // typing turned it off, a move on
    controller->show();
    EXPECT_EQ(controller->session().revision(), 2);
    EXPECT_EQ(controller->searchModel().query(), QString());
    EXPECT_TRUE(controller->isVisible());
    EXPECT_TRUE(controller->hasMonitors());
    EXPECT_EQ(controller->panel()->pos(), QPoint(832, 30));

    controller->navigation().setRoute(PanelRoute::player(player(1)));
    controller->hide();
    EXPECT_FALSE(controller->isVisible());
    EXPECT_FALSE(controller->hasMonitors());
    EXPECT_TRUE(controller->navigation().route().isSearch());
    controller->hide(); // the route is written, and observers told, even when it is already search
    EXPECT_EQ(routes.count(), 3);
    QCoreApplication::processEvents(); // hidden before the field was ready: no line
    EXPECT_EQ(fixture.lines.size(), 1);
}

TEST_F(PanelControllerTest, escapeAndCtrlBracketStepBackOneLevelAtATime) {
    const Qt::KeyboardModifiers none, ctrl(Qt::ControlModifier);
    // On a card?, a popover open?, the key, then: on a card?, visible?
    const std::vector<std::tuple<bool, bool, int, Qt::KeyboardModifiers, bool, bool>> cases{
        {true, true, Qt::Key_Escape, none, true, true},     // an open popover list takes the first Escape
        {true, false, Qt::Key_Escape, none, false, true},   // then the card is left
        {false, false, Qt::Key_Escape, none, false, false}, // and on the results the panel hides
        {true, false, Qt::Key_BracketLeft, ctrl, false, true},
        {true, false, Qt::Key_BraceLeft, ctrl | Qt::ShiftModifier, false, true},
        {false, false, Qt::Key_BracketLeft, ctrl, false, true}, // nothing to leave: nothing happens
    };
    for (const auto& [onCard, popover, key, modifiers, onCardAfter, visibleAfter] : cases) {
        controller->show();
        QCoreApplication::processEvents();
        controller->navigation().setRoute(onCard ? PanelRoute::player(player(1)) : PanelRoute::search());
        fixture.popoverOpen = popover;
        press(key, modifiers);
        EXPECT_EQ(controller->navigation().route().isPlayer(), onCardAfter) << key;
        EXPECT_EQ(controller->isVisible(), visibleAfter) << key;
    }
}

TEST_F(PanelControllerTest, savesTheOriginOnlyForADragFromTheBackgroundAndUndoesTheManagersOwnMove) {
    PanelPlacement placement(*fixture.defaults);
    controller->show();
    // The manager frames the new window and moves it by its border, before the show's turn is over: put back
    // under the icon, and no drag.
    controller->panel()->move(834, 48);
    QCoreApplication::processEvents();
    EXPECT_EQ(controller->panel()->pos(), QPoint(832, 30));
    EXPECT_EQ(placement.detachedOrigin(), std::nullopt);
    // A manager that insists has its way; still no drag.
    controller->panel()->move(300, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(controller->panel()->pos(), QPoint(300, 300));
    EXPECT_EQ(placement.detachedOrigin(), std::nullopt);
    controller->reposition(); // the program's own move
    QCoreApplication::processEvents();
    EXPECT_EQ(controller->panel()->pos(), QPoint(832, 30));
    EXPECT_EQ(placement.detachedOrigin(), std::nullopt);

    huddlepod::testing::dragBackground(*controller->panel(), QPoint(837, 54), QPoint(205, 174));
    EXPECT_EQ(controller->panel()->pos(), QPoint(200, 150));
    EXPECT_EQ(placement.detachedOrigin(), QPointF(200, 150));

    controller->hide();
    controller->show(); // reopens where it was left
    EXPECT_EQ(controller->panel()->pos(), QPoint(200, 150));
    controller->resetPosition();
    EXPECT_EQ(placement.detachedOrigin(), std::nullopt);
    EXPECT_EQ(controller->panel()->pos(), QPoint(832, 30));
}

TEST_F(PanelControllerTest, asksWhereThePointerIsOnlyWhenItCanChooseTheScreen) {
    const std::vector<PanelController::Screen> one{wholeScreen(QRect(0, 0, 1280, 800))};
    const std::vector<PanelController::Screen> two{wholeScreen(QRect(0, 0, 1280, 800)),
                                                   wholeScreen(QRect(1280, 0, 1920, 1080))};
    const QRect icon(1200, 0, 24, 24);
    struct Case {
        const char* name;
        std::vector<PanelController::Screen> screens;
        std::optional<QRect> anchor;
        std::optional<QPoint> carried; // by the key press or click that asks for the show
        int asked;
        QPoint at;
    };
    const Case cases[] = {
        {"one screen, under the icon", one, icon, std::nullopt, 0, QPoint(832, 30)},
        {"one screen, no icon: its top centre", one, std::nullopt, std::nullopt, 0, QPoint(420, 6)},
        {"two screens, no icon: the pointer's", two, std::nullopt, std::nullopt, 1, QPoint(2020, 6)},
        {"two screens, no icon, the pointer carried", two, std::nullopt, QPoint(100, 500), 0, QPoint(420, 6)},
        {"two screens, under the icon, the pointer carried", two, icon, QPoint(2000, 500), 0,
         QPoint(832, 30)},
    };
    for (const Case& c : cases) {
        fixture.screens = c.screens;
        fixture.anchor = c.anchor;
        int asked = 0;
        PanelController::Environment env = fixture.environment();
        env.cursor = [&asked] {
            ++asked;
            return QPoint(2000, 500);
        };
        PanelController shown(env);
        shown.show(c.carried);
        EXPECT_EQ(asked, c.asked) << c.name;
        EXPECT_EQ(shown.panel()->pos(), c.at) << c.name;
    }
}

TEST_F(PanelControllerTest, aWindowOfOursThatHeldTheKeyboardLeavesItToTheShownPanelAsItCloses) {
    const struct {
        const char* name;
        bool alertOverSettings; // the alert closes, settings stays
        bool panelShown;
        bool panelActiveAfter;
    } rows[] = {
        {"settings closes", false, true, true},
        {"an alert over settings closes: settings' own", true, true, false},
        {"settings closes, the panel hidden", false, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        controller->show();
        QWidget settings;
        settings.show();
        settings.activateWindow();
        QWidget alert(&settings, Qt::Dialog);
        QWidget& closing = row.alertOverSettings ? alert : settings;
        if (row.alertOverSettings) {
            alert.show();
            alert.activateWindow();
        }
        ASSERT_TRUE(test::waitUntil([&] { return QApplication::activeWindow() == &closing; }));
        if (!row.panelShown) {
            controller->hide();
        }
        closing.close();
        for (int turn = 0; turn < 5; ++turn) {
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(QApplication::activeWindow() == controller->panel(), row.panelActiveAfter);
        controller->hide();
    }
}

TEST_F(PanelControllerTest, everyShowSendsOneWarmUpWhetherThePanelGetsOnScreenOrIsHiddenFirst) {
    test::LoopbackServer server;
    PanelController::Environment env = fixture.environment();
    env.backend = PanelController::Backend::connect(
        SupabaseConfiguration{server.baseUrl(), QStringLiteral("anon-key")}, QStringLiteral("1.0"));
    PanelController shown(env);
    const auto waitForWarmUps = [&](std::size_t count) {
        test::waitUntil([&] { return server.requestCount() >= count; });
        for (int turn = 0; turn < 5; ++turn) { // a second warm-up for the same show would follow at once
            QCoreApplication::processEvents();
        }
        return server.requestCount();
    };
    ASSERT_EQ(waitForWarmUps(1), 1u); // at launch

    // What is done in one go ('s' show, 'h' hide), then how many warm-ups have reached the server since
    // launch.
    const std::vector<std::pair<std::string, std::size_t>> steps{
        {"s", 2},  // stays open
        {"h", 2},  // nothing more on hiding
        {"sh", 3}, // hidden before it reached the screen
        {"ss", 5}, // shown again while open
        {"hsh", 6},
    };
    for (const auto& [actions, warmUps] : steps) {
        for (const char action : actions) {
            action == 's' ? shown.show() : shown.hide();
        }
        EXPECT_EQ(waitForWarmUps(warmUps), warmUps) << actions;
    }
    for (const test::LoopbackServer::Request& request : server.requests()) {
        EXPECT_EQ(request.requestLine, "HEAD /rest/v1/players?select=id&limit=1 HTTP/1.1");
    }
}

TEST(PanelControllerBackend, theSearchServiceAnswersTheFiftyLatestSearchesItself) {
    test::LoopbackServer server;
    server.setDefault("/rest/v1/rpc/search_players", {200, "[]"});
    const PanelController::Backend backend = PanelController::Backend::connect(
        SupabaseConfiguration{server.baseUrl(), QStringLiteral("anon-key")}, QStringLiteral("1.0"));
    const auto searches = [&](int from, int to) {
        for (int n = from; n <= to; ++n)
            test::waitForTask(backend.search->search(QStringLiteral("player %1").arg(n)));
        return server.requestsTo("/rest/v1/rpc/search_players").size();
    };
    EXPECT_EQ(searches(1, 50), 50u);
    EXPECT_EQ(searches(1, 50), 50u) << "each repeat answered from the cache";
    EXPECT_EQ(searches(51, 51), 51u);
    EXPECT_EQ(searches(2, 51), 51u) << "the least recent went to make room";
    EXPECT_EQ(searches(1, 1), 52u);
}

TEST_F(PanelControllerTest, aClickElsewhereHidesAnAttachedPanelWhileADraggedAwayOneStaysOpen) {
    std::function<bool(QPoint)> isOurs;
    std::function<void()> clickElsewhere;
    QPointer<QObject> watcher;
    PanelController::Environment environment = fixture.environment();
    environment.watchOutsideClicks = [&](std::function<bool(QPoint)> ours, std::function<void()> onClick) {
        isOurs = std::move(ours);
        clickElsewhere = std::move(onClick);
        auto made = std::make_unique<QObject>();
        watcher = made.get();
        return made;
    };
    controller = std::make_unique<PanelController>(std::move(environment));
    const auto drag = [this] {
        const QPoint grip = controller->panel()->pos() + QPoint(5, 24);
        huddlepod::testing::dragBackground(*controller->panel(), grip, grip + QPoint(-400, 100));
    };
    const struct {
        const char* step;
        std::function<void()> before; // after the show, before the click
        bool visibleAfter;
    } steps[] = {
        {"attached under the icon", [] {}, false},
        {"dragged away", drag, true},
        {"shown again where it was left", [] {}, true},
        {"attached again by a reset", [this] { controller->resetPosition(); }, false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        controller->show();
        QCoreApplication::processEvents();
        step.before();
        ASSERT_FALSE(watcher.isNull());
        // Presses on the tray icon and on the panel are ours; the rest of the screen is not.
        EXPECT_TRUE(isOurs(QPoint(1212, 12)));
        EXPECT_TRUE(isOurs(controller->panel()->surfaceGeometry().center()));
        EXPECT_FALSE(isOurs(QPoint(5, 790)));
        clickElsewhere();
        QCoreApplication::processEvents();
        EXPECT_EQ(controller->isVisible(), step.visibleAfter);
        EXPECT_EQ(watcher.isNull(), !step.visibleAfter) << "watched exactly while shown";
    }
}
