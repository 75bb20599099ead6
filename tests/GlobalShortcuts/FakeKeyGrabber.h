// A key grabber that keeps its grabs in memory; tests press keys through it.
#pragma once

#include "platform/x11/KeyGrabber.h"

#include <map>
#include <memory>
#include <set>
#include <utility>

namespace huddlepod::test {

struct FakeGrabs {
    std::map<std::pair<std::int64_t, std::int64_t>, int> counts;
    std::set<std::pair<std::int64_t, std::int64_t>> heldElsewhere;
    bool watchesAllKeys = false;
    x11::KeyGrabber::Handler handler;

    int count(x11::KeyCombination c) const {
        auto it = counts.find({c.keyCode, c.modifiers});
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
        if (grabs_->heldElsewhere.contains({c.keyCode, c.modifiers})) {
            return false;
        }
        ++grabs_->counts[{c.keyCode, c.modifiers}];
        return true;
    }
    void ungrab(x11::KeyCombination c) override {
        if (auto it = grabs_->counts.find({c.keyCode, c.modifiers});
            it != grabs_->counts.end() && --it->second == 0) {
            grabs_->counts.erase(it);
        }
    }
    bool isHeldElsewhere(x11::KeyCombination c) override {
        return grabs_->heldElsewhere.contains({c.keyCode, c.modifiers});
    }
    void setWatchesAllKeys(bool watches) override { grabs_->watchesAllKeys = watches; }
    void setHandler(Handler handler) override { grabs_->handler = std::move(handler); }

private:
    std::shared_ptr<FakeGrabs> grabs_;
};

} // namespace huddlepod::test
