// The program under i3 with i3bar's tray: i3 frames a new floating window with its default border before it
// reads the no-decoration hint, moving the panel, and i3bar reports a press on the icon while the button is
// still down; with i3bar along the top, and along the bottom with no work area published. Screenshots go to
// <build dir>/test-output/e2e/.
#include "tests/e2e/ProgramUnderX.h"
#include "tests/support/Bystander.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace {

using huddlepod::test::Bystander;
using huddlepod::test::XServerHarness;

class UnderI3 : public huddlepod::test::ProgramUnderX {
protected:
    // i3bar holds the tray here, not trayer.
    void SetUp() override {
        ASSERT_TRUE(x.isRunning());
        ASSERT_TRUE(x.startI3(barEdge));
        QObject::connect(&app, &QProcess::readyReadStandardError,
                         [this] { errors += app.readAllStandardError(); });
        other = std::make_unique<Bystander>(x.display(), QRect(0, 0, 400, 300));
        ASSERT_TRUE(XServerHarness::waitFor([this] {
            return placeOnRoot({"--name", "^bystander$"}).has_value();
        }));
        ASSERT_NO_FATAL_FAILURE(launch({{"HUDDLEPOD_DEBUG_LOG", home.filePath("drive.log")}}));
        bar = *placeOnRoot({"--class", "^i3bar$"});
        icon = *placeOnRoot({"--classname", "^huddlepod$"}, 64);
    }

    std::optional<QPoint> panelAt() const {
        const std::optional<QRect> window = panelOnScreen();
        return window ? std::optional(window->topLeft()) : std::nullopt;
    }
    // Where the last show placed the panel, as the program says it asked for it.
    std::optional<QPoint> asked() const {
        static const QRegularExpression line(
            QStringLiteral("CAPTURE-RECT panel (-?\\d+),(-?\\d+),440,560\n"));
        std::optional<QPoint> last;
        for (auto it = line.globalMatch(QString::fromUtf8(errors)); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            last = QPoint(match.captured(1).toInt(), match.captured(2).toInt());
        }
        return last;
    }
    bool shows(int count) {
        return XServerHarness::waitFor([&] { return errors.count("typeable field") >= count && panelAt(); });
    }
    // i3 answers on its socket once it has handled everything sent to it before.
    bool i3CaughtUp() { return x.run(QStringLiteral("i3-msg"), {"-q", "nop"}) == 0; }
    // The panel stays where placement put it once i3 has had its say.
    ::testing::AssertionResult landsWhereAsked() {
        XServerHarness::waitFor([&] { return panelAt() && panelAt() == asked(); });
        if (!i3CaughtUp() || !panelAt() || panelAt() != asked()) {
            return ::testing::AssertionFailure() << "asked " << asked().value_or(QPoint(-1, -1)).x() << ","
                                                 << asked().value_or(QPoint(-1, -1)).y() << ", landed "
                                                 << panelAt().value_or(QPoint(-1, -1)).x() << ","
                                                 << panelAt().value_or(QPoint(-1, -1)).y() << "\n"
                                                 << errors.toStdString();
        }
        return ::testing::AssertionSuccess();
    }
    void holdClick(QPoint at, const char* seconds) {
        xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "mousedown", "1", "sleep",
                 seconds, "mouseup", "1"});
    }

    XServerHarness::BarEdge barEdge = XServerHarness::BarEdge::top;
    std::unique_ptr<Bystander> other; // a plain window, which i3 tiles under the bar
    QRect bar;
    QRect icon;
};

TEST_F(UnderI3, aHeldClickOnTheIconOpensThePanelAttachedUnderTheBarAndAClickElsewhereHidesIt) {
    // i3bar with Lato 9 along the top, 20 px thick; its tray icon is smaller than that.
    EXPECT_EQ(bar, QRect(0, 0, 1280, 20));
    EXPECT_TRUE(bar.contains(icon)) << "the icon is in i3bar's tray";
    EXPECT_LT(icon.height(), bar.height());
    // Each held as a hand holds a click, at the icon's top row, its centre and its bottom row; i3bar's tray
    // reports the press, so the panel opens under it.
    const std::vector<std::pair<const char*, QPoint>> clicks{
        {"0.03", QPoint(icon.center().x(), icon.top())},
        {"0.1", icon.center()},
        {"0.15", QPoint(icon.center().x(), icon.bottom())},
    };
    int count = 0;
    QElapsedTimer sinceLastPress;
    for (const auto& [held, at] : clicks) {
        SCOPED_TRACE(held);
        // Apart by more than a double click's interval: the second press of a double click opens nothing.
        XServerHarness::waitFor([&] { return !sinceLastPress.isValid() || sinceLastPress.elapsed() > 500; });
        sinceLastPress.start();
        holdClick(at, held);
        ASSERT_TRUE(shows(++count)) << errors.toStdString();
        // 8 from the screen's right edge (1280 - 8 - 440) and 6 under the bar's bottom (20 + 6), not under
        // the icon's.
        ASSERT_TRUE(asked());
        EXPECT_EQ(asked()->x(), 832);
        EXPECT_EQ(asked()->y(), 26);
        EXPECT_TRUE(landsWhereAsked());
        if (count == 2) {
            screenshot("i3-attached");
        }
        // Not dragged: "Reset Panel Position" stays disabled, and a click on another window hides the panel
        // and reaches that window.
        EXPECT_EQ(storedOrigin(), std::nullopt);
        const std::size_t before = other->presses().size();
        xdotool({"mousemove", "100", "700", "click", "1"});
        ASSERT_TRUE(waitPanel(false));
        EXPECT_TRUE(XServerHarness::waitFor([&] { return other->presses().size() == before + 1; }));
    }
}

