// What the shell says in words: the tray icon's tool tip, the shortcut text the panel is built with and the
// hint it shows with it.
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "app/MainMenu.h"
#include "app/PanelController.h"
#include "app/StatusItemController.h"
#include "app/Views/HotkeyHintView.h"
#include "platform/UserDefaults.h"
#include "tests/GlobalShortcuts/FakeKeyGrabber.h"
#include "tests/app/shell/ShellTestSupport.h"
#include "ui/Preferences.h"

#include <QAccessible>
#include <QMenu>

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

// The standard shortcut registry over a store of the test's own.
class ShortcutTexts : public ::testing::Test {
protected:
    void SetUp() override {
        registry = std::make_unique<GlobalShortcuts::Registry>(
            std::make_unique<QSettings>(fixture.dir.filePath(QStringLiteral("keys.ini")),
                                        QSettings::IniFormat),
            std::make_unique<test::FakeKeyGrabber>(std::make_shared<test::FakeGrabs>()));
        GlobalShortcuts::Registry::setShared(registry.get());
        UserDefaults::openStandard()->remove(Preferences::hasSeenHotkeyHintKey);
    }
    void TearDown() override { GlobalShortcuts::Registry::setShared(nullptr); }

    huddlepod::testing::ShellFixture fixture;
    std::unique_ptr<GlobalShortcuts::Registry> registry;
};

} // namespace

TEST(StatusItemTexts, theIconsToolTipSaysWhatItIsForAndWhereTheSettingsAre) {
    auto tray = std::make_unique<huddlepod::testing::FakeTray>();
    const huddlepod::testing::FakeTray& fake = *tray;
    StatusItemController controller(
        std::move(tray), [] {}, [] { return std::make_unique<QMenu>(); }, [](const QByteArray&) {});
    EXPECT_EQ(fake.toolTip.toStdString(), "Huddlepod — search NFL players (right-click for settings)");
}

TEST(ShortcutText, theRecordedShortcutsTextOrElseTheDefaultsKeyNames) {
    const std::vector<std::pair<std::optional<QString>, const char*>> cases{
        {std::nullopt, "Ctrl+Alt+S"},
        {QString(), "Ctrl+Alt+S"}, // recorded, with no text to show
        {QStringLiteral("Super+K"), "Super+K"},
    };
    for (const auto& [recorded, shown] : cases) {
        EXPECT_EQ(PanelController::hotkeyDescription(recorded).toStdString(), shown)
            << recorded.value_or("(none)").toStdString();
    }
    ASSERT_TRUE(GlobalShortcuts::toggleSearchName().defaultShortcut.has_value());
    EXPECT_EQ(GlobalShortcuts::toggleSearchName().defaultShortcut->description().toStdString(), "Ctrl+Alt+S");
}

TEST_F(ShortcutTexts, thePanelIsBuiltWithTheShortcutOfItsTimeAndItsHintSaysIt) {
    const GlobalShortcuts::Name name = GlobalShortcuts::toggleSearchName();
    const GlobalShortcuts::Shortcut commandK(40, 0x100); // K with Super
    // What is stored under the shortcut's name when the panel is built, then what its hint says.
    const struct {
        const char* stored;
        std::function<void()> store;
        const char* hint;
    } cases[] = {
        {"nothing: the default", [] {}, "Press Ctrl+Alt+S from anywhere to open Huddlepod."},
        {"cleared", [&] { GlobalShortcuts::setShortcut(std::nullopt, name); },
         "Press Ctrl+Alt+S from anywhere to open Huddlepod."},
        {"recorded", [&] { GlobalShortcuts::setShortcut(commandK, name); },
         "Press Super+K from anywhere to open Huddlepod."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        c.store();
        PanelController::Environment environment = fixture.environment();
        environment.hotkeyDescription =
            PanelController::Environment::system({}, {}, *fixture.defaults).hotkeyDescription;
        QPointer<PanelRootView> root;
        environment.content = huddlepod::testing::rootViewContent(root);
        PanelController controller(std::move(environment));
        controller.show();
        ASSERT_FALSE(root.isNull());
        ASSERT_NE(root->hint(), nullptr);
        EXPECT_EQ(root->hint()->hintText().toStdString(), c.hint);
        QAccessibleInterface* hint = QAccessible::queryAccessibleInterface(root->hint());
        ASSERT_EQ(hint->childCount(), 2);
        EXPECT_EQ(hint->child(0)->text(QAccessible::Name).toStdString(), c.hint);
        EXPECT_EQ(hint->child(1)->text(QAccessible::Name).toStdString(), "Dismiss shortcut tip");

        // Recording another shortcut later leaves the panel's text as it was built.
        GlobalShortcuts::setShortcut(GlobalShortcuts::Shortcut(1, 0x100), name);
        controller.hide();
        controller.show();
        EXPECT_EQ(root->hint()->hintText().toStdString(), c.hint);
        GlobalShortcuts::setShortcut(*name.defaultShortcut, name);
    }
}

TEST(MainMenuTexts, namesItsCommandsAndTheirKeysAsTheMenuBarWould) {
    QStringList named;
    for (const auto* items : {&MainMenu::applicationItems(), &MainMenu::editingCommands()}) {
        for (const MainMenu::Item& item : *items) {
            named << item.title + " " + item.keys.toString(QKeySequence::PortableText);
        }
    }
    EXPECT_EQ(named.join(u'|').toStdString(),
              "Settings… Ctrl+,|Quit Huddlepod Ctrl+Q|Undo Ctrl+Z|Redo Ctrl+Shift+Z|"
              "Cut Ctrl+X|Copy Ctrl+C|Paste Ctrl+V|Select All Ctrl+A");
}
