// The application's key equivalents: Ctrl+, opens the settings, Ctrl+Q quits, and the editing keys reach the
// focused text field of the panel or of the settings window. A tray application has no menu bar to carry
// them, so one application-wide event filter maps each key press to its command.
#pragma once

#include <QKeySequence>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QKeyEvent;

namespace huddlepod {

class MainMenu : public QObject {
    Q_OBJECT

public:
    enum class Command { settings, quit, undo, redo, cut, copy, paste, selectAll };
    struct Item {
        QString title;
        Command command;
        QKeySequence keys;
    };

    // "Settings…" (Ctrl+,) and "Quit Huddlepod" (Ctrl+Q).
    static const std::vector<Item>& applicationItems();
    // Undo, Redo (Ctrl+Shift+Z), Cut, Copy, Paste, Select All.
    static const std::vector<Item>& editingCommands();
    // The command a key press stands for, if any.
    static std::optional<Command> commandFor(const QKeyEvent& event);

    // Installs the filter on the application; the returned object (owned by the application) removes it when
    // deleted.
    static MainMenu* install(std::function<void()> openSettings, std::function<void()> quit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MainMenu(std::function<void()> openSettings, std::function<void()> quit);
    // Performs the command; false when nothing could take it (no text field has focus).
    bool perform(Command command);

    std::function<void()> openSettings_;
    std::function<void()> quit_;
};

} // namespace huddlepod
