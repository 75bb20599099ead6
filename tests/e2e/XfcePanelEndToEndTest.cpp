// The program under XFCE's own panel (xfce4-panel with its status tray, under xfwm4), as a StatusNotifier
// item and as an XEmbed icon: where the panel opens for clicks anywhere on the icon, and where the first
// shortcut after a restart opens it.
#include "tests/e2e/ProgramUnderX.h"

#include <QElapsedTimer>

namespace {

using huddlepod::test::XServerHarness;
using Tray = XServerHarness::XfceTrayPlace;

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

    // Starts the program (again), its placements logged to a file of this run's own; ready once its icon
    // is in the tray.
    void startInTray(IconKind kind) {
        ++runs;
        QMap<QString, QString> extra{{"HUDDLEPOD_DEBUG_LOG", log()}};
        if (kind == IconKind::statusNotifier) {
            extra.insert("DBUS_SESSION_BUS_ADDRESS", x.sessionBusAddress()); // else Qt takes the XEmbed tray
        }
        ASSERT_NO_FATAL_FAILURE(startProgram(extra));
        ASSERT_TRUE(XServerHarness::waitFor([&] { return icon(kind).has_value(); })) << errors.toStdString();
        // A StatusNotifier tray makes room for the item before it has its picture and takes clicks on it.
        ASSERT_TRUE(XServerHarness::waitFor([&] { return isDrawn(*icon(kind)); }));
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
    QString log() const { return home.filePath(QStringLiteral("debug-%1.log").arg(runs)); }

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
    std::optional<QRect> bar() const { return window({"--classname", "^xfce4-panel$"}); }

    // Where the panel was put each time it was shown in this run, as "x,y,width,height".
    QStringList shows() const { return panelPlacements(log()); }
    // The next show's place once it has come, and the panel is on screen and painted (the root is black).
    QString nextShow(qsizetype before) {
        if (!XServerHarness::waitFor([&] { return shows().size() > before; }) || !waitPanel(true)) {
            return QStringLiteral("none");
        }
        const QString place = shows().back();
        const QPoint middle(place.section(',', 0, 0).toInt() + 220, place.section(',', 1, 1).toInt() + 280);
        if (!XServerHarness::waitFor([&] { return x.pixel(middle.x(), middle.y()).value_or(0) != 0; })) {
            return QStringLiteral("unpainted");
        }
        return place;
    }
    void hidePanel() {
        xdotool({"key", "Escape"});
        ASSERT_TRUE(waitPanel(false));
    }
    QString clickAt(QPoint at) {
        // Past the double-click time since the last click, so that this one counts on its own.
        XServerHarness::waitFor([this] { return !sinceClick.isValid() || sinceClick.elapsed() > 600; });
        const qsizetype before = shows().size();
        xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
        sinceClick.start();
        return nextShow(before);
    }
    QString shortcut() {
        const qsizetype before = shows().size();
        xdotool({"key", "ctrl+alt+s"});
        return nextShow(before);
    }

    int runs = 0;
    QElapsedTimer sinceClick;
};

TEST_P(XfcePanelEndToEnd, clicksAtTheTopAndTheBottomOfTheIconOpenThePanelSixPixelsUnderTheBar) {
    ASSERT_TRUE(x.startXfcePanel());
    ASSERT_EQ(bar(), QRect(0, 0, 1280, 29));
    ASSERT_NO_FATAL_FAILURE(startInTray(GetParam()));
    const QRect iconRect = *icon(GetParam());
    // Under the icon at the bar's right end, held 8 pixels from the screen's edge; 6 under the bar.
    EXPECT_EQ(clickAt({iconRect.center().x(), iconRect.top()}).toStdString(), "832,35,440,560")
        << errors.toStdString();
    screenshot(QStringLiteral("xfce-panel-icon-top-%1").arg(int(GetParam())));
    ASSERT_NO_FATAL_FAILURE(hidePanel());
    EXPECT_EQ(clickAt({iconRect.center().x(), iconRect.bottom()}).toStdString(), "832,35,440,560");
    screenshot(QStringLiteral("xfce-panel-icon-bottom-%1").arg(int(GetParam())));
    ASSERT_NO_FATAL_FAILURE(hidePanel());
    // And the shortcut opens it there too.
    EXPECT_EQ(shortcut().toStdString(), "832,35,440,560");
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
    EXPECT_EQ(shortcut().toStdString(), "832,35,440,560");
    ASSERT_NO_FATAL_FAILURE(hidePanel());

    const QRect iconRect = *icon(IconKind::statusNotifier);
    ASSERT_LT(iconRect.right(), 600);
    const QString underIcon = clickAt(iconRect.center());
    const QRect placed(underIcon.section(',', 0, 0).toInt(), underIcon.section(',', 1, 1).toInt(), 440, 560);
    EXPECT_LE(std::abs(placed.center().x() - iconRect.center().x()), 12) << underIcon.toStdString();
    EXPECT_EQ(placed.y(), 35);
    ASSERT_NO_FATAL_FAILURE(hidePanel());

    ASSERT_NO_FATAL_FAILURE(stopProgram());
    ASSERT_NO_FATAL_FAILURE(startInTray(IconKind::statusNotifier));
    EXPECT_EQ(shortcut().toStdString(), underIcon.toStdString());
    screenshot("xfce-panel-first-shortcut-after-restart");
}

} // namespace
