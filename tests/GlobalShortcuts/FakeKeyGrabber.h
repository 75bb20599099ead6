// A key grabber that keeps its grabs in memory; tests press keys through it.
#pragma once

#include "platform/x11/KeyGrabber.h"

#include <map>
#include <memory>
#include <set>
#include <utility>

namespace huddlepod::test {

using KeyPair = std::pair<std::int64_t, std::int64_t>;
inline KeyPair keyPair(x11::KeyCombination c) {
    return {c.keyCode, c.modifiers};
}

struct FakeGrabs {
    std::map<KeyPair, int> counts;
    std::set<KeyPair> heldElsewhere;
    bool watchesAllKeys = false;
    x11::KeyGrabber::Handler handler;

    int count(x11::KeyCombination c) const {
        const auto it = counts.find(keyPair(c));
        return it == counts.end() ? 0 : it->second;
    }
    // Delivers what the X server would: grabbed combinations, or every key while all are watched.
    bool press(x11::KeyCombination c) {
        if ((count(c) == 0 && !watchesAllKeys) || !handler) {
            return false;
        }
        const bool consumed = handler(c, x11::KeyTransition::press);
        handler(c, x11::KeyTransition::release);
        return consumed;
    }
};

class FakeKeyGrabber : public x11::KeyGrabber {
public:
    explicit FakeKeyGrabber(std::shared_ptr<FakeGrabs> grabs)
        : grabs_(std::move(grabs)) {}

    bool grab(x11::KeyCombination c) override {
        return !isHeldElsewhere(c) && ++grabs_->counts[keyPair(c)] > 0;
    }
    void ungrab(x11::KeyCombination c) override {
        if (const auto it = grabs_->counts.find(keyPair(c));
            it != grabs_->counts.end() && --it->second == 0) {
            grabs_->counts.erase(it);
        }
    }
    bool isHeldElsewhere(x11::KeyCombination c) override {
        return grabs_->heldElsewhere.contains(keyPair(c));
    }
    void setWatchesAllKeys(bool watches) override { grabs_->watchesAllKeys = watches; }
    void setHandler(Handler handler) override { grabs_->handler = std::move(handler); }

private:
    std::shared_ptr<FakeGrabs> grabs_;
};

} // namespace huddlepod::test
