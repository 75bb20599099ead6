// The configuration sources, the stored origin, the tray icon's clicks and anchor, the status menu and the
// key equivalents.
#include "app/AppConfiguration.h"
#include "app/AppDelegate.h"
#include "app/MainMenu.h"
#include "app/PanelPlacement.h"
#include "app/StatusItemController.h"
#include "tests/app/shell/ShellTestSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

using namespace huddlepod;

namespace {

struct ConfigurationCase {
    const char* name;
    std::map<QString, QString> bundle;
    bool environmentConfigured;
    std::optional<QString> expectedURL;
};

class FakeTray final : public TrayIcon {
public:
    std::optional<QRect> rect;
    bool hostAvailable = true;
    std::function<void(const Click&)> handler;
    QStringList shownMenus; // each menu's entries, "-" for a separator, "(off)" after a disabled one

    void setIcon(const QIcon&) override {}
    void setToolTip(const QString&) override {}
    void setClickHandler(std::function<void(const Click&)> h) override { handler = std::move(h); }
    void show() override {}
    bool isHostAvailable() const override { return hostAvailable; }
    std::optional<QRect> geometry() const override { return rect; }
    void popUpMenu(QMenu& menu, QPoint) override {
        QStringList entries;
        for (const QAction* action : menu.actions()) {
            entries << (action->isSeparator() ? QStringLiteral("-")
                                              : action->text() + (action->isEnabled() ? "" : "(off)"));
        }
        shownMenus << entries.join(QLatin1Char('|'));
    }
};

} // namespace

TEST(AppConfiguration, takesTheBundlePairWholeOrFallsBackToTheEnvironmentForBoth) {
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("HUDDLEPOD_SUPABASE_URL"), QStringLiteral("http://env.test"));
    environment.insert(QStringLiteral("HUDDLEPOD_SUPABASE_ANON_KEY"), QStringLiteral("env-key"));
    const QString url = QStringLiteral("SupabaseURL"), key = QStringLiteral("SupabaseAnonKey");
    const ConfigurationCase cases[] = {
        {"bundle pair", {{url, "https://bundle.test"}, {key, "k"}}, true, "https://bundle.test"},
        {"empty bundle key", {{url, "https://bundle.test"}, {key, ""}}, true, "http://env.test"},
        {"bundle URL without a scheme", {{url, "bundle.test"}, {key, "k"}}, true, "http://env.test"},
        {"bundle key missing", {{url, "https://bundle.test"}}, true, "http://env.test"},
        {"neither", {{url, "https://bundle.test"}}, false, std::nullopt},
    };
    for (const ConfigurationCase& c : cases) {
        const auto lookup = [&c](const QString& name) -> std::optional<QString> {
            const auto found = c.bundle.find(name);
            return found == c.bundle.end() ? std::nullopt : std::optional(found->second);
        };
        const auto configuration =
            AppConfiguration::supabase(lookup, c.environmentConfigured ? environment : QProcessEnvironment());
        EXPECT_EQ(configuration ? std::optional(configuration->url.toString()) : std::nullopt, c.expectedURL)
            << c.name;
        if (configuration) {
            EXPECT_EQ(configuration->anonKey, *c.expectedURL == "http://env.test" ? "env-key" : "k")
                << c.name;
        }
    }
    const auto none = [](const QString&) { return std::optional<QString>(); };
    EXPECT_EQ(AppConfiguration::version(none), QStringLiteral("0.0.0"));
    EXPECT_EQ(AppConfiguration::build(none), QStringLiteral("0"));
}

TEST(PanelPlacementStore, readsOnlyTwoFiniteNumbersAndLeavesAnythingElseStored) {
    huddlepod::testing::ShellFixture fixture;
    QSettings& store = *fixture.defaults;
    PanelPlacement placement(store);
    placement.setDetachedOrigin(QPointF(-120.5, 64));
    EXPECT_EQ(PanelPlacement(*UserDefaults::open(store.fileName())).detachedOrigin(), QPointF(-120.5, 64));

    for (const char* bad : {"abc", "nan", "inf", ""}) {
        store.setValue(QStringLiteral("panel.detachedOrigin/y"), QString::fromLatin1(bad));
        EXPECT_EQ(placement.detachedOrigin(), std::nullopt) << bad;
        EXPECT_EQ(store.value(QStringLiteral("panel.detachedOrigin/y")).toString(), bad);
    }
    store.remove(QStringLiteral("panel.detachedOrigin"));
    store.setValue(QStringLiteral("panel.detachedOrigin"), QStringLiteral("12,40"));
    EXPECT_EQ(placement.detachedOrigin(), std::nullopt);
    EXPECT_TRUE(store.contains(QStringLiteral("panel.detachedOrigin")));
}

