// Keeps menu actions and objects in step with named shortcuts: key sequences, view subscriptions and alerts.
#pragma once

#include "GlobalShortcuts/GlobalShortcuts.h"

#include <QMessageBox>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QWidget;

namespace huddlepod::GlobalShortcuts {

// Gives the action the shortcut's key sequence and shows its text ("Ctrl+Alt+S") as the menu item's keys
// (both cleared with nothing).
void setShortcut(QAction& action, const std::optional<Shortcut>& shortcut);
// Follows the name: the action shows its stored shortcut and updates whenever it changes; nothing stops
// following (and clears the key sequence). Following a new name replaces the earlier one.
void setShortcut(QAction& action, const std::optional<Name>& name);

// Runs the handler for the name's events for as long as the owner lives.
void onKeyboardShortcut(QObject& owner, const Name& name, std::function<void(EventType)> handler);
void onKeyboardShortcut(QObject& owner, const Name& name, EventType type, Action handler);

// The first button of an alert answers kFirstButton, the second kFirstButton + 1, and so on.
constexpr int kFirstButton = 1000;

std::unique_ptr<QMessageBox> makeAlert(const QString& title, const QString& message, QMessageBox::Icon icon,
                                       const QStringList& buttonTitles = {});
// Modal to the window when there is one (a sheet-like window-modal box), else to the application.
int runModal(QMessageBox& alert, QWidget* window);

} // namespace huddlepod::GlobalShortcuts