TEST_F(UnderI3, thePanelOpensUnderTheBarEvenWhenTheBarReservesNoStrip) {
    // i3bar as a dock that reserves nothing: only its type and its place along the top tell it is a bar.
    const QString barWindow = xdotool({"search", "--class", "^i3bar$"}).split('\n').value(0);
    ASSERT_FALSE(barWindow.isEmpty());
    for (const char* property : {"_NET_WM_STRUT_PARTIAL", "_NET_WM_STRUT"}) {
        ASSERT_EQ(x.run(QStringLiteral("xprop"), {"-id", barWindow, "-remove", property}), 0);
    }
    QProcess strut;
    strut.setProcessEnvironment(x.environment());
    strut.start(QStringLiteral("xprop"), {"-id", barWindow, "_NET_WM_STRUT_PARTIAL", "_NET_WM_WINDOW_TYPE"});
    ASSERT_TRUE(strut.waitForFinished(10000));
    const QString told = QString::fromUtf8(strut.readAllStandardOutput());
    ASSERT_TRUE(told.contains("_NET_WM_STRUT_PARTIAL:  not found") &&
                told.contains("_NET_WM_WINDOW_TYPE_DOCK"))
        << told.toStdString();
    holdClick(QPoint(icon.center().x(), icon.bottom()), "0.1");
    ASSERT_TRUE(shows(1)) << errors.toStdString();
    ASSERT_TRUE(asked());
    EXPECT_EQ(asked()->x(), 832);
    EXPECT_EQ(asked()->y(), 26);
    EXPECT_TRUE(landsWhereAsked());
}

TEST_F(UnderI3, aDraggedPanelReopensWhereItWasLeft) {
    xdotool({"key", "ctrl+alt+s"});
    ASSERT_TRUE(shows(1)) << errors.toStdString();
    ASSERT_TRUE(landsWhereAsked());
    const QPoint attached = *panelAt();
    // The search row's padding left of its glyph is the panel's background.
    const QPoint grip = attached + QPoint(5, 24);
    ASSERT_TRUE(drag(grip, QPoint(-200, 10), grip + QPoint(-400, 100),
                     [&] { return panelAt() && panelAt()->x() <= attached.x() - 350; }));
    ASSERT_TRUE(XServerHarness::waitFor([&] { return storedOrigin() && storedOrigin() == panelAt(); }));
    const QPoint detached = *panelAt();
    EXPECT_EQ(detached, attached + QPoint(-400, 100)) << "kept up with the pointer";
    screenshot("i3-detached");

    xdotool({"key", "ctrl+alt+s"});
    ASSERT_TRUE(waitPanel(false));
    xdotool({"key", "ctrl+alt+s"});
    ASSERT_TRUE(shows(2));
    EXPECT_EQ(asked(), detached);
    EXPECT_TRUE(landsWhereAsked());
    EXPECT_EQ(storedOrigin(), QPointF(detached));
    // Still detached: a click elsewhere leaves it open.
    xdotool({"mousemove", "100", "700", "click", "1"});
    xdotool({"key", "ctrl+alt+s"}); // had the click hidden it, this would show it again
    ASSERT_TRUE(waitPanel(false));
    EXPECT_EQ(errors.count("typeable field"), 2);
}

// i3's own default: the bar along the bottom. i3 publishes no work area.
class UnderI3WithTheBarAtTheBottom : public UnderI3 {
protected:
    UnderI3WithTheBarAtTheBottom() { barEdge = XServerHarness::BarEdge::bottom; }
};

TEST_F(UnderI3WithTheBarAtTheBottom, thePanelOpensEightPixelsAboveTheBarByAClickOnTheIconAndByTheShortcut) {
    EXPECT_EQ(bar, QRect(0, 780, 1280, 20));
    ASSERT_FALSE(x.workArea());
    // 8 from the screen's right edge (1280 - 8 - 440), its bottom edge 8 above the bar (780 - 8 - 560).
    const QPoint expected(832, 212);
    holdClick(icon.center(), "0.1");
    ASSERT_TRUE(shows(1)) << errors.toStdString();
    EXPECT_TRUE(XServerHarness::waitFor([&] { return panelAt() == expected; }) && i3CaughtUp());
    EXPECT_EQ(panelAt(), expected);
    screenshot("i3-bar-at-the-bottom-click");
    xdotool({"key", "Escape"});
    ASSERT_TRUE(waitPanel(false));

    xdotool({"key", "ctrl+alt+s"});
    ASSERT_TRUE(shows(2)) << errors.toStdString();
    EXPECT_TRUE(XServerHarness::waitFor([&] { return panelAt() == expected; }) && i3CaughtUp());
    EXPECT_EQ(panelAt(), expected);
    screenshot("i3-bar-at-the-bottom-shortcut");
}

} // namespace
