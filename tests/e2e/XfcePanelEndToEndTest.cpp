// The program under XFCE's own panel (xfce4-panel with its status tray, under xfwm4), as a StatusNotifier
// item and as an XEmbed icon: where the panel opens, as the server has it once mapped, for clicks anywhere on
// the icon, for the first shortcut after a restart, and once the panel has moved to the other edge.
#include "tests/e2e/ProgramUnderX.h"

#include <QElapsedTimer>

namespace {

using huddlepod::test::XServerHarness;
using Tray = XServerHarness::XfceTrayPlace;
using namespace std::chrono_literals;

enum class IconKind { statusNotifier, xembed };

class XfcePanelEndToEnd : public huddlepod::test::ProgramUnderX,
                          public ::testing::WithParamInterface<IconKind> {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.isRunning());
        ASSERT_TRUE(x.startSessionBus());
        QObject::connect(&app, &QProcess::readyReadStandardError,
                         [this] { errors += app.readAllStandardError(); });
    }

    // Starts the program (again); ready once its icon is in the tray.
    void startInTray(IconKind kind) {
        QMap<QString, QString> extra;
        if (kind == IconKind::statusNotifier) {
            extra.insert("DBUS_SESSION_BUS_ADDRESS", x.sessionBusAddress()); // else Qt takes the XEmbed tray
        }
        ASSERT_NO_FATAL_FAILURE(startProgram(extra));
        ASSERT_TRUE(XServerHarness::waitFor([&] { return icon(kind).has_value(); })) << errors.toStdString();
        // A StatusNotifier tray makes room for the item before it has its picture and takes clicks on it.
        ASSERT_TRUE(XServerHarness::waitFor([&] {
            const std::optional<QRect> shown = icon(kind);
            return shown && isDrawn(*shown);
        }));
    }
    // Whether the football's dark rim shows across the middle of the icon.
    bool isDrawn(const QRect& area) const {
        for (int column = area.left(); column <= area.right(); ++column) {
            const std::optional<unsigned> colour = x.pixel(column, area.center().y());
            if (colour && ((*colour >> 16) & 0xff) < 0x50 && ((*colour >> 8) & 0xff) < 0x50 &&
                (*colour & 0xff) < 0x50) {
                return true;
            }
        }
        return false;
    }
    void stopProgram() {
        app.terminate();
        ASSERT_TRUE(app.waitForFinished(10000));
    }

    // The icon as the user sees it: the embedded window, or the tray plugin's area (which holds only our
    // icon) once it has grown around a StatusNotifier item.
    std::optional<QRect> icon(IconKind kind) const {
        if (kind == IconKind::xembed) {
            return trayIcon();
        }
        if (x.registeredStatusNotifierItems().isEmpty()) {
            return std::nullopt;
        }
        const std::optional<QRect> plugin = window({"--classname", "^wrapper-2.0$"}, 200);
        return plugin && plugin->width() > 8 ? plugin : std::nullopt;
    }
    // The icon, read again until the tray has it laid out: a tray can be between two layouts when it is read.
    std::optional<QRect> settledIcon(IconKind kind) const {
        std::optional<QRect> found;
        XServerHarness::waitFor([&] { return (found = icon(kind)).has_value(); });
        return found;
    }
    std::optional<QRect> bar() const { return window({"--classname", "^xfce4-panel$"}); }
    // A window of the panel's or of its tray's shown beside the bar, not in it: a tool tip.
    std::optional<QRect> toolTip() const {
        const QRect strip = bar().value_or(QRect());
        for (const char* owner : {"^xfce4-panel$", "^wrapper-2.0$"}) {
            for (const QString& id : xdotool({"search", "--onlyvisible", "--classname", owner}).split('\n')) {
                QMap<QString, int> values;
                for (const QString& line : xdotool({"getwindowgeometry", "--shell", id}).split('\n')) {
                    values[line.section('=', 0, 0)] = line.section('=', 1).toInt();
                }
                const QRect shown(values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]);
                if (!id.isEmpty() && shown.isValid() && !strip.contains(shown)) {
                    return shown;
                }
            }
        }
        return std::nullopt;
    }

    // The panel as "x,y,width,height" once it is mapped and painted (the root is black), as the server has
    // it; "none" while it is not.
    QString shownPlace() const {
        const std::optional<QRect> shown = panelOnScreen();
        if (!shown || x.pixel(shown->center().x(), shown->center().y()).value_or(0) == 0) {
            return QStringLiteral("none");
        }
        return QStringLiteral("%1,%2,%3,%4")
            .arg(shown->x())
            .arg(shown->y())
            .arg(shown->width())
            .arg(shown->height());
    }
    // The panel comes to `place` and is painted there, whatever the window manager does once it is mapped.
    ::testing::AssertionResult shownAt(const char* place) const {
        if (XServerHarness::waitFor([&] { return shownPlace() == QLatin1String(place); })) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure()
               << "the panel is at " << shownPlace().toStdString() << ", not " << place << "\n"
               << errors.toStdString();
    }
    void hidePanel() {
        xdotool({"key", "Escape"});
        ASSERT_TRUE(waitPanel(false));
    }
    void clickAt(QPoint at) {
        // Past the double-click time since the last click, so that this one counts on its own.
        XServerHarness::waitFor([this] { return !sinceClick.isValid() || sinceClick.elapsed() > 600; });
        xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
        sinceClick.start();
    }
    void shortcut() { xdotool({"key", "ctrl+alt+s"}); }

    QElapsedTimer sinceClick;
};

