// How the tray's menu names its shortcuts to a StatusNotifier host: modifiers, then the key's X keysym name.
#include "platform/tray/DBusMenuExporter.h"
#include "platform/x11/KeyCodes.h"

#include <xkbcommon/xkbcommon.h>

#include <gtest/gtest.h>

namespace huddlepod {
namespace {

std::string asText(const QList<QStringList>& chords) {
    QStringList texts;
    for (const QStringList& chord : chords) {
        texts << "[" + chord.join(',') + "]";
    }
    return texts.join(' ').toStdString();
}

TEST(DBusMenuShortcut, namesTheModifiersAndThenTheKeysKeysym) {
    const struct {
        QKeySequence keys;
        const char* exported;
    } cases[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Comma), "[Control,comma]"},
        {QKeySequence(Qt::CTRL | Qt::Key_Q), "[Control,Q]"},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), "[Control,Shift,Z]"},
        {QKeySequence(Qt::CTRL | Qt::Key_BracketLeft), "[Control,bracketleft]"},
        {QKeySequence(Qt::CTRL | Qt::Key_Apostrophe), "[Control,apostrophe]"},
        {QKeySequence(Qt::SHIFT | Qt::META | Qt::Key_Space), "[Super,Shift,space]"},
        {QKeySequence(Qt::META | Qt::ALT | Qt::Key_PageUp), "[Super,Alt,Page_Up]"},
        {QKeySequence(Qt::CTRL | Qt::Key_Backspace), "[Control,BackSpace]"},
        {QKeySequence(Qt::SHIFT | Qt::Key_F20), "[Shift,F20]"},
        {QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus)),
         "[Control,KP_Add]"},
        {QKeySequence(Qt::KeypadModifier | Qt::Key_5), "[KP_5]"},
        {QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Clear)),
         "[Control,Num_Lock]"},
        {QKeySequence(Qt::CTRL | Qt::Key_X, Qt::CTRL | Qt::Key_C), "[Control,X] [Control,C]"},
        {QKeySequence(), ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(asText(dbusMenuShortcut(c.keys)), c.exported) << c.exported;
    }
}

// Whatever key a recorded shortcut puts in a menu, X knows the name it is given.
TEST(DBusMenuShortcut, everyKeyOfTheAppsVocabularyHasAKeysymName) {
    for (std::int64_t keyCode = 0; keyCode < 128; ++keyCode) {
        const std::optional<int> qtKey = x11::qtKeyForKeyCode(keyCode);
        if (!qtKey) {
            continue;
        }
        const std::optional<QString> name = x11::keysymNameForQtKey(*qtKey, x11::isKeypadKeyCode(keyCode));
        ASSERT_TRUE(name) << keyCode;
        EXPECT_NE(xkb_keysym_from_name(name->toLatin1().constData(), XKB_KEYSYM_NO_FLAGS), XKB_KEY_NoSymbol)
            << keyCode << " " << name->toStdString();
    }
}

} // namespace
} // namespace huddlepod
