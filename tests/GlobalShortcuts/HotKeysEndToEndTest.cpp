// Real key presses from xdotool, through a private Xvfb, to the registry's actions.
#include "tests/support/XApplicationEnvironment.h"

#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/Recorder.h"
#include "platform/x11/KeyGrabber.h"
#include "platform/x11/X11Connection.h"

#include <QAbstractButton>
#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

extern "C" const char* __lsan_default_options() {
    return "suppressions=" HUDDLEPOD_TEST_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

namespace huddlepod::GlobalShortcuts {
namespace {

using test::XServerHarness;
using F = ModifierFlag;

XServerHarness* server() {
    return test::XApplicationEnvironment::server();
}

// Counts the presses of the S key (X keycode 39) the connection receives, repeats included.
class RepeatCounter : public QAbstractNativeEventFilter {
public:
    RepeatCounter() { QCoreApplication::instance()->installNativeEventFilter(this); }
    ~RepeatCounter() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override {
        const auto* event = static_cast<xcb_key_press_event_t*>(message);
        count += (event->response_type & 0x7f) == XCB_KEY_PRESS && event->detail == 39 ? 1 : 0;
        return false;
    }
    int count = 0;
};

class HotKeys : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(server(), nullptr);
        registry = std::make_unique<Registry>(
            std::make_unique<QSettings>(dir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat),
            x11::makeKeyGrabber());
        Registry::setShared(registry.get());
        // A marker shortcut: once its press arrives, every earlier press has been handled.
        onKeyDown(Name(QStringLiteral("marker"), Shortcut(Key::f9)), [this] { ++markers; });
    }
    void TearDown() override {
        Registry::setShared(nullptr);
        registry.reset();
    }

    // xdotool with space-separated arguments.
    void keys(const char* arguments) const {
        const QStringList list = QString::fromLatin1(arguments).split(u' ');
        ASSERT_EQ(server()->run(QStringLiteral("xdotool"), list), 0) << arguments;
    }
    // Sends the marker and waits for it, so that the presses sent before it have all been handled.
    void settle() {
        const int expected = markers + 1;
        keys("key --delay 5 F9");
        ASSERT_TRUE(XServerHarness::waitFor([&] { return markers == expected; }));
    }

    QTemporaryDir dir;
    std::unique_ptr<Registry> registry;
    int markers = 0;
};

TEST_F(HotKeys, theDefaultFiresWithLocksOnButNotWithAnExtraModifier) {
    const Name name = toggleSearchName();
    int downs = 0;
    // Each press tells where the pointer was, from the event itself.
    std::vector<std::optional<x11::RootPoint>> pointers;
    onKeyDown(name, [&] {
        ++downs;
        pointers.push_back(x11::pointerAtPressBeingHandled());
    });
    keys("mousemove 321 123");

    for (const char* lock : {"", "key Caps_Lock", "key Num_Lock"}) { // locks stay on: both off at the end
        if (*lock != 0) {
            keys(lock);
        }
        keys("key --delay 5 ctrl+alt+s");
        settle();
    }
    EXPECT_EQ(downs, 3);
    EXPECT_EQ(pointers, std::vector<std::optional<x11::RootPoint>>(3, x11::RootPoint{321, 123}));
    EXPECT_EQ(x11::pointerAtPressBeingHandled(), std::nullopt) << "only while a press is handled";

    keys("key --delay 5 ctrl+alt+shift+s super+ctrl+alt+s");
    settle();
    EXPECT_EQ(downs, 3);
    keys("key Caps_Lock Num_Lock");
    EXPECT_EQ(name.shortcut()->description(), QStringLiteral("Ctrl+Alt+S")); // through the server's keymap
}

TEST_F(HotKeys, holdingTheKeysFiresOnceAndReleasesOnce) {
    const Name name = toggleSearchName();
    int downs = 0;
    int ups = 0;
    onKeyDown(name, [&] { ++downs; });
    onKeyUp(name, [&] { ++ups; });
    // Held down, the key repeats at the server's rate; its repeated presses reach us as further presses.
    RepeatCounter presses;
    keys("keydown ctrl+alt+s");
    ASSERT_TRUE(XServerHarness::waitFor([&] { return presses.count >= 3; }, std::chrono::seconds(5)));
    keys("keyup s keyup ctrl+alt");
    ASSERT_TRUE(XServerHarness::waitFor([&] { return ups == 1; }));
    settle();
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups, 1);
}

