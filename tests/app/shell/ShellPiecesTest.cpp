// The configuration sources, the stored origin, the tray icon's clicks and anchor, the status menu and the
// key equivalents.
#include "app/AppConfiguration.h"
#include "app/AppDelegate.h"
#include "app/MainMenu.h"
#include "app/PanelPlacement.h"
#include "app/StatusItemController.h"
#include "tests/app/shell/ShellTestSupport.h"
#include "tests/support/Contrast.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>

using namespace huddlepod;

using huddlepod::testing::FakeTray;

TEST(AppConfiguration, takesTheBundlePairWholeOrFallsBackToTheEnvironmentForBoth) {
    QProcessEnvironment env;
    env.insert("HUDDLEPOD_SUPABASE_URL", "http://env.test");
    env.insert("HUDDLEPOD_SUPABASE_ANON_KEY", "e");
    // The bundle's URL and key ("-": missing), whether the environment configures, what is used.
    const std::vector<std::tuple<QString, QString, bool, QString>> cases{
        {"https://bundle.test", "b", true, "https://bundle.test b"},
        {"https://bundle.test", "", true, "http://env.test e"},
        {"bundle.test", "b", true, "http://env.test e"},
        {"https://bundle.test", "-", true, "http://env.test e"},
        {"https://bundle.test", "", false, "none"},
    };
    for (const auto& [url, key, envConfigures, expected] : cases) {
        const auto bundle = [&](const QString& name) -> std::optional<QString> {
            const QString value = name == "SupabaseURL" ? url : name == "SupabaseAnonKey" ? key : "-";
            return value == "-" ? std::nullopt : std::optional(value);
        };
        const auto used = AppConfiguration::supabase(bundle, envConfigures ? env : QProcessEnvironment());
        EXPECT_EQ(used ? used->url.toString() + " " + used->anonKey : "none", expected) << url.toStdString();
    }
}

TEST(PanelPlacementStore, readsOnlyTwoFiniteNumbersAndLeavesAnythingElseStored) {
    huddlepod::testing::ShellFixture fixture;
    QSettings& store = *fixture.defaults;
    PanelPlacement placement(store);
    placement.setDetachedOrigin(QPointF(-120.5, 64));
    EXPECT_EQ(PanelPlacement(*UserDefaults::open(store.fileName())).detachedOrigin(), QPointF(-120.5, 64));

    for (const char* bad : {"abc", "nan", "inf", ""}) {
        store.setValue("panel.detachedOrigin/y", bad);
        EXPECT_EQ(placement.detachedOrigin(), std::nullopt) << bad;
        EXPECT_EQ(store.value("panel.detachedOrigin/y").toString(), bad); // left as it is
    }
}

TEST(PanelPlacementStore, aPositionTheFileRefusesIsReported) {
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("config"))); // a folder cannot be made under a regular file
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const auto store = UserDefaults::open(blocker.fileName() + QStringLiteral("/Huddlepod.ini"));
    ::testing::internal::CaptureStderr();
    PanelPlacement(*store).setDetachedOrigin(QPointF(40, 50));
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(UserDefaults::saveStatus().failure(), QStringLiteral("Not a directory"));
    blocker.remove();
    PanelPlacement(*store).removeDetachedOrigin();
    EXPECT_EQ(UserDefaults::saveStatus().failure(), std::nullopt);
}

TEST(StatusItemController, togglesOnALeftClickAndOpensTheMenuOnARightOrCtrlClickBelowTheIcon) {
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
    fake.rect = QRect(100, 0, 24, 22);
    fake.handler({TrayIcon::Button::left, true, QPoint(5, 5)});
    controller.popUpMenuForVerification();
    EXPECT_EQ(toggles, 1);
    EXPECT_EQ(fake.menuPlaces, QList<QPoint>({{-6, 23}, {100, 27}, {100, 27}}));

    // The anchor: the icon while it lies on a screen, else the icon's size around the last click.
    EXPECT_EQ(controller.anchorFrame(), QRect(100, 0, 24, 22));
    fake.rect = QRect(-5000, -5000, 24, 24);
    EXPECT_EQ(controller.anchorFrame(), QRect(-6, -6, 24, 24));
    fake.rect.reset();
    fake.handler({TrayIcon::Button::left, false, QPoint(700, 12)});
    EXPECT_EQ(controller.anchorFrame(), QRect(689, 1, 24, 24));
}