TEST_P(XfcePanelEndToEnd, clicksAtTheTopAndTheBottomOfTheIconOpenThePanelSixPixelsUnderTheBar) {
    ASSERT_TRUE(x.startXfcePanel());
    ASSERT_EQ(bar(), QRect(0, 0, 1280, 29));
    ASSERT_NO_FATAL_FAILURE(startInTray(GetParam()));
    const std::optional<QRect> iconRect = settledIcon(GetParam());
    ASSERT_TRUE(iconRect);
    // Under the icon at the bar's right end, held 8 pixels from the screen's edge; 6 under the bar.
    clickAt({iconRect->center().x(), iconRect->top()});
    EXPECT_TRUE(shownAt("832,35,440,560"));
    // The pointer resting on the icon brings no box over the panel: no tool tip, nor the title in its place.
    std::optional<QRect> tip;
    EXPECT_FALSE(XServerHarness::waitFor([&] { return (tip = toolTip()).has_value(); }, 2s))
        << tip->x() << "," << tip->y() << " " << tip->width() << "x" << tip->height();
    screenshot(QStringLiteral("xfce-panel-icon-top-%1").arg(int(GetParam())));
    ASSERT_NO_FATAL_FAILURE(hidePanel());
    clickAt({iconRect->center().x(), iconRect->bottom()});
    EXPECT_TRUE(shownAt("832,35,440,560"));
    screenshot(QStringLiteral("xfce-panel-icon-bottom-%1").arg(int(GetParam())));
    ASSERT_NO_FATAL_FAILURE(hidePanel());
    // And the shortcut opens it there too.
    shortcut();
    EXPECT_TRUE(shownAt("832,35,440,560"));
}

INSTANTIATE_TEST_SUITE_P(Icons, XfcePanelEndToEnd,
                         ::testing::Values(IconKind::statusNotifier, IconKind::xembed), [](const auto& row) {
                             return row.param == IconKind::statusNotifier ? "StatusNotifier" : "XEmbed";
                         });

using XfcePanelRestartEndToEnd = XfcePanelEndToEnd;

TEST_F(XfcePanelRestartEndToEnd, afterARestartTheFirstShortcutOpensThePanelUnderTheIcon) {
    // The tray a third of the way along the bar: neither the bar's right end nor the screen's centre.
    ASSERT_TRUE(x.startXfcePanel(Tray::aThirdAlong));
    ASSERT_NO_FATAL_FAILURE(startInTray(IconKind::statusNotifier));
    // No place ever seen: the right end of the bar.
    shortcut();
    EXPECT_TRUE(shownAt("832,35,440,560"));
    ASSERT_NO_FATAL_FAILURE(hidePanel());

    const std::optional<QRect> iconRect = settledIcon(IconKind::statusNotifier);
    ASSERT_TRUE(iconRect);
    ASSERT_LT(iconRect->right(), 600);
    clickAt(iconRect->center());
    QString underIcon;
    ASSERT_TRUE(XServerHarness::waitFor([&] { return (underIcon = shownPlace()) != "none"; }));
    const QRect placed(underIcon.section(',', 0, 0).toInt(), underIcon.section(',', 1, 1).toInt(), 440, 560);
    EXPECT_LE(std::abs(placed.center().x() - iconRect->center().x()), 12) << underIcon.toStdString();
    EXPECT_EQ(placed.y(), 35);
    ASSERT_NO_FATAL_FAILURE(hidePanel());

    ASSERT_NO_FATAL_FAILURE(stopProgram());
    ASSERT_NO_FATAL_FAILURE(startInTray(IconKind::statusNotifier));
    shortcut();
    EXPECT_TRUE(shownAt(underIcon.toUtf8().constData()));
    screenshot("xfce-panel-first-shortcut-after-restart");
}

TEST_F(XfcePanelRestartEndToEnd,
       onceThePanelHasMovedToTheTopTheShortcutOpensUnderItsRightEndNotAtTheOldPlace) {
    ASSERT_TRUE(x.startXfcePanel(Tray::rightEnd, XServerHarness::BarEdge::bottom));
    ASSERT_NO_FATAL_FAILURE(startInTray(IconKind::statusNotifier));
    ASSERT_EQ(bar(), QRect(0, 771, 1280, 29));
    // Under the icon, its bottom edge 8 above the bar (771 - 8 - 560).
    const std::optional<QRect> iconRect = settledIcon(IconKind::statusNotifier);
    ASSERT_TRUE(iconRect);
    clickAt(iconRect->center());
    EXPECT_TRUE(shownAt("832,203,440,560"));
    ASSERT_NO_FATAL_FAILURE(hidePanel());

    ASSERT_TRUE(x.moveXfcePanel(XServerHarness::BarEdge::top));
    ASSERT_TRUE(XServerHarness::waitFor([&] { return bar() == QRect(0, 0, 1280, 29); }));
    // Before the icon is clicked again, and after a restart: 6 under the bar's right end.
    shortcut();
    EXPECT_TRUE(shownAt("832,35,440,560"));
    screenshot("xfce-panel-moved-to-the-top");
    ASSERT_NO_FATAL_FAILURE(hidePanel());
    ASSERT_NO_FATAL_FAILURE(stopProgram());
    ASSERT_NO_FATAL_FAILURE(startInTray(IconKind::statusNotifier));
    shortcut();
    EXPECT_TRUE(shownAt("832,35,440,560"));
}

} // namespace
