// The system-wide hot keys the registry holds: identifiers, callbacks, and the switch between grabbed keys
// and watching every key while one of our menus is open.
#pragma once

#include "GlobalShortcuts/Shortcut.h"
#include "platform/x11/KeyGrabber.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace huddlepod::GlobalShortcuts {

class HotKeyLayer {
public:
    using Callback = std::function<void(const Shortcut&)>;

    explicit HotKeyLayer(std::unique_ptr<x11::KeyGrabber> grabber);

    // Every attempt takes a fresh identifier, even one that fails; failures are silent.
    void registerShortcut(const Shortcut& shortcut, Callback onKeyDown, Callback onKeyUp);
    // Forgets every hot key holding this shortcut.
    void unregisterShortcut(const Shortcut& shortcut);
    // Grabbed while enabled with no menu open; released (entries kept) otherwise, watching all keys while a
    // menu is open so shortcuts still work there.
    void update(bool isEnabled, bool isMenuOpen);

    // Whether an entry holds the shortcut: grabbed, or waiting while disabled or under a menu.
    bool holds(const Shortcut& shortcut) const;

    // Held by another X client (asked of the X server, whatever our own entries say).
    bool isHeldElsewhere(const Shortcut& shortcut);
    // Held by another X client (never our own hot keys) or kept by the X server.
    bool isSystemShortcut(const Shortcut& shortcut);
    // The combinations the X server keeps for itself.
    static std::vector<Shortcut> system();

    // Identifiers of the current hot keys, in order, and whether each holds its grab.
    std::vector<std::pair<int, bool>> hotKeys() const;

private:
    struct HotKey {
        Shortcut shortcut;
        bool grabbed = false;
        Callback onKeyDown;
        Callback onKeyUp;
    };

    bool grab(const Shortcut& shortcut);
    void softRegisterAll();
    void softUnregisterAll();
    bool handleKey(x11::KeyCombination combination, x11::KeyTransition transition);

    std::unique_ptr<x11::KeyGrabber> grabber_;
    std::map<int, HotKey> hotKeys_;
    int hotKeyId_ = 0;
    bool isActive_ = true; // enabled and no menu open
    bool watchesAllKeys_ = false;
};

} // namespace huddlepod::GlobalShortcuts
