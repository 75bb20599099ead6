// The panel driven through real key and mouse events: field keys, the query binding on a card, the trailing
// control, the hint and its fade, hover gating, card loads across route changes, pushes, focus and Escape;
// every page's status messages, and the Hall of Fame star on a selected row; Tab round each page's controls.
#include "app/Views/PanelRootView.h"
#include "GridTables.h"
#include "RenderOutput.h"
#include "Spoken.h"
#include "app/HomeViewModel.h"
#include "app/PanelNavigation.h"
#include "app/PanelSession.h"
#include "app/PlayerCardViewModel.h"
#include "app/SearchViewModel.h"
#include "app/Views/Components/Popover.h"
#include "app/Views/Components/SegmentedToggle.h"
#include "app/Views/Components/StatusMessage.h"
#include "app/Views/ContentPane.h"
#include "app/Views/DataGridView.h"
#include "app/Views/HomeView.h"
#include "app/Views/HotkeyHintView.h"
#include "app/Views/PlayerCardView.h"
#include "app/Views/SearchFieldView.h"
#include "app/Views/SearchResultsView.h"
#include "data/PostgRESTError.h"
#include "platform/UserDefaults.h"
#include "platform/workspace/WorkspaceSettings.h"
#include "tests/app/FakeLeagueService.h"
#include "tests/app/FakePlayerService.h"
#include "tests/app/FakeSearchService.h"
#include "tests/app/Tables.h"
#include "tests/support/Contrast.h"
#include "ui/Preferences.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace {

using namespace huddlepod;
using namespace std::chrono_literals;
using huddlepod::testing::FakeLeagueService;
using huddlepod::testing::FakePlayerService;
using huddlepod::testing::FakeSearchService;
using Trailing = SearchFieldView::Trailing;

std::vector<SearchResult> rows(int count) {
    std::vector<SearchResult> results;
    for (int index = 0; index < count; ++index) {
        SearchResult result;
        result.id = QUuid::createUuid();
        result.fullName = QStringLiteral("Joe %1").arg(index);
        result.primaryPosition = QStringLiteral("QB");
        result.isHOF = true;
        result.careerStart = 2001;
        result.careerEnd = 2012;
        result.teams = {TeamPathEntry{.abbr = "KC"}, TeamPathEntry{.abbr = "SF"}};
        results.push_back(result);
    }
    return results;
}

class PanelRootViewTest : public ::testing::Test {
protected:
    PanelRootViewTest() {
        UserDefaults::openStandard()->remove(Preferences::hasSeenHotkeyHintKey); // a first launch
        motion.reduceMotionValue = true;
        launch();
    }
    ~PanelRootViewTest() override {
        root.reset();
        search->calls.abandonPending();
        players->calls.abandonPending();
    }

    void launch() {
        root = std::make_unique<PanelRootView>(
            &session, model.get(), &navigation, &home,
            [this](const SearchResult& result) {
                auto silent = [](const QByteArray&) {};
                return cards
                    .emplace_back(std::make_unique<PlayerCardViewModel>(result, players, clock, silent))
                    .get();
            },
            [this] { ++dismissals; }, [this] { ++readyCalls; }, QStringLiteral("Ctrl+Alt+S"));
        root->resize(440, 560);
        root->show();
        root->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(root.get()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return field()->hasFocus(); }, 5000));
    }

    QLineEdit* field() const { return root->searchField()->textField(); }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(field(), key, modifiers);
    }
    // Types "jo" and answers the search with this many rows.
    std::vector<SearchResult> list(int count) {
        QTest::keyClicks(field(), "jo");
        clock->advance(SearchViewModel::debounce);
        std::vector<SearchResult> listed = rows(count);
        search->calls.answer(QStringLiteral("jo"), listed);
        return listed;
    }
    SearchResultRow* row(int index) const { return root->results()->rows().at(std::size_t(index)); }
    std::optional<SearchResult> openCard() const { return navigation.route().playerResult(); }

    ScopedWorkspaceSettings motion;
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::shared_ptr<FakeSearchService> search = std::make_shared<FakeSearchService>();
    std::shared_ptr<FakePlayerService> players = std::make_shared<FakePlayerService>();
    std::unique_ptr<SearchViewModel> model =
        std::make_unique<SearchViewModel>(search, nullptr, clock, [](const QByteArray&) {});
    PanelSession session;
    PanelNavigation navigation;
    HomeViewModel home{nullptr};
    std::vector<std::unique_ptr<PlayerCardViewModel>> cards;
    int dismissals = 0;
    int readyCalls = 0;
    std::unique_ptr<PanelRootView> root;
};

