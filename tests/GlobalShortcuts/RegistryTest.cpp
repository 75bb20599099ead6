// The registry over a fake key grabber: stored forms, hot-key identifiers, pause, enable, menus, streams and
// the combinations shared between names.
#include "FakeKeyGrabber.h"

#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/MenuItems.h"
#include "platform/UserDefaults.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QStyleOptionMenuItem>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace huddlepod::GlobalShortcuts {
namespace {

using F = ModifierFlag;
using test::FakeGrabs;

const Shortcut kCtrlAltS(Key::s, F::control | F::option);
const Shortcut kCtrlAltG(Key::g, F::control | F::option);

x11::KeyCombination combination(const Shortcut& s) {
    return {s.carbonKeyCode, s.carbonModifiers};
}

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        auto settings = std::make_unique<QSettings>(dir.filePath("s.ini"), QSettings::IniFormat);
        settingsFile = settings.get();
        registry = std::make_unique<GlobalShortcuts::Registry>(
            std::move(settings), std::make_unique<test::FakeKeyGrabber>(grabs), clock);
        GlobalShortcuts::Registry::setShared(registry.get());
    }
    void TearDown() override { GlobalShortcuts::Registry::setShared(nullptr); }

    QString stored(const Name& name) const { return settingsFile->value(name.settingsKey()).toString(); }

    QTemporaryDir dir;
    std::shared_ptr<FakeGrabs> grabs = std::make_shared<FakeGrabs>();
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    QSettings* settingsFile = nullptr;
    std::unique_ptr<GlobalShortcuts::Registry> registry;
};

TEST_F(Registry, storesTheDefaultOnceAndFalseWhenCleared) {
    const Name name = toggleSearchName();
    EXPECT_EQ(stored(name), R"({"carbonKeyCode":1,"carbonModifiers":6144})");
    settingsFile->sync();
    GlobalShortcuts::Registry restarted(
        std::make_unique<QSettings>(settingsFile->fileName(), QSettings::IniFormat),
        std::make_unique<test::FakeKeyGrabber>(std::make_shared<FakeGrabs>()));
    EXPECT_EQ(restarted.getShortcut(name), kCtrlAltS);

    int changes = 0;
    QObject::connect(registry.get(), &GlobalShortcuts::Registry::shortcutByNameDidChange, [&] { ++changes; });
    setShortcut(std::nullopt, name);
    EXPECT_EQ(stored(name), QStringLiteral("false"));
    EXPECT_FALSE(getShortcut(name));
    EXPECT_FALSE(toggleSearchName().shortcut()); // the default is not stored again
    registry->reset({name});
    EXPECT_EQ(getShortcut(name), kCtrlAltS);
    EXPECT_EQ(changes, 2);

    const Name plain(QStringLiteral("plain"));
    setShortcut(std::nullopt, plain); // nothing stored: no change
    EXPECT_EQ(changes, 2);
    plain.setShortcut(kCtrlAltG);
    plain.setShortcut(std::nullopt);
    EXPECT_FALSE(settingsFile->contains(plain.settingsKey()));
}

TEST_F(Registry, aShortcutTheFileRefusesIsReportedLikeEveryOtherSetting) {
    QFile blocker(dir.filePath(QStringLiteral("config"))); // a folder cannot be made under a regular file
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    GlobalShortcuts::Registry refusing(
        UserDefaults::open(blocker.fileName() + QStringLiteral("/Huddlepod.ini")),
        std::make_unique<test::FakeKeyGrabber>(grabs), clock);
    const Name name(QStringLiteral("plain"));
    ::testing::internal::CaptureStderr();
    refusing.setShortcut(kCtrlAltG, name);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "huddlepod: Couldn't save settings: Not a directory\n");
    EXPECT_EQ(UserDefaults::saveStatus().failure(), QStringLiteral("Not a directory"));
    blocker.remove();
    refusing.setShortcut(std::nullopt, name);
    EXPECT_EQ(UserDefaults::saveStatus().failure(), std::nullopt);
}

TEST_F(Registry, unreadableStoredValuesAreNoShortcutAndAreNeverGrabbed) {
    const Name name(QStringLiteral("odd"));
    for (const QString& value : {QStringLiteral("{oops"), QStringLiteral(R"({"carbonKeyCode":1})"),
                                 QStringLiteral(R"({"carbonKeyCode":1,"carbonModifiers":71680})")}) {
        settingsFile->setValue(name.settingsKey(), value);
        int runs = 0;
        onKeyDown(name, [&] { ++runs; });
        EXPECT_EQ(stored(name), value); // left in place
        EXPECT_TRUE(grabs->counts.empty()) << value.toStdString();
        EXPECT_EQ(clock->sleeperCount(), 0U) << "no other client holds it: not tried again";
        EXPECT_FALSE(grabs->press({1, 71680}));
        EXPECT_EQ(runs, 0);
        registry->removeAllHandlers();
    }
}

