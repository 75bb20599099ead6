// Key presses to commands, application-wide.
#include "app/MainMenu.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace huddlepod {

const std::vector<MainMenu::Item>& MainMenu::applicationItems() {
    static const std::vector<Item> items{
        {QStringLiteral("Settings…"), Command::settings, QKeySequence(Qt::CTRL | Qt::Key_Comma)},
        {QStringLiteral("Quit Huddlepod"), Command::quit, QKeySequence(Qt::CTRL | Qt::Key_Q)},
    };
    return items;
}

const std::vector<MainMenu::Item>& MainMenu::editingCommands() {
    static const std::vector<Item> items{
        {QStringLiteral("Undo"), Command::undo, QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {QStringLiteral("Redo"), Command::redo, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
        {QStringLiteral("Cut"), Command::cut, QKeySequence(Qt::CTRL | Qt::Key_X)},
        {QStringLiteral("Copy"), Command::copy, QKeySequence(Qt::CTRL | Qt::Key_C)},
        {QStringLiteral("Paste"), Command::paste, QKeySequence(Qt::CTRL | Qt::Key_V)},
        {QStringLiteral("Select All"), Command::selectAll, QKeySequence(Qt::CTRL | Qt::Key_A)},
    };
    return items;
}

std::optional<MainMenu::Command> MainMenu::commandFor(const QKeyEvent& event) {
    // Keypad digits and the like do not count; only the key and the four modifiers.
    const Qt::KeyboardModifiers modifiers =
        event.modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
    const QKeySequence pressed(QKeyCombination(modifiers, Qt::Key(event.key())));
    for (const auto* items : {&applicationItems(), &editingCommands()}) {
        for (const Item& item : *items) {
            if (item.keys == pressed) {
                return item.command;
            }
        }
    }
    return std::nullopt;
}

MainMenu* MainMenu::install(std::function<void()> openSettings, std::function<void()> quit) {
    auto* menu = new MainMenu(std::move(openSettings), std::move(quit));
    menu->setParent(qApp);
    qApp->installEventFilter(menu);
    return menu;
}

MainMenu::MainMenu(std::function<void()> openSettings, std::function<void()> quit)
    : openSettings_(std::move(openSettings))
    , quit_(std::move(quit)) {}

bool MainMenu::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QObject::eventFilter(watched, event);
    }
    const std::optional<Command> command = commandFor(static_cast<const QKeyEvent&>(*event));
    return command && perform(*command);
}

bool MainMenu::perform(Command command) {
    switch (command) {
    case Command::settings:
        if (openSettings_) {
            openSettings_();
        }
        return true;
    case Command::quit:
        if (quit_) {
            quit_();
        }
        return true;
    default:
        break;
    }
    auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (!field) {
        return false;
    }
    switch (command) {
    case Command::undo:
        field->undo();
        break;
    case Command::redo:
        field->redo();
        break;
    case Command::cut:
        field->cut();
        break;
    case Command::copy:
        field->copy();
        break;
    case Command::paste:
        field->paste();
        break;
    case Command::selectAll:
        field->selectAll();
        break;
    case Command::settings:
    case Command::quit:
        break;
    }
    return true;
}

} // namespace huddlepod
