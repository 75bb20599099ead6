// Presses on the panel's shadow band, with a compositor running, go where they would go were the panel not
// there: to a window of the test's own under the band, and to the tray icon the band covers. Under Openbox
// with xcompmgr, xfwm4 with its own compositor, and xcompmgr with no window manager. Screenshots go to
// <build dir>/test-output/e2e/.
#include "tests/e2e/ProgramUnderX.h"

#include "tests/support/Bystander.h"

#include <QImage>

#include <ostream>
#include <string>
#include <vector>

namespace {

using huddlepod::test::Bystander;
using huddlepod::test::XServerHarness;

enum class Manager { none, openbox, xfwm };

struct BandCase {
    const char* name;
    Manager manager; // xfwm4 composites itself; the others under xcompmgr
    // Where the panel itself opens: 6 pixels under the 26-pixel bar and 8 from the right edge once a manager
    // has read the bar's strut; without a manager placement follows the icon alone.
    std::optional<QPoint> surfaceAt;
};

void PrintTo(const BandCase& row, std::ostream* out) {
    *out << row.name;
}

class ShadowBand : public huddlepod::test::ProgramUnderX, public ::testing::WithParamInterface<BandCase> {
protected:
    static constexpr int band = 20; // the room the panel's window leaves for its shadow

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ProgramUnderX::SetUp()); // the bar first, so a manager takes its strut in
        switch (GetParam().manager) {
        case Manager::none:
            ASSERT_TRUE(x.startCompositor());
            break;
        case Manager::openbox:
            ASSERT_TRUE(x.startWindowManager());
            ASSERT_TRUE(x.startCompositor());
            break;
        case Manager::xfwm:
            ASSERT_TRUE(x.startXfwm());
            break;
        }
        ASSERT_TRUE(x.setRootColour(0x3366cc));
        ASSERT_NO_FATAL_FAILURE(launch());
        // Left of the tray, reaching under where the panel opens.
        bystander = std::make_unique<Bystander>(x.display(), QRect(480, 150, 700, 600));
        ASSERT_TRUE(XServerHarness::waitFor([this] { return bystander->geometry().has_value(); }));
    }
    void showPanel() {
        xdotool({"key", "ctrl+alt+s"});
        ASSERT_TRUE(waitPanel(true));
        // Composited: the window is the panel and its band all round.
        ASSERT_TRUE(XServerHarness::waitFor([this] { return panel() && panel()->width() == 440 + 2 * band; }))
            << "panel window " << panel().value_or(QRect()).width();
    }
    bool setCompositing(bool on) {
        if (GetParam().manager == Manager::xfwm) {
            return x.setXfwmCompositing(on);
        }
        return on ? x.startCompositor() : x.stopCompositor();
    }
    // The screen once the compositor has drawn the panel: its middle is neither the backdrop nor the
    // bystander.
    bool shotOfPanel(const QString& name) {
        const QPoint middle = surface().center();
        return XServerHarness::waitFor([&] {
            const QImage image(screenshot(name));
            const unsigned colour = unsigned(image.pixel(middle)) & 0xffffffu;
            return !image.isNull() && colour != 0x3366cc && colour != 0xffcc00;
        });
    }
    void click(QPoint at) {
        xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
    }
    // The panel itself, without its band.
    QRect surface() const { return panel().value_or(QRect()).adjusted(band, band, -band, -band); }

    std::unique_ptr<Bystander> bystander;
};

TEST_P(ShadowBand, aClickOnTheBandReachesTheWindowBelowAndCountsAsAClickElsewhere) {
    const QString name = QString::fromLatin1(GetParam().name);
    // Each time on a panel shown anew (a new frame): beside its left edge, under its bottom edge, and beside
    // it again once the compositor has gone and come back while it was shown. 6 pixels out, in the band.
    struct Step {
        const char* where;
        QPoint offset; // from the panel's top-left
        bool recomposited;
    };
    const Step steps[] = {{"beside", QPoint(-6, 268), false},
                          {"below", QPoint(18, 565), false},
                          {"recomposited", QPoint(-6, 400), true}};
    std::vector<std::string> expected;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.where);
        ASSERT_NO_FATAL_FAILURE(showPanel());
        if (step.recomposited) {
            ASSERT_TRUE(setCompositing(false));
            ASSERT_TRUE(XServerHarness::waitFor([this] { return panel() && panel()->width() == 440; }));
            ASSERT_TRUE(setCompositing(true));
            ASSERT_TRUE(XServerHarness::waitFor([this] { return panel() && panel()->width() == 480; }));
        }
        if (GetParam().surfaceAt) {
            ASSERT_EQ(surface().topLeft(), *GetParam().surfaceAt);
        }
        const QPoint point = surface().topLeft() + step.offset;
        ASSERT_TRUE(panel()->contains(point) && !surface().contains(point));
        ASSERT_TRUE(bystander->geometry()->contains(point)) << "not over the bystander";
        EXPECT_TRUE(shotOfPanel(QStringLiteral("shadow-band-%1-%2").arg(name, QLatin1String(step.where))));
        click(point);
        expected.push_back(std::to_string(point.x()) + "," + std::to_string(point.y()));
        EXPECT_TRUE(XServerHarness::waitFor([&] { return bystander->presses().size() >= expected.size(); }))
            << "no press reached the window under the band";
        EXPECT_EQ(bystander->presses(), expected);
        // The attached panel takes it as a click elsewhere.
        EXPECT_TRUE(waitPanel(false));
    }
}

TEST_P(ShadowBand, aClickOnTheTrayIconUnderTheBandClosesThePanel) {
    ASSERT_NO_FATAL_FAILURE(showPanel());
    const std::optional<QRect> icon = trayIcon();
    ASSERT_TRUE(icon.has_value());
    // The icon's lowest row: the band reaches over the bar's lower part.
    const QPoint point(icon->center().x(), icon->bottom());
    ASSERT_TRUE(panel()->contains(point) && !surface().contains(point))
        << "icon bottom " << icon->bottom() << ", panel top " << panel()->top();
    EXPECT_TRUE(shotOfPanel(QStringLiteral("shadow-band-%1-icon").arg(QLatin1String(GetParam().name))));
    click(point);
    EXPECT_TRUE(waitPanel(false)) << "the panel stayed open";
    EXPECT_EQ(bystander->presses(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Desktops, ShadowBand,
                         ::testing::Values(BandCase{"openbox_xcompmgr", Manager::openbox, QPoint(832, 32)},
                                           BandCase{"xfwm4", Manager::xfwm, QPoint(832, 32)},
                                           BandCase{"xcompmgr_alone", Manager::none, std::nullopt}),
                         [](const ::testing::TestParamInfo<BandCase>& row) {
                             return std::string(row.param.name);
                         });

} // namespace
