// The recorder against synthetic key and mouse events at its window, over a registry with a fake grabber.
#include "GlobalShortcuts/Recorder.h"
#include "FakeKeyGrabber.h"
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "platform/x11/KeyboardGrab.h"
#include "tests/app/Views/RenderOutput.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace huddlepod::GlobalShortcuts {
namespace {

using F = ModifierFlag;

// Which window holds the keyboard, if any.
struct FakeKeyboardGrab : x11::KeyboardGrab {
    bool grab(WId window) override {
        holder = window;
        return true;
    }
    void release() override { holder.reset(); }
    std::optional<WId> holder;
};

class Recording : public ::testing::Test {
protected:
    void SetUp() override {
        registry = std::make_unique<Registry>(
            std::make_unique<QSettings>(dir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat),
            std::make_unique<test::FakeKeyGrabber>(grabs));
        Registry::setShared(registry.get());
        RecorderCocoa::setKeyboardGrab(keyboard);
        name.emplace(QStringLiteral("recorderTest"));
        auto* layout = new QVBoxLayout(&window);
        recorder = new Recorder(QStringLiteral("Open Huddlepod:"), *name,
                                [this](const std::optional<Shortcut>& s) { changes.push_back(s); });
        layout->addWidget(recorder);
        layout->addWidget(other = new QLineEdit);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        RecorderCocoa::setMainMenuLookup({});
        RecorderCocoa::setKeyboardGrab(nullptr);
        Registry::setShared(nullptr);
    }

    RecorderCocoa& field() { return *recorder->field(); }
    void startRecording() {
        field().setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(field().isRecording());
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(window.windowHandle(), &event);
    }
    void release(QWidget& widget, QPoint at) {
        const QPoint local = widget.mapTo(&window, at);
        QMouseEvent up(QEvent::MouseButtonRelease, local, local, window.mapToGlobal(local), Qt::LeftButton,
                       Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.windowHandle(), &up);
    }
    // Answers the next alert with the button at `index` and returns its title.
    void answerAlert(int index, QString* title) {
        QTimer::singleShot(0, [index, title] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            *title = box->text();
            box->buttons().at(index)->click();
        });
    }

    QTemporaryDir dir;
    std::shared_ptr<test::FakeGrabs> grabs = std::make_shared<test::FakeGrabs>();
    std::unique_ptr<Registry> registry;
    std::shared_ptr<FakeKeyboardGrab> keyboard = std::make_shared<FakeKeyboardGrab>();
    std::optional<Name> name;
    QWidget window;
    Recorder* recorder = nullptr;
    QLineEdit* other = nullptr;
    std::vector<std::optional<Shortcut>> changes;
};

// Tab, Escape and the delete keys are special only bare; a letter needs a modifier other than Shift, a
// function key does not.
TEST_F(Recording, keysAreSpecialRefusedOrTaken) {
    EXPECT_FALSE(field().hasFocus()) << "the window becoming active does not start recording";
    const Shortcut old(Key::g, F::control | F::option);
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        bool stillRecording;
        std::optional<Shortcut> taken;
        const char* text;
    } cases[] = {
        {Qt::Key_Escape, Qt::NoModifier, false, {}, "Ctrl+Alt+G"},
        {Qt::Key_Tab, Qt::NoModifier, false, {}, "Ctrl+Alt+G"},
        {Qt::Key_A, Qt::NoModifier, true, {}, "Ctrl+Alt+G"},
        {Qt::Key_A, Qt::ShiftModifier, true, {}, "Ctrl+Alt+G"},
        {Qt::Key_Backtab, Qt::ShiftModifier, true, {}, "Ctrl+Alt+G"},
        {Qt::Key_Backspace, Qt::ShiftModifier, true, {}, "Ctrl+Alt+G"},
        {Qt::Key_Control, Qt::ControlModifier, true, {}, "Ctrl+Alt+G"},
        {Qt::Key_J, Qt::ControlModifier | Qt::AltModifier, false, Shortcut(Key::j, F::control | F::option),
         "Ctrl+Alt+J"},
        {Qt::Key_F5, Qt::NoModifier, false, Shortcut(Key::f5), "F5"},
        {Qt::Key_F6, Qt::ShiftModifier, false, Shortcut(Key::f6, F::shift), "Shift+F6"},
    };
    const WId windowId = window.windowHandle()->winId();
    for (const auto& c : cases) {
        registry->setShortcut(old, *name);
        changes.clear();
        startRecording();
        EXPECT_TRUE(registry->isPaused());
        EXPECT_EQ(keyboard->holder, windowId) << "every key goes to the recorder's window";
        press(c.key, c.modifiers);
        EXPECT_EQ(field().isRecording(), c.stillRecording) << c.key;
        EXPECT_EQ(registry->isPaused(), c.stillRecording) << c.key;
        EXPECT_EQ(keyboard->holder.has_value(), c.stillRecording) << c.key;
        EXPECT_EQ(other->hasFocus(), c.key == Qt::Key_Tab) << c.key;
        EXPECT_EQ(registry->getShortcut(*name), c.taken.value_or(old)) << c.key;
        EXPECT_EQ(field().text().toStdString(), c.text) << c.key;
        EXPECT_EQ(changes, c.taken ? std::vector{c.taken} : std::vector<std::optional<Shortcut>>{}) << c.key;
    }
}

