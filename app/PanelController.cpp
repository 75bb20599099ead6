// The panel's life: built once, shown, hidden and placed; the card cache; the popover monitors.
#include "app/PanelController.h"

#include "GlobalShortcuts/GlobalShortcuts.h"
#include "app/DebugDriver.h"
#include "app/HomeViewModel.h"
#include "app/PanelPlacement.h"
#include "app/PlayerCardViewModel.h"
#include "app/SearchPanel.h"
#include "app/SearchViewModel.h"
#include "app/Views/DebugCapture.h"
#include "app/Views/PanelRootView.h"
#include "data/LeagueService.h"
#include "data/PlayerService.h"
#include "data/PostgRESTClient.h"
#include "data/SearchService.h"
#include "platform/http/HttpSession.h"
#include "platform/x11/Compositor.h"
#include "platform/x11/DesktopBarsWatch.h"
#include "platform/x11/FocusWatch.h"
#include "platform/x11/OutsideClickMonitor.h"
#include "platform/x11/WindowHints.h"
#include "ui/PanelPositioner.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace huddlepod {

namespace {

class EventFilter : public QObject {
public:
    using Handler = std::function<bool(QObject*, QEvent*)>;
    EventFilter(Handler handler, QObject* parent)
        : QObject(parent)
        , handler_(std::move(handler)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override { return handler_(watched, event); }

private:
    Handler handler_;
};

PanelController::Content rootView(const PanelController::ContentParts& parts) {
    auto* view = new PanelRootView(parts.session, parts.searchModel, parts.navigation, parts.homeModel,
                                   parts.playerModelProvider, parts.onDismiss, parts.onReadyForInput,
                                   parts.hotkeyDescription);
    view->setMaterial(DebugDriver::requestedMaterial().value_or(Material::menu));
    QPointer<PanelRootView> guarded(view);
    return {view, [guarded] { return guarded && guarded->closePopover(); }};
}

std::vector<PanelController::Screen> currentScreens() {
    const x11::DesktopBars& bars = x11::DesktopBarsWatch::shared().current();
    std::vector<PanelController::Screen> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens.push_back({screen->geometry(), x11::visibleFrame(screen->geometry(), bars)});
    }
    return screens;
}

bool isBackKey(const QKeyEvent& key) {
    // Ctrl+[ (with Shift the key reports a brace on most layouts).
    return key.modifiers().testFlag(Qt::ControlModifier) &&
           (key.key() == Qt::Key_BracketLeft || key.key() == Qt::Key_BraceLeft);
}

} // namespace

PanelController::Backend
PanelController::Backend::connect(const std::optional<SupabaseConfiguration>& configuration,
                                  const QString& clientVersion) {
    Backend backend;
    if (!configuration) {
        return backend;
    }
    backend.client = std::make_shared<PostgRESTClient>(*configuration, clientVersion);
    backend.search = std::make_shared<SearchService>(backend.client, 50);
    backend.players = std::make_shared<PlayerService>(backend.client);
    backend.league = std::make_shared<LeagueService>(backend.client);
    return backend;
}

PanelController::Environment PanelController::Environment::system(AnchorProvider anchorProvider,
                                                                  Backend backend, QSettings& defaults) {
    Environment env;
    env.anchorProvider = std::move(anchorProvider);
    env.backend = std::move(backend);
    env.clock = std::make_shared<SystemClock>();
    env.defaults = &defaults;
    env.content = rootView;
    env.screens = currentScreens;
    env.cursor = [] { return QCursor::pos(); };
    env.isCompositing = [] { return CompositingMonitor::shared().current(); };
    env.followCompositing = [](QObject* context, std::function<void(bool)> handler) {
        QObject::connect(&CompositingMonitor::shared(), &CompositingMonitor::changed, context,
                         std::move(handler));
    };
    env.hotkeyDescription = [] {
        const auto recorded = GlobalShortcuts::getShortcut(GlobalShortcuts::toggleSearchName());
        return PanelController::hotkeyDescription(recorded ? std::optional(recorded->description())
                                                           : std::nullopt);
    };
    return env;
}

struct PanelController::Monitors {
    std::unique_ptr<QObject> outsideClick;
    std::unique_ptr<EventFilter> keys;
    std::vector<QMetaObject::Connection> screenChanges;
    QMetaObject::Connection panelMove;
    QMetaObject::Connection panelDrag;
    std::unique_ptr<EventFilter> mouseMoves;
    std::unique_ptr<EventFilter> closingWindows;
    // While the tray's menu is over the panel.
    std::unique_ptr<x11::FocusWatch> focusAfterMenu;
};

