// The shortcut registry.
#include "GlobalShortcuts/GlobalShortcuts.h"

#include "platform/UserDefaults.h"
#include "platform/async/Detached.h"

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>

namespace huddlepod::GlobalShortcuts {

namespace {

QPointer<Registry>& sharedRegistry() {
    static QPointer<Registry> registry;
    return registry;
}

QPointer<Registry>& standardRegistry() {
    static QPointer<Registry> registry;
    return registry;
}

template <typename T>
T& entry(std::vector<std::pair<Name, T>>& table, const Name& name) {
    auto it = std::find_if(table.begin(), table.end(), [&](const auto& row) { return row.first == name; });
    if (it == table.end()) {
        table.emplace_back(name, T{});
        return table.back().second;
    }
    return it->second;
}

// Tracks our popup menus: Qt menus take the keyboard while open, so grabbed keys would not arrive.
class MenuTracker : public QObject {
public:
    MenuTracker(Registry& registry, QSet<QObject*>& openMenus)
        : QObject(&registry)
        , registry_(registry)
        , openMenus_(openMenus) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->inherits("QMenu") && !openMenus_.contains(watched)) {
            openMenus_.insert(watched);
            connect(watched, &QObject::destroyed, this, [this](QObject* menu) { closed(menu); });
            registry_.setMenuOpen(true);
        } else if (event->type() == QEvent::Hide && openMenus_.contains(watched)) {
            disconnect(watched, &QObject::destroyed, this, nullptr);
            closed(watched);
        }
        return false;
    }

private:
    void closed(QObject* menu) {
        openMenus_.remove(menu);
        if (openMenus_.isEmpty()) {
            registry_.setMenuOpen(false);
        }
    }

    Registry& registry_;
    QSet<QObject*>& openMenus_;
};

} // namespace

Subscription& Subscription::operator=(Subscription&& other) noexcept {
    if (this != &other) {
        cancel();
        cancel_ = std::exchange(other.cancel_, nullptr);
    }
    return *this;
}

void Subscription::cancel() {
    if (auto cancel = std::exchange(cancel_, nullptr)) {
        cancel();
    }
}

Registry::Registry(std::unique_ptr<QSettings> settings, std::unique_ptr<x11::KeyGrabber> grabber,
                   std::shared_ptr<Clock> clock, QObject* parent)
    : QObject(parent)
    , settings_(std::move(settings))
    , hotKeys_(std::move(grabber))
    , clock_(clock ? std::move(clock) : std::make_shared<SystemClock>()) {
    installMenuTracking();
}

Registry::~Registry() {
    if (retrying_) {
        retrying_->cancel();
    }
}

Registry& Registry::shared() {
    if (sharedRegistry()) {
        return *sharedRegistry();
    }
    if (!standardRegistry()) {
        // Owned by the application, so the grabs end before Qt closes its X connection.
        standardRegistry() = new Registry(UserDefaults::openStandard(), x11::makeKeyGrabber(), nullptr,
                                          QCoreApplication::instance());
    }
    return *standardRegistry();
}

void Registry::setShared(Registry* registry) {
    sharedRegistry() = registry;
}

void Registry::installMenuTracking() {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->installEventFilter(new MenuTracker(*this, openMenus_));
    }
}

std::optional<Shortcut> Registry::getShortcut(const Name& name) const {
    const QVariant value = settings_->value(name.settingsKey());
    if (!value.isValid()) {
        return std::nullopt;
    }
    // A hand-edited INI line with unquoted commas comes back as a list.
    const QString text = value.typeId() == QMetaType::QStringList
                             ? value.toStringList().join(QLatin1Char(','))
                             : value.toString();
    auto found = parsed_.find(name.settingsKey());
    if (found == parsed_.end() || found->second.first != text) {
        found =
            parsed_.insert_or_assign(name.settingsKey(), std::pair(text, Shortcut::fromJson(text.toUtf8())))
                .first;
    }
    return found->second.second;
}

void Registry::registerShortcut(const Shortcut& shortcut) {
    if (registeredShortcuts_.contains(shortcut)) {
        return;
    }
    grab(shortcut);
    registeredShortcuts_.insert(shortcut);
    if (!hotKeys_.holds(shortcut) && hotKeys_.isHeldElsewhere(shortcut)) {
        keepRetrying();
    }
}

void Registry::grab(const Shortcut& shortcut) {
    hotKeys_.registerShortcut(
        shortcut, [this](const Shortcut& pressed) { handleKey(pressed, EventType::keyDown); },
        [this](const Shortcut& released) { handleKey(released, EventType::keyUp); });
}

