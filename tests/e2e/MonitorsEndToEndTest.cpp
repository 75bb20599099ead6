// The program on two monitors side by side (one Xvfb screen split with xrandr), 2880x1800 and 3840x2160
// device pixels, with trayer at the right end of the right one and Openbox keeping the bar's strip free: at
// scale 1, at Xft.dpi 192 (2x on both) and at 1x beside 2x. Where the panel and the icon's menu open, and
// that a click inside the open panel keeps it open and a drag by its background keeps it under the pointer;
// and, at 1x beside 2x, that the panel's window and its shapes follow the scale of the monitor it is on, as
// they follow a new scale of a screen while the panel is open.
// Every position is in X's device pixels. Screenshots go to <build dir>/test-output/e2e/.
#include "platform/x11/X11Native.h"
#include "tests/e2e/ProgramUnderX.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QRegion>
#include <QtEndian>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

namespace {

using huddlepod::test::XServerHarness;
using huddlepod::x11::Reply;

struct Setup {
    const char* name;
    int xftDpi;               // 0: none set
    const char* scaleFactors; // QT_SCREEN_SCALE_FACTORS, one per monitor; empty: none
    // Qt reads the work area on several monitors only when asked to (QT_RELY_ON_NET_WORKAREA_ATOM); until
    // then each screen's available area is all of it.
    bool workAreaKnown;
    int leftRatio; // each monitor's scale
    int rightRatio;
    bool composited = false; // xcompmgr runs
};

void PrintTo(const Setup& setup, std::ostream* out) {
    *out << setup.name;
}

const QRect leftMonitor(0, 0, 2880, 1800);
const QRect rightMonitor(2880, 0, 3840, 2160);
constexpr int barHeight = 26; // trayer's, in device pixels whatever the scale

class TwoMonitors : public huddlepod::test::ProgramUnderX, public ::testing::WithParamInterface<Setup> {
protected:
    TwoMonitors()
        : ProgramUnderX(QSize(6720, 2160)) {}

    void SetUp() override {
        ASSERT_TRUE(x.isRunning());
        ASSERT_TRUE(x.splitIntoMonitors({leftMonitor, rightMonitor}));
        if (GetParam().xftDpi != 0) {
            ASSERT_TRUE(x.setXftDpi(GetParam().xftDpi));
        }
        ASSERT_TRUE(x.startTrayHostOnMonitor(1));
        ASSERT_TRUE(x.startWindowManager());
        if (GetParam().composited) {
            ASSERT_TRUE(x.startCompositor());
        }
        ASSERT_TRUE(
            XServerHarness::waitFor([this] { return x.workArea() && x.workArea()->top() == barHeight; }));
        QObject::connect(&app, &QProcess::readyReadStandardError,
                         [this] { errors += app.readAllStandardError(); });
        QMap<QString, QString> env;
        if (GetParam().workAreaKnown) {
            env.insert("QT_RELY_ON_NET_WORKAREA_ATOM", "1");
        }
        if (*GetParam().scaleFactors != '\0') {
            env.insert("QT_SCREEN_SCALE_FACTORS", GetParam().scaleFactors);
        }
        ASSERT_NO_FATAL_FAILURE(launch(env));
        // Once the tray has placed it: on a busy machine it is first seen where trayer took it in.
        const bool placed = XServerHarness::waitFor([this] {
            const std::optional<QRect> found = trayIcon();
            icon = found.value_or(QRect());
            return found && rightMonitor.contains(icon);
        });
        ASSERT_TRUE(placed) << icon.x() << "," << icon.y();
    }

    void clickAt(QPoint at, int button = 1) {
        xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click",
                 QString::number(button)});
    }
    QString shotName(const char* what) const {
        return QStringLiteral("two-monitors-%1-%2").arg(GetParam().name, what);
    }

    QRect icon;
    static constexpr const char* ready = "[huddlepod] hotkey → typeable field: ";
};

