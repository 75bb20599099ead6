// The panel controller: placement decisions, the card cache, show and hide, Escape and Ctrl+[, drags and the
// ready-for-input line.
#include "app/PanelController.h"

#include "app/PanelPlacement.h"
#include "app/PlayerCardViewModel.h"
#include "tests/app/shell/ShellTestSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QWindow>

#include <gtest/gtest.h>

using namespace huddlepod;
using huddlepod::testing::player;

namespace {

struct PlacementCase {
    const char* name;
    std::optional<QPointF> stored;
    std::vector<QRect> screens;
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
    const std::vector<QRect> desktop{QRect(0, 0, 1280, 800)};
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
         {QRect(0, 0, 1280, 800), QRect(1280, 0, 1920, 1080)},
         std::nullopt,
         {QPoint(1280 + 960 - 220, 6), false}},
    };
    for (const PlacementCase& c : cases) {
        const auto cursor = c.screens.size() > 1 ? std::optional(QPoint(2000, 500)) : std::nullopt;
        EXPECT_EQ(PanelController::placement(c.stored, c.screens, c.anchor, cursor), c.expected) << c.name;
    }
}

TEST_F(PanelControllerTest, evictsTheLeastRecentlyRequestedCardModelAndCancelsItsLoads) {
    std::vector<PlayerCardViewModel*> models;
    for (int n = 1; n <= 8; ++n) {
        models.push_back(controller->playerModel(player(n)));
    }
    models[1]->load(); // B is loading when it is evicted
    ASSERT_EQ(fixture.players->calls.pending(), QStringList{cardRequest(2)});

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
    EXPECT_NE(controller->playerModel(player(2)), models[1]); // a fresh model that loads again
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
    controller->searchModel().setQuery(QStringLiteral("ma"));
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

    controller->toggle();
    EXPECT_TRUE(controller->isVisible());
    controller->toggle();
    EXPECT_FALSE(controller->isVisible());
}

TEST_F(PanelControllerTest, writesTheReadyLineOncePerShowAndNotAfterAHide) {
    controller->show();
    fixture.clock->advance(std::chrono::microseconds(12340));
    QCoreApplication::processEvents();
    controller->reportReadyForInput();
    EXPECT_EQ(fixture.lines, QByteArrayList{"[huddlepod] hotkey → typeable field: 12.3 ms\n"});

    controller->show();
    controller->hide();
    QCoreApplication::processEvents();
    controller->reportReadyForInput();
    EXPECT_EQ(fixture.lines.size(), 1);
}

TEST_F(PanelControllerTest, escapeClosesAPopoverThenLeavesTheCardThenHides) {
    controller->show();
    controller->navigation().setRoute(PanelRoute::player(player(1)));
    fixture.popoverOpen = true;
    press(Qt::Key_Escape);
    EXPECT_TRUE(controller->navigation().route().isPlayer());
    press(Qt::Key_Escape);
    EXPECT_TRUE(controller->navigation().route().isSearch());
    EXPECT_TRUE(controller->isVisible());
    press(Qt::Key_Escape);
    EXPECT_FALSE(controller->isVisible());
}

TEST_F(PanelControllerTest, ctrlBracketGoesBackFromACardAndIsConsumedOnTheResults) {
    controller->show();
    auto* field = static_cast<QLineEdit*>(controller->panel()->content());
    for (const Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::ControlModifier | Qt::ShiftModifier}) {
        controller->navigation().setRoute(PanelRoute::player(player(1)));
        press(modifiers & Qt::ShiftModifier ? Qt::Key_BraceLeft : Qt::Key_BracketLeft, modifiers);
        EXPECT_TRUE(controller->navigation().route().isSearch());
        EXPECT_TRUE(controller->isVisible());
    }
    // On the results it does nothing, and the field never sees the key.
    int reachedField = 0;
    huddlepod::testing::EventCounter counter(field, QEvent::KeyPress, reachedField);
    press(Qt::Key_BracketLeft, Qt::ControlModifier);
    EXPECT_EQ(reachedField, 0);
    EXPECT_TRUE(controller->isVisible());
    press(Qt::Key_A);
    EXPECT_EQ(reachedField, 1);
}

TEST_F(PanelControllerTest, savesTheOriginOnlyForAMoveWithTheLeftButtonHeld) {
    PanelPlacement placement(*fixture.defaults);
    controller->show();
    QCoreApplication::processEvents();
    fixture.leftButtonDown = true;
    controller->reposition(); // the program's own move, button held or not
    QCoreApplication::processEvents();
    EXPECT_EQ(placement.detachedOrigin(), std::nullopt);

    fixture.leftButtonDown = false;
    controller->panel()->move(300, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(placement.detachedOrigin(), std::nullopt);

    fixture.leftButtonDown = true;
    controller->panel()->move(200, 150);
    QCoreApplication::processEvents();
    EXPECT_EQ(placement.detachedOrigin(), QPointF(200, 150));

    controller->hide();
    controller->show(); // reopens where it was left
    EXPECT_EQ(controller->panel()->pos(), QPoint(200, 150));
    controller->resetPosition();
    EXPECT_EQ(placement.detachedOrigin(), std::nullopt);
    EXPECT_EQ(controller->panel()->pos(), QPoint(832, 30));
}