PanelController::PanelController(Environment environment, QObject* parent)
    : QObject(parent)
    , env_(std::move(environment))
    , model_(std::make_unique<SearchViewModel>(env_.backend.search, env_.backend.client, env_.clock,
                                               env_.diagnostics))
    , homeModel_(std::make_unique<HomeViewModel>(env_.backend.league)) {
    afterShow_.setSingleShot(true);
    connect(&afterShow_, &QTimer::timeout, this, &PanelController::finishShow);
    model_->warmUp();
    if (env_.followCompositing) {
        env_.followCompositing(this, [this](bool composited) { compositingChanged(composited); });
    }
}

PanelController::~PanelController() {
    stopMonitors();
    delete panel_.data();
    for (auto& [id, model] : playerModels_) {
        delete model;
    }
}

PanelController::Placement PanelController::placement(std::optional<QPointF> storedOrigin,
                                                      const std::vector<Screen>& screens,
                                                      std::optional<QRect> anchor,
                                                      std::optional<QPoint> cursor) {
    Placement result;
    if (storedOrigin) {
        const QRectF stored(*storedOrigin, QSizeF(panelSize));
        for (const Screen& screen : screens) {
            if (stored.intersects(QRectF(screen.available))) {
                result.topLeft = storedOrigin->toPoint();
                return result;
            }
        }
        // With no screen at all (a display change in progress) the origin is kept for when one returns.
        result.forgetStoredOrigin = !screens.empty();
    }
    std::vector<ScreenArea> areas;
    for (const Screen& screen : screens) {
        areas.push_back({PanelPositioner::fromQt(QRectF(screen.geometry)),
                         PanelPositioner::fromQt(QRectF(screen.available))});
    }
    std::optional<UpRect> anchorUp;
    if (anchor) {
        anchorUp = PanelPositioner::fromQt(QRectF(*anchor));
    }
    std::optional<QPointF> mouse;
    if (cursor) {
        // The centre of the pixel under the pointer.
        mouse = PanelPositioner::fromQt(QPointF(*cursor) + QPointF(0.5, 0.5));
    }
    const UpRect visible = PanelPositioner::screenFrame(anchorUp, areas, mouse).value_or(UpRect{});
    const QRectF frame = PanelPositioner::toQt(PanelPositioner::frame(QSizeF(panelSize), anchorUp, visible));
    result.topLeft = frame.topLeft().toPoint();
    return result;
}

QString PanelController::hotkeyDescription(const std::optional<QString>& recorded) {
    if (recorded && !recorded->isEmpty()) {
        return *recorded;
    }
    return QStringLiteral("Ctrl+Alt+S");
}

SearchPanel& PanelController::existingOrNewPanel(bool composited) {
    if (panel_) {
        panel_->setComposited(composited);
        return *panel_;
    }
    auto* panel = new SearchPanel(panelSize, composited);
    QPointer<PanelController> self(this);
    ContentParts parts{
        &session_,
        model_.get(),
        &navigation_,
        homeModel_.get(),
        [self, clock = env_.clock](const SearchResult& result) {
            if (self) {
                return self->playerModel(result);
            }
            // Nobody owns this one but the caller's view.
            return new PlayerCardViewModel(result, nullptr, clock);
        },
        [self] {
            if (self) {
                self->hide();
            }
        },
        [self] {
            if (self) {
                self->reportReadyForInput();
            }
        },
        env_.hotkeyDescription ? env_.hotkeyDescription() : hotkeyDescription(std::nullopt),
    };
    content_ = env_.content(parts);
    panel->setContent(content_.view);
    // Once the panel is on screen and its first frame drawn.
    connect(panel, &SearchPanel::exposed, this, [this] {
        if (isShowUnfinished_) {
            afterShow_.start(0);
        }
    });
    panel_ = panel;
    return *panel;
}

bool PanelController::isVisible() const {
    return panel_ && panel_->isVisible();
}

