// The shortcut registry: each name's shortcut in the settings store, the hot keys kept in step with it, the
// actions run on press and release, and the change signal. Main thread only.
#pragma once

#include "GlobalShortcuts/HotKeyLayer.h"
#include "GlobalShortcuts/Name.h"
#include "GlobalShortcuts/Shortcut.h"
#include "platform/async/Cancellation.h"
#include "platform/async/Clock.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSettings>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace huddlepod::GlobalShortcuts {

enum class EventType { keyDown, keyUp };
using Action = std::function<void()>;

// Ends a stream of shortcut events when it goes out of scope (or on cancel()).
class [[nodiscard]] Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel)
        : cancel_(std::move(cancel)) {}
    ~Subscription() { cancel(); }
    Subscription(Subscription&& other) noexcept
        : cancel_(std::exchange(other.cancel_, nullptr)) {}
    Subscription& operator=(Subscription&& other) noexcept;
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;

    void cancel();

private:
    std::function<void()> cancel_;
};

class Registry : public QObject {
    Q_OBJECT

public:
    // Without a clock, the system clock times the retries of failed registrations.
    Registry(std::unique_ptr<QSettings> settings, std::unique_ptr<x11::KeyGrabber> grabber,
             std::shared_ptr<Clock> clock = nullptr, QObject* parent = nullptr);
    ~Registry() override;

    // The process-wide registry: the standard settings store and the X11 grabber (grabs fail quietly without
    // X).
    static Registry& shared();
    // Replaces the process-wide registry (tests); null goes back to the standard one.
    static void setShared(Registry* registry);

    // Read afresh each time; a missing, cleared or unreadable value is no shortcut (and is left in place).
    std::optional<Shortcut> getShortcut(const Name& name) const;
    // Nothing clears the name: false when it has a default (so the default is not stored again), else no
    // entry.
    void setShortcut(const std::optional<Shortcut>& shortcut, const Name& name);
    void userDefaultsSet(const Name& name, const Shortcut& shortcut);

    void onKeyDown(const Name& name, Action action);
    void onKeyUp(const Name& name, Action action);
    void removeAllHandlers();

    void enable(const QList<Name>& names);
    void disable(const QList<Name>& names);
    void reset(const QList<Name>& names);

    bool isEnabled() const { return isEnabled_; }
    void setEnabled(bool enabled);
    // While paused no action runs; the hot keys stay taken (a recorder is capturing keys).
    bool isPaused() const { return isPaused_; }
    void setPaused(bool paused) { isPaused_ = paused; }
    bool isMenuOpen() const { return isMenuOpen_; }
    void setMenuOpen(bool open);

    // Every press and release of the name's shortcut until the subscription ends.
    Subscription events(const Name& name, std::function<void(EventType)> handler);
    Subscription on(EventType type, const Name& name, Action handler);

    // A registration that failed because another client held the combination is tried again here (the app
    // calls this whenever it shows the panel or the settings window) and every retryInterval while one
    // fails, until it succeeds or the shortcut changes. True while some registration still fails.
    bool retryFailedRegistrations();
    static constexpr std::chrono::seconds retryInterval{30};

    bool isSystemShortcut(const Shortcut& shortcut) { return hotKeys_.isSystemShortcut(shortcut); }
    const std::set<Shortcut>& registeredShortcuts() const { return registeredShortcuts_; }
    const HotKeyLayer& hotKeys() const { return hotKeys_; }

    // Called by every Name constructor.
    void nameCreated(const Name& name);

signals:
    void shortcutByNameDidChange(const huddlepod::GlobalShortcuts::Name& name);

private:
    template <typename T>
    using Table = std::vector<std::pair<Name, T>>;
    using StreamActions = std::map<std::uint64_t, Action>;

    void registerName(const Name& name);
    void registerShortcut(const Shortcut& shortcut);
    void grab(const Shortcut& shortcut);
    // Registered shortcuts the hot-key layer does not hold.
    std::vector<Shortcut> ungrabbedShortcuts() const;
    // Those of them another client holds: without X, or for a key the keyboard lacks, every try fails.
    bool anyTaken();
    // Grabs or lets go as enabled and menu state say, and retries what another client took meanwhile.
    void updateGrabs();
    void keepRetrying();
    static QCoro::Task<> retryPeriodically(QPointer<Registry> self, std::shared_ptr<Clock> clock,
                                           CancellationToken token);
    void unregisterShortcut(const Shortcut& shortcut);
    // Keeps the combination while a name outside `released` that has actions still stores it.
    void releaseUnlessShared(const Shortcut& shortcut, const QList<Name>& released);
    void handleKey(const Shortcut& pressed, EventType type);
    std::set<Shortcut> shortcutsForLegacyHandlers() const;
    std::set<Shortcut> shortcutsForStreamHandlers() const;
    Subscription addStream(const Name& name, std::optional<EventType> only,
                           std::function<void(EventType)> handler);
    void endStream(const Name& name, std::uint64_t id);
    void installMenuTracking();

    std::unique_ptr<QSettings> settings_;
    // The text last read for each settings key and what it stands for: a press reads the store but parses
    // only a changed text.
    mutable std::map<QString, std::pair<QString, std::optional<Shortcut>>> parsed_;
    HotKeyLayer hotKeys_;
    std::shared_ptr<Clock> clock_;
    std::optional<CancellationSource> retrying_;
    bool isEnabled_ = true;
    bool isPaused_ = false;
    bool isMenuOpen_ = false;
    std::set<Shortcut> registeredShortcuts_;
    Table<std::vector<Action>> legacyKeyDownHandlers_;
    Table<std::vector<Action>> legacyKeyUpHandlers_;
    Table<StreamActions> streamKeyDownHandlers_;
    Table<StreamActions> streamKeyUpHandlers_;
    std::uint64_t nextStreamId_ = 0;
    QSet<QObject*> openMenus_;
};

// Retries the failed registrations of the process-wide registry, if there is one yet.
void retryFailedRegistrations();

// The registry's operations on the process-wide registry.
inline std::optional<Shortcut> getShortcut(const Name& name) {
    return Registry::shared().getShortcut(name);
}
inline void setShortcut(const std::optional<Shortcut>& shortcut, const Name& name) {
    Registry::shared().setShortcut(shortcut, name);
}
inline void userDefaultsSet(const Name& name, const Shortcut& shortcut) {
    Registry::shared().userDefaultsSet(name, shortcut);
}
inline void onKeyDown(const Name& name, Action action) {
    Registry::shared().onKeyDown(name, std::move(action));
}
inline void onKeyUp(const Name& name, Action action) {
    Registry::shared().onKeyUp(name, std::move(action));
}
inline Subscription events(const Name& name, std::function<void(EventType)> handler) {
    return Registry::shared().events(name, std::move(handler));
}
inline Subscription on(EventType type, const Name& name, Action handler) {
    return Registry::shared().on(type, name, std::move(handler));
}

} // namespace huddlepod::GlobalShortcuts