TEST(StatusItemController, standsTheIconAtTheLastPlaceATrayThatHidesItGaveAway) {
    auto tray = std::make_unique<FakeTray>();
    FakeTray& fake = *tray;
    StatusItemController controller(
        std::move(tray), [] {}, [] { return std::make_unique<QMenu>(); }, [](const QByteArray&) {});
    EXPECT_EQ(controller.anchorFrame(), std::nullopt); // nothing given away yet
    // What the tray reports ("menu": it asks for the menu with the pointer there), and the anchor after it.
    const std::vector<std::tuple<const char*, QPoint, QRect>> steps{
        {"menu", {1000, 12}, {989, 1, 24, 24}},    // before any click
        {"click", {700, 12}, {689, 1, 24, 24}},    // a left click
        {"menu", {650, 20}, {639, 9, 24, 24}},     // the menu asked for again, elsewhere on a large icon
        {"right", {300, 790}, {289, 779, 24, 24}}, // a right click
        {"middle", {40, 5}, {29, -6, 24, 24}},
    };
    for (const auto& [kind, at, anchor] : steps) {
        const QString what(kind);
        if (what == "menu") {
            fake.menuRequest(at);
        } else {
            fake.handler({what == "click"   ? TrayIcon::Button::left
                          : what == "right" ? TrayIcon::Button::right
                                            : TrayIcon::Button::middle,
                          false, at});
        }
        EXPECT_EQ(controller.anchorFrame(), anchor) << kind;
    }
    // A tray that tells where the icon is wins over any place given away.
    fake.rect = QRect(100, 0, 24, 22);
    fake.menuRequest({500, 12});
    EXPECT_EQ(controller.anchorFrame(), QRect(100, 0, 24, 22));
}

TEST(StatusItemController, movesAMenuTheTrayShowsBelowTheIconOrAboveItOnABottomBarWithinTheScreen) {
    auto tray = std::make_unique<FakeTray>();
    FakeTray& fake = *tray;
    const auto build = [] {
        auto menu = std::make_unique<QMenu>();
        menu->addAction("Settings…");
        menu->addAction("Quit Huddlepod");
        return menu;
    };
    StatusItemController controller(
        std::move(tray), [] {}, build, [](const QByteArray&) {});
    // The icon on the 800×800 screen, then the menu's left, top, right and bottom edges.
    const std::vector<std::pair<QRect, QString>> cases{
        {QRect(100, 0, 24, 22), "left 100 top 27"},        // a bar at the top: below the icon
        {QRect(100, 778, 24, 22), "left 100 bottom 772"},  // a bar at the bottom: above it
        {QRect(776, 778, 24, 22), "right 799 bottom 772"}, // and kept on the screen
    };
    for (const auto& [icon, expected] : cases) {
        fake.rect = icon;
        fake.menu->move(400, 300); // where a tray shows it: at the pointer
        fake.menu->show();
        const QRect menu = fake.menu->geometry();
        const bool below = expected.contains("top");
        const bool left = expected.startsWith("left");
        EXPECT_EQ(QString("%1 %2 %3 %4")
                      .arg(left ? "left" : "right")
                      .arg(left ? menu.left() : menu.right())
                      .arg(below ? "top" : "bottom")
                      .arg(below ? menu.top() : menu.bottom())
                      .toStdString(),
                  expected.toStdString());
        fake.menu->hide();
    }
}

TEST(StatusItemController, keepsTheIconsMenuInStepWithTheMenuBuiltEachTimeItIsAboutToShow) {
    auto tray = std::make_unique<FakeTray>();
    FakeTray& fake = *tray;
    bool detached = false, renamed = false;
    QStringList performed;
    const auto build = [&] {
        auto menu = std::make_unique<QMenu>();
        const QString state = detached ? "detached" : "attached";
        menu->addAction("Settings…", [&performed, state] { performed << "settings " + state; });
        menu->addAction("Reset Panel Position")->setEnabled(detached);
        menu->addSeparator();
        menu->addAction(renamed ? "Quit" : "Quit Huddlepod", [&performed] { performed << "quit"; });
        return menu;
    };
    StatusItemController controller(
        std::move(tray), [] {}, build, [](const QByteArray&) {});
    ASSERT_NE(fake.menu, nullptr);
    // Filled before a tray ever asks to show it.
    EXPECT_EQ(FakeTray::entries(*fake.menu), "Settings…|Reset Panel Position(off)|-|Quit Huddlepod");
    const QPointer<QAction> settings = fake.menu->actions().front();

    detached = true;
    emit fake.menu->aboutToShow();
    EXPECT_EQ(FakeTray::entries(*fake.menu), "Settings…|Reset Panel Position|-|Quit Huddlepod");
    ASSERT_FALSE(settings.isNull());
    ASSERT_EQ(fake.menu->actions().front(), settings.data()); // kept: a tray may be showing it
    settings->trigger();                                      // performed by the latest menu's entry
    renamed = true;
    emit fake.menu->aboutToShow();
    EXPECT_EQ(FakeTray::entries(*fake.menu), "Settings…|Reset Panel Position|-|Quit");
    fake.menu->actions().back()->trigger();
    EXPECT_EQ(performed, QStringList({"settings detached", "quit"}));
}