TEST_F(Recording, backspaceAndTheClearButtonClearWhileRecordingAndWhileNot) {
    startRecording();
    press(Qt::Key_Backspace); // empty field: nothing to clear
    EXPECT_TRUE(changes.empty());
    EXPECT_FALSE(field().clearButton()->isVisible());

    registry->setShortcut(Shortcut(Key::k, F::control), *name);
    EXPECT_EQ(field().text(), QStringLiteral("Ctrl+K"));
    EXPECT_TRUE(field().clearButton()->isVisible());
    press(Qt::Key_Delete);
    EXPECT_FALSE(registry->getShortcut(*name));
    EXPECT_TRUE(field().text().isEmpty());
    EXPECT_TRUE(field().isRecording());
    ASSERT_EQ(changes.size(), 1U);
    EXPECT_FALSE(changes[0]);

    press(Qt::Key_Escape);
    registry->setShortcut(Shortcut(Key::k, F::control), *name);
    ASSERT_FALSE(field().isRecording());
    QTest::mouseClick(field().clearButton(), Qt::LeftButton);
    EXPECT_FALSE(registry->getShortcut(*name));
    EXPECT_TRUE(field().isRecording());
    EXPECT_EQ(changes.size(), 2U);
    release(*other, QPoint(2, 2));
    EXPECT_FALSE(field().isRecording());
}