TEST_F(Registry, aStoredValueIsReadAfreshAtEveryAskEvenWhenOnlyItsTextChanged) {
    const Name name(QStringLiteral("edited"));
    const std::vector<std::pair<QString, std::optional<Shortcut>>> edits{
        {QStringLiteral(R"({"carbonKeyCode":1,"carbonModifiers":6144})"), kCtrlAltS},
        {QStringLiteral(R"({"carbonKeyCode":5,"carbonModifiers":6144})"), kCtrlAltG},
        {QStringLiteral(R"({"carbonModifiers":6144,"carbonKeyCode":5})"), kCtrlAltG},
        {QStringLiteral("{oops"), std::nullopt},
        {QStringLiteral(R"({"carbonKeyCode":1,"carbonModifiers":6144})"), kCtrlAltS},
    };
    for (const auto& [text, expected] : edits) {
        settingsFile->setValue(name.settingsKey(), text); // as by hand, past the registry
        EXPECT_EQ(registry->getShortcut(name), expected) << text.toStdString();
        EXPECT_EQ(registry->getShortcut(name), expected) << text.toStdString();
    }
}

TEST_F(Registry, everyAttemptTakesAFreshIdentifier) {
    grabs->heldElsewhere.insert({kCtrlAltG.carbonKeyCode, kCtrlAltG.carbonModifiers});
    const Name a(QStringLiteral("a"), kCtrlAltS);
    const Name b(QStringLiteral("b"), kCtrlAltG); // fails quietly, uses identifier 2
    const Name c(QStringLiteral("c"), Shortcut(Key::f5));
    using Ids = std::vector<std::pair<int, bool>>;
    EXPECT_EQ(registry->hotKeys().hotKeys(), (Ids{{1, true}, {3, true}}));
    EXPECT_TRUE(registry->isSystemShortcut(kCtrlAltG));
    EXPECT_FALSE(registry->isSystemShortcut(kCtrlAltS));                                // ours
    EXPECT_TRUE(registry->isSystemShortcut(Shortcut(Key::f1, F::control | F::option))); // kept by the server

    a.setShortcut(Shortcut(Key::f6)); // re-registration
    EXPECT_EQ(registry->hotKeys().hotKeys(), (Ids{{3, true}, {4, true}}));
    EXPECT_EQ(grabs->count(combination(kCtrlAltS)), 0);
}

// Forcing a combination another client holds: taken once that client lets it go, at the next retry or when a
// window shows; the retries stop when it is taken or the shortcut changes.
TEST_F(Registry, aTakenCombinationIsTriedAgainUntilItIsFreeOrChanged) {
    using namespace std::chrono_literals;
    const Name name = toggleSearchName();
    int downs = 0;
    onKeyDown(name, [&] { ++downs; });
    grabs->heldElsewhere.insert(test::keyPair(combination(kCtrlAltG)));
    name.setShortcut(kCtrlAltG);
    EXPECT_TRUE(grabs->counts.empty());
    clock->advance(30s);
    EXPECT_TRUE(grabs->counts.empty());
    grabs->heldElsewhere.clear();
    clock->advance(29s);
    EXPECT_TRUE(grabs->counts.empty());
    clock->advance(1s);
    EXPECT_EQ(grabs->count(combination(kCtrlAltG)), 1);
    EXPECT_EQ(clock->sleeperCount(), 0U);
    grabs->press(combination(kCtrlAltG));
    EXPECT_EQ(downs, 1);

    const Shortcut f5(Key::f5);
    grabs->heldElsewhere.insert(test::keyPair(combination(f5)));
    name.setShortcut(f5);
    name.setShortcut(kCtrlAltS);
    grabs->heldElsewhere.clear();
    clock->advance(30s);
    EXPECT_EQ(grabs->count(combination(f5)), 0);
    EXPECT_EQ(clock->sleeperCount(), 0U);

    grabs->heldElsewhere.insert(test::keyPair(combination(kCtrlAltG)));
    name.setShortcut(kCtrlAltG);
    grabs->heldElsewhere.clear();
    retryFailedRegistrations(); // a window shows
    EXPECT_EQ(grabs->count(combination(kCtrlAltG)), 1);
    EXPECT_EQ(clock->sleeperCount(), 0U);
}

