// Owns the floating panel and what it shows: the backend services, the view models, the route and session,
// the player-card cache, placement and the monitors that make the panel behave like a tray popover.
#pragma once

#include "app/PanelMoves.h"
#include "app/PanelNavigation.h"
#include "app/PanelSession.h"
#include "app/SearchPanel.h"
#include "app/TimingLine.h"
#include "data/SupabaseConfiguration.h"
#include "platform/async/Clock.h"

#include <QEvent>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QTimer>
#include <QUuid>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QSettings;

namespace huddlepod {

class HomeViewModel;
class LeagueService;
class PlayerCardViewModel;
class PlayerService;
class PostgRESTClient;
class SearchService;
class SearchViewModel;
namespace x11 {
class OutsideClickMonitor;
}

class PanelController : public QObject {
    Q_OBJECT

public:
    static constexpr QSize panelSize{440, 560};
    static constexpr int playerModelLimit = 8;

    // A screen in global coordinates: all of it, and the part windows may use (without bars and docks).
    struct Screen {
        QRect geometry;
        QRect available;
        bool operator==(const Screen&) const = default;
    };

    // The tray icon's rectangle in global coordinates, when known.
    using AnchorProvider = std::function<std::optional<QRect>()>;
    using PlayerModelProvider = std::function<PlayerCardViewModel*(const SearchResult&)>;

    // The services over one client; all absent without a backend configuration.
    struct Backend {
        std::shared_ptr<PostgRESTClient> client;
        std::shared_ptr<SearchService> search;
        std::shared_ptr<PlayerService> players;
        std::shared_ptr<LeagueService> league;

        static Backend connect(const std::optional<SupabaseConfiguration>& configuration,
                               const QString& clientVersion);
    };

    // What the root view is built from.
    struct ContentParts {
        PanelSession* session;
        SearchViewModel* searchModel;
        PanelNavigation* navigation;
        HomeViewModel* homeModel;
        PlayerModelProvider playerModelProvider;
        std::function<void()> onDismiss;
        std::function<void()> onReadyForInput;
        QString hotkeyDescription;
    };
    struct Content {
        QWidget* view = nullptr;
        // Closes an open popover list over the panel; false when there was none.
        std::function<bool()> closePopover;
    };
    using ContentFactory = std::function<Content(const ContentParts&)>;

    // What the controller needs from its surroundings; system() fills in the real ones.
    struct Environment {
        AnchorProvider anchorProvider;
        Backend backend;
        std::shared_ptr<Clock> clock;
        QSettings* defaults = nullptr; // the settings store; outlives the controller
        ContentFactory content;
        // Every screen, the main screen first.
        std::function<std::vector<Screen>()> screens;
        std::function<QPoint()> cursor;
        std::function<QString()> hotkeyDescription;
        // Whether a compositor runs, asked at each show, and a hook that calls the handler (in the context
        // object's life) whenever that changes. Without them the panel is never translucent.
        std::function<bool()> isCompositing;
        std::function<void(QObject* context, std::function<void(bool)> handler)> followCompositing;
        // Watches, while the panel shows, for presses outside our windows (`isOurs` tells whether a point
        // lies on one) and calls `onOutsideClick` on a later turn; XInput2's raw presses when not given.
        std::function<std::unique_ptr<QObject>(std::function<bool(QPoint)> isOurs,
                                               std::function<void()> onOutsideClick)>
            watchOutsideClicks;
        DiagnosticSink diagnostics = writeToStandardError;

        static Environment system(AnchorProvider anchorProvider, Backend backend, QSettings& defaults);
    };

    // Where a show puts the panel (its top-left corner), and whether the stored origin is to be forgotten.
    struct Placement {
        QPoint topLeft;
        bool forgetStoredOrigin = false;
        bool operator==(const Placement&) const = default;
    };
    static Placement placement(std::optional<QPointF> storedOrigin, const std::vector<Screen>& screens,
                               std::optional<QRect> anchor, std::optional<QPoint> cursor);

