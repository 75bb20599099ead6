// Display text, menu text, stored form and menu matching of a shortcut.
#include "GlobalShortcuts/Shortcut.h"

#include "platform/x11/KeyCodes.h"
#include "platform/x11/KeyboardLayout.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QTextBoundaryFinder>

#include <nlohmann/json.hpp>

#include <array>
#include <limits>
#include <utility>

namespace huddlepod::GlobalShortcuts {

namespace {

QString withMark(const char* base, char16_t mark) {
    return QString::fromUtf8(base) + QChar(mark);
}

std::optional<QString> specialKeyText(Key key) {
    constexpr char16_t enclosingCircle = 0x20DD;
    constexpr char16_t keycap = 0x20E3;
    static const std::array<std::pair<Key, QString>, 33> table{{
        {Key::return_, QStringLiteral("↩")},
        {Key::delete_, QStringLiteral("⌫")},
        {Key::deleteForward, QStringLiteral("⌦")},
        {Key::end, QStringLiteral("↘")},
        {Key::escape, QStringLiteral("⎋")},
        {Key::help, withMark("?", enclosingCircle)},
        {Key::home, QStringLiteral("↖")},
        {Key::space, QStringLiteral("Space")},
        {Key::tab, QStringLiteral("⇥")},
        {Key::pageUp, QStringLiteral("⇞")},
        {Key::pageDown, QStringLiteral("⇟")},
        {Key::upArrow, QStringLiteral("↑")},
        {Key::rightArrow, QStringLiteral("→")},
        {Key::downArrow, QStringLiteral("↓")},
        {Key::leftArrow, QStringLiteral("←")},
        {Key::keypad0, withMark("0", keycap)},
        {Key::keypad1, withMark("1", keycap)},
        {Key::keypad2, withMark("2", keycap)},
        {Key::keypad3, withMark("3", keycap)},
        {Key::keypad4, withMark("4", keycap)},
        {Key::keypad5, withMark("5", keycap)},
        {Key::keypad6, withMark("6", keycap)},
        {Key::keypad7, withMark("7", keycap)},
        {Key::keypad8, withMark("8", keycap)},
        {Key::keypad9, withMark("9", keycap)},
        {Key::keypadClear, withMark("☒", keycap)},
        {Key::keypadDecimal, withMark(".", keycap)},
        {Key::keypadDivide, withMark("/", keycap)},
        {Key::keypadEnter, withMark("↩", keycap)},
        {Key::keypadEquals, withMark("=", keycap)},
        {Key::keypadMinus, withMark("-", keycap)},
        {Key::keypadMultiply, withMark("*", keycap)},
        {Key::keypadPlus, withMark("+", keycap)},
    }};
    for (const auto& [k, text] : table) {
        if (k == key) {
            return text;
        }
    }
    return std::nullopt;
}

// What the desktop calls the keys the layout gives no character for, and the keypad's keys (whose
// characters alone would read like the main keys'). The Mac's help and keypad-clear keys sit where Insert
// and Num Lock are.
std::optional<QString> namedKeyText(Key key) {
    static const std::array<std::pair<Key, QString>, 33> table{{
        {Key::return_, QStringLiteral("Return")},
        {Key::delete_, QStringLiteral("Backspace")},
        {Key::deleteForward, QStringLiteral("Delete")},
        {Key::end, QStringLiteral("End")},
        {Key::escape, QStringLiteral("Escape")},
        {Key::help, QStringLiteral("Insert")},
        {Key::home, QStringLiteral("Home")},
        {Key::space, QStringLiteral("Space")},
        {Key::tab, QStringLiteral("Tab")},
        {Key::pageUp, QStringLiteral("Page Up")},
        {Key::pageDown, QStringLiteral("Page Down")},
        {Key::upArrow, QStringLiteral("Up")},
        {Key::rightArrow, QStringLiteral("Right")},
        {Key::downArrow, QStringLiteral("Down")},
        {Key::leftArrow, QStringLiteral("Left")},
        {Key::keypad0, QStringLiteral("Keypad 0")},
        {Key::keypad1, QStringLiteral("Keypad 1")},
        {Key::keypad2, QStringLiteral("Keypad 2")},
        {Key::keypad3, QStringLiteral("Keypad 3")},
        {Key::keypad4, QStringLiteral("Keypad 4")},
        {Key::keypad5, QStringLiteral("Keypad 5")},
        {Key::keypad6, QStringLiteral("Keypad 6")},
        {Key::keypad7, QStringLiteral("Keypad 7")},
        {Key::keypad8, QStringLiteral("Keypad 8")},
        {Key::keypad9, QStringLiteral("Keypad 9")},
        {Key::keypadClear, QStringLiteral("Num Lock")},
        {Key::keypadDecimal, QStringLiteral("Keypad .")},
        {Key::keypadDivide, QStringLiteral("Keypad /")},
        {Key::keypadEnter, QStringLiteral("Keypad Enter")},
        {Key::keypadEquals, QStringLiteral("Keypad =")},
        {Key::keypadMinus, QStringLiteral("Keypad -")},
        {Key::keypadMultiply, QStringLiteral("Keypad *")},
        {Key::keypadPlus, QStringLiteral("Keypad +")},
    }};
    for (const auto& [k, text] : table) {
        if (k == key) {
            return text;
        }
    }
    return std::nullopt;
}

constexpr std::array<Key, 20> kFunctionKeys{
    Key::f1,  Key::f2,  Key::f3,  Key::f4,  Key::f5,  Key::f6,  Key::f7,  Key::f8,  Key::f9,  Key::f10,
    Key::f11, Key::f12, Key::f13, Key::f14, Key::f15, Key::f16, Key::f17, Key::f18, Key::f19, Key::f20};

std::optional<int> functionKeyNumber(Key key) {
    for (std::size_t i = 0; i < kFunctionKeys.size(); ++i) {
        if (kFunctionKeys[i] == key) {
            return static_cast<int>(i) + 1;
        }
    }
    return std::nullopt;
}

// First letter of each word upper case, the rest lower case.
QString capitalized(const QString& text) {
    QString result;
    result.reserve(text.size());
    bool wordStart = true;
    for (const QChar c : text) {
        result += wordStart ? c.toUpper() : c.toLower();
        wordStart = c.isSpace();
    }
    return result;
}

qsizetype graphemeCount(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() > 0) {
        ++count;
    }
    return count;
}

bool isModifierKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return true;
    default:
        return false;
    }
}

