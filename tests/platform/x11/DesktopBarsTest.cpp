// The strips bars reserve, the bar a point lies in, its inner edge, where trays likely sit, and the part of a
// screen windows may use.
#include "platform/x11/DesktopBars.h"

#include <gtest/gtest.h>

#include <ostream>
#include <tuple>

namespace huddlepod::x11 {
void PrintTo(const Bar& bar, std::ostream* out) {
    static const char* edges[] = {"left", "right", "top", "bottom"};
    *out << edges[int(bar.edge)] << " " << bar.strip.x() << "," << bar.strip.y() << " " << bar.strip.width()
         << "x" << bar.strip.height();
}
} // namespace huddlepod::x11

using namespace huddlepod::x11;

namespace {
const QSize root(1280, 800);
}

TEST(DesktopBars, readsOneStripPerReservedEdgeWithTheEdgeThatFacesTheScreen) {
    // A strut (partial: twelve values, whole: four) and the strips it reserves, with their inner edges.
    const std::uint32_t xfceTop[12] = {0, 0, 29, 0, 0, 0, 0, 0, 0, 1279, 0, 0};
    const std::uint32_t dockBottom[12] = {0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 100, 899};
    const std::uint32_t sides[12] = {50, 30, 0, 0, 0, 399, 200, 799, 0, 0, 0, 0};
    const std::uint32_t backwards[12] = {0, 0, 26, 0, 0, 0, 0, 0, 500, 499, 0, 0};
    const std::uint32_t trayerTop[4] = {0, 0, 26, 0};
    const std::uint32_t i3barTop[12] = {0, 0, 20, 0, 0, 0, 0, 0, 0, 1280, 0, 0};
    const std::vector<std::tuple<const char*, Strut, std::vector<Bar>, std::vector<int>>> cases{
        {"XFCE's top bar", Strut::partial(xfceTop), {{ScreenEdge::top, {0, 0, 1280, 29}}}, {29}},
        {"a short dock at the bottom",
         Strut::partial(dockBottom),
         {{ScreenEdge::bottom, {100, 760, 800, 40}}},
         {760}},
        {"bars on both sides",
         Strut::partial(sides),
         {{ScreenEdge::left, {0, 0, 50, 400}}, {ScreenEdge::right, {1250, 200, 30, 600}}},
         {50, 1250}},
        {"a strip that ends before it starts", Strut::partial(backwards), {}, {}},
        {"a strut without ends", Strut::whole(trayerTop, root), {{ScreenEdge::top, {0, 0, 1280, 26}}}, {26}},
        {"i3bar's strip, ending one past the screen",
         Strut::partial(i3barTop),
         {{ScreenEdge::top, {0, 0, 1280, 20}}},
         {20}},
    };
    for (const auto& [what, strut, strips, inner] : cases) {
        EXPECT_EQ(reservedStrips(strut, root), strips) << what;
        std::vector<int> edges;
        for (const Bar& bar : reservedStrips(strut, root)) {
            edges.push_back(bar.innerEdge());
        }
        EXPECT_EQ(edges, inner) << what;
    }
}

TEST(DesktopBars, takesADockThatReservesNothingForABarOnlyAlongTheTopOrBottomOfItsScreen) {
    const std::vector<QRect> one{{0, 0, 1280, 800}};
    const std::vector<QRect> two{{0, 0, 1280, 800}, {1280, 0, 1920, 1080}};
    // The dock window, the screens, and the bar it makes.
    const std::vector<std::tuple<const char*, QRect, std::vector<QRect>, std::optional<Bar>>> cases{
        {"a dock along the top", {0, 0, 1280, 20}, one, Bar{ScreenEdge::top, {0, 0, 1280, 20}}},
        {"a bar along the bottom", {0, 776, 1280, 24}, one, Bar{ScreenEdge::bottom, {0, 776, 1280, 24}}},
        {"a short bar at the top's right end",
         {900, 0, 380, 30},
         one,
         Bar{ScreenEdge::top, {900, 0, 380, 30}}},
        {"on the second screen's top", {1280, 0, 1920, 22}, two, Bar{ScreenEdge::top, {1280, 0, 1920, 22}}},
        {"on the first screen's bottom, short of the second's",
         {0, 780, 1280, 20},
         two,
         Bar{ScreenEdge::bottom, {0, 780, 1280, 20}}},
        {"reaching past the screen's edge", {-10, -5, 1300, 25}, one, Bar{ScreenEdge::top, {0, 0, 1280, 20}}},
        {"floating in the middle", {0, 300, 1280, 20}, one, std::nullopt},
        {"one row under the top", {0, 1, 1280, 20}, one, std::nullopt},
        {"down the left side", {0, 0, 40, 800}, one, std::nullopt},
        {"half the screen tall", {0, 0, 1280, 400}, one, std::nullopt},
        {"off every screen", {0, 900, 1280, 20}, one, std::nullopt},
    };
    for (const auto& [what, window, screens, bar] : cases) {
        EXPECT_EQ(dockAlongEdge(window, screens), bar) << what;
    }
}