void PanelController::show(std::optional<QPoint> pointer) {
    finishShow(); // what the last show left pending, before this one begins
    openedAt_ = env_.clock->now();
    // Asked at each show: a compositor may have come or gone unannounced.
    SearchPanel& panel = existingOrNewPanel(env_.isCompositing && env_.isCompositing());
    // Before the map: the first frame shows the empty query and no stale results.
    model_->reset();
    session_.setRevision(session_.revision() + 1);
    placePanel(pointer);
    if (!panel.isVisible()) {
        panel.prepareToShow();
    }
    // What the first frame does not need waits until the panel is on screen (or hidden again, or a moment
    // has passed without it showing).
    constexpr auto longestWait = std::chrono::milliseconds(100);
    isShowUnfinished_ = true;
    afterShow_.start(longestWait);
    // The focus is asked for with the map, not once the map is heard of a turn later, and sent at once: the
    // server maps and focuses the panel while the rest goes on here. Where no window manager takes the
    // window in, a window shown before is mapped here too, ahead of Qt's own show, which waits for the
    // server before and after its map (a manager would take it in twice, and slower).
    QWindow* window = panel.windowHandle();
    const bool focusAsked = window && !panel.isVisible() && panel.hasBeenShown() &&
                            x11::windowManagerRuns() == false && x11::mapWithFocus(*window);
    panel.show();
    panel.raise();
    if (!focusAsked && (!window || !x11::focusWithMap(*window))) {
        panel.activateWindow();
    }
    startMonitors();
    DebugDriver::logCaptureRect(QStringLiteral("panel"), &panel, panel.surfaceGeometry());
    emit visibilityChanged(true);
}

void PanelController::finishShow() {
    if (!std::exchange(isShowUnfinished_, false)) {
        return;
    }
    afterShow_.stop();
    model_->warmUp();
    x11::windowManagerRuns(); // known before the next show, which goes by it
    GlobalShortcuts::retryFailedRegistrations(); // a shortcut another program held may be free now
}

void PanelController::hide() {
    finishShow();
    navigation_.setRoute(PanelRoute::search());
    stopMonitors();
    if (panel_) {
        panel_->hide();
    }
    openedAt_.reset();
    emit visibilityChanged(false);
}

void PanelController::escape() {
    if (navigation_.route().isPlayer()) {
        navigation_.setRoute(PanelRoute::search());
    } else {
        hide();
    }
}

void PanelController::goBackOrIgnore() {
    if (navigation_.route().isPlayer()) {
        navigation_.setRoute(PanelRoute::search());
    }
}

void PanelController::toggle(std::optional<QPoint> pointer) {
    if (isVisible()) {
        hide();
    } else {
        show(pointer);
    }
}

void PanelController::toggleFromTrayIcon(std::optional<QPoint> pointer) {
    // A press and its release, then the tray's report, are this close together.
    constexpr auto samePress = std::chrono::milliseconds(600);
    const std::optional<Clock::Instant> hiddenAt = std::exchange(hiddenByOutsideClickAt_, std::nullopt);
    if (!isVisible() && hiddenAt && env_.clock->now() - *hiddenAt < samePress) {
        return;
    }
    toggle(pointer);
}

void PanelController::hideAfterClickElsewhere() {
    // A panel the user has dragged away stays open.
    if (!PanelPlacement(*env_.defaults).detachedOrigin()) {
        hide();
        hiddenByOutsideClickAt_ = env_.clock->now();
    }
}

void PanelController::giveWayToTrayMenu() {
    if (!monitors_ || !isVisible()) {
        return;
    }
    QPointer<PanelController> self(this);
    monitors_->focusAfterMenu = std::make_unique<x11::FocusWatch>([self](x11::FocusHolder holder) {
        if (!self || !self->monitors_) {
            return;
        }
        if (holder == x11::FocusHolder::nobody && self->panel_->windowHandle()) {
            self->panel_->activateWindow();
            x11::takeInputFocus(*self->panel_->windowHandle());
        }
        // Still ours, or a menu's: the menu may yet take the focus and leave it with nobody.
        if (holder == x11::FocusHolder::nobody || holder == x11::FocusHolder::otherWindow) {
            self->monitors_->focusAfterMenu.reset();
        }
    });
}

void PanelController::resetPosition() {
    PanelPlacement(*env_.defaults).removeDetachedOrigin();
    if (isVisible()) {
        reposition();
    }
}

void PanelController::reposition() {
    placePanel(std::nullopt);
}