std::vector<Shortcut> Registry::ungrabbedShortcuts() const {
    std::vector<Shortcut> ungrabbed;
    for (const Shortcut& shortcut : registeredShortcuts_) {
        if (!hotKeys_.holds(shortcut)) {
            ungrabbed.push_back(shortcut);
        }
    }
    return ungrabbed;
}

bool Registry::anyTaken() {
    const std::vector<Shortcut> ungrabbed = ungrabbedShortcuts();
    return std::any_of(ungrabbed.begin(), ungrabbed.end(),
                       [this](const Shortcut& shortcut) { return hotKeys_.isHeldElsewhere(shortcut); });
}

bool Registry::retryFailedRegistrations() {
    for (const Shortcut& shortcut : ungrabbedShortcuts()) {
        grab(shortcut);
    }
    if (!anyTaken()) {
        if (retrying_) {
            retrying_->cancel();
            retrying_.reset();
        }
        return false;
    }
    keepRetrying();
    return true;
}

void Registry::updateGrabs() {
    hotKeys_.update(isEnabled_, isMenuOpen_);
    // While paused nothing of ours is grabbed: only once grabs resume is there anything to probe.
    if (isEnabled_ && !isMenuOpen_ && anyTaken()) {
        keepRetrying();
    }
}

void Registry::keepRetrying() {
    if (retrying_) {
        return;
    }
    retrying_.emplace();
    startDetached([self = QPointer<Registry>(this), clock = clock_, token = retrying_->token()] {
        return retryPeriodically(self, clock, token);
    });
}

QCoro::Task<> Registry::retryPeriodically(QPointer<Registry> self, std::shared_ptr<Clock> clock,
                                          CancellationToken token) {
    bool failing = true;
    while (failing) {
        co_await clock->sleep(retryInterval, token); // cancelled: ends here
        failing = self && self->retryFailedRegistrations();
    }
}

void retryFailedRegistrations() {
    if (Registry* registry = sharedRegistry() ? sharedRegistry().data() : standardRegistry().data()) {
        registry->retryFailedRegistrations();
    }
}

void Registry::unregisterShortcut(const Shortcut& shortcut) {
    hotKeys_.unregisterShortcut(shortcut);
    registeredShortcuts_.erase(shortcut);
}

void Registry::registerName(const Name& name) {
    if (const std::optional<Shortcut> shortcut = getShortcut(name)) {
        registerShortcut(*shortcut);
    }
}

void Registry::releaseUnlessShared(const Shortcut& shortcut, const QList<Name>& released) {
    const auto storesIt = [&](const Name& name) {
        return !released.contains(name) && getShortcut(name) == shortcut;
    };
    const auto anyRow = [&](const auto& table) {
        return std::any_of(table.begin(), table.end(), [&](const auto& row) { return storesIt(row.first); });
    };
    if (anyRow(legacyKeyDownHandlers_) || anyRow(legacyKeyUpHandlers_) || anyRow(streamKeyDownHandlers_) ||
        anyRow(streamKeyUpHandlers_)) {
        return;
    }
    unregisterShortcut(shortcut);
}

void Registry::userDefaultsSet(const Name& name, const Shortcut& shortcut) {
    if (const std::optional<Shortcut> old = getShortcut(name)) {
        releaseUnlessShared(*old, {name});
    }
    registerShortcut(shortcut);
    settings_->setValue(name.settingsKey(), QString::fromUtf8(shortcut.toJson()));
    UserDefaults::save(*settings_);
    emit shortcutByNameDidChange(name);
}

void Registry::setShortcut(const std::optional<Shortcut>& shortcut, const Name& name) {
    if (shortcut) {
        userDefaultsSet(name, *shortcut);
        return;
    }
    const std::optional<Shortcut> old = getShortcut(name);
    if (!old) {
        return;
    }
    if (name.defaultShortcut) {
        settings_->setValue(name.settingsKey(), false);
    } else {
        settings_->remove(name.settingsKey());
    }
    UserDefaults::save(*settings_);
    releaseUnlessShared(*old, {name});
    emit shortcutByNameDidChange(name);
}

void Registry::onKeyDown(const Name& name, Action action) {
    entry(legacyKeyDownHandlers_, name).push_back(std::move(action));
    registerName(name);
}

void Registry::onKeyUp(const Name& name, Action action) {
    entry(legacyKeyUpHandlers_, name).push_back(std::move(action));
    registerName(name);
}

std::set<Shortcut> Registry::shortcutsForLegacyHandlers() const {
    std::set<Shortcut> shortcuts;
    for (const auto* table : {&legacyKeyDownHandlers_, &legacyKeyUpHandlers_}) {
        for (const auto& [name, actions] : *table) {
            if (const std::optional<Shortcut> shortcut = getShortcut(name)) {
                shortcuts.insert(*shortcut);
            }
        }
    }
    return shortcuts;
}

