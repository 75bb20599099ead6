// The shortcut value: normalisation, display text, stored form, key events and menu matching.
#include "GlobalShortcuts/Shortcut.h"
#include "GlobalShortcuts/Name.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>

#include <gtest/gtest.h>

namespace huddlepod::GlobalShortcuts {
namespace {

using F = ModifierFlag;

// Built, only the four modifiers are kept; read back, every bit is.
TEST(Shortcut, storedFormRoundTripsKeepsUnknownBitsAndRejectsOtherShapes) {
    EXPECT_EQ(Shortcut(1, 0x1800 | 0x10000 | 0x1).carbonModifiers, 0x1800);
    const auto read = Shortcut::fromJson(R"({"carbonModifiers":71680,"carbonKeyCode":1})");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->carbonModifiers, 71680);
    EXPECT_FALSE(read->hasOnlyKnownModifiers());
    EXPECT_NE(*read, Shortcut(1, 71680));
    const Shortcut standard(Key::s, F::control | F::option);
    EXPECT_EQ(standard.toJson(), R"({"carbonKeyCode":1,"carbonModifiers":6144})");
    EXPECT_EQ(Shortcut::fromJson(standard.toJson()), standard);
    for (const char* text :
         {"", "false", "{", "[1,6144]", R"({"carbonKeyCode":1})",
          R"({"carbonKeyCode":"1","carbonModifiers":0})", R"({"carbonKeyCode":1.5,"carbonModifiers":0})",
          R"({"carbonKeyCode":1,"carbonModifiers":18446744073709551615})"}) {
        EXPECT_FALSE(Shortcut::fromJson(text)) << text;
    }
}

// The desktop's key names, modifiers first in the order Ctrl, Alt, Shift, Super, all joined by "+".
TEST(Shortcut, displayTextNamesModifiersAndKeysAsTheDesktopDoes) {
    const struct {
        Shortcut shortcut;
        const char* text;
    } cases[] = {
        {Shortcut(Key::s, F::option | F::control), "Ctrl+Alt+S"},
        {Shortcut(Key::space, F::command | F::shift), "Shift+Super+Space"},
        {Shortcut(Key::comma, F::command | F::shift | F::option | F::control), "Ctrl+Alt+Shift+Super+,"},
        {Shortcut(Key::f5), "F5"},
        {Shortcut(Key::f20, F::shift), "Shift+F20"},
        {Shortcut(Key(300), F::control), "Ctrl+\uFFFD"},
        {Shortcut(Key::return_, F::control), "Ctrl+Return"},
        {Shortcut(Key::delete_, F::control), "Ctrl+Backspace"},
        {Shortcut(Key::deleteForward, F::control), "Ctrl+Delete"},
        {Shortcut(Key::escape, F::command), "Super+Escape"},
        {Shortcut(Key::tab, F::option), "Alt+Tab"},
        {Shortcut(Key::help, F::control), "Ctrl+Insert"},
        {Shortcut(Key::home, F::control), "Ctrl+Home"},
        {Shortcut(Key::end, F::control), "Ctrl+End"},
        {Shortcut(Key::pageUp, F::control), "Ctrl+Page Up"},
        {Shortcut(Key::pageDown, F::control), "Ctrl+Page Down"},
        {Shortcut(Key::leftArrow, F::control), "Ctrl+Left"},
        {Shortcut(Key::rightArrow, F::control), "Ctrl+Right"},
        {Shortcut(Key::upArrow, F::control), "Ctrl+Up"},
        {Shortcut(Key::downArrow, F::control), "Ctrl+Down"},
        {Shortcut(Key::keypad5, F::control), "Ctrl+Keypad 5"},
        {Shortcut(Key::keypadEnter, F::control), "Ctrl+Keypad Enter"},
        {Shortcut(Key::keypadPlus, F::control), "Ctrl+Keypad +"},
        {Shortcut(Key::keypadClear, F::control), "Ctrl+Num Lock"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.shortcut.description().toStdString(), c.text);
    }
    EXPECT_EQ(description(F::function | F::command | F::control).toStdString(), "Ctrl+Super+Fn");
    EXPECT_EQ(description({}).toStdString(), "");
}

// One-grapheme characters stand for themselves; the rest become a space or a function-key character.
TEST(Shortcut, keyEquivalentsOfLettersMarksSpaceAndFunctionKeys) {
    const struct {
        Key key;
        const char* text;
    } cases[] = {
        {Key::s, "s"},          {Key::escape, "⎋"},        {Key::return_, "↩"},
        {Key::help, "?\u20DD"}, {Key::keypad0, "0\u20E3"}, {Key::space, " "},
        {Key::f1, "\uF704"},    {Key::f20, "\uF717"},      {Key(300), ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Shortcut(c.key, ModifierFlag::command).keyEquivalent(), QString::fromUtf8(c.text))
            << c.text;
    }
}

TEST(Shortcut, fromKeyEventIgnoresModifierKeysAndOtherEvents) {
    const QKeyEvent press(QEvent::KeyPress, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(Shortcut::fromKeyEvent(press), Shortcut(Key::s, F::control | F::option));
    const QKeyEvent keypad(QEvent::KeyRelease, Qt::Key_5, Qt::KeypadModifier | Qt::MetaModifier);
    EXPECT_EQ(Shortcut::fromKeyEvent(keypad), Shortcut(Key::keypad5, F::command));
    EXPECT_FALSE(Shortcut::fromKeyEvent(QKeyEvent(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier)));
    EXPECT_FALSE(Shortcut::fromKeyEvent(QKeyEvent(QEvent::ShortcutOverride, Qt::Key_S, Qt::NoModifier)));
    // And back: a menu's key sequence keeps the keypad.
    EXPECT_EQ(Shortcut(Key::keypadPlus, F::command).keySequence(),
              QKeySequence(QKeyCombination(Qt::MetaModifier | Qt::KeypadModifier, Qt::Key_Plus)));
}

TEST(Shortcut, findsTheMenuActionWithTheSameCombinationInSubmenus) {
    QMenu menu;
    menu.addAction(QStringLiteral("Settings…"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    QAction* save = menu.addMenu(QStringLiteral("More"))->addAction(QStringLiteral("Save"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    EXPECT_EQ(Shortcut(Key::s, F::control | F::shift).menuItemWithMatchingShortcut(menu), save);
    EXPECT_EQ(Shortcut(Key::s, F::control).menuItemWithMatchingShortcut(menu), nullptr);
}

} // namespace
} // namespace huddlepod::GlobalShortcuts