void PanelController::placePanel(std::optional<QPoint> pointer) {
    if (!panel_) {
        return;
    }
    isRepositioningProgrammatically_ = true;
    PanelPlacement stored(*env_.defaults);
    const std::vector<Screen> screens = env_.screens();
    // The pointer only ever chooses between screens; asking where it is costs a trip to the server, which
    // the key press or the click behind a show has saved.
    const std::optional<QPoint> cursor =
        screens.size() > 1 ? std::optional(pointer ? *pointer : env_.cursor()) : std::nullopt;
    const Placement where = placement(stored.detachedOrigin(), screens,
                                      env_.anchorProvider ? env_.anchorProvider() : std::nullopt, cursor);
    if (where.forgetStoredOrigin) {
        stored.removeDetachedOrigin();
    }
    moves_.placed(where.topLeft);
    panel_->moveSurfaceTo(where.topLeft);
    // The moves this placement causes arrive before the next turn and are not the user's.
    QTimer::singleShot(0, this, [this] { isRepositioningProgrammatically_ = false; });
}

void PanelController::compositingChanged(bool composited) {
    // The panel stays where it is; only its window grows or shrinks around it.
    if (panel_) {
        panel_->setComposited(composited);
    }
}

void PanelController::panelMoved(bool byUserDrag) {
    if (!panel_ || (byUserDrag && isRepositioningProgrammatically_)) {
        return;
    }
    const QPoint at = panel_->surfaceGeometry().topLeft();
    // A button held elsewhere (on the tray icon, say) makes no drag of the window manager's move. Its move
    // can come before this turn's end, while the placement's own moves are still arriving.
    const PanelMoves::Decision decision = byUserDrag ? moves_.dragged(at) : moves_.moved(at);
    switch (decision.kind) {
    case PanelMoves::Kind::none:
        break;
    case PanelMoves::Kind::keepAsDetachedOrigin:
        PanelPlacement(*env_.defaults).setDetachedOrigin(QPointF(decision.to));
        break;
    case PanelMoves::Kind::moveBack:
        panel_->moveSurfaceTo(decision.to);
        break;
    }
}

void PanelController::reportReadyForInput() {
    if (!openedAt_) {
        return;
    }
    const double ms = milliseconds(env_.clock->now() - *openedAt_);
    openedAt_.reset();
    char text[96];
    std::snprintf(text, sizeof text, "[huddlepod] hotkey → typeable field: %.1f ms\n", ms);
    env_.diagnostics(QByteArray(text));
}

PlayerCardViewModel* PanelController::playerModel(const SearchResult& result) {
    const QUuid id = result.id;
    std::erase(playerModelOrder_, id);
    playerModelOrder_.push_back(id);
    if (auto found = playerModels_.find(id); found != playerModels_.end()) {
        // A card first opened from a table link carries only the link's summary: a real result replaces it.
        if (!found->second->summary().isPlaceholder || result.isPlaceholder) {
            return found->second;
        }
        found->second->cancel();
        found->second->deleteLater();
        playerModels_.erase(found);
    }
    auto* model = new PlayerCardViewModel(result, env_.backend.players, env_.clock, env_.diagnostics);
    playerModels_[id] = model;
    while (playerModelOrder_.size() > static_cast<std::size_t>(playerModelLimit)) {
        const QUuid evicted = playerModelOrder_.front();
        playerModelOrder_.erase(playerModelOrder_.begin());
        if (auto found = playerModels_.find(evicted); found != playerModels_.end()) {
            found->second->cancel();
            // A card view may still show it while it slides out.
            found->second->deleteLater();
            playerModels_.erase(found);
        }
    }
    return model;
}

bool PanelController::isInPanel(QObject* target) const {
    for (auto* widget = qobject_cast<QWidget*>(target); widget; widget = widget->parentWidget()) {
        if (widget == panel_) {
            return true;
        }
    }
    return false;
}

void PanelController::takeKeyboardBackFrom(QObject* closing, QEvent::Type event) {
    const auto* window = qobject_cast<QWidget*>(closing);
    if (!window || !window->isWindow() || window == panel_ || !isVisible()) {
        return;
    }
    // Qt lets the window go as it hides it, before or after the hide itself.
    const bool heldIt = event == QEvent::Hide ? window == QApplication::activeWindow()
                                              : window->testAttribute(Qt::WA_WState_Hidden);
    // A dialog leaves it to the window it stands over.
    if (!heldIt || (window->parentWidget() && window->parentWidget()->isVisible())) {
        return;
    }
    // Once the window is gone, as the platform has it: else the server or the window manager would give it to
    // another window, or to none.
    QTimer::singleShot(0, this, [this] {
        if (isVisible()) {
            panel_->activateWindow();
        }
    });
}