TEST_P(TwoMonitors, aClickOnTheIconOpensThePanelUnderItOnItsMonitorAndAClickInsideKeepsItOpen) {
    const int r = GetParam().rightRatio;
    clickAt(icon.center());
    ASSERT_TRUE(XServerHarness::waitFor([this] { return errors.count(ready) == 1; })) << errors.toStdString();
    ASSERT_TRUE(waitPanel(true));
    screenshot(shotName("panel"));
    // At the right end of the right monitor: 8 px from its edge, 6 px under the bar (whose lower edge the
    // icon's meets), both at its scale.
    EXPECT_EQ(*panel(), QRect(6720 - (440 + 8) * r, barHeight + 6 * r, 440 * r, 560 * r));

    QElapsedTimer sinceOpened;
    sinceOpened.start();
    XServerHarness::waitFor([&] { return sinceOpened.elapsed() > 500; }); // not a double click
    clickAt(panel()->center());
    EXPECT_FALSE(XServerHarness::waitFor([this] { return !panel(); }, std::chrono::seconds(1)));
    xdotool({"key", "ctrl+alt+s"}); // hides it; had the click hidden it, this would show it again
    ASSERT_TRUE(waitPanel(false));
    EXPECT_EQ(errors.count(ready), 1);
}

TEST_P(TwoMonitors, theIconsMenuOpensUnderTheIcon) {
    const int r = GetParam().rightRatio;
    clickAt(icon.center(), 3);
    ASSERT_TRUE(XServerHarness::waitFor([&] { return window({"--name", "^Huddlepod menu$"}).has_value(); }));
    screenshot(shotName("menu"));
    const QRect menu = *window({"--name", "^Huddlepod menu$"});
    // 5 px under the icon's bar (a device pixel either way where the bar's edge falls between two at 2x),
    // starting at the icon's left edge unless moved left to stay on the icon's monitor.
    EXPECT_NEAR(menu.top(), barHeight + 5 * r, r - 1);
    EXPECT_TRUE(rightMonitor.contains(menu)) << menu.x() << "," << menu.y();
    EXPECT_LE(menu.left(), icon.left());
    EXPECT_GT(menu.right(), icon.left());
    xdotool({"key", "Escape"});
}

TEST_P(TwoMonitors, aDragByThePanelsBackgroundKeepsItUnderThePointer) {
    const int r = GetParam().rightRatio;
    clickAt(icon.center());
    ASSERT_TRUE(XServerHarness::waitFor([this] { return errors.count(ready) == 1; })) << errors.toStdString();
    ASSERT_TRUE(waitPanel(true));
    const QRect attached = *panel();
    // The search row's padding left of its glyph is the panel's background. Past the drag distance Openbox
    // takes the move over from where the program says the button went down.
    const QPoint grip = attached.topLeft() + QPoint(5, 24) * r;
    ASSERT_TRUE(drag(grip, QPoint(-200, -10), grip + QPoint(-400, 100),
                     [&] { return panel() && panel()->left() <= attached.left() - 150; }));
    ASSERT_TRUE(XServerHarness::waitFor([&] { return storedOrigin().has_value(); }));
    screenshot(shotName("dragged"));
    EXPECT_EQ(panel()->topLeft(), attached.topLeft() + QPoint(-400, 100));
    // Stored in Qt's coordinates: the right monitor keeps its device origin and divides the rest by its
    // scale.
    EXPECT_EQ(storedOrigin(), QPointF(2880 + (attached.left() - 400 - 2880) / r, (attached.top() + 100) / r));
}

// The panel's window as the X server has it, in device pixels: where it is, where it is drawn (the bounding
// shape) and where it takes presses (the input shape), both in its own coordinates, and the shadow band it
// announces.
struct PanelShape {
    QRect window;
    QRegion bounding;
    QRegion input;
    std::vector<uint32_t> band; // left, right, top, bottom
};

void PrintTo(const PanelShape& shape, std::ostream* out) {
    const auto describe = [](const QRect& box) {
        return std::to_string(box.width()) + "x" + std::to_string(box.height()) + "+" +
               std::to_string(box.x()) + "+" + std::to_string(box.y());
    };
    *out << describe(shape.window) << ", drawn " << describe(shape.bounding.boundingRect()) << ", input "
         << describe(shape.input.boundingRect()) << ", band of";
    for (const uint32_t width : shape.band) {
        *out << " " << width;
    }
}