TEST_F(Registry, pauseEnableAndMenusSwitchWhatAPressDoes) {
    const Name name = toggleSearchName();
    int downs = 0;
    int ups = 0;
    onKeyDown(name, [&] { ++downs; });
    onKeyUp(name, [&] { ++ups; });
    grabs->press(combination(kCtrlAltS));
    EXPECT_EQ(std::pair(downs, ups), std::pair(1, 1));

    registry->setPaused(true);
    grabs->press(combination(kCtrlAltS));
    registry->setPaused(false);
    EXPECT_EQ(downs, 1);

    registry->setEnabled(false);
    EXPECT_EQ(grabs->count(combination(kCtrlAltS)), 0);
    EXPECT_FALSE(grabs->press(combination(kCtrlAltS)));
    registry->setEnabled(true);
    EXPECT_EQ(grabs->count(combination(kCtrlAltS)), 1);

    registry->disable({name});
    EXPECT_TRUE(grabs->counts.empty());
    registry->enable({name});
    grabs->press(combination(kCtrlAltS));
    EXPECT_EQ(downs, 2);

    QMenu menu;
    menu.popup({0, 0});
    ASSERT_TRUE(registry->isMenuOpen());
    EXPECT_TRUE(grabs->counts.empty()); // Qt's menu holds the keyboard: every key is watched instead
    EXPECT_TRUE(grabs->press(combination(kCtrlAltS)));
    EXPECT_FALSE(grabs->press(combination(kCtrlAltG)));
    EXPECT_EQ(downs, 3);
    menu.hide();
    EXPECT_FALSE(registry->isMenuOpen());
    EXPECT_FALSE(grabs->watchesAllKeys);
    EXPECT_EQ(grabs->count(combination(kCtrlAltS)), 1);
}

TEST_F(Registry, aCombinationStoredByAnotherNameWithActionsStaysTaken) {
    const Name a(QStringLiteral("a"), kCtrlAltS);
    const Name b(QStringLiteral("b"), kCtrlAltG);
    std::vector<QString> ran;
    onKeyDown(a, [&] { ran.push_back(a.rawValue); });
    onKeyDown(b, [&] { ran.push_back(b.rawValue); });

    a.setShortcut(kCtrlAltG); // shared now: grabbed once, both run
    EXPECT_EQ(grabs->count(combination(kCtrlAltG)), 1);
    EXPECT_EQ(grabs->count(combination(kCtrlAltS)), 0);
    grabs->press(combination(kCtrlAltG));
    EXPECT_EQ(ran, (std::vector<QString>{a.rawValue, b.rawValue}));

    a.setShortcut(std::nullopt);
    ran.clear();
    grabs->press(combination(kCtrlAltG));
    EXPECT_EQ(ran, (std::vector<QString>{b.rawValue}));

    a.setShortcut(kCtrlAltG);
    registry->disable({a});
    EXPECT_EQ(grabs->count(combination(kCtrlAltG)), 1);
}

TEST_F(Registry, streamsHoldTheirShortcutUntilTheyEnd) {
    const Name name = toggleSearchName();
    onKeyDown(name, [] {});
    std::vector<EventType> seen;
    {
        Subscription stream = events(name, [&](EventType type) { seen.push_back(type); });
        registry->removeAllHandlers();
        EXPECT_EQ(grabs->count(combination(kCtrlAltS)), 1);
        grabs->press(combination(kCtrlAltS));
        EXPECT_EQ(seen, (std::vector{EventType::keyDown, EventType::keyUp}));
    }
    EXPECT_TRUE(grabs->counts.empty());

    QObject owner;
    int releases = 0;
    onKeyboardShortcut(owner, name, EventType::keyUp, [&] { ++releases; });
    grabs->press(combination(kCtrlAltS));
    EXPECT_EQ(releases, 1);
}

// What a menu draws for an item: its title, then after a tab its keys.
class ShownMenu : public QMenu {
public:
    QString shownText(const QAction& action) const {
        QStyleOptionMenuItem option;
        initStyleOption(&option, &action);
        return option.text;
    }
};

TEST_F(Registry, aMenuActionFollowsItsNameAndNamesItsKeysAsTheDesktopDoes) {
    const Name name = toggleSearchName();
    ShownMenu menu;
    QAction* action = menu.addAction(QStringLiteral("Open Huddlepod"));
    setShortcut(*action, std::optional(name));
    EXPECT_EQ(action->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
    EXPECT_EQ(menu.shownText(*action).toStdString(), "Open Huddlepod\tCtrl+Alt+S");
    name.setShortcut(Shortcut(Key::f5, F::shift));
    EXPECT_EQ(action->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F5));
    EXPECT_EQ(menu.shownText(*action).toStdString(), "Open Huddlepod\tShift+F5");
    name.setShortcut(Shortcut(Key::k, F::command));
    EXPECT_EQ(menu.shownText(*action).toStdString(), "Open Huddlepod\tSuper+K");
    setShortcut(*action, std::optional<Name>());
    name.setShortcut(kCtrlAltS);
    EXPECT_TRUE(action->shortcut().isEmpty());
    EXPECT_EQ(menu.shownText(*action).toStdString(), "Open Huddlepod");
}

} // namespace
} // namespace huddlepod::GlobalShortcuts