bool PanelController::isOnOurWindows(QPoint global) const {
    if (env_.anchorProvider) {
        if (const std::optional<QRect> anchor = env_.anchorProvider(); anchor && anchor->contains(global)) {
            return true;
        }
    }
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        // The panel's shadow is not the panel: presses there reach the windows below it.
        const QRect area = widget == panel_ ? panel_->surfaceGeometry()
                                            : QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
        if (widget->isVisible() && area.contains(global)) {
            return true;
        }
    }
    return false;
}

void PanelController::startMonitors() {
    stopMonitors();
    auto monitors = std::make_unique<Monitors>();
    QPointer<PanelController> self(this);

    monitors->outsideClick =
        watchOutsideClicks([self](QPoint at) { return self && self->isOnOurWindows(at); },
                           [self] {
                               if (self) {
                                   self->hideAfterClickElsewhere();
                               }
                           });

    monitors->keys = std::make_unique<EventFilter>(
        [self](QObject* target, QEvent* event) {
            // Keys for the panel and its popovers only: the tray menu and other windows keep theirs.
            if (!self || event->type() != QEvent::KeyPress || !self->isInPanel(target)) {
                return false;
            }
            const auto& key = static_cast<const QKeyEvent&>(*event);
            if (isBackKey(key)) {
                QTimer::singleShot(0, self, [self] { self->goBackOrIgnore(); });
                return true;
            }
            if (key.key() == Qt::Key_Escape) {
                // An open popover list takes the first Escape.
                if (self->content_.closePopover && self->content_.closePopover()) {
                    return true;
                }
                QTimer::singleShot(0, self, [self] { self->escape(); });
                return true;
            }
            return false;
        },
        nullptr);
    qApp->installEventFilter(monitors->keys.get());

    for (QScreen* screen : QGuiApplication::screens()) {
        monitors->screenChanges.push_back(connect(screen, &QScreen::availableGeometryChanged, this, [self] {
            if (self && self->isVisible()) {
                self->reposition();
            }
        }));
    }
    const auto screensChanged = [self] {
        if (self && self->isVisible()) {
            self->reposition();
        }
    };
    monitors->screenChanges.push_back(connect(qApp, &QGuiApplication::screenAdded, this, screensChanged));
    monitors->screenChanges.push_back(connect(qApp, &QGuiApplication::screenRemoved, this, screensChanged));
    monitors->screenChanges.push_back(
        connect(qApp, &QGuiApplication::primaryScreenChanged, this, screensChanged));

    monitors->panelMove = connect(panel_.data(), &SearchPanel::moved, this, [this] { panelMoved(false); });
    monitors->panelDrag = connect(panel_.data(), &SearchPanel::dragged, this, [this] { panelMoved(true); });

    monitors->mouseMoves = std::make_unique<EventFilter>(
        [self](QObject*, QEvent* event) {
            if (self && event->type() == QEvent::MouseMove) {
                self->model_->setAllowsHoverSelection(true);
            }
            return false;
        },
        nullptr);
    qApp->installEventFilter(monitors->mouseMoves.get());

    monitors->closingWindows = std::make_unique<EventFilter>(
        [self](QObject* target, QEvent* event) {
            if (self && (event->type() == QEvent::Hide || event->type() == QEvent::WindowDeactivate)) {
                self->takeKeyboardBackFrom(target, event->type());
            }
            return false;
        },
        nullptr);
    qApp->installEventFilter(monitors->closingWindows.get());

    monitors_ = std::move(monitors);
}

std::unique_ptr<QObject> PanelController::watchOutsideClicks(std::function<bool(QPoint)> isOurs,
                                                             std::function<void()> onOutsideClick) const {
    if (env_.watchOutsideClicks) {
        return env_.watchOutsideClicks(std::move(isOurs), std::move(onOutsideClick));
    }
    return std::make_unique<x11::OutsideClickMonitor>(std::move(isOurs), std::move(onOutsideClick));
}

void PanelController::stopMonitors() {
    if (!monitors_) {
        return;
    }
    // Taken first, so a handler that runs meanwhile finds no monitors.
    std::unique_ptr<Monitors> monitors = std::move(monitors_);
    monitors->outsideClick.reset();
    monitors->keys.reset();
    for (const QMetaObject::Connection& connection : monitors->screenChanges) {
        disconnect(connection);
    }
    disconnect(monitors->panelMove);
    disconnect(monitors->panelDrag);
    monitors->mouseMoves.reset();
    monitors->closingWindows.reset();
    monitors->focusAfterMenu.reset();
}

} // namespace huddlepod