// Ctrl+, is the "Settings…" item's combination; Ctrl+Alt+K is held by another X client.
TEST_F(Recording, conflictsAlertAndOnlyForceTakesADesktopShortcut) {
    QMenu menu;
    menu.addAction(QStringLiteral("Settings…"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    RecorderCocoa::setMainMenuLookup([&menu](const Shortcut& s) -> std::optional<QString> {
        const QAction* item = s.menuItemWithMatchingShortcut(menu);
        return item ? std::optional(item->text()) : std::nullopt;
    });
    const Shortcut taken(Key::k, F::control | F::option);
    grabs->heldElsewhere.insert({taken.carbonKeyCode, taken.carbonModifiers});
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        int button;
        const char* title;
        std::optional<Shortcut> stored;
    } cases[] = {
        {Qt::Key_Comma, Qt::ControlModifier, 0, "The menu item “Settings…” already uses this shortcut.", {}},
        {Qt::Key_K, Qt::ControlModifier | Qt::AltModifier, 0, "another application", {}},
        {Qt::Key_K, Qt::ControlModifier | Qt::AltModifier, 1, "another application", taken},
    };
    for (const auto& c : cases) {
        other->setFocus();
        startRecording();
        QString title;
        answerAlert(c.button, &title);
        press(c.key, c.modifiers);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        EXPECT_TRUE(title.contains(QString::fromUtf8(c.title))) << title.toStdString();
        EXPECT_EQ(registry->getShortcut(*name), c.stored);
        EXPECT_EQ(field().isRecording(), !c.stored) << "refused: recording again after the alert";
    }
    EXPECT_EQ(changes.size(), 1U);
}

// The recorder's window losing activation or closing ends recording and gives the keyboard back.
TEST_F(Recording, theKeyboardIsReleasedWhenTheWindowGoesInactiveOrCloses) {
    startRecording();
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
    EXPECT_FALSE(field().isRecording());
    EXPECT_FALSE(keyboard->holder);

    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QCoreApplication::processEvents();
    startRecording();
    EXPECT_TRUE(keyboard->holder);
    window.close();
    EXPECT_FALSE(field().isRecording());
    EXPECT_FALSE(keyboard->holder);
}

// Without a shortcut the clear button is hidden and the placeholder has the field's whole width. The spoken
// description stays while the placeholder changes.
TEST_F(Recording, placeholdersAndShortcutsAreShownWhole) {
    const auto description = [this] {
        return QAccessible::queryAccessibleInterface(&field())->text(QAccessible::Description).toStdString();
    };
    EXPECT_EQ(field().shownText().toStdString(), "Record Shortcut");
    EXPECT_EQ(description(), "Record Shortcut");
    testsupport::saveLooks(*recorder, QStringLiteral("shortcut-recorder-empty"));
    startRecording();
    EXPECT_EQ(field().shownText().toStdString(), "Type Shortcut");
    EXPECT_EQ(description(), "Record Shortcut");
    press(Qt::Key_Escape);
    // The field widens for a longer shortcut once the window lays it out again (as wide as the settings).
    window.resize(460, window.height());
    const struct {
        Shortcut shortcut;
        const char* text;
    } cases[] = {
        {Shortcut(Key::keypad1, F::control | F::option), "Ctrl+Alt+Keypad 1"},
        {Shortcut(Key::pageDown, F::control | F::option | F::shift | F::command),
         "Ctrl+Alt+Shift+Super+Page Down"},
        {Shortcut(Key::s, F::control | F::option), "Ctrl+Alt+S"},
    };
    for (const auto& c : cases) {
        registry->setShortcut(c.shortcut, *name);
        EXPECT_TRUE(QTest::qWaitFor([&] { return field().width() == field().sizeHint().width(); })) << c.text;
        EXPECT_EQ(field().shownText().toStdString(), c.text);
        EXPECT_GE(field().width(), RecorderCocoa::minimumWidth) << c.text;
        EXPECT_LE(field().geometry().right(), recorder->width()) << c.text;
        if (c.shortcut.key() == Key::pageDown) {
            testsupport::saveLooks(*recorder, QStringLiteral("shortcut-recorder-long"));
        }
    }
    registry->setShortcut(Shortcut(Key::keypad1, F::control | F::option), *name);
    ASSERT_TRUE(QTest::qWaitFor([&] { return field().width() == field().sizeHint().width(); }));
    testsupport::saveLooks(*recorder, QStringLiteral("shortcut-recorder-keypad"));
    // Where the row has no room for all of it, the field keeps its least width and cuts the text short.
    window.resize(300, window.height());
    registry->setShortcut(Shortcut(Key::pageDown, F::control | F::option | F::shift | F::command), *name);
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder->width() <= 300; }));
    EXPECT_GE(field().width(), RecorderCocoa::minimumWidth);
    EXPECT_LE(field().geometry().right(), recorder->width());
    EXPECT_TRUE(field().shownText().endsWith(QChar(0x2026))) << field().shownText().toStdString();
}

// Quitting (the tray menu's Quit) ends the program even while an alert of the recorder waits for an answer.
TEST_F(Recording, quittingEndsTheEventLoopWhileTheDesktopShortcutAlertIsOpen) {
    const Shortcut taken(Key::k, F::control | F::option);
    grabs->heldElsewhere.insert({taken.carbonKeyCode, taken.carbonModifiers});
    startRecording();
    bool alertWasOpen = false;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            alertWasOpen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr;
            QCoreApplication::quit();
        });
        press(Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
    });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    giveUp.start(std::chrono::seconds(10));
    EXPECT_EQ(QCoreApplication::exec(), 0) << "the quit was refused";
    EXPECT_TRUE(alertWasOpen);
    EXPECT_FALSE(registry->getShortcut(*name));
}

} // namespace
} // namespace huddlepod::GlobalShortcuts