TEST_F(PanelRootViewTest,
       returnAndEnterOpenTheSelectedRowOnlyWhileRowsAreListedArrowsNeverMoveTheCaretOnSearch) {
    // Without rows (idle in the debounce, loading, empty) the keys neither open nor select.
    QTest::keyClicks(field(), "jo");
    field()->setCursorPosition(1);
    for (const Qt::Key pressed : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Down, Qt::Key_Return})
        key(pressed);
    clock->advance(SearchViewModel::debounce);
    key(Qt::Key_Return);
    search->calls.answer(QStringLiteral("jo"), std::vector<SearchResult>{});
    key(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_FALSE(openCard());
    EXPECT_EQ(field()->cursorPosition(), 1);

    model->setQuery(QString());
    const std::vector<SearchResult> listed = list(3);
    field()->setCursorPosition(1);
    for (const Qt::Key pressed : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Down})
        key(pressed);
    EXPECT_EQ(field()->cursorPosition(), 1);
    key(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(openCard(), listed[1]);
    const int ticks = model->keyboardNavigationTick();
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    EXPECT_EQ(model->keyboardNavigationTick(), ticks) << "on a card the keys belong to the text field";
}

TEST_F(PanelRootViewTest, typingOnACardReturnsToTheResultsThenUpdatesTheQuery) {
    list(3);
    key(Qt::Key_Return);
    ASSERT_TRUE(navigation.route().isPlayer());
    int routeWrites = 0;
    QObject::connect(&navigation, &PanelNavigation::routeChanged, [&] {
        ++routeWrites;
        EXPECT_EQ(model->query(), QStringLiteral("jo")) << "the route changes before the query";
    });
    QTest::keyClicks(field(), "e");
    EXPECT_EQ(routeWrites, 1);
    EXPECT_TRUE(navigation.route().isSearch());
    EXPECT_EQ(model->query(), QStringLiteral("joe"));
    EXPECT_EQ(root->card(), nullptr);
}

TEST_F(PanelRootViewTest, theSpinnerOutranksTheClearButtonWhichEmptiesTheQueryButKeepsTheCardAndTheFocus) {
    auto shown = [field = root->searchField()] {
        EXPECT_EQ(field->findChild<ActivitySpinner*>()->isVisible(), field->trailing() == Trailing::spinner);
        EXPECT_EQ(field->findChild<SymbolButton*>()->isVisible(), field->trailing() == Trailing::clearButton);
        return field->trailing();
    };
    EXPECT_EQ(shown(), Trailing::none);
    QTest::keyClicks(field(), "jo");
    EXPECT_EQ(shown(), Trailing::clearButton);
    clock->advance(SearchViewModel::debounce);
    EXPECT_EQ(shown(), Trailing::spinner) << "loading hides the clear button";
    search->calls.fail(QStringLiteral("jo"), PostgRESTError::http(500, {}));
    EXPECT_EQ(shown(), Trailing::clearButton);
    model->reset();
    EXPECT_EQ(shown(), Trailing::none);

    list(2);
    key(Qt::Key_Return);
    QTest::mouseClick(root->searchField()->findChild<SymbolButton*>(), Qt::LeftButton);
    EXPECT_EQ(field()->text(), QString());
    EXPECT_TRUE(navigation.route().isPlayer());
    EXPECT_TRUE(field()->hasFocus());
    EXPECT_EQ(model->state(), SearchState::idle());
}

TEST_F(PanelRootViewTest, theHintGoesForGoodWithTheFirstQueryAndHidesOnACard) {
    ASSERT_NE(root->hint(), nullptr);
    QTest::keyClicks(field(), "j");
    EXPECT_EQ(root->hint(), nullptr) << "dismissed by typing, stored at once";
    EXPECT_TRUE(Preferences(*UserDefaults::openStandard()).hasSeenHotkeyHint());
    key(Qt::Key_Backspace);
    EXPECT_EQ(root->hint(), nullptr) << "clearing the query does not bring it back";
    launch(); // the next launch
    EXPECT_EQ(root->hint(), nullptr);

    // Undismissed, it steps aside while a card shows.
    UserDefaults::openStandard()->remove(Preferences::hasSeenHotkeyHintKey);
    launch();
    navigation.setRoute(PanelRoute::player(rows(1).front()));
    EXPECT_EQ(root->hint(), nullptr);
    navigation.setRoute(PanelRoute::search());
    EXPECT_NE(root->hint(), nullptr);
}

TEST_F(PanelRootViewTest, hoverSelectsOnlyAfterARealMouseMovementAndAClickOpens) {
    const std::vector<SearchResult> listed = list(4);
    QTest::mouseMove(row(2), row(2)->rect().center());
    EXPECT_EQ(model->selection(), 0) << "rows appearing under a resting pointer take no selection";
    model->setAllowsHoverSelection(true); // the shell's mouse-moved monitor
    const int ticks = model->keyboardNavigationTick();
    QTest::mouseMove(row(3), row(3)->rect().center());
    EXPECT_EQ(model->selection(), 3);
    EXPECT_TRUE(row(3)->isSelected());
    EXPECT_EQ(model->keyboardNavigationTick(), ticks);

    QTest::mouseClick(row(1), Qt::LeftButton);
    EXPECT_EQ(openCard(), listed[1]);
}

