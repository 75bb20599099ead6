// The identifier of an action a global shortcut can be assigned to, with its optional default shortcut.
#pragma once

#include "GlobalShortcuts/Shortcut.h"

#include <QHashFunctions>
#include <QString>

#include <optional>

namespace huddlepod::GlobalShortcuts {

struct Name {
    QString rawValue;
    std::optional<Shortcut> defaultShortcut;

    // Both hook the name into the registry; the second also stores the default when the settings hold nothing
    // at all under the name's key (a cleared name, stored as false, keeps its cleared state).
    explicit Name(QString raw);
    Name(QString raw, std::optional<Shortcut> defaultValue);

    // The settings key: "GlobalShortcuts_" + rawValue.
    QString settingsKey() const { return QStringLiteral("GlobalShortcuts_") + rawValue; }

    std::optional<Shortcut> shortcut() const;
    void setShortcut(const std::optional<Shortcut>& shortcut) const;

    // Identity is the identifier alone.
    bool operator==(const Name& other) const { return rawValue == other.rawValue; }
};

inline size_t qHash(const Name& name, size_t seed = 0) {
    return qHash(name.rawValue, seed);
}

// The app's one name: the panel toggle, Ctrl+Alt+S unless the user records another.
Name toggleSearchName();

} // namespace huddlepod::GlobalShortcuts
