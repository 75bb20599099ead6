// The program on two monitors side by side (one Xvfb screen split with xrandr), 2880x1800 and 3840x2160
// device pixels, with trayer at the right end of the right one and Openbox keeping the bar's strip free: at
// scale 1, at Xft.dpi 192 (2x on both) and at 1x beside 2x. Where the panel and the icon's menu open, and
// that a click inside the open panel keeps it open and a drag by its background keeps it under the pointer.
// Every position is in X's device pixels. Screenshots go to <build dir>/test-output/e2e/.
#include "tests/e2e/ProgramUnderX.h"

#include <QElapsedTimer>

#include <ostream>
#include <string>

namespace {

using huddlepod::test::XServerHarness;

struct Setup {
    const char* name;
    int xftDpi;               // 0: none set
    const char* scaleFactors; // QT_SCREEN_SCALE_FACTORS, one per monitor; empty: none
    // Qt reads the work area on several monitors only when asked to (QT_RELY_ON_NET_WORKAREA_ATOM); until
    // then each screen's available area is all of it.
    bool workAreaKnown;
    int rightRatio; // the right monitor's scale
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
        icon = *trayIcon();
        ASSERT_TRUE(rightMonitor.contains(icon)) << icon.x() << "," << icon.y();
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

std::string setupName(const ::testing::TestParamInfo<Setup>& row) {
    return row.param.name;
}

INSTANTIATE_TEST_SUITE_P(Scales, TwoMonitors,
                         ::testing::Values(Setup{"scale1", 0, "", true, 1},
                                           Setup{"xftdpi192", 192, "", false, 2},
                                           Setup{"xftdpi192WorkArea", 192, "", true, 2},
                                           Setup{"mixed1and2", 0, "1;2", true, 2}),
                         setupName);

} // namespace
