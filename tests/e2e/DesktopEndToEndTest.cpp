// The program on the desktops users have, beyond the bare server: Openbox as the window manager (it moves the
// panel itself once a drag begins), xcompmgr started and stopped while the program runs, and xfwm4, which
// keeps windows inside the work area, with its own compositor turned off and on. Screenshots go to
// <build dir>/test-output/e2e/.
#include "tests/e2e/ProgramUnderX.h"

#include <QImage>

#include <xcb/xcb.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <ostream>
#include <string>

namespace {

using huddlepod::test::XServerHarness;

class Desktop : public huddlepod::test::ProgramUnderX {
protected:
    void pointer(const char* action, QPoint at) {
        xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), action, "1"});
    }
    bool waitPanelAt(QPoint topLeft) {
        return XServerHarness::waitFor([&] { return panel() && panel()->topLeft() == topLeft; });
    }

    static constexpr unsigned root = 0x3366cc; // the root window's colour
    unsigned at(QPoint point) const { return x.pixel(point.x(), point.y()).value_or(0x1000000); }
    // The root's colour darkened by a shadow: every channel lower, none black.
    static bool isShaded(unsigned colour) {
        for (const int shift : {0, 8, 16}) {
            const unsigned channel = (colour >> shift) & 0xff, backdrop = (root >> shift) & 0xff;
            if (channel >= backdrop || channel < backdrop / 2) {
                return false;
            }
        }
        return true;
    }
    // The root's colour, shaded or not: what shows through a corner the panel leaves clear.
    static bool isBackdrop(unsigned colour) { return colour == root || isShaded(colour); }
    bool isShaded(QPoint point) const { return isShaded(at(point)); }
    bool isBackdrop(QPoint point) const { return isBackdrop(at(point)); }
    static std::string describe(std::optional<QRect> rect) {
        return rect ? QStringLiteral("%1,%2 %3x%4")
                          .arg(rect->x())
                          .arg(rect->y())
                          .arg(rect->width())
                          .arg(rect->height())
                          .toStdString()
                    : "none";
    }
};

// Sees, as any client watching the root window may, a program hand a move of its window to the manager
// (_NET_WM_MOVERESIZE, _NET_WM_MOVERESIZE_MOVE).
class MoveHandOvers {
public:
    explicit MoveHandOvers(const QString& display)
        : connection_(xcb_connect(display.toLocal8Bit().constData(), nullptr)) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root, XCB_CW_EVENT_MASK, &mask);
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, 18, "_NET_WM_MOVERESIZE"), nullptr);
        moveResize_ = atom != nullptr ? atom->atom : xcb_atom_t(XCB_ATOM_NONE); // a round trip: watching now
        std::free(atom);
    }
    ~MoveHandOvers() { xcb_disconnect(connection_); }
    MoveHandOvers(const MoveHandOvers&) = delete;
    MoveHandOvers& operator=(const MoveHandOvers&) = delete;

    int count() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE && message->type == moveResize_ &&
                message->data.data32[2] == 8) {
                ++count_;
            }
            std::free(event);
        }
        return count_;
    }

private:
    xcb_connection_t* connection_;
    xcb_atom_t moveResize_ = XCB_ATOM_NONE;
    int count_ = 0;
};

class UnderOpenbox : public Desktop {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.isRunning());
        ASSERT_TRUE(x.startWindowManager());
        ASSERT_TRUE(x.setRootColour(0x3366cc));
        ASSERT_NO_FATAL_FAILURE(Desktop::SetUp());
        ASSERT_NO_FATAL_FAILURE(launch());
        ASSERT_NO_FATAL_FAILURE(showPanel());
        attached = *panel();
        // The search row's padding left of its glyph is the panel's background.
        grip = attached.topLeft() + QPoint(5, 24);
    }
    // A message the manager answers on the root window once it has handled everything sent before.
    bool windowManagerCaughtUp(int desktops) {
        xdotool({"set_num_desktops", QString::number(desktops)});
        return XServerHarness::waitFor(
            [&] { return xdotool({"get_num_desktops"}) == QString::number(desktops); });
    }

    QRect attached;
    QPoint grip;
};

