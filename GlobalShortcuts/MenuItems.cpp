// Menu actions that follow a name, owner-bound subscriptions and the alerts of the recorder.
#include "GlobalShortcuts/MenuItems.h"

#include <QAbstractButton>
#include <QAction>
#include <QPushButton>
#include <QWidget>

#include <algorithm>

namespace huddlepod::GlobalShortcuts {

namespace {

constexpr const char* kBindingName = "huddlepod_shortcutNameBinding";

// Lives as a child of whatever it is bound to, so the binding ends with it.
class Binding : public QObject {
public:
    explicit Binding(QObject& owner)
        : QObject(&owner) {}
    Subscription subscription;
};

} // namespace

void setShortcut(QAction& action, const std::optional<Shortcut>& shortcut) {
    action.setShortcut(shortcut ? shortcut->keySequence() : QKeySequence());
    // A menu draws what follows a tab in the title as the item's keys, in place of Qt's own naming of the
    // key sequence ("Meta+K" for Super+K), so a menu names the keys as the hint and the settings do.
    const QString title = action.text().section(QLatin1Char('\t'), 0, 0);
    action.setText(shortcut ? title + QLatin1Char('\t') + shortcut->description() : title);
}

void setShortcut(QAction& action, const std::optional<Name>& name) {
    delete action.findChild<QObject*>(QLatin1String(kBindingName), Qt::FindDirectChildrenOnly);
    if (!name) {
        setShortcut(action, std::optional<Shortcut>());
        return;
    }
    Registry& registry = Registry::shared();
    setShortcut(action, registry.getShortcut(*name));
    auto* binding = new QObject(&action);
    binding->setObjectName(QLatin1String(kBindingName));
    QObject::connect(&registry, &Registry::shortcutByNameDidChange, binding,
                     [&action, followed = *name, &registry](const Name& changed) {
                         if (changed == followed) {
                             setShortcut(action, registry.getShortcut(followed));
                         }
                     });
}

void onKeyboardShortcut(QObject& owner, const Name& name, std::function<void(EventType)> handler) {
    auto* binding = new Binding(owner);
    binding->subscription = Registry::shared().events(name, std::move(handler));
}

void onKeyboardShortcut(QObject& owner, const Name& name, EventType type, Action handler) {
    auto* binding = new Binding(owner);
    binding->subscription = Registry::shared().on(type, name, std::move(handler));
}

std::unique_ptr<QMessageBox> makeAlert(const QString& title, const QString& message, QMessageBox::Icon icon,
                                       const QStringList& buttonTitles) {
    auto alert = std::make_unique<QMessageBox>();
    alert->setText(title);
    alert->setIcon(icon);
    for (const QString& buttonTitle : buttonTitles) {
        QPushButton* button = alert->addButton(buttonTitle, QMessageBox::AcceptRole);
        // Escape and closing the box (as quitting does) answer as the first button; a box without an escape
        // button refuses to close.
        if (alert->escapeButton() == nullptr) {
            alert->setEscapeButton(button);
        }
    }
    if (buttonTitles.isEmpty()) {
        alert->addButton(QMessageBox::Ok);
    }
    if (!message.isEmpty()) {
        alert->setInformativeText(message);
    }
    return alert;
}

int runModal(QMessageBox& alert, QWidget* window) {
    if (window != nullptr) {
        alert.setParent(window->window(), alert.windowFlags());
        alert.setWindowModality(Qt::WindowModal);
    } else {
        alert.setWindowModality(Qt::ApplicationModal);
    }
    alert.exec();
    const int index = alert.buttons().indexOf(alert.clickedButton());
    // Closing the box without a button answers as its first button.
    return kFirstButton + std::max<qsizetype>(index, 0);
}

} // namespace huddlepod::GlobalShortcuts