TEST_F(PanelRootViewTest, rowsBackOnScreenUnderAStillPointerTakeTheSelectionOnlyWhenItMoves) {
    list(6);
    model->setAllowsHoverSelection(true);
    key(Qt::Key_Down);
    const QPoint local = row(3)->rect().center();
    const QPoint resting = row(3)->mapToGlobal(local);
    key(Qt::Key_Return);
    ASSERT_TRUE(openCard().has_value());
    QCursor::setPos(resting); // over the card, level with the 4th row
    navigation.setRoute(PanelRoute::search());
    QCoreApplication::processEvents();
    ASSERT_TRUE(row(3)->isVisible());

    const auto send = [this](QEvent&& event) { QCoreApplication::sendEvent(row(3), &event); };
    const auto move = [&](QPoint by) {
        send(QMouseEvent(QEvent::MouseMove, local + by, resting + by, Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier));
    };
    const struct {
        const char* step;
        std::function<void()> act;
        int selection;
    } steps[] = {
        {"the rows came back", [] {}, 1},
        {"an enter where the pointer rests", [&] { send(QEnterEvent(local, local, resting)); }, 1},
        {"a move where the pointer rests",
         [&] {
             move({0, 0});
         },
         1},
        {"the pointer moves a pixel",
         [&] {
             move({1, 0});
         },
         3},
        {"the keyboard moves away", [&] { key(Qt::Key_Up); }, 2},
        {"more motion within the same row",
         [&] {
             move({2, 0});
         },
         2},
        {"the pointer leaves and moves back onto the row",
         [&] {
             send(QEvent(QEvent::Leave)), move({1, 1});
         },
         3},
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_EQ(model->selection(), step.selection) << step.step;
    }
}

TEST_F(PanelRootViewTest, everyMaterialDrawsItsTextInColoursThatReadOnIt) {
    list(2);
    const QPalette application = QApplication::palette();
    const struct {
        Material material;
        Appearance look;
    } cases[] = {{Material::menu, Appearance::light},      {Material::menu, Appearance::dark},
                 {Material::popover, Appearance::light},   {Material::popover, Appearance::dark},
                 {Material::hudWindow, Appearance::light}, {Material::hudWindow, Appearance::dark},
                 {Material::sidebar, Appearance::light},   {Material::sidebar, Appearance::dark}};
    for (const auto& test : cases) {
        SCOPED_TRACE(
            QStringLiteral("material %1, look %2").arg(int(test.material)).arg(int(test.look)).toStdString());
        QApplication::setPalette(Theme::palette(test.look));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::ApplicationPaletteChange);
        root->setMaterial(test.material);
        const QImage panel = root->grab().toImage();
        const QColor fill = panel.pixelColor(root->width() / 2, root->height() - 20);
        // The strongest pixel of an unselected row's name: its text colour on the fill.
        const QRect name =
            row(1)->layoutFor(row(1)->width()).name.toRect().translated(row(1)->mapTo(root.get(), QPoint()));
        double strongest = 0;
        for (int y = name.top(); y <= name.bottom(); ++y) {
            for (int x = name.left(); x <= name.right(); ++x) {
                strongest = std::max(strongest, huddlepod::test::contrast(panel.pixelColor(x, y), fill));
            }
        }
        EXPECT_GE(strongest, 4.5) << fill.name().toStdString();
    }
    root->setMaterial(Material::menu);
    QApplication::setPalette(application);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::ApplicationPaletteChange);
}

TEST_F(PanelRootViewTest, keyboardSelectionScrollsJustEnoughToShowTheRow) {
    list(25);
    QScrollBar* bar = root->results()->list()->verticalScrollBar();
    const int visible = root->results()->list()->viewport()->height();
    for (int step = 0; step < 14; ++step)
        key(Qt::Key_Down);
    EXPECT_EQ(row(14)->geometry().bottom() + 1, bar->value() + visible) << "the row sits at the bottom edge";
    const int scrolled = bar->value();
    key(Qt::Key_Up);
    EXPECT_EQ(bar->value(), scrolled) << "a row already in view does not scroll";
}

// The first row is drawn selected the moment the rows arrive, before any key: Return opens what is shown.
TEST_F(PanelRootViewTest, theFirstRowIsDrawnSelectedAsSoonAsTheRowsArrive) {
    list(3);
    ASSERT_EQ(root->results()->rows().size(), 3U);
    const QImage shown = root->results()->grab().toImage();
    const QColor selection = Theme::selectedContentBackground(Theme::appearanceOf(root->palette()));
    // A point of each row's fill left of its text, halfway down.
    const auto fill = [&](int index) {
        return shown.pixelColor(row(index)->mapTo(root->results(), QPoint(3, row(index)->height() / 2)));
    };
    EXPECT_EQ(fill(0).name().toStdString(), selection.name().toStdString());
    EXPECT_NE(fill(1).name().toStdString(), selection.name().toStdString());
    EXPECT_NE(fill(2).name().toStdString(), selection.name().toStdString());
    EXPECT_TRUE(row(0)->isSelected());
}