std::set<Shortcut> Registry::shortcutsForStreamHandlers() const {
    std::set<Shortcut> shortcuts;
    for (const auto* table : {&streamKeyDownHandlers_, &streamKeyUpHandlers_}) {
        for (const auto& [name, actions] : *table) {
            if (const std::optional<Shortcut> shortcut = getShortcut(name)) {
                shortcuts.insert(*shortcut);
            }
        }
    }
    return shortcuts;
}

void Registry::removeAllHandlers() {
    const std::set<Shortcut> streams = shortcutsForStreamHandlers();
    for (const Shortcut& shortcut : shortcutsForLegacyHandlers()) {
        if (!streams.contains(shortcut)) {
            unregisterShortcut(shortcut);
        }
    }
    legacyKeyDownHandlers_.clear();
    legacyKeyUpHandlers_.clear();
}

void Registry::enable(const QList<Name>& names) {
    for (const Name& name : names) {
        registerName(name);
    }
}

void Registry::disable(const QList<Name>& names) {
    for (const Name& name : names) {
        if (const std::optional<Shortcut> shortcut = getShortcut(name)) {
            releaseUnlessShared(*shortcut, names);
        }
    }
}

void Registry::reset(const QList<Name>& names) {
    for (const Name& name : names) {
        setShortcut(name.defaultShortcut, name);
    }
}

void Registry::setEnabled(bool enabled) {
    if (enabled == isEnabled_) {
        return;
    }
    isEnabled_ = enabled;
    updateGrabs();
}

void Registry::setMenuOpen(bool open) {
    if (open == isMenuOpen_) {
        return;
    }
    isMenuOpen_ = open;
    updateGrabs(); // lost to another client while the menu was open
}

void Registry::handleKey(const Shortcut& pressed, EventType type) {
    if (isPaused_) {
        return;
    }
    // Collected first: an action may add or end handlers.
    std::vector<Action> toRun;
    const auto& legacy = type == EventType::keyDown ? legacyKeyDownHandlers_ : legacyKeyUpHandlers_;
    for (const auto& [name, actions] : legacy) {
        if (getShortcut(name) == pressed) {
            toRun.insert(toRun.end(), actions.begin(), actions.end());
        }
    }
    const auto& streams = type == EventType::keyDown ? streamKeyDownHandlers_ : streamKeyUpHandlers_;
    for (const auto& [name, actions] : streams) {
        if (getShortcut(name) == pressed) {
            for (const auto& [id, action] : actions) {
                toRun.push_back(action);
            }
        }
    }
    for (const Action& action : toRun) {
        action();
    }
}

Subscription Registry::events(const Name& name, std::function<void(EventType)> handler) {
    return addStream(name, std::nullopt, std::move(handler));
}

Subscription Registry::on(EventType type, const Name& name, Action handler) {
    return addStream(name, type, [handler = std::move(handler)](EventType) { handler(); });
}

Subscription Registry::addStream(const Name& name, std::optional<EventType> only,
                                 std::function<void(EventType)> handler) {
    const std::uint64_t id = ++nextStreamId_;
    if (!only || *only == EventType::keyDown) {
        entry(streamKeyDownHandlers_, name)[id] = [handler] { handler(EventType::keyDown); };
    }
    if (!only || *only == EventType::keyUp) {
        entry(streamKeyUpHandlers_, name)[id] = [handler] { handler(EventType::keyUp); };
    }
    registerName(name);
    return Subscription([registry = QPointer<Registry>(this), name, id] {
        if (registry) {
            registry->endStream(name, id);
        }
    });
}

void Registry::endStream(const Name& name, std::uint64_t id) {
    for (auto* table : {&streamKeyDownHandlers_, &streamKeyUpHandlers_}) {
        for (auto it = table->begin(); it != table->end(); ++it) {
            if (it->first == name) {
                it->second.erase(id);
                if (it->second.empty()) {
                    table->erase(it);
                }
                break;
            }
        }
    }
    const std::optional<Shortcut> shortcut = getShortcut(name);
    if (shortcut && !shortcutsForLegacyHandlers().contains(*shortcut) &&
        !shortcutsForStreamHandlers().contains(*shortcut)) {
        unregisterShortcut(*shortcut);
    }
}

void Registry::nameCreated(const Name& name) {
    if (name.defaultShortcut && !settings_->contains(name.settingsKey())) {
        userDefaultsSet(name, *name.defaultShortcut);
    }
}

} // namespace huddlepod::GlobalShortcuts