std::optional<std::int64_t> integerMember(const nlohmann::json& object, const char* name) {
    const auto it = object.find(name);
    if (it == object.end() || !it->is_number_integer()) {
        return std::nullopt;
    }
    if (it->is_number_unsigned() &&
        it->get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        return std::nullopt;
    }
    return it->get<std::int64_t>();
}

} // namespace

Shortcut::Shortcut(std::int64_t keyCode, std::int64_t modifiers)
    : carbonKeyCode(keyCode)
    , carbonModifiers(carbon(modifierFlagsFromCarbon(modifiers))) {}

Shortcut::Shortcut(Key key, ModifierFlags modifiers)
    : carbonKeyCode(key.rawValue)
    , carbonModifiers(carbon(modifiers)) {}

std::optional<Shortcut> Shortcut::fromKeyEvent(const QKeyEvent& event) {
    if ((event.type() != QEvent::KeyPress && event.type() != QEvent::KeyRelease) ||
        isModifierKey(event.key())) {
        return std::nullopt;
    }
    std::optional<std::int64_t> keyCode;
    if (event.nativeScanCode() > 0 && event.nativeScanCode() < 256) {
        keyCode = x11::keyCodeForXKeycode(static_cast<std::uint8_t>(event.nativeScanCode()));
    }
    if (!keyCode) {
        keyCode = x11::keyCodeForQtKey(event.key(), event.modifiers().testFlag(Qt::KeypadModifier));
    }
    if (!keyCode) {
        return std::nullopt;
    }
    return Shortcut(Key(*keyCode), modifierFlagsFromQt(event.modifiers()));
}

QByteArray Shortcut::toJson() const {
    const nlohmann::ordered_json json{{"carbonKeyCode", carbonKeyCode}, {"carbonModifiers", carbonModifiers}};
    return QByteArray::fromStdString(json.dump());
}