TEST_F(UnderOpenbox, aDragDetachesThePanelWhereTheManagerLeftItUntilReset) {
    // Past the drag distance the manager takes the move over. The pointer is off the panel before the program
    // sees the press: the press was still on it.
    ASSERT_TRUE(drag(grip, QPoint(-200, -10), grip + QPoint(-400, 100),
                     [&] { return panel() && panel()->left() <= attached.left() - 150; }));
    // The manager reports the new place only now, with the button up: that is where it stays.
    ASSERT_TRUE(XServerHarness::waitFor([&] {
        return storedOrigin() && storedOrigin() == panel()->topLeft();
    })) << "stored: "
        << storedOrigin().value_or(QPoint(-1, -1)).x();
    const QPoint detached = attached.topLeft() + QPoint(-400, 100); // it kept up with the pointer
    EXPECT_EQ(panel()->topLeft(), detached);
    // The panel's own controls take clicks again: the hint's close button.
    const QPoint close = detached + QPoint(419, 52);
    xdotool({"mousemove", QString::number(close.x()), QString::number(close.y()), "click", "1"});
    ASSERT_TRUE(XServerHarness::waitFor([&] { return stored("hasSeenHotkeyHint").toBool(); }));
    screenshot("openbox-detached");

    xdotool({"mousemove", "100", "700", "click", "1"});
    xdotool({"key", "ctrl+alt+s"}); // had the click hidden it, this would show it again
    ASSERT_TRUE(waitPanel(false));
    EXPECT_EQ(errors.count("typeable field"), 1);
    xdotool({"key", "ctrl+alt+s"});
    ASSERT_TRUE(waitPanel(true));
    EXPECT_EQ(panel()->topLeft(), detached);

    // "Reset Panel Position" from the tray menu attaches it again, under the icon.
    xdotool({"mousemove", QString::number(trayIcon()->center().x()),
             QString::number(trayIcon()->center().y()), "click", "3"});
    ASSERT_TRUE(XServerHarness::waitFor([&] { return window({"--name", "^Huddlepod menu$"}).has_value(); }));
    xdotool({"key", "Down", "Down", "Return"});
    ASSERT_TRUE(XServerHarness::waitFor([&] { return !storedOrigin() && panel() && *panel() == attached; }));
    screenshot("openbox-reset");
}

// Down, past the drag distance and up in one go: all of it is over before the program hands the move on.
TEST_F(UnderOpenbox, aFlickReleasedBeforeTheManagerTakesThePointerEndsWhereTheButtonWentUp) {
    const QPoint up = grip + QPoint(-200, 60);
    xdotool({"mousemove", QString::number(grip.x()), QString::number(grip.y()), "mousedown", "1", "mousemove",
             QString::number(up.x()), QString::number(up.y()), "mouseup", "1"});
    const QPoint dropped = attached.topLeft() + QPoint(-200, 60);
    ASSERT_TRUE(XServerHarness::waitFor([&] { return storedOrigin() == QPointF(dropped); }))
        << "shown: " << panel().has_value();
    // With the button up the panel no longer follows the pointer.
    xdotool({"mousemove", QString::number(up.x() - 100), QString::number(up.y() + 100)});
    xdotool({"mousemove", QString::number(up.x() - 110), QString::number(up.y() + 120)});
    ASSERT_TRUE(windowManagerCaughtUp(2));
    ASSERT_TRUE(panel());
    EXPECT_EQ(panel()->topLeft(), dropped);
    EXPECT_EQ(storedOrigin(), QPointF(dropped));
}

// Down and past the drag distance, then up after the program has handed the move over but before the manager
// has got round to it (as on a busy machine): the panel is where the button went up all the same.
TEST_F(UnderOpenbox, aFlickReleasedWhileTheManagerIsSlowToTakeThePointerEndsWhereTheButtonWentUp) {
    const std::optional<qint64> manager = x.processId(QStringLiteral("openbox"));
    ASSERT_TRUE(manager);
    MoveHandOvers handOvers(x.display());
    const QPoint up = grip + QPoint(-200, 60);
    xdotool({"mousemove", QString::number(grip.x()), QString::number(grip.y()), "mousedown", "1"});
    ASSERT_TRUE(windowManagerCaughtUp(2)); // the press has reached the program
    ASSERT_EQ(kill(pid_t(*manager), SIGSTOP), 0);
    xdotool({"mousemove", QString::number(up.x()), QString::number(up.y())});
    const bool handedOver = XServerHarness::waitFor([&] { return handOvers.count() == 1; });
    pointer("mouseup", up);
    ASSERT_EQ(kill(pid_t(*manager), SIGCONT), 0);
    ASSERT_TRUE(handedOver);
    const QPoint dropped = attached.topLeft() + QPoint(-200, 60);
    ASSERT_TRUE(XServerHarness::waitFor([&] { return storedOrigin() == QPointF(dropped); }))
        << "shown at " << panel().value_or(QRect()).x() << "," << panel().value_or(QRect()).y();
    xdotool({"mousemove", QString::number(up.x() - 100), QString::number(up.y() + 100)});
    xdotool({"mousemove", QString::number(up.x() - 110), QString::number(up.y() + 120)});
    ASSERT_TRUE(windowManagerCaughtUp(1));
    EXPECT_EQ(panel()->topLeft(), dropped);
    EXPECT_EQ(storedOrigin(), QPointF(dropped));
}