// `rect` with its corners rounded at 12 px times the ratio: 2 px in along a corner's diagonal is cut off, 5
// px in is not, and the straight edges start 12 px from the corners.
bool isRounded(const QRegion& shape, const QRect& rect, int ratio) {
    bool rounded = shape.boundingRect() == rect;
    for (const QPoint corner : {rect.topLeft(), rect.topRight(), rect.bottomLeft(), rect.bottomRight()}) {
        const QPoint in(corner.x() == rect.left() ? ratio : -ratio,
                        corner.y() == rect.top() ? ratio : -ratio);
        rounded = rounded && !shape.contains(corner + 2 * in) && shape.contains(corner + 5 * in) &&
                  shape.contains(corner + QPoint(12 * in.x(), 0)) &&
                  shape.contains(corner + QPoint(0, 12 * in.y()));
    }
    return rounded;
}

// The panel at that scale. Under a compositor the whole window is drawn and the rounded panel alone takes
// presses, within a band of 20 px times the scale; without one the window is cut to the rounded panel.
bool fits(const PanelShape& shape, int ratio, bool composited) {
    const int band = composited ? 20 * ratio : 0;
    const QRect whole(0, 0, 440 * ratio + 2 * band, 560 * ratio + 2 * band);
    const QRect surface = whole.adjusted(band, band, -band, -band);
    return shape.window.size() == whole.size() &&
           isRounded(composited ? shape.input : shape.bounding, surface, ratio) &&
           (composited ? shape.bounding : shape.input) == QRegion(whole) &&
           shape.band == std::vector<uint32_t>(band != 0 ? 4 : 0, band);
}

constexpr unsigned backdrop = 0x3366cc; // the root window's colour

// Drawn to its lower right corner in the colour of the page's background near its top left (60 px in, 300
// down), not only as far as the window reached at the old scale.
bool isFilled(const XServerHarness& x, const PanelShape& shape) {
    const QPoint lowerRight = shape.window.bottomRight() - QPoint(60, 60);
    const QPoint upperLeft = shape.window.topLeft() + QPoint(60, 300);
    const std::optional<unsigned> page = x.pixel(upperLeft.x(), upperLeft.y());
    return page && *page != backdrop && x.pixel(lowerRight.x(), lowerRight.y()) == page;
}

// Reads the panel's window on a connection of its own.
class PanelShapes {
public:
    explicit PanelShapes(const QString& display)
        : connection_(xcb_connect(display.toLocal8Bit().constData(), nullptr)) {
        const Reply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, 18, "_GTK_FRAME_EXTENTS"), nullptr));
        band_ = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    ~PanelShapes() { xcb_disconnect(connection_); }

    // Asked all at once, so the answers tell of one moment.
    std::optional<PanelShape> read(xcb_window_t window) const {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const auto geometry = xcb_get_geometry(connection_, window);
        const auto place = xcb_translate_coordinates(connection_, window, root, 0, 0);
        const auto bounding = xcb_shape_get_rectangles(connection_, window, XCB_SHAPE_SK_BOUNDING);
        const auto input = xcb_shape_get_rectangles(connection_, window, XCB_SHAPE_SK_INPUT);
        const auto band = xcb_get_property(connection_, 0, window, band_, XCB_ATOM_CARDINAL, 0, 4);
        const Reply<xcb_get_geometry_reply_t> size(xcb_get_geometry_reply(connection_, geometry, nullptr));
        const Reply<xcb_translate_coordinates_reply_t> at(
            xcb_translate_coordinates_reply(connection_, place, nullptr));
        PanelShape shape;
        if (size && at) {
            shape.window = QRect(at->dst_x, at->dst_y, size->width, size->height);
        }
        for (const auto& [cookie, region] :
             {std::pair{bounding, &shape.bounding}, std::pair{input, &shape.input}}) {
            const Reply<xcb_shape_get_rectangles_reply_t> rects(
                xcb_shape_get_rectangles_reply(connection_, cookie, nullptr));
            for (int i = 0; rects && i < xcb_shape_get_rectangles_rectangles_length(rects.get()); ++i) {
                const xcb_rectangle_t r = xcb_shape_get_rectangles_rectangles(rects.get())[i];
                *region += QRect(r.x, r.y, r.width, r.height);
            }
        }
        const Reply<xcb_get_property_reply_t> values(xcb_get_property_reply(connection_, band, nullptr));
        if (values && values->format == 32) {
            const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(values.get()));
            shape.band.assign(data, data + xcb_get_property_value_length(values.get()) / 4);
        }
        return size && at ? std::optional(shape) : std::nullopt;
    }