TEST_F(HotKeys, aCombinationAnotherClientHoldsFailsQuietlyAndIsReported) {
    QProcess& other =
        server()->start(QStringLiteral(GRAB_KEY_HELPER), {QStringLiteral("42"), QStringLiteral("12")});
    ASSERT_TRUE(XServerHarness::waitFor([&] { return other.canReadLine(); })) << "helper did not grab";

    const Shortcut ctrlAltG(Key::g, F::control | F::option);
    const Name taken(QStringLiteral("taken"), ctrlAltG);
    int downs = 0;
    onKeyDown(taken, [&] { ++downs; });
    EXPECT_EQ(registry->hotKeys().hotKeys().size(), 1U); // the marker alone
    EXPECT_TRUE(registry->isSystemShortcut(ctrlAltG));
    EXPECT_FALSE(registry->isSystemShortcut(Shortcut(Key::f9)));                        // ours
    EXPECT_FALSE(registry->isSystemShortcut(Shortcut(Key::h, F::control | F::option))); // free

    keys("key --delay 5 ctrl+alt+g");
    settle();
    EXPECT_EQ(downs, 0);
    other.closeWriteChannel();
}

// Hot-key programs grab their combination under every lock variant; while recording, the recorder still gets
// it and tells the user who has it.
TEST_F(HotKeys, recordingACombinationAnotherClientHoldsShowsTheAlert) {
    // K is X keycode 45; Control and Mod1 (12), with Lock (2), Num Lock (16) and both.
    QProcess& other = server()->start(QStringLiteral(GRAB_KEY_HELPER),
                                      {QStringLiteral("45"), QStringLiteral("12"), QStringLiteral("14"),
                                       QStringLiteral("28"), QStringLiteral("30")});
    ASSERT_TRUE(XServerHarness::waitFor([&] { return other.canReadLine(); })) << "helper did not grab";
    const Name name(QStringLiteral("recorded"));
    QWidget window;
    auto* recorder = new Recorder(name);
    (new QVBoxLayout(&window))->addWidget(recorder);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(XServerHarness::waitFor(
        [&] { return window.isActiveWindow() && recorder->field()->canBecomeKey(); }));
    recorder->field()->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(recorder->field()->isRecording());

    // The alert runs its own loop: answered from inside it.
    QString title;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            title = box->text();
            box->buttons().at(0)->click();
        }
    });
    answer.start(20);
    keys("key --delay 5 ctrl+alt+k");
    EXPECT_TRUE(XServerHarness::waitFor([&] { return !title.isEmpty(); })) << "no alert";
    EXPECT_EQ(title.toStdString(), "The desktop or another application already uses this shortcut.");
    EXPECT_FALSE(registry->getShortcut(name));
    other.closeWriteChannel();
}

TEST_F(HotKeys, anOpenMenuStillLetsTheShortcutThrough) {
    const Name name = toggleSearchName();
    int downs = 0;
    onKeyDown(name, [&] { ++downs; });
    std::optional<x11::RootPoint> pointer;
    onKeyDown(name, [&] { pointer = x11::pointerAtPressBeingHandled(); });
    QMenu menu;
    menu.addAction(QStringLiteral("Quit"));
    menu.popup({100, 100});
    ASSERT_TRUE(XServerHarness::waitFor([&] { return registry->isMenuOpen() && menu.isVisible(); }));
    keys("mousemove 40 50");
    keys("key --delay 5 ctrl+alt+s");
    EXPECT_TRUE(XServerHarness::waitFor([&] { return downs == 1; }));
    EXPECT_EQ(pointer, (x11::RootPoint{40, 50})); // through the menu's own keyboard grab
    menu.hide();
    EXPECT_FALSE(registry->isMenuOpen());
    settle(); // grabbed again
}

} // namespace
} // namespace huddlepod::GlobalShortcuts

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new huddlepod::test::XApplicationEnvironment);
    return RUN_ALL_TESTS();
}