// Up and Down past either edge of the visible rows scroll the selection back into view by the smallest
// amount. Rows are at least 44 high (as high as their two lines need), 1 apart, under 6 of padding.
TEST_F(PanelRootViewTest, aSelectionMovedPastTheTopOrBottomOfTheVisibleRowsIsKeptInView) {
    list(25);
    QScrollBar* bar = root->results()->list()->verticalScrollBar();
    const int visible = root->results()->list()->viewport()->height();
    const int height = row(0)->height();
    ASSERT_GE(height, 44);
    ASSERT_EQ(row(0)->geometry().top(), 6);
    ASSERT_EQ(row(24)->geometry().top(), 6 + 24 * (height + 1));
    ASSERT_LT(visible, 6 + 25 * (height + 1)) << "the rows overflow the list";
    const auto top = [&](int index) { return 6 + (height + 1) * index; };
    const auto bottom = [&](int index) { return top(index) + height; };
    // The first and the last row wholly in view at the list's scroll now.
    const auto firstInView = [&] { return (bar->value() - 6 + height) / (height + 1); };
    const auto lastInView = [&] { return (bar->value() + visible - 6 - height) / (height + 1); };
    const auto press = [&](Qt::Key pressed, int times) {
        for (int i = 0; i < times; ++i)
            key(pressed);
    };
    const auto expectInView = [&](int selected, int scroll) {
        EXPECT_EQ(model->selection(), selected);
        EXPECT_TRUE(row(selected)->isSelected());
        // Once the animation, if any, has run.
        EXPECT_TRUE(QTest::qWaitFor([&] { return bar->value() == scroll; }))
            << bar->value() << " for " << scroll;
        EXPECT_GE(row(selected)->geometry().top(), bar->value());
        EXPECT_LE(row(selected)->geometry().bottom() + 1, bar->value() + visible);
    };
    for (const bool animated : {false, true}) {
        SCOPED_TRACE(animated ? "animated" : "reduced motion");
        motion.reduceMotionValue = !animated;
        int below = lastInView() + 1;
        press(Qt::Key_Down, below - model->selection());
        expectInView(below, bottom(below) - visible); // at the bottom edge
        press(Qt::Key_Down, 40);
        expectInView(24, bottom(24) - visible); // the last row stays selected and in view
        const int above = firstInView() - 1;
        press(Qt::Key_Up, 24 - above);
        expectInView(above, top(above)); // at the top edge
        press(Qt::Key_Up, 40);
        expectInView(0, top(0));
    }
}

TEST_F(PanelRootViewTest, pagesPushBothWaysAndARouteChangeCancelsTheCardLoadInFlight) {
    motion.reduceMotionValue = false;
    const std::vector<SearchResult> listed = list(2);
    key(Qt::Key_Return);
    ASSERT_TRUE(root->isTransitioning());
    EXPECT_GT(root->card()->x(), 0) << "the card comes in from the trailing edge";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !root->isTransitioning(); }, 5000));
    EXPECT_EQ(root->card()->x(), 0);
    EXPECT_TRUE(root->results()->isHidden());
    const auto cardLoad = [&](int index) {
        return players->calls.token("card " + listed[std::size_t(index)].id.toString(QUuid::WithoutBraces) +
                                    " hof");
    };
    EXPECT_FALSE(cardLoad(0).isCancelled());

    // A link on the card opens another player: the first card's load stops, and nothing slides.
    navigation.setRoute(PanelRoute::player(listed[1]));
    EXPECT_TRUE(cardLoad(0).isCancelled());
    EXPECT_FALSE(root->isTransitioning());

    QTest::mouseClick(root->searchField()->leadingGlyph(), Qt::LeftButton);
    EXPECT_TRUE(cardLoad(1).isCancelled());
    EXPECT_LT(root->results()->x(), 0) << "the results come back from the leading edge";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !root->isTransitioning(); }, 5000));
    EXPECT_EQ(root->results()->x(), 0);
    EXPECT_EQ(root->card(), nullptr);
}

TEST_F(PanelRootViewTest, everyShowFocusesTheFieldWithTheCaretAtTheEnd) {
    EXPECT_EQ(readyCalls, 1);
    root->results()->setFocus(); // focus elsewhere since the last show
    model->setQuery(QStringLiteral("joe"));
    field()->setSelection(0, 2);
    session.setRevision(session.revision() + 1);
    static_cast<void>(QTest::qWaitFor([&] { return readyCalls == 2; }, 5000));
    ASSERT_EQ(readyCalls, 2);
    EXPECT_TRUE(field()->hasFocus());
    static_cast<void>(QTest::qWaitFor([&] { return field()->cursorPosition() == 3; }, 5000));
    ASSERT_EQ(field()->cursorPosition(), 3);
    EXPECT_FALSE(field()->hasSelectedText());
}