private:
    xcb_connection_t* connection_;
    xcb_atom_t band_;
};

using AcrossScales = TwoMonitors;

// Opened on the right monitor, dragged across and back, and reopened after each drag, the panel's window, its
// mask and its input shape take the scale of the monitor that holds the window's centre. Each drag drops the
// centre 100 px past the monitors' edge: at 2x left of 1x the window, grown or shrunk about its top-left
// corner, would reach back over it, and must still settle on one side.
TEST_P(AcrossScales, theWindowItsMaskAndItsInputShapeFollowTheScaleOfTheMonitorItIsOn) {
    const int edge = rightMonitor.left();
    const bool composited = GetParam().composited;
    const int band = composited ? 20 : 0;
    ASSERT_TRUE(x.setRootColour(backdrop));
    clickAt(icon.center());
    ASSERT_TRUE(XServerHarness::waitFor([this] { return errors.count(ready) == 1; })) << errors.toStdString();
    ASSERT_TRUE(waitPanel(true));
    const PanelShapes shapes(x.display());
    const xcb_window_t window =
        xdotool({"search", "--onlyvisible", "--name", "^Huddlepod search$"}).section('\n', 0, 0).toUInt();
    int ratio = GetParam().rightRatio;
    for (const char* step : {"opened", "dragged-left", "reopened-left", "dragged-right", "reopened-right"}) {
        SCOPED_TRACE(step);
        const bool toLeft = QByteArray(step).endsWith("left");
        if (QByteArray(step).startsWith("dragged")) {
            const QRect at = *panel();
            const QPoint grip = at.topLeft() + QPoint(band + 5, band + 24) * ratio;
            const QPoint target = grip + QPoint((toLeft ? edge - 100 : edge + 100) - at.center().x(), 0);
            // Taken once the centre is across, or once the window manager holds the window where the pointer
            // put it: at 2x left of 1x the window shrunk on the right reaches back over the edge, and may
            // stay there at 1x while the button is down; it settles on one side once the button is up.
            const int droppedLeft = at.left() + target.x() - grip.x();
            ASSERT_TRUE(drag(grip, (target - grip) / 4, target,
                             [&] {
                                 const std::optional<QRect> now = panel();
                                 return now && ((now->center().x() < edge) == toLeft ||
                                                std::abs(now->left() - droppedLeft) <= 1);
                             }))
                << "panel at " << QDebug::toString(panel().value_or(QRect())).toStdString();
        } else if (QByteArray(step).startsWith("reopened")) {
            xdotool({"key", "ctrl+alt+s"});
            ASSERT_TRUE(waitPanel(false));
            ASSERT_NO_FATAL_FAILURE(showPanel());
        }
        std::optional<PanelShape> shape;
        const auto ratioThere = [&] {
            return leftMonitor.contains(shape->window.center()) ? GetParam().leftRatio
                                                                : GetParam().rightRatio;
        };
        EXPECT_TRUE(XServerHarness::waitFor([&] {
            return (shape = shapes.read(window)) && fits(*shape, ratioThere(), composited) &&
                   isFilled(x, *shape);
        })) << ::testing::PrintToString(shape)
            << (shape && fits(*shape, ratioThere(), composited) ? ", fits" : "")
            << (shape && isFilled(x, *shape) ? ", filled" : "");
        ratio = shape ? ratioThere() : ratio;
        screenshot(shotName(step));
    }
}

// An XSETTINGS blob with Xft/DPI alone, in 1024ths of a dot per inch, least significant byte first: the
// header (byte order, 3 unused, serial, count 1), then the integer setting (type 0, 1 unused, name length 7,
// the name and 1 byte of padding, its serial, the value). The serial is the value, so that each new one
// counts as new.
QByteArray dpiSettings(int dpi) {
    const auto card32 = [](uint32_t value) {
        const uint32_t bytes = qToLittleEndian(value);
        return QByteArray(reinterpret_cast<const char*>(&bytes), 4);
    };
    const uint32_t value = uint32_t(dpi) * 1024;
    return QByteArray(4, '\0') + card32(value) + card32(1) + QByteArray("\x00\x00\x07\x00", 4) + "Xft/DPI" +
           QByteArray(1, '\0') + card32(value) + card32(value);
}