TEST_F(UnderOpenbox, aClickOnTheBackgroundWithoutAMoveLeavesThePanelAlone) {
    xdotool({"mousemove", QString::number(grip.x()), QString::number(grip.y()), "click", "1"});
    xdotool({"mousemove", QString::number(grip.x() - 300), QString::number(grip.y() + 200)});
    xdotool({"mousemove", QString::number(grip.x() - 320), QString::number(grip.y() + 260)});
    ASSERT_TRUE(windowManagerCaughtUp(2));
    EXPECT_EQ(panel()->topLeft(), attached.topLeft()); // not in the manager's move mode
    screenshot("openbox-click");
    xdotool({"key", "ctrl+alt+s"}); // handled after the press and release
    ASSERT_TRUE(waitPanel(false));
    EXPECT_EQ(storedOrigin(), std::nullopt);
}

class UnderCompositor : public Desktop {
protected:
    static constexpr int shadow = 20; // the room the panel's window leaves for its shadow

    bool waitWindowSize(QSize size) {
        return XServerHarness::waitFor([&] { return panel() && panel()->size() == size; });
    }
};

TEST_F(UnderCompositor, thePanelCastsAShadowWhileComposedAndIsMaskedOnceTheCompositorStops) {
    ASSERT_TRUE(x.setRootColour(root));
    ASSERT_TRUE(x.startCompositor());
    ASSERT_NO_FATAL_FAILURE(launch({{"HUDDLEPOD_DEBUG_LOG", home.filePath("drive.log")}}));
    ASSERT_NO_FATAL_FAILURE(showPanel());
    ASSERT_TRUE(waitWindowSize({440 + 2 * shadow, 560 + 2 * shadow}));
    QRect surface = panel()->adjusted(shadow, shadow, -shadow, -shadow);
    const auto looksComposed = [&] {
        return isShaded(QPoint(surface.center().x(), surface.bottom() + 3)) && isBackdrop(surface.topLeft());
    };
    ASSERT_TRUE(XServerHarness::waitFor(looksComposed));
    screenshot("compositor-on");
    // Captures frame the panel, not its shadow.
    EXPECT_TRUE(errors.contains(
        QStringLiteral("CAPTURE-RECT panel %1,%2,440,560\n").arg(surface.x()).arg(surface.y()).toUtf8()))
        << errors.toStdString();

    ASSERT_TRUE(x.stopCompositor());
    ASSERT_TRUE(waitWindowSize({440, 560}));
    EXPECT_EQ(panel()->topLeft(), surface.topLeft()); // the panel itself stays put
    // The cut corner shows the root window, never black.
    ASSERT_TRUE(XServerHarness::waitFor([&] { return at(surface.topLeft()) == root; }))
        << std::hex << at(surface.topLeft());
    EXPECT_EQ(at(surface.bottomRight()), root);
    EXPECT_EQ(at(QPoint(surface.center().x(), surface.bottom() + 3)), root);
    screenshot("compositor-off");

    ASSERT_TRUE(x.startCompositor());
    ASSERT_TRUE(waitWindowSize({440 + 2 * shadow, 560 + 2 * shadow}));
    surface = panel()->adjusted(shadow, shadow, -shadow, -shadow);
    ASSERT_TRUE(XServerHarness::waitFor(looksComposed));
    screenshot("compositor-again");
    // The window made anew for the compositor has the keyboard: Escape on the empty field hides it.
    xdotool({"key", "Escape"});
    ASSERT_TRUE(waitPanel(false));
    ASSERT_NO_FATAL_FAILURE(showPanel());
    ASSERT_TRUE(XServerHarness::waitFor(looksComposed));
    // The shadow is not the panel: a press there is a click elsewhere.
    const QPoint onShadow(surface.center().x(), surface.bottom() + 8);
    xdotool({"mousemove", QString::number(onShadow.x()), QString::number(onShadow.y()), "click", "1"});
    ASSERT_TRUE(waitPanel(false));
}