TEST_F(PanelRootViewTest, escapeClosesAnOpenPopoverFirstThenDismisses) {
    auto* popover = new Popover(new QWidget, root->results());
    popover->showFor(field());
    ASSERT_TRUE(root->isPopoverOpen());
    key(Qt::Key_Escape);
    EXPECT_FALSE(root->isPopoverOpen());
    EXPECT_EQ(dismissals, 0);
    key(Qt::Key_Escape);
    EXPECT_EQ(dismissals, 1);
}

TEST_F(PanelRootViewTest, assistiveTechnologiesHearTheFieldItsControlsAndTheRows) {
    auto spoken = [](QWidget* widget) {
        return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
    };
    const std::vector<SearchResult> listed = list(1);
    EXPECT_EQ(spoken(root->searchField()->findChild<SymbolButton*>()), QStringLiteral("Clear search"));
    EXPECT_EQ(spoken(row(0)), QStringLiteral("Joe 0, QB, KC , SF  ,  2001–2012, Hall of Fame"));
    EXPECT_TRUE(
        QAccessible::queryAccessibleInterface(root->searchField()->leadingGlyph())->state().invisible);

    QAccessible::queryAccessibleInterface(row(0))->actionInterface()->doAction(
        QAccessibleActionInterface::pressAction());
    EXPECT_EQ(openCard(), listed[0]);
    EXPECT_EQ(spoken(root->searchField()->leadingGlyph()), QStringLiteral("Back to results"));
}