// One screen, large enough for the panel at 2x, whose scale the desktop's settings manager sets (as XFCE's
// font settings do) and changes while the panel is open.
class NewScale : public huddlepod::test::ProgramUnderX {
protected:
    NewScale()
        : ProgramUnderX(QSize(2560, 1600)) {}
};

TEST_F(NewScale, thePanelOpenWhenTheScaleChangesTakesTheWindowAndShapesOfTheNewScaleAndFillsThem) {
    ASSERT_TRUE(x.setRootColour(backdrop));
    ASSERT_TRUE(x.ownXsettings(dpiSettings(96)));
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_NO_FATAL_FAILURE(showPanel());
    const PanelShapes shapes(x.display());
    const xcb_window_t window =
        xdotool({"search", "--onlyvisible", "--name", "^Huddlepod search$"}).section('\n', 0, 0).toUInt();
    for (const int ratio : {1, 2}) {
        ASSERT_TRUE(x.ownXsettings(dpiSettings(96 * ratio)));
        std::optional<PanelShape> shape;
        EXPECT_TRUE(XServerHarness::waitFor([&] {
            return (shape = shapes.read(window)) && fits(*shape, ratio, false) && isFilled(x, *shape);
        })) << ratio
            << "x: " << ::testing::PrintToString(shape);
    }
    screenshot(QStringLiteral("new-scale-2x"));
}

// A bar along the bottom of the right of two monitors, holding the icon: trayer reserving its strip counted
// from the root's bottom (below a shorter monitor, on none), or (`ownStrip`) trayer reserving nothing beside
// another bar that reserves its monitor's bottom strip as desktop bars do. Openbox publishes the work area,
// or no manager runs.
struct BottomLayout {
    const char* name;
    QSize root;
    QRect left; // device pixels
    QRect right;
    const char* scaleFactors;
    int rightRatio;
    bool manager;
    bool ownStrip = false;
};

void PrintTo(const BottomLayout& layout, std::ostream* out) {
    *out << layout.name;
}

class BottomBar : public huddlepod::test::ProgramUnderX, public ::testing::WithParamInterface<BottomLayout> {
protected:
    BottomBar()
        : ProgramUnderX(GetParam().root) {}

    void SetUp() override {
        const BottomLayout& layout = GetParam();
        ASSERT_TRUE(x.isRunning());
        ASSERT_TRUE(x.splitIntoMonitors({layout.left, layout.right}));
        ASSERT_TRUE(x.startTrayHostAt(XServerHarness::BarEdge::bottom, 1, true, !layout.ownStrip));
        barTop = layout.right.bottom() + 1 - barHeight;
        if (layout.ownStrip) {
            // Along the monitor's bottom up to 200 px short of its right end, where trayer sits.
            const QRect r = layout.right;
            const QRect place(r.left(), barTop, r.width() - 200, barHeight);
            x.mapDock(place, {0, 0, 0, uint32_t(layout.root.height() - barTop), 0, 0, 0, 0, 0, 0,
                              uint32_t(r.left()), uint32_t(r.right())});
        }
        if (layout.manager) {
            ASSERT_TRUE(x.startWindowManager());
            ASSERT_TRUE(XServerHarness::waitFor(
                [this] { return x.workArea() && x.workArea()->bottom() < GetParam().root.height() - 1; }));
        }
        QObject::connect(&app, &QProcess::readyReadStandardError,
                         [this] { errors += app.readAllStandardError(); });
        QMap<QString, QString> env;
        if (*layout.scaleFactors != '\0') {
            env.insert("QT_SCREEN_SCALE_FACTORS", layout.scaleFactors);
        }
        ASSERT_NO_FATAL_FAILURE(launch(env));
        icon = placeOnRoot({"--classname", "^huddlepod$"}, 64).value_or(QRect());
        ASSERT_TRUE(layout.right.contains(icon)) << icon.x() << "," << icon.y();
    }