// Under a bar that reserves the top 26 pixels, on every desktop: the panel itself (the window without its
// shadow band) sits 6 pixels under the bar and 8 from the screen's right edge, composited or not, and stays
// there as compositing comes and goes while it is shown or hidden.
struct DesktopCase {
    const char* name;
    bool xfwm; // else Openbox, with xcompmgr as the compositor
    bool composedAtStart;
};

void PrintTo(const DesktopCase& row, std::ostream* out) {
    *out << row.name;
}

class UnderBar : public Desktop, public ::testing::WithParamInterface<DesktopCase> {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(Desktop::SetUp()); // the bar first, so the manager takes its strut in
        ASSERT_TRUE(GetParam().xfwm ? x.startXfwm() : x.startWindowManager());
        ASSERT_TRUE(x.setRootColour(root));
        ASSERT_TRUE(XServerHarness::waitFor([this] { return x.workArea() == QRect(0, 26, 1280, 774); }))
            << "work area: " << describe(x.workArea());
        if (GetParam().xfwm != GetParam().composedAtStart) { // xfwm4 starts composing, Openbox does not
            ASSERT_TRUE(setCompositing(GetParam().composedAtStart));
        }
        ASSERT_NO_FATAL_FAILURE(launch());
        ASSERT_NO_FATAL_FAILURE(showPanel());
    }
    bool setCompositing(bool on) {
        if (GetParam().xfwm) {
            return x.setXfwmCompositing(on);
        }
        return on ? x.startCompositor() : x.stopCompositor();
    }
    void hidePanel() {
        xdotool({"key", "ctrl+alt+s"});
        ASSERT_TRUE(waitPanel(false));
    }
    // The panel at 832,32 (1280 - 8 - 440, 26 + 6), its window 20 pixels larger all round when composited,
    // and drawn there in the screenshot `shot`: its rounded corners and the edge beside it show the backdrop,
    // its middle does not. Shot again until it does: a compositor that has just started may not have painted.
    ::testing::AssertionResult panelInPlace(bool composited, const QString& shot) {
        const QRect expected = composited ? QRect(812, 12, 480, 600) : QRect(832, 32, 440, 560);
        if (!XServerHarness::waitFor([&] { return panel() == expected; })) {
            return ::testing::AssertionFailure()
                   << "panel window " << describe(panel()) << ", expected " << describe(expected);
        }
        const QRect surface(832, 32, 440, 560);
        QImage image;
        const auto colour = [&](QPoint point) { return unsigned(image.pixel(point)) & 0xffffffu; };
        const auto drawn = [&] {
            image = QImage(screenshot(shot));
            return !image.isNull() && isBackdrop(colour(surface.topLeft())) &&
                   isBackdrop(colour(surface.bottomRight())) &&
                   isBackdrop(colour(QPoint(surface.left() - 1, surface.center().y()))) &&
                   !isBackdrop(colour(surface.center()));
        };
        if (!XServerHarness::waitFor(drawn)) {
            return ::testing::AssertionFailure()
                   << std::hex << "corners " << colour(surface.topLeft()) << " "
                   << colour(surface.bottomRight()) << ", middle " << colour(surface.center());
        }
        return ::testing::AssertionSuccess();
    }
};

TEST_P(UnderBar, thePanelItselfSitsUnderTheBarWhetherCompositedOrNot) {
    const std::optional<QRect> bar = window({"--classname", "^panel$"});
    ASSERT_TRUE(bar.has_value());
    EXPECT_EQ(bar->top(), 0);
    EXPECT_EQ(bar->height(), 26);
    EXPECT_EQ(bar->right(), 1279);

    // Compositing turned the other way before each step but the first, with the panel shown or hidden.
    enum class Toggle { none, whileShown, whileHidden };
    const Toggle steps[] = {Toggle::none, Toggle::whileShown, Toggle::whileShown, Toggle::whileHidden,
                            Toggle::whileHidden};
    bool composited = GetParam().composedAtStart;
    int index = 0;
    for (const Toggle toggle : steps) {
        if (toggle != Toggle::none) {
            composited = !composited;
            if (toggle == Toggle::whileHidden) {
                ASSERT_NO_FATAL_FAILURE(hidePanel());
            }
            ASSERT_TRUE(setCompositing(composited));
            if (toggle == Toggle::whileHidden) {
                ASSERT_NO_FATAL_FAILURE(showPanel());
            }
        }
        const QString label = QStringLiteral("%1-%2-%3%4")
                                  .arg(QLatin1String(GetParam().name))
                                  .arg(++index)
                                  .arg(composited ? "composited" : "opaque")
                                  .arg(toggle == Toggle::whileHidden ? "-reshown" : "");
        EXPECT_TRUE(panelInPlace(composited, label)) << label.toStdString();
    }
}

