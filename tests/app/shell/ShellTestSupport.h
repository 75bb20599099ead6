// A panel controller over test doubles: a settings file of its own, a manual clock, a fake player service, a
// bare text field for the root view, and the diagnostic lines it writes; and a tray icon the test clicks.
#pragma once

#include "app/PanelController.h"
#include "app/SearchViewModel.h"
#include "app/StatusItemController.h"
#include "app/Views/PanelRootView.h"
#include "platform/UserDefaults.h"
#include "tests/app/FakePlayerService.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

namespace huddlepod::testing {

// A screen without bars: windows may use all of it.
inline PanelController::Screen wholeScreen(const QRect& geometry) {
    return {geometry, geometry};
}

struct ShellFixture {
    QTemporaryDir dir;
    std::unique_ptr<QSettings> defaults = UserDefaults::open(dir.filePath(QStringLiteral("Huddlepod.ini")));
    std::shared_ptr<FakePlayerService> players = std::make_shared<FakePlayerService>();
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::vector<PanelController::Screen> screens{wholeScreen(QRect(0, 0, 1280, 800))};
    std::optional<QRect> anchor = QRect(1200, 0, 24, 24);
    bool popoverOpen = false;
    QByteArrayList lines;

    ~ShellFixture() { players->calls.abandonPending(); }

    PanelController::Environment environment() {
        PanelController::Environment env;
        env.anchorProvider = [this] { return anchor; };
        env.backend.players = players;
        env.clock = clock;
        env.defaults = defaults.get();
        env.screens = [this] { return screens; };
        env.cursor = [] { return QPoint(10, 10); };
        env.hotkeyDescription = [] { return QStringLiteral("Ctrl+Alt+S"); };
        env.diagnostics = [this](const QByteArray& line) { lines << line; };
        env.content = [this](const PanelController::ContentParts& parts) {
            auto* field = new QLineEdit;
            // Like the root view: focus on the next turn after each show, then report readiness.
            QObject::connect(parts.session, &PanelSession::revisionChanged, field, [field, parts] {
                QTimer::singleShot(0, field, [field, parts] {
                    field->setFocus();
                    parts.onReadyForInput();
                });
            });
            return PanelController::Content{field, [this] { return std::exchange(popoverOpen, false); }};
        };
        return env;
    }
};

// A tray that tells what it is asked to show and lets the test click its icon.
class FakeTray final : public TrayIcon {
public:
    std::optional<QRect> rect;
    bool hostAvailable = true;
    std::function<void(const Click&)> handler;
    std::function<void(QPoint)> menuRequest;
    QMenu* menu = nullptr;
    QStringList shownMenus; // each menu's entries, "-" for a separator, "(off)" after a disabled one
    QList<QPoint> menuPlaces;
    QString toolTip;

    void setIcon(const QIcon&) override {}
    void setToolTip(const QString& text) override { toolTip = text; }
    void setClickHandler(std::function<void(const Click&)> h) override { handler = std::move(h); }
    void setMenuRequestHandler(std::function<void(QPoint)> h) override { menuRequest = std::move(h); }
    void setMenu(QMenu* m) override { menu = m; }
    void show() override {}
    bool isHostAvailable() const override { return hostAvailable; }
    std::optional<QRect> geometry() const override { return rect; }
    void popUpMenu(QMenu& shown, QPoint at) override {
        emit shown.aboutToShow();
        shownMenus << entries(shown);
        menuPlaces << at;
    }
    static QString entries(const QMenu& menu) {
        QStringList entries;
        for (const QAction* action : menu.actions()) {
            entries << (action->isSeparator() ? QStringLiteral("-")
                                              : action->text() + (action->isEnabled() ? "" : "(off)"));
        }
        return entries.join(QLatin1Char('|'));
    }
};

// Builds the panel's real root view, as the program does, and keeps a guarded pointer to it.
inline PanelController::ContentFactory rootViewContent(QPointer<PanelRootView>& root) {
    return [&root](const PanelController::ContentParts& parts) {
        root = new PanelRootView(parts.session, parts.searchModel, parts.navigation, parts.homeModel,
                                 parts.playerModelProvider, parts.onDismiss, parts.onReadyForInput,
                                 parts.hotkeyDescription);
        QPointer<PanelRootView> guarded(root);
        return PanelController::Content{root, [guarded] { return guarded && guarded->closePopover(); }};
    };
}

inline SearchResult player(int n, bool placeholder = false) {
    const QUuid id(0x1000u + static_cast<uint>(n), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    if (placeholder) {
        return SearchResult::placeholder(id, QStringLiteral("Player %1").arg(n), std::nullopt);
    }
    SearchResult result;
    result.id = id;
    result.fullName = QStringLiteral("Player %1").arg(n);
    return result;
}

// Drags the panel by its background from `from` to `to` (global points) and lets go.
inline void dragBackground(SearchPanel& panel, QPoint from, QPoint to) {
    const auto send = [&panel](QEvent::Type type, QPoint global, Qt::MouseButton button,
                               Qt::MouseButtons held) {
        const QPoint local = global - panel.pos();
        QMouseEvent event(type, local, local, global, button, held, Qt::NoModifier);
        QApplication::sendEvent(&panel, &event);
        QCoreApplication::processEvents();
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

} // namespace huddlepod::testing