std::optional<Shortcut> Shortcut::fromJson(const QByteArray& json) {
    const nlohmann::json parsed = nlohmann::json::parse(json.begin(), json.end(), nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object()) {
        return std::nullopt;
    }
    const std::optional<std::int64_t> keyCode = integerMember(parsed, "carbonKeyCode");
    const std::optional<std::int64_t> modifiers = integerMember(parsed, "carbonModifiers");
    if (!keyCode || !modifiers) {
        return std::nullopt;
    }
    Shortcut shortcut{Key(*keyCode)};
    shortcut.carbonModifiers = *modifiers;
    return shortcut;
}

std::optional<QString> Shortcut::keyToCharacter() const {
    if (std::optional<QString> special = specialKeyText(key())) {
        return special;
    }
    if (const std::optional<int> number = functionKeyNumber(key())) {
        return QStringLiteral("F%1").arg(*number);
    }
    return x11::layoutCharacterForKeyCode(carbonKeyCode);
}

std::optional<QString> Shortcut::keyName() const {
    if (std::optional<QString> named = namedKeyText(key())) {
        return named;
    }
    if (const std::optional<int> number = functionKeyNumber(key())) {
        return QStringLiteral("F%1").arg(*number);
    }
    const std::optional<QString> character = x11::layoutCharacterForKeyCode(carbonKeyCode);
    if (!character || character->isEmpty()) {
        return std::nullopt;
    }
    return capitalized(*character);
}

QString Shortcut::description() const {
    const QString modifierText = GlobalShortcuts::description(modifiers());
    const QString keyText = keyName().value_or(QString(QChar(0xFFFD)));
    return modifierText.isEmpty() ? keyText : modifierText + QLatin1Char('+') + keyText;
}

QString Shortcut::keyEquivalent() const {
    const QString text = keyToCharacter().value_or(QString());
    if (graphemeCount(text) < 2) {
        return text;
    }
    if (key() == Key::space) {
        return QStringLiteral(" ");
    }
    if (const std::optional<int> number = functionKeyNumber(key())) {
        return QString(QChar(static_cast<char16_t>(0xF703 + *number)));
    }
    return QString();
}

QKeySequence Shortcut::keySequence() const {
    const std::optional<int> qtKey = x11::qtKeyForKeyCode(carbonKeyCode);
    if (!qtKey || !hasOnlyKnownModifiers()) {
        return QKeySequence();
    }
    Qt::KeyboardModifiers modifiers = qtModifiers(this->modifiers());
    if (x11::isKeypadKeyCode(carbonKeyCode)) {
        modifiers |= Qt::KeypadModifier;
    }
    return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(*qtKey)));
}

QAction* Shortcut::menuItemWithMatchingShortcut(const QMenu& menu) const {
    for (QAction* action : menu.actions()) {
        const QKeySequence sequence = action->shortcut();
        if (sequence.count() == 1) {
            const QKeyCombination combination = sequence[0];
            const int qtKey = combination.key();
            // A printable key matches by the character this layout gives; other keys by their identity.
            bool keyMatches = false;
            const bool keypad = combination.keyboardModifiers().testFlag(Qt::KeypadModifier);
            if (qtKey > Qt::Key_Space && qtKey <= Qt::Key_AsciiTilde && !keypad) {
                const std::optional<QString> character = keyToCharacter();
                keyMatches = character && character->toLower() == QString(QChar(qtKey)).toLower();
            } else {
                const std::optional<std::int64_t> keyCode = x11::keyCodeForQtKey(qtKey, keypad);
                keyMatches = keyCode && *keyCode == carbonKeyCode;
            }
            const Qt::KeyboardModifiers itemModifiers = combination.keyboardModifiers() & ~Qt::KeypadModifier;
            if (keyMatches && hasOnlyKnownModifiers() && itemModifiers == qtModifiers(modifiers())) {
                return action;
            }
        }
        if (action->menu() != nullptr) {
            if (QAction* found = menuItemWithMatchingShortcut(*action->menu())) {
                return found;
            }
        }
    }
    return nullptr;
}

} // namespace huddlepod::GlobalShortcuts