// Docks of other programs that reserve nothing, with no window manager: down a side of the screen, where the
// panel keeps 8 pixels from them, and along the bottom, mapped right before a show.
class Docks : public Desktop {
protected:
    void SetUp() override {} // each test starts its own tray
    void startWith(XServerHarness::BarEdge trayEdge, bool trayAtRightEnd) {
        ASSERT_TRUE(x.isRunning());
        ASSERT_TRUE(x.startTrayHostAt(trayEdge, 0, trayAtRightEnd));
        QObject::connect(&app, &QProcess::readyReadStandardError,
                         [this] { errors += app.readAllStandardError(); });
        ASSERT_NO_FATAL_FAILURE(launch());
    }
    bool panelIs(const QRect& expected) {
        return XServerHarness::waitFor([&] { return panelOnScreen() == expected; });
    }
};

// trayer at the top's left end (the panel pushed right of its icon) or its right end, a dock down that side
// below it, and the panel.
struct SideDock {
    const char* name;
    bool trayAtRightEnd;
    QRect dock;
    QRect panel;
};

void PrintTo(const SideDock& row, std::ostream* out) {
    *out << row.name;
}

class SideDocks : public Docks, public ::testing::WithParamInterface<SideDock> {};

TEST_P(SideDocks, aStrutlessDockDownTheSideKeepsThePanel8PixelsFromIt) {
    x.mapDock(GetParam().dock);
    ASSERT_NO_FATAL_FAILURE(startWith(XServerHarness::BarEdge::top, GetParam().trayAtRightEnd));
    ASSERT_NO_FATAL_FAILURE(showPanel());
    EXPECT_TRUE(panelIs(GetParam().panel)) << describe(panelOnScreen());
    screenshot(QStringLiteral("strutless-dock-%1").arg(GetParam().name));
}

INSTANTIATE_TEST_SUITE_P(Sides, SideDocks,
                         ::testing::Values(SideDock{"left", false, {0, 26, 30, 774}, {38, 32, 440, 560}},
                                           SideDock{"right", true, {1250, 26, 30, 774}, {802, 32, 440, 560}}),
                         [](const ::testing::TestParamInfo<SideDock>& row) {
                             return std::string(row.param.name);
                         });

// Ctrl+Alt+S pressed right behind the map, with no wait between: the show already counts the new dock, also
// when it takes the id of a bar just destroyed.
TEST_F(Docks, aDockMappedRightBeforeAShowCountsForIt) {
    ASSERT_NO_FATAL_FAILURE(startWith(XServerHarness::BarEdge::bottom, true));
    ASSERT_NO_FATAL_FAILURE(showPanel());
    EXPECT_TRUE(panelIs(QRect(832, 774 - 8 - 560, 440, 560))) << describe(panelOnScreen());
    const std::vector<std::uint32_t> ctrlAltS{0xffe3, 0xffe9, 's'};
    std::uint32_t id = 0;
    // A dock 100 px high, then one 160 px high under the first one's id once it is gone.
    for (const int height : {100, 160}) {
        SCOPED_TRACE(height);
        xdotool({"key", "ctrl+alt+s"});
        ASSERT_TRUE(waitPanel(false));
        if (id != 0) {
            x.destroyDock(id);
        }
        const int shows = int(errors.count("typeable field"));
        const std::uint32_t mapped = x.mapDock(QRect(0, 800 - height, 600, height), {}, id, ctrlAltS);
        ASSERT_TRUE(XServerHarness::waitFor([&] { return errors.count("typeable field") == shows + 1; }));
        EXPECT_TRUE(panelIs(QRect(832, 800 - height - 8 - 560, 440, 560))) << describe(panelOnScreen());
        screenshot(QStringLiteral("dock-mapped-before-show-%1").arg(height));
        EXPECT_TRUE(id == 0 || mapped == id);
        id = mapped;
    }
}

INSTANTIATE_TEST_SUITE_P(Desktops, UnderBar,
                         ::testing::Values(DesktopCase{"openbox", false, false},
                                           DesktopCase{"openbox-xcompmgr", false, true},
                                           DesktopCase{"xfwm4", true, true},
                                           DesktopCase{"xfwm4-compositor-off", true, false}),
                         [](const ::testing::TestParamInfo<DesktopCase>& row) {
                             std::string name = row.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