    // The panel as the server has it mapped: 8 px above the bar, at the icon (or 8 px from the monitor's
    // right end), at the monitor's scale.
    ::testing::AssertionResult aboveTheBarAtTheIcon(const char* how) {
        const int r = GetParam().rightRatio;
        const QRect monitor = GetParam().right;
        std::optional<QRect> at;
        const auto placed = [&] {
            at = panelOnScreen();
            if (!at || at->size() != QSize(440, 560) * r || at->bottom() + 1 != barTop - 8 * r) {
                return false;
            }
            const int atRightEnd = monitor.right() + 1 - 8 * r;
            return at->right() + 1 == atRightEnd ||
                   (at->right() + 1 < atRightEnd && std::abs(at->center().x() - icon.center().x()) <= r);
        };
        const bool ok = XServerHarness::waitFor(placed);
        screenshot(QStringLiteral("bottom-bar-%1-%2").arg(GetParam().name, how));
        if (!ok) {
            return ::testing::AssertionFailure()
                   << how << ": panel at " << (at ? at->x() : -1) << "," << (at ? at->y() : -1) << " "
                   << (at ? at->width() : 0) << "x" << (at ? at->height() : 0) << ", bar top " << barTop
                   << ", icon at " << icon.x() << "," << icon.y();
        }
        return ::testing::AssertionSuccess();
    }

    QRect icon;
    int barTop = 0;
};

TEST_P(BottomBar, thePanelOpensAboveTheBarAtTheIconByClickAndByShortcut) {
    xdotool(
        {"mousemove", QString::number(icon.center().x()), QString::number(icon.center().y()), "click", "1"});
    ASSERT_TRUE(XServerHarness::waitFor([this] { return errors.count("typeable field") == 1; }))
        << errors.toStdString();
    EXPECT_TRUE(aboveTheBarAtTheIcon("click"));
    xdotool({"key", "ctrl+alt+s"});
    ASSERT_TRUE(waitPanel(false));
    xdotool({"key", "ctrl+alt+s"});
    ASSERT_TRUE(XServerHarness::waitFor([this] { return errors.count("typeable field") == 2; }))
        << errors.toStdString();
    EXPECT_TRUE(aboveTheBarAtTheIcon("shortcut"));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, BottomBar,
    ::testing::Values(
        BottomLayout{"halves", {2880, 900}, {0, 0, 1440, 900}, {1440, 0, 1440, 900}, "", 1, true},
        BottomLayout{"oneBesideTwo", {4320, 1800}, {0, 0, 1440, 900}, {1440, 0, 2880, 1800}, "1;2", 2, true},
        BottomLayout{"tallTwoBesideShortOne",
                     {4320, 1800},
                     {0, 0, 2880, 1800},
                     {2880, 0, 1440, 900},
                     "2;1",
                     1,
                     true,
                     true},
        BottomLayout{"tallTwoBesideShortOneTrayer",
                     {4320, 1800},
                     {0, 0, 2880, 1800},
                     {2880, 0, 1440, 900},
                     "2;1",
                     1,
                     true},
        BottomLayout{"shorterBesideTallTwoNoManager",
                     {4800, 1800},
                     {0, 0, 2880, 1800},
                     {2880, 0, 1920, 1080},
                     "2;1",
                     1,
                     false}),
    [](const ::testing::TestParamInfo<BottomLayout>& row) { return std::string(row.param.name); });

std::string setupName(const ::testing::TestParamInfo<Setup>& row) {
    return row.param.name;
}

INSTANTIATE_TEST_SUITE_P(Scales, TwoMonitors,
                         ::testing::Values(Setup{"scale1", 0, "", true, 1, 1},
                                           Setup{"xftdpi192", 192, "", false, 2, 2},
                                           Setup{"xftdpi192WorkArea", 192, "", true, 2, 2},
                                           Setup{"mixed1and2", 0, "1;2", true, 1, 2}),
                         setupName);

INSTANTIATE_TEST_SUITE_P(Mixed, AcrossScales,
                         ::testing::Values(Setup{"mixed1and2", 0, "1;2", true, 1, 2},
                                           Setup{"mixed1and2Composited", 0, "1;2", true, 1, 2, true},
                                           Setup{"mixed2and1", 0, "2;1", true, 2, 1}),
                         setupName);

} // namespace
