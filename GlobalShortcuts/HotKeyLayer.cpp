// Hot-key bookkeeping over the key grabber.
#include "GlobalShortcuts/HotKeyLayer.h"

#include <utility>

namespace huddlepod::GlobalShortcuts {

namespace {

x11::KeyCombination combinationOf(const Shortcut& shortcut) {
    return x11::KeyCombination{shortcut.carbonKeyCode, shortcut.carbonModifiers};
}

} // namespace

HotKeyLayer::HotKeyLayer(std::unique_ptr<x11::KeyGrabber> grabber)
    : grabber_(std::move(grabber)) {
    grabber_->setHandler([this](x11::KeyCombination combination, x11::KeyTransition transition) {
        return handleKey(combination, transition);
    });
}

bool HotKeyLayer::grab(const Shortcut& shortcut) {
    // A stored value with modifier bits we do not know would otherwise be grabbed as a different combination.
    return shortcut.hasOnlyKnownModifiers() && grabber_->grab(combinationOf(shortcut));
}

void HotKeyLayer::registerShortcut(const Shortcut& shortcut, Callback onKeyDown, Callback onKeyUp) {
    const int id = ++hotKeyId_;
    if (!shortcut.hasOnlyKnownModifiers()) {
        return;
    }
    // While disabled or under a menu the entry waits ungrabbed; the next soft registration takes it or drops
    // it.
    const bool grabbed = isActive_ && grab(shortcut);
    if (isActive_ && !grabbed) {
        return;
    }
    hotKeys_.emplace(id, HotKey{shortcut, grabbed, std::move(onKeyDown), std::move(onKeyUp)});
}

void HotKeyLayer::unregisterShortcut(const Shortcut& shortcut) {
    for (auto it = hotKeys_.begin(); it != hotKeys_.end();) {
        if (it->second.shortcut == shortcut) {
            if (it->second.grabbed) {
                grabber_->ungrab(combinationOf(shortcut));
            }
            it = hotKeys_.erase(it);
        } else {
            ++it;
        }
    }
}

void HotKeyLayer::softRegisterAll() {
    for (auto it = hotKeys_.begin(); it != hotKeys_.end();) {
        if (!it->second.grabbed && !grab(it->second.shortcut)) {
            it = hotKeys_.erase(it); // lost to another client meanwhile: dropped (the registry tries again)
            continue;
        }
        it->second.grabbed = true;
        ++it;
    }
}

void HotKeyLayer::softUnregisterAll() {
    for (auto& [id, hotKey] : hotKeys_) {
        if (hotKey.grabbed) {
            grabber_->ungrab(combinationOf(hotKey.shortcut));
            hotKey.grabbed = false;
        }
    }
}

void HotKeyLayer::update(bool isEnabled, bool isMenuOpen) {
    isActive_ = isEnabled && !isMenuOpen;
    watchesAllKeys_ = isEnabled && isMenuOpen;
    if (isActive_) {
        softRegisterAll();
    } else {
        softUnregisterAll();
    }
    grabber_->setWatchesAllKeys(watchesAllKeys_);
}

bool HotKeyLayer::handleKey(x11::KeyCombination combination, x11::KeyTransition transition) {
    if (!isActive_ && !watchesAllKeys_) {
        return false;
    }
    for (const auto& [id, hotKey] : hotKeys_) {
        if (combinationOf(hotKey.shortcut) != combination || (isActive_ && !hotKey.grabbed)) {
            continue;
        }
        // Copies: a callback may change the table.
        const Shortcut shortcut = hotKey.shortcut;
        const Callback callback = transition == x11::KeyTransition::press ? hotKey.onKeyDown : hotKey.onKeyUp;
        if (callback) {
            callback(shortcut);
        }
        return true;
    }
    return false;
}

bool HotKeyLayer::holds(const Shortcut& shortcut) const {
    for (const auto& [id, hotKey] : hotKeys_) {
        if (hotKey.shortcut == shortcut) {
            return true;
        }
    }
    return false;
}

bool HotKeyLayer::isSystemShortcut(const Shortcut& shortcut) {
    for (const Shortcut& reserved : system()) {
        if (reserved == shortcut) {
            return true;
        }
    }
    for (const auto& [id, hotKey] : hotKeys_) {
        if (hotKey.shortcut == shortcut) {
            return false; // ours
        }
    }
    return isHeldElsewhere(shortcut);
}

bool HotKeyLayer::isHeldElsewhere(const Shortcut& shortcut) {
    return shortcut.hasOnlyKnownModifiers() && grabber_->isHeldElsewhere(combinationOf(shortcut));
}

std::vector<Shortcut> HotKeyLayer::system() {
    std::vector<Shortcut> shortcuts;
    for (const x11::KeyCombination& combination : x11::serverReservedCombinations()) {
        shortcuts.emplace_back(combination.keyCode, combination.modifiers);
    }
    return shortcuts;
}

std::vector<std::pair<int, bool>> HotKeyLayer::hotKeys() const {
    std::vector<std::pair<int, bool>> result;
    for (const auto& [id, hotKey] : hotKeys_) {
        result.emplace_back(id, hotKey.grabbed);
    }
    return result;
}

} // namespace huddlepod::GlobalShortcuts