TEST(DesktopBars, findsTheBarUnderAPointInAStripOrBeyondTheWorkAreasEdge) {
    const std::vector<Bar> xfce{{ScreenEdge::top, {0, 0, 1280, 29}}};
    const QRect screen(0, 0, 1280, 800);
    const QRect right(1280, 0, 1280, 800);
    // The point, the strips, the work area, the screen holding the point, and the bar found.
    const std::vector<std::tuple<QPoint, std::vector<Bar>, std::optional<QRect>, QRect, std::optional<Bar>>>
        cases{
            {{1265, 4}, xfce, std::nullopt, screen, xfce[0]},
            {{1265, 28}, xfce, std::nullopt, screen, xfce[0]},
            {{1265, 29}, xfce, std::nullopt, screen, std::nullopt}, // the first row below the bar
            {{600, 10}, {}, QRect(0, 44, 1280, 756), screen, Bar{ScreenEdge::top, {0, 0, 1280, 44}}},
            {{600, 60}, {}, QRect(0, 44, 1280, 756), screen, std::nullopt},
            {{600, 780}, {}, QRect(0, 0, 1280, 760), screen, Bar{ScreenEdge::bottom, {0, 760, 1280, 40}}},
            {{600, 900}, {}, QRect(0, 0, 1280, 760), screen, std::nullopt}, // off every screen
            {{1500, 10}, {}, QRect(0, 30, 2560, 770), right, Bar{ScreenEdge::top, {1280, 0, 1280, 30}}},
        };
    for (const auto& [point, strips, workArea, holder, bar] : cases) {
        EXPECT_EQ(barAt(point, strips, workArea, holder), bar) << point.x() << "," << point.y();
    }
}

TEST(DesktopBars, stretchesTheIconOverTheBarAndGuessesTheTrayAtTheRightEndOfATopOrBottomBar) {
    const Bar top{ScreenEdge::top, {0, 0, 1280, 44}};
    const Bar bottom{ScreenEdge::bottom, {0, 770, 1280, 30}};
    const Bar left{ScreenEdge::left, {0, 0, 50, 800}};
    EXPECT_EQ(acrossBar(QRect(1250, 10, 24, 24), top), QRect(1250, 0, 24, 44));
    EXPECT_EQ(acrossBar(QRect(600, 773, 24, 24), bottom), QRect(600, 770, 24, 30));
    EXPECT_EQ(acrossBar(QRect(10, 300, 24, 24), left), QRect(0, 300, 50, 24));

    EXPECT_EQ(likelyTrayPlace({left, bottom}, 24), QRect(1256, 770, 24, 30));
    EXPECT_EQ(likelyTrayPlace({left, bottom, Bar{ScreenEdge::top, {0, 0, 1000, 29}}}, 24),
              QRect(976, 0, 24, 29));
    EXPECT_EQ(likelyTrayPlace({left}, 24), std::nullopt);
    EXPECT_EQ(likelyTrayPlace({}, 24), std::nullopt);
}

TEST(DesktopBars, aScreensVisibleFrameIsTheWorkAreasElseTheScreenLessTheBarsAlongItsEdges) {
    const QRect left(0, 0, 1280, 800);
    const QRect right(1280, 0, 1920, 1080);
    const Bar i3Bottom{ScreenEdge::bottom, {0, 779, 1280, 21}};
    const Bar acrossBothTops{ScreenEdge::top, {0, 0, 3200, 20}};
    const Bar rightsBottom{ScreenEdge::bottom, {1280, 1050, 1920, 30}};
    // The screen, what Qt has as its available part, the bars and work area, and the visible frame.
    const std::vector<std::tuple<const char*, QRect, QRect, DesktopBars, QRect>> cases{
        {"i3bar at the bottom, no work area", left, left, {{i3Bottom}, std::nullopt}, {0, 0, 1280, 779}},
        {"a bar at the top", left, left, {{{ScreenEdge::top, {0, 0, 1280, 20}}}, {}}, {0, 20, 1280, 780}},
        {"a bar down the left", left, left, {{{ScreenEdge::left, {0, 0, 50, 800}}}, {}}, {50, 0, 1230, 800}},
        {"a bar down the right",
         left,
         left,
         {{{ScreenEdge::right, {1230, 0, 50, 800}}}, {}},
         {0, 0, 1230, 800}},
        {"the manager's work area",
         left,
         {0, 30, 1280, 770},
         {{i3Bottom}, QRect(0, 30, 1280, 770)},
         {0, 30, 1280, 770}},
        {"no bars, no work area", left, left, {}, left},
        {"the left of two screens", left, left, {{acrossBothTops, rightsBottom}, {}}, {0, 20, 1280, 780}},
        {"the right of two screens",
         right,
         right,
         {{acrossBothTops, rightsBottom}, {}},
         {1280, 20, 1920, 1030}},
        {"a bar on the other screen only", left, left, {{rightsBottom}, {}}, left},
    };
    for (const auto& [what, screen, available, bars, visible] : cases) {
        EXPECT_EQ(visibleFrame(screen, available, bars), visible) << what;
    }
}
