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

TEST(DesktopBars, takesADockThatReservesNothingForABarAlongAnyEdgeOfItsScreen) {
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
        {"down the left side", {0, 0, 40, 800}, one, Bar{ScreenEdge::left, {0, 0, 40, 800}}},
        {"down the right side, short",
         {1250, 100, 30, 500},
         one,
         Bar{ScreenEdge::right, {1250, 100, 30, 500}}},
        {"down the second screen's left",
         {1280, 0, 30, 1080},
         two,
         Bar{ScreenEdge::left, {1280, 0, 30, 1080}}},
        {"a square in the corner", {0, 0, 30, 30}, one, std::nullopt},
        {"half the screen tall", {0, 0, 1280, 400}, one, std::nullopt},
        {"half the screen wide", {0, 0, 640, 800}, one, std::nullopt},
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

namespace {

// _NET_WM_STRUT_PARTIAL along one edge of a root `root` wide or high: the thickness from the root's edge, and
// the first and last row or column it spans.
Strut reserving(ScreenEdge edge, int thickness, int start, int end) {
    std::uint32_t values[12] = {};
    const int index = int(edge); // left, right, top, bottom
    values[index] = std::uint32_t(thickness);
    values[4 + 2 * index] = std::uint32_t(start);
    values[5 + 2 * index] = std::uint32_t(end);
    return Strut::partial(values);
}

BarWindow dock(const QRect& place) {
    return {std::nullopt, true, place};
}

} // namespace

TEST(DesktopBars, aScreensVisibleFrameIsItLessTheBarsOnItAndNoMoreThanThePublishedWorkArea) {
    const std::vector<ScreenScale> one{{{0, 0, 1280, 800}, 1}};
    // Two screens of 1280x800 and 1920x1080 side by side, at scale 1.
    const std::vector<ScreenScale> two{{{0, 0, 1280, 800}, 1}, {{1280, 0, 1920, 1080}, 1}};
    // Two 1440x900 monitors split from a 2880x900 screen.
    const std::vector<ScreenScale> halves{{{0, 0, 1440, 900}, 1}, {{1440, 0, 1440, 900}, 1}};
    // 1440x900 at 1x beside 2880x1800 device pixels at 2x.
    const std::vector<ScreenScale> oneBesideTwo{{{0, 0, 1440, 900}, 1}, {{1440, 0, 1440, 900}, 2}};
    // 2880x1800 device pixels at 2x beside a shorter 1920x1080 at 1x.
    const std::vector<ScreenScale> tallBesideShort{{{0, 0, 1440, 900}, 2}, {{2880, 0, 1920, 1080}, 1}};
    const BarWindow i3Bottom{reserving(ScreenEdge::bottom, 21, 0, 1280), false, QRect(0, 779, 1280, 21)};
    // trayer at the bottom right of the last screen: its strut counts 26 rows from the root's bottom.
    const auto trayer = [](QSize root, int monitorLeft, int barTop) {
        return BarWindow{reserving(ScreenEdge::bottom, 26, monitorLeft, root.width() - 1), true,
                         QRect(root.width() - 24, barTop, 24, 26)};
    };
    // The root's size, the screens, the windows, the work area published, and each screen's visible frame.
    const std::vector<std::tuple<const char*, QSize, std::vector<ScreenScale>, std::vector<BarWindow>,
                                 std::optional<QRect>, std::vector<QRect>>>
        cases{
            {"i3bar at the bottom, no work area", root, one, {i3Bottom}, std::nullopt, {{0, 0, 1280, 779}}},
            {"a bar at the top",
             root,
             one,
             {{reserving(ScreenEdge::top, 20, 0, 1279), false, std::nullopt}},
             std::nullopt,
             {{0, 20, 1280, 780}}},
            {"a bar down the left",
             root,
             one,
             {{reserving(ScreenEdge::left, 50, 0, 799), false, std::nullopt}},
             std::nullopt,
             {{50, 0, 1230, 800}}},
            {"a bar down the right",
             root,
             one,
             {{reserving(ScreenEdge::right, 50, 0, 799), false, std::nullopt}},
             std::nullopt,
             {{0, 0, 1230, 800}}},
            {"the work area and a bar it leaves out",
             root,
             one,
             {i3Bottom},
             QRect(0, 30, 1280, 770),
             {{0, 30, 1280, 749}}},
            {"no bars, no work area", root, one, {}, std::nullopt, {{0, 0, 1280, 800}}},
            {"a strip across both tops and one along the right's bottom",
             {3200, 1080},
             two,
             {{reserving(ScreenEdge::top, 20, 0, 3199), false, std::nullopt},
              {reserving(ScreenEdge::bottom, 30, 1280, 3199), false, std::nullopt}},
             std::nullopt,
             {{0, 20, 1280, 780}, {1280, 20, 1920, 1030}}},
            {"a strutless dock down the left",
             root,
             one,
             {dock({0, 0, 30, 800})},
             std::nullopt,
             {{30, 0, 1250, 800}}},
            {"a strutless dock down the right",
             root,
             one,
             {dock({1250, 0, 30, 800})},
             std::nullopt,
             {{0, 0, 1250, 800}}},
            {"a strutless dock inside the manager's work area",
             root,
             one,
             {dock({0, 760, 1280, 40})},
             QRect(0, 26, 1280, 774),
             {{0, 26, 1280, 734}}},
            {"a bar at the bottom of the right of two halves, the manager's work area over both",
             {2880, 900},
             halves,
             {trayer({2880, 900}, 1440, 874)},
             QRect(0, 0, 2880, 874),
             {{0, 0, 1440, 874}, {1440, 0, 1440, 874}}},
            {"the bar on the 2x screen beside a 1x one",
             {4320, 1800},
             oneBesideTwo,
             {trayer({4320, 1800}, 1440, 1774)},
             QRect(0, 0, 4320, 1774),
             {{0, 0, 1440, 900}, {1440, 0, 1440, 887}}},
            {"trayer on the shorter screen, its strip below it",
             {4800, 1800},
             tallBesideShort,
             {trayer({4800, 1800}, 2880, 1054)},
             std::nullopt,
             {{0, 0, 1440, 900}, {2880, 0, 1920, 1054}}},
            {"the same under a manager",
             {4800, 1800},
             tallBesideShort,
             {trayer({4800, 1800}, 2880, 1054)},
             QRect(0, 0, 4800, 1774),
             {{0, 0, 1440, 887}, {2880, 0, 1920, 1054}}},
            {"a bar on the shorter screen reserving down to the root's bottom",
             {4800, 1800},
             tallBesideShort,
             {{reserving(ScreenEdge::bottom, 746, 2880, 4799), true, QRect(2880, 1054, 1920, 26)}},
             std::nullopt,
             {{0, 0, 1440, 900}, {2880, 0, 1920, 1054}}},
        };
    for (const auto& [what, rootSize, screens, windows, workArea, frames] : cases) {
        const DesktopBars bars = desktopBars(windows, workArea, rootSize, screens);
        std::vector<QRect> visible;
        for (const ScreenScale& screen : screens) {
            visible.push_back(visibleFrame(screen.logical, bars));
        }
        EXPECT_EQ(visible, frames) << what;
    }
}