TEST(StatusItemController, drawsAnIconThatReadsOnBlackWhiteAndMidGreyBars) {
    // A StatusNotifier icon cannot know its bar: each size on each bar, and how many of its pixels make at
    // least 3:1 with that bar, by body or by rim.
    const std::vector<QColor> bars{QColor("#000000"), QColor("#ffffff"), QColor("#808080")};
    QImage sheet(3 * 40, 3 * 40, QImage::Format_RGB32); // for people to look at, a row for each bar
    QPainter drawer(&sheet);
    for (int row = 0; row < 3; ++row) {
        drawer.fillRect(QRect(0, row * 40, 120, 40), bars[row]);
    }
    const std::vector<int> sizes{16, 22, 32}; // a column each
    for (int column = 0; column < 3; ++column) {
        const int size = sizes[column];
        const QImage icon = StatusItemController::iconImage(size);
        for (int row = 0; row < 3; ++row) {
            const QColor bar = bars[row];
            QImage onBar(icon.size(), QImage::Format_RGB32);
            onBar.fill(bar);
            QPainter(&onBar).drawImage(0, 0, icon);
            drawer.drawImage(column * 40 + 4, row * 40 + 4, onBar);
            int readable = 0;
            QRect spread; // where they lie: all round the ball, not only on its laces
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    if (huddlepod::test::contrast(onBar.pixelColor(x, y), bar) >= 3.0) {
                        ++readable;
                        spread |= QRect(x, y, 1, 1);
                    }
                }
            }
            const std::string where = std::to_string(size) + " on " + bar.name().toStdString();
            EXPECT_GE(readable, size * size / 6) << where;
            EXPECT_GE(std::min(spread.width(), spread.height()), size * 2 / 3) << where;
        }
    }
    drawer.end();
    const QString folder = qEnvironmentVariable("HUDDLEPOD_TEST_OUTPUT") + QStringLiteral("/components");
    QDir().mkpath(folder);
    sheet.scaled(sheet.size() * 4).save(folder + QStringLiteral("/tray-icon-on-bars.png"));
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
    const std::unique_ptr<MainMenu> menu(
        MainMenu::install([&settings] { ++settings; }, [&quits] { ++quits; }));
    QLineEdit field(QStringLiteral("brady"));
    field.show();
    field.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&field));
    field.setFocus();
    // Each press, then the field's text after it.
    const std::vector<std::pair<QKeyCombination, QString>> steps{
        {Qt::CTRL | Qt::Key_A, "brady"},
        {Qt::CTRL | Qt::Key_X, ""},
        {Qt::CTRL | Qt::Key_V, "brady"},
        {Qt::CTRL | Qt::Key_V, "bradybrady"},
        {Qt::CTRL | Qt::Key_Z, "brady"},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Z, "bradybrady"},
        {Qt::CTRL | Qt::Key_Comma, "bradybrady"},
        {Qt::CTRL | Qt::Key_Q, "bradybrady"},
        {Qt::CTRL | Qt::ALT | Qt::Key_Q, "bradybrady"}, // not a key equivalent
    };
    for (const auto& [keys, text] : steps) {
        QKeyEvent event(QEvent::KeyPress, keys.key(), keys.keyboardModifiers());
        QApplication::sendEvent(&field, &event);
        EXPECT_EQ(field.text(), text) << QKeySequence(keys).toString().toStdString();
    }
    EXPECT_EQ(settings, 1);
    EXPECT_EQ(quits, 1);
}