TEST_F(PanelRootViewTest, aScreenReaderHearsEachStatusTheRowReturnWouldOpenAndTheCardOpened) {
    testsupport::HeardChanges heard;
    const auto typed = [this](const char* text) {
        QTest::keyClicks(field(), text);
        clock->advance(SearchViewModel::debounce);
    };
    const QString joe = QStringLiteral("Joe %1, QB, KC , SF  ,  2001–2012, Hall of Fame");
    struct Step {
        const char* what;
        std::function<void()> act;
        QStringList heard;
    };
    const Step steps[] = {
        {"typing", [&] { typed("jo"); }, {"notice Notification Searching…"}},
        {"no rows",
         [&] { search->calls.answer(QStringLiteral("jo"), std::vector<SearchResult>{}); },
         {"notice Notification No players matching “jo”"}},
        {"more typing", [&] { typed("e"); }, {"notice Notification Searching…"}},
        {"rows",
         [&] { search->calls.answer(QStringLiteral("joe"), rows(3)); },
         {"selection ListItem " + joe.arg(0)}},
        {"down", [&] { key(Qt::Key_Down); }, {"selection ListItem " + joe.arg(1)}},
        {"down again", [&] { key(Qt::Key_Down); }, {"selection ListItem " + joe.arg(2)}},
        {"down at the end", [&] { key(Qt::Key_Down); }, {}},
        {"up", [&] { key(Qt::Key_Up); }, {"selection ListItem " + joe.arg(1)}},
        {"return",
         [&] { key(Qt::Key_Return); },
         {"notice Notification Joe 1", "notice Notification Loading…"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        QCoreApplication::processEvents();
        EXPECT_EQ(heard.take(), step.heard);
    }
}

TEST_F(PanelRootViewTest, resultRowsAreItemsOfAList) {
    list(3);
    QAccessibleInterface* items = QAccessible::queryAccessibleInterface(row(2))->parent();
    EXPECT_EQ(items->role(), QAccessible::List);
    EXPECT_EQ(items->childCount(), 3);
    EXPECT_EQ(items->indexOfChild(QAccessible::queryAccessibleInterface(row(2))), 2);
}

// A card of passing seasons in these years.
PlayerCard cardOf(std::vector<int> years) {
    PlayerStats stats;
    for (const int year : years) {
        PassingSeason season;
        season.year = year;
        stats.passing.push_back(season);
    }
    return PlayerCard(PlayerBio{}, std::move(stats), std::nullopt);
}

TEST_F(PanelRootViewTest, everyStateSaysItsTextUnderItsSymbol) {
    enum Page { league, results, card };
    // The status message standing in for the page's content: its text and its symbol's name, "-" for none.
    const auto said = [&](Page page) -> QString {
        QWidget* content = page == card      ? root->card()->content()
                           : page == results ? root->results()->content()
                                             : qobject_cast<HomeView*>(root->results()->content())->content();
        auto* status = qobject_cast<StatusMessage*>(content);
        if (status == nullptr)
            return QStringLiteral("(no message)");
        return status->text() + " | " + (status->symbol() ? Symbols::name(*status->symbol()) : "-");
    };
    const auto typed = [&](const char* text) {
        QTest::keyClicks(field(), text);
        clock->advance(SearchViewModel::debounce);
    };
    const auto cardModel = [&] { return root->card()->model(); };
    const struct {
        const char* step;
        std::function<void()> act;
        Page page;
        const char* expected;
    } steps[] = {
        // clang-format off
        {"unconfigured league", [] {}, league, "Huddlepod isn’t configured. | exclamationmark.triangle"},
        {"league loading", [&] { home.setState(HomeContentState::loading()); }, league, "Loading… | -"},
        {"league empty", [&] { home.setState(HomeContentState::empty("No draft picks recorded for 2024.")); },
         league, "No draft picks recorded for 2024. | questionmark.circle"},
        {"league failed", [&] { home.setState(HomeContentState::failed("Can’t reach Huddlepod.")); }, league,
         "Can’t reach Huddlepod. | exclamationmark.triangle"},
        {"searching", [&] { typed("de"); }, results, "Searching… | -"},
        {"no match", [&] { search->calls.answer(QStringLiteral("de"), std::vector<SearchResult>{}); }, results,
         "No players matching “de” | questionmark.circle"},
        {"search failed", [&] { typed("a"); search->calls.fail(QStringLiteral("dea"), PostgRESTError::http(503, {})); },
         results, "Huddlepod is having trouble. Try again shortly. | exclamationmark.triangle"},
        {"card loading", [&] { navigation.setRoute(PanelRoute::player(rows(1).front())); }, card, "Loading… | -"},
        {"card failed", [&] { cardModel()->setState(PlayerCardState::failed("Couldn’t find that player’s record.")); },
         card, "Couldn’t find that player’s record. | exclamationmark.triangle"},
        {"no seasons", [&] { cardModel()->setState(PlayerCardState::loaded(cardOf({}))); }, card,
         "No season statistics recorded for this player. | questionmark.circle"},
        {"no seasons' game log", [&] { cardModel()->setTab(PlayerCardTab::gameLog); }, card,
         "No game-by-game data recorded for this player. | questionmark.circle"},
        {"game log loading", [&] { cardModel()->setState(PlayerCardState::loaded(cardOf({1998, 1999}))); }, card,
         "Loading… | -"},
        {"empty game log", [&] { cardModel()->setGameLogState(GameLogState::empty(1998)); }, card,
         "No game-by-game data recorded for 1998. | questionmark.circle"},
        {"game log failed", [&] { cardModel()->setGameLogState(GameLogState::failed("Something went wrong.")); },
         card, "Something went wrong. | exclamationmark.triangle"},
        // clang-format on
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_EQ(said(step.page), QString::fromUtf8(step.expected)) << step.step;
    }
}

TEST(SearchResultRow, theHallOfFameStarIsGoldAndStillReadsOnTheSelection) {
    QWidget list;
    auto* column = new QVBoxLayout(&list);
    column->setContentsMargins(6, 6, 6, 6);
    column->setSpacing(1);
    std::vector<SearchResultRow*> shown;
    for (const SearchResult& result : rows(2)) {
        shown.push_back(new SearchResultRow(result));
        column->addWidget(shown.back());
    }
    shown[0]->setSelected(true);
    list.resize(416, list.sizeHint().height());
    list.show();
    QCoreApplication::processEvents();
    testsupport::saveLooks(list, QStringLiteral("result-rows-hall-of-famer-selected"));

    const QColor gold[] = {QColor::fromRgbF(0.502f, 0.4f, 0.075f), QColor::fromRgbF(0.898f, 0.729f, 0.216f)};
    for (const Appearance look : {Appearance::light, Appearance::dark}) {
        SCOPED_TRACE(look == Appearance::dark ? "dark" : "light");
        for (SearchResultRow* row : shown) {
            const QImage image = testsupport::renderTransparent(*row, look);
            const auto pixel = [&](QPointF at) { return image.pixelColor((at * 2).toPoint()); };
            const QColor star = pixel(row->layoutFor(row->width()).star.center());
            if (!row->isSelected()) {
                EXPECT_LE(std::abs(star.red() - gold[int(look)].red()), 2);
                EXPECT_LE(std::abs(star.green() - gold[int(look)].green()), 2);
                EXPECT_LE(std::abs(star.blue() - gold[int(look)].blue()), 2);
                continue;
            }
            const QColor fill = pixel(QPointF(row->width() - 3, row->height() / 2.0));
            EXPECT_GE(huddlepod::test::contrast(star, fill), 3.0)
                << star.name().toStdString() << " on " << fill.name().toStdString();
            EXPECT_GT(star.red(), star.blue() + 60) << "still a gold";
        }
    }
}

TEST_F(PanelRootViewTest, theHintAndItsDividerFadeWhileTheirSpaceClosesThenTheyComeBackAfterACard) {
    motion.reduceMotionValue = false;
    PanelHintArea* area = root->hintArea();
    const auto pageTop = [&] {
        root->layout()->activate();
        return root->results()->parentWidget()->y();
    };
    const int closed = root->searchField()->height() + 1; // under the field's divider
    const int open = pageTop();
    ASSERT_EQ(open - closed, area->naturalHeight());
    EXPECT_EQ(area->naturalHeight(), area->hint()->sizeHint().height() + 1) << "the hint and its divider";

    QTest::keyClicks(field(), "j");
    ASSERT_NE(root->hintFade(), nullptr);
    EXPECT_EQ(root->hintFade()->duration(), 120);
    root->hintFade()->setCurrentTime(20);
    testsupport::saveLooks(*root, QStringLiteral("panel-hint-mid-fade"), QStringLiteral("components"), 0);
    root->hintFade()->setCurrentTime(60);
    EXPECT_GT(area->opacity(), 0.0);
    EXPECT_LT(area->opacity(), 1.0);
    EXPECT_GT(pageTop(), closed) << "the space closes with the fade";
    EXPECT_LT(pageTop(), open);
    EXPECT_NE(root->hint(), nullptr);
    root->hintFade()->setCurrentTime(120);
    EXPECT_EQ(root->hint(), nullptr);
    EXPECT_EQ(pageTop(), closed);

    // Undismissed, it fades out as a card opens and back in as the results return.
    UserDefaults::openStandard()->remove(Preferences::hasSeenHotkeyHintKey);
    launch();
    navigation.setRoute(PanelRoute::player(rows(1).front()));
    ASSERT_NE(root->hintFade(), nullptr);
    root->hintFade()->setCurrentTime(60);
    EXPECT_GT(pageTop(), closed);
    EXPECT_LT(pageTop(), open);
    navigation.setRoute(PanelRoute::search());
    ASSERT_NE(root->hintFade(), nullptr);
    root->hintFade()->setCurrentTime(120);
    EXPECT_EQ(pageTop(), open);
    EXPECT_DOUBLE_EQ(root->hintArea()->opacity(), 1.0);

    // With reduce motion, at once.
    motion.reduceMotionValue = true;
    navigation.setRoute(PanelRoute::player(rows(1).front()));
    EXPECT_EQ(root->hintFade(), nullptr);
    EXPECT_EQ(pageTop(), closed);
}

} // namespace

namespace {

// What a keyboard user is on, as the screen shows it: the field, a control by its label (a toggle with its
// chosen segment), a table link by its player, "table" for a table that scrolls by keys.
QString focusedControl() {
    QWidget* focused = QApplication::focusWidget();
    if (focused == nullptr)
        return QStringLiteral("nothing");
    if (qobject_cast<QLineEdit*>(focused))
        return QStringLiteral("field");
    if (auto* grid = qobject_cast<DataGridView*>(focused))
        return PlayerNameLink::accessibilityLabel(
            grid->gridLayout().links.at(std::size_t(grid->focusedLink())).links);
    if (auto* toggle = qobject_cast<SegmentedToggleBase*>(focused))
        return toggle->accessibleName() + ": " + toggle->titles().value(toggle->selectedIndex());
    if (qobject_cast<GridScrollArea*>(focused))
        return QStringLiteral("table");
    if (qobject_cast<HotkeyHintView*>(focused))
        return QStringLiteral("Dismiss shortcut tip");
    if (qobject_cast<SearchFieldGlyph*>(focused))
        return QStringLiteral("Back to results");
    return focused->accessibleName();
}

// Presses Tab (or Shift+Tab) until the keyboard is back where it started; the controls passed on the way.
std::string tabWalk(bool forward = true) {
    const QWidget* start = QApplication::focusWidget();
    QStringList passed;
    for (int press = 0; press < 20; ++press) {
        QTest::keyClick(QApplication::focusWidget(), forward ? Qt::Key_Tab : Qt::Key_Backtab,
                        forward ? Qt::NoModifier : Qt::ShiftModifier);
        passed << focusedControl();
        if (QApplication::focusWidget() == start)
            break;
    }
    return passed.join(QStringLiteral(" > ")).toStdString();
}

// Tab and Shift+Tab from the field go round every control of the page on screen in reading order, Space and
// Return press the one the keyboard is on, and a character typed there goes to the field.
TEST(PanelKeyboard, tabGoesRoundEachPagesControlsInReadingOrderAndTypingReturnsToTheField) {
    UserDefaults::openStandard()->remove(Preferences::hasSeenHotkeyHintKey); // the hint shows
    ScopedWorkspaceSettings motion;
    motion.reduceMotionValue = true;
    auto clock = std::make_shared<ManualClock>();
    auto search = std::make_shared<FakeSearchService>();
    auto players = std::make_shared<FakePlayerService>();
    auto league = std::make_shared<FakeLeagueService>();
    SearchViewModel model(search, nullptr, clock, [](const QByteArray&) {});
    HomeViewModel home(league);
    PanelSession session;
    PanelNavigation navigation;
    std::vector<std::unique_ptr<PlayerCardViewModel>> cards;
    auto root = std::make_unique<PanelRootView>(
        &session, &model, &navigation, &home,
        [&](const SearchResult& result) {
            return cards.emplace_back(std::make_unique<PlayerCardViewModel>(result, players, clock)).get();
        },
        [] {}, [] {}, QStringLiteral("Ctrl+Alt+S"));
    root->resize(440, 560);
    root->show();
    root->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(root.get()));
    QLineEdit* field = root->searchField()->textField();
    ASSERT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }, 5000));

    league->calls.answer<std::optional<int>>("latestStandingsYear", 2024);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return league->calls.requests().contains("standings 2024 division"); }));
    league->calls.answer<std::optional<DataTable>>("standings 2024 division", testsupport::standingsTable());
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const auto* grid = root->findChild<DataGridView*>();
        return grid != nullptr && grid->isVisible();
    }));
    EXPECT_EQ(tabWalk(), "Dismiss shortcut tip > League view: Standings > Standings grouping: Division > "
                         "Season 2024 > Team Captain > Josh Allen > 3 winners: Tua Tagovailoa, Tyreek Hill, "
                         "Jaylen Waddle > field");
    EXPECT_EQ(tabWalk(false), "3 winners: Tua Tagovailoa, Tyreek Hill, Jaylen Waddle > Josh Allen > "
                              "Team Captain > Season 2024 > Standings grouping: Division > "
                              "League view: Standings > Dismiss shortcut tip > field");
    const auto tabTo = [](const QString& control) {
        for (int press = 0; press < 20 && focusedControl() != control; ++press)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    };
    for (const char* control : {"Standings grouping: Division", "Season 2024", "Josh Allen"}) {
        tabTo(control);
        testsupport::saveLooks(*root,
                               QStringLiteral("panel-keyboard-on-") +
                                   QString(control).section(':', 0, 0).toLower().replace(' ', '-'),
                               QStringLiteral("screens"), 0);
    }
    // A control that goes with its page hands the keyboard back to the field.
    home.setState(HomeContentState::loading());
    EXPECT_TRUE(QTest::qWaitFor([] { return focusedControl() == "field"; }));
    tabTo("Standings grouping: Division");

    // Space on the hint's button dismisses it; the field takes the keyboard back.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(focusedControl(), "Dismiss shortcut tip");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(root->hint(), nullptr);
    EXPECT_EQ(focusedControl(), "field");

    // A character typed on a control is the query's first.
    QTest::keyClick(field, Qt::Key_Tab);
    ASSERT_EQ(focusedControl(), "League view: Standings");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_J);
    EXPECT_EQ(focusedControl(), "field");
    QTest::keyClick(field, Qt::Key_O);
    EXPECT_EQ(model.query(), "jo");
    clock->advance(SearchViewModel::debounce);
    search->calls.answer(QStringLiteral("jo"), rows(3));
    EXPECT_EQ(tabWalk(), "Clear search > field") << "the rows answer Up, Down and Return in the field";

    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_EQ(cards.size(), 1u);
    PlayerBio bio;
    PlayerStats stats;
    for (const int year : {2019, 2018, 2017}) {
        PassingSeason season;
        season.year = year;
        stats.passing.push_back(season);
    }
    cards.back()->setState(PlayerCardState::loaded(PlayerCard(bio, stats, std::nullopt)));
    EXPECT_EQ(tabWalk(), "Clear search > Player view: Seasons > Back to results > field");
    QTest::keyClick(field, Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(cards.back()->tab(), PlayerCardTab::gameLog);
    cards.back()->setGameLogState(GameLogState::loaded(huddlepod::testing::tableWithRows("games", 40)));
    EXPECT_EQ(focusedControl(), "Player view: Game Log");
    testsupport::saveLooks(*root, QStringLiteral("panel-keyboard-on-card-tab"), QStringLiteral("screens"), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const QWidget* table = root->card()->content();
        return table->isVisible() && table->focusPolicy() == Qt::TabFocus;
    })) << "a table taller than the pane";
    field->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(tabWalk(),
              "Clear search > Player view: Game Log > Season 2019 > table > Back to results > field");
    tabTo("table");
    testsupport::saveLooks(*root, QStringLiteral("panel-keyboard-on-table"), QStringLiteral("screens"), 0);

    // Return on the back button goes back, with the keyboard in the field.
    field->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(field, Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(focusedControl(), "Back to results");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(navigation.route().isSearch());
    EXPECT_EQ(focusedControl(), "field");

    root.reset();
    search->calls.abandonPending();
    players->calls.abandonPending();
    league->calls.abandonPending();
}

} // namespace