    explicit PanelController(Environment environment, QObject* parent = nullptr);
    ~PanelController() override;

    // `pointer` is where the pointer was at the key press or click that asks for the show (global
    // coordinates), when that is known: the show then never asks the server where it is.
    void show(std::optional<QPoint> pointer = std::nullopt);
    void hide();
    // On a card: back to the results; on the results: hide.
    void escape();
    // On a card: back to the results; otherwise nothing.
    void goBackOrIgnore();
    void toggle(std::optional<QPoint> pointer = std::nullopt);
    // The tray icon's toggle where the tray does not tell where its icon is: as toggle(), except that it does
    // nothing just after the press that reached the icon has hidden the panel as a click elsewhere (the tray
    // reports the click only on release).
    void toggleFromTrayIcon(std::optional<QPoint> pointer = std::nullopt);
    // What a press outside our windows does: hides a panel that is not dragged away.
    void hideAfterClickElsewhere();
    // The tray shows its menu over the panel: once the menu has closed, a panel still shown takes the
    // keyboard back if nobody else has it (a menu that took the focus leaves it with nobody when it closes).
    void giveWayToTrayMenu();
    // Forgets the stored origin and places a visible panel anew.
    void resetPosition();
    void reposition();
    void reportReadyForInput();
    PlayerCardViewModel* playerModel(const SearchResult& result);

    // The panel, none before the first show.
    SearchPanel* panel() const { return panel_; }
    bool isVisible() const;
    bool hasMonitors() const { return monitors_ != nullptr; }
    PanelSession& session() { return session_; }
    PanelNavigation& navigation() { return navigation_; }
    SearchViewModel& searchModel() { return *model_; }
    HomeViewModel& homeModel() { return *homeModel_; }
    // The ids of the cached card models, least recently requested first.
    const std::vector<QUuid>& playerModelOrder() const { return playerModelOrder_; }

    // The recorded shortcut's text, "Ctrl+Alt+S" when none has one.
    static QString hotkeyDescription(const std::optional<QString>& recorded);

signals:
    // Sent by every show and hide.
    void visibilityChanged(bool visible);

private:
    struct Monitors;

    // The panel, made on first use, with the look the compositor allows.
    SearchPanel& existingOrNewPanel(bool composited);
    // The part of a show that may wait until the panel is on screen; nothing once done.
    void finishShow();
    void placePanel(std::optional<QPoint> pointer);
    void startMonitors();
    std::unique_ptr<QObject> watchOutsideClicks(std::function<bool(QPoint)> isOurs,
                                                std::function<void()> onOutsideClick) const;
    void stopMonitors();
    void panelMoved(bool byUserDrag);
    void compositingChanged(bool composited);
    bool isOnOurWindows(QPoint global) const;
    // The panel or a widget inside it (popovers included).
    bool isInPanel(QObject* target) const;
    // A window of ours that held the keyboard is going: the panel still shown takes it back.
    void takeKeyboardBackFrom(QObject* closing, QEvent::Type event);

    Environment env_;
    QPointer<SearchPanel> panel_;
    Content content_;
    PanelSession session_;
    std::unique_ptr<SearchViewModel> model_;
    PanelNavigation navigation_;
    std::unique_ptr<HomeViewModel> homeModel_;
    std::map<QUuid, PlayerCardViewModel*> playerModels_;
    std::vector<QUuid> playerModelOrder_;
    std::unique_ptr<Monitors> monitors_;
    QTimer afterShow_; // runs finishShow() once the panel is on screen, or after a while without it
    bool isShowUnfinished_ = false;
    bool isRepositioningProgrammatically_ = false;
    PanelMoves moves_;
    std::optional<Clock::Instant> openedAt_;
    std::optional<Clock::Instant> hiddenByOutsideClickAt_;
};

} // namespace huddlepod
