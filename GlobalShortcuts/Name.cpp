// Names hook themselves into the process-wide registry, as the registry's defaults depend on it.
#include "GlobalShortcuts/Name.h"

#include "GlobalShortcuts/GlobalShortcuts.h"

#include <utility>

namespace huddlepod::GlobalShortcuts {

Name::Name(QString raw)
    : rawValue(std::move(raw)) {
    Registry::shared().nameCreated(*this);
}

Name::Name(QString raw, std::optional<Shortcut> defaultValue)
    : rawValue(std::move(raw))
    , defaultShortcut(defaultValue) {
    Registry::shared().nameCreated(*this);
}

std::optional<Shortcut> Name::shortcut() const {
    return Registry::shared().getShortcut(*this);
}

void Name::setShortcut(const std::optional<Shortcut>& shortcut) const {
    Registry::shared().setShortcut(shortcut, *this);
}

Name toggleSearchName() {
    return Name(QStringLiteral("toggleSearch"),
                Shortcut(Key::s, ModifierFlag::control | ModifierFlag::option));
}

} // namespace huddlepod::GlobalShortcuts