TEST(StatusItemController, togglesOnALeftClickAndOpensTheMenuOnARightOrCtrlClick) {
    auto tray = std::make_unique<FakeTray>();
    FakeTray& fake = *tray;
    int toggles = 0;
    QByteArrayList lines;
    fake.hostAvailable = false;
    StatusItemController controller(
        std::move(tray), [&toggles] { ++toggles; }, [] { return std::make_unique<QMenu>(); },
        [&lines](const QByteArray& line) { lines << line; });
    EXPECT_EQ(lines.size(), 1); // no tray host: said once

    fake.handler({TrayIcon::Button::left, false, QPoint(5, 5)});
    fake.handler({TrayIcon::Button::right, false, QPoint(5, 5)});
    fake.handler({TrayIcon::Button::left, true, QPoint(5, 5)});
    controller.popUpMenuForVerification();
    EXPECT_EQ(toggles, 1);
    EXPECT_EQ(fake.shownMenus.size(), 3);

    // The anchor: the icon while it lies on a screen, else where the last click was.
    fake.rect = QRect(100, 0, 24, 24);
    EXPECT_EQ(controller.anchorFrame(), QRect(100, 0, 24, 24));
    fake.rect = QRect(-5000, -5000, 24, 24);
    EXPECT_EQ(controller.anchorFrame(), QRect(5, 5, 1, 1));
}

TEST(StatusMenu, listsItsFourEntriesAndEnablesResetOnlyForADetachedPanel) {
    huddlepod::testing::ShellFixture fixture;
    AppDelegate::LaunchServices services;
    services.defaults = fixture.defaults.get();
    AppDelegate delegate(services);
    FakeTray tray;
    for (const std::optional<QPointF>& origin : {std::optional<QPointF>(), std::optional(QPointF(40, 50))}) {
        if (origin) {
            PanelPlacement(*fixture.defaults).setDetachedOrigin(*origin);
        }
        const std::unique_ptr<QMenu> menu = delegate.statusMenu();
        tray.popUpMenu(*menu, {});
    }
    EXPECT_EQ(tray.shownMenus, QStringList({"Settings…|Reset Panel Position(off)|-|Quit Huddlepod",
                                            "Settings…|Reset Panel Position|-|Quit Huddlepod"}));
}

TEST(MainMenu, mapsItsKeysToCommandsAndRunsTheEditingOnesOnTheFocusedField) {
    int settings = 0, quits = 0;
    QPointer<MainMenu> menu = MainMenu::install([&settings] { ++settings; }, [&quits] { ++quits; });
    QLineEdit field;
    field.show();
    field.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&field));
    field.setFocus();
    field.setText(QStringLiteral("brady"));
    const auto press = [&field](Qt::KeyboardModifiers modifiers, int key) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&field, &event);
    };
    press(Qt::ControlModifier, Qt::Key_A);
    press(Qt::ControlModifier, Qt::Key_X);
    EXPECT_EQ(field.text(), QString());
    press(Qt::ControlModifier, Qt::Key_V);
    press(Qt::ControlModifier, Qt::Key_V);
    EXPECT_EQ(field.text(), QStringLiteral("bradybrady"));
    press(Qt::ControlModifier, Qt::Key_Z);
    EXPECT_EQ(field.text(), QStringLiteral("brady"));
    press(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
    EXPECT_EQ(field.text(), QStringLiteral("bradybrady"));
    press(Qt::ControlModifier, Qt::Key_Comma);
    press(Qt::ControlModifier, Qt::Key_Q);
    press(Qt::ControlModifier | Qt::AltModifier, Qt::Key_Q); // not a key equivalent
    EXPECT_EQ(settings, 1);
    EXPECT_EQ(quits, 1);
    delete menu.data();
}
