// The tray icon's look, clicks, menu and anchor.
#include "app/StatusItemController.h"

#include "app/IconPlaceMemory.h"

#include "app/Views/DebugCapture.h"
#include "platform/x11/DesktopBarsWatch.h"
#include "ui/Symbols.h"

#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <algorithm>
#include <utility>

namespace huddlepod {

namespace {

// A light ball inside a dark rim: the ball stands out on dark and mid-grey bars, the rim on light and
// mid-grey ones (each at least 3.5:1), so the icon reads on whatever bar it sits on.
constexpr QRgb bodyColour = 0xfff2f2f2;
constexpr QRgb rimColour = 0xff1e1e1e;

QString toolTip() {
    return QStringLiteral("Huddlepod — search NFL players (right-click for settings)");
}

bool isOnAScreen(const QRect& rect) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->geometry().intersects(rect)) {
            return true;
        }
    }
    return false;
}

} // namespace

StatusItemController::StatusItemController(std::unique_ptr<TrayIcon> tray, std::function<void()> onClick,
                                           MenuProvider menuProvider, DiagnosticSink diagnostics,
                                           QObject* parent)
    : QObject(parent)
    , menu_(std::make_unique<QMenu>())
    , tray_(std::move(tray))
    , onClick_(std::move(onClick))
    , menuProvider_(std::move(menuProvider)) {
    // Filled now as well: a tray showing the menu over D-Bus reads it before it asks to show it.
    refreshMenu();
    connect(menu_.get(), &QMenu::aboutToShow, this, &StatusItemController::refreshMenu);
    menu_->installEventFilter(this);
    tray_->setIcon(icon());
    tray_->setToolTip(toolTip());
    tray_->setClickHandler([this](const TrayIcon::Click& click) { handleClick(click); });
    tray_->setMenuRequestHandler([this](QPoint cursor) {
        notePointer(cursor);
        rememberPlace();
        emit menuRequested();
    });
    tray_->setMenu(menu_.get());
    tray_->show();
    if (!tray_->isHostAvailable()) {
        diagnostics("[huddlepod] no system tray on this desktop; open the panel with its shortcut\n");
    }
}

StatusItemController::~StatusItemController() = default;

QIcon StatusItemController::icon() {
    QIcon sizes;
    for (const int size : {16, 22, 24, 32, 48}) {
        sizes.addPixmap(QPixmap::fromImage(iconImage(size)));
    }
    return sizes;
}

QImage StatusItemController::iconImage(int size) {
    const qreal glyphSize = size * 0.8;
    const QImage body = Symbols::image(Symbol::football, glyphSize, QColor(bodyColour), FontWeight::semibold);
    const QImage rim = Symbols::image(Symbol::football, glyphSize, QColor(rimColour), FontWeight::semibold);
    QImage canvas(size, size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    const QPointF at((size - body.width()) / 2.0, (size - body.height()) / 2.0);
    // The rim: the ball's outline grown by a pixel (two on large icons) all round; it also fills the laces.
    const int width = std::max(1, size / 16);
    for (int dy = -width; dy <= width; ++dy) {
        for (int dx = -width; dx <= width; ++dx) {
            painter.drawImage(at + QPointF(dx, dy), rim);
        }
    }
    painter.drawImage(at, body);
    painter.end();
    return canvas;
}

StatusItemController::Surroundings StatusItemController::Surroundings::system(QSettings& defaults) {
    Surroundings surroundings;
    // Made now, so the bars are read at launch and followed from then on, never asked for on a show.
    x11::DesktopBarsWatch::shared();
    surroundings.barAt = [](QPoint point) { return x11::DesktopBarsWatch::shared().barAt(point); };
    surroundings.likelyTrayPlace = [] {
        return x11::likelyTrayPlace(x11::DesktopBarsWatch::shared().current().strips,
                                    reportedIconSize.width());
    };
    surroundings.screenLayout = [] {
        std::vector<QRect> screens;
        for (const QScreen* screen : QGuiApplication::screens()) {
            screens.push_back(screen->geometry());
        }
        return screens;
    };
    surroundings.defaults = &defaults;
    return surroundings;
}

void StatusItemController::setSurroundings(Surroundings surroundings) {
    surroundings_ = std::move(surroundings);
}

void StatusItemController::handleClick(const TrayIcon::Click& click) {
    notePointer(click.cursor);
    if (click.button == TrayIcon::Button::right ||
        (click.button == TrayIcon::Button::left && click.controlHeld)) {
        showMenu();
    } else if (click.button == TrayIcon::Button::left && onClick_) {
        onClick_();
    }
    // Written once the panel or the menu is up, so the write never delays them.
    rememberPlace();
}

void StatusItemController::panelVisibilityChanged(bool visible) {
    // Each change is announced to the tray; the same one twice is not.
    if (std::exchange(panelVisible_, visible) != visible) {
        tray_->setToolTip(visible ? QString() : toolTip());
    }
}

void StatusItemController::popUpMenuForVerification() {
    showMenu();
}

void StatusItemController::showMenu() {
    // Asked once: finding the anchor asks the X server about the desktop's bars.
    const std::optional<QRect> anchor = anchorFrame();
    DebugDriver::logStatusMenuRect(anchor);
    tray_->popUpMenu(*menu_, anchor ? menuPosition(*anchor) : lastPointer_.value_or(QPoint()));
}

QPoint StatusItemController::menuPosition(const QRect& anchor) {
    return QPoint(anchor.x(), anchor.y() + anchor.height() + 5);
}

bool StatusItemController::eventFilter(QObject* watched, QEvent* event) {
    // A tray that pops the menu up by itself puts it at the pointer: it belongs below the icon, or above it
    // when the bar sits at the bottom of the screen.
    if (watched == menu_.get() && event->type() == QEvent::Show) {
        if (const std::optional<QRect> anchor = anchorFrame()) {
            QPoint place = menuPosition(*anchor);
            const QScreen* screen = QGuiApplication::screenAt(anchor->center());
            if (screen == nullptr) {
                screen = QGuiApplication::primaryScreen();
            }
            if (screen != nullptr) {
                const QRect area = screen->availableGeometry();
                const QSize size = menu_->size();
                if (place.y() + size.height() > area.bottom() + 1) {
                    place.setY(anchor->top() - 5 - size.height());
                }
                place.setX(std::max(area.left(), std::min(place.x(), area.right() + 1 - size.width())));
                place.setY(std::max(area.top(), std::min(place.y(), area.bottom() + 1 - size.height())));
            }
            if (menu_->pos() != place) {
                menu_->move(place);
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void StatusItemController::refreshMenu() {
    source_ = menuProvider_ ? menuProvider_() : nullptr;
    if (!source_) {
        source_ = std::make_unique<QMenu>();
    }
    const QList<QAction*> fresh = source_->actions();
    const QList<QAction*> shown = menu_->actions();
    bool sameEntries = fresh.size() == shown.size();
    for (qsizetype i = 0; sameEntries && i < fresh.size(); ++i) {
        sameEntries =
            fresh[i]->isSeparator() == shown[i]->isSeparator() && fresh[i]->text() == shown[i]->text();
    }
    menu_->setWindowTitle(source_->windowTitle());
    if (!sameEntries) {
        menu_->clear();
        for (qsizetype i = 0; i < fresh.size(); ++i) {
            if (fresh[i]->isSeparator()) {
                menu_->addSeparator();
                continue;
            }
            QAction* action = menu_->addAction(fresh[i]->text());
            // Performed by the latest menu's action, whose target is current.
            connect(action, &QAction::triggered, this, [this, i] {
                if (source_ && i < source_->actions().size()) {
                    source_->actions()[i]->trigger();
                }
            });
        }
    }
    const QList<QAction*> actions = menu_->actions();
    for (qsizetype i = 0; i < fresh.size(); ++i) {
        actions[i]->setShortcut(fresh[i]->shortcut());
        actions[i]->setEnabled(fresh[i]->isEnabled());
    }
}

bool StatusItemController::knowsIconPlace() const {
    const std::optional<QRect> icon = tray_->geometry();
    return icon && isOnAScreen(*icon);
}

void StatusItemController::notePointer(QPoint cursor) {
    lastPointer_ = cursor;
    lastPointerInABar_ = surroundings_.barAt && surroundings_.barAt(cursor);
}

std::optional<QRect> StatusItemController::toldPlace() const {
    // Asked once: where an embedded icon sits is a question to the X server.
    if (const std::optional<QRect> icon = tray_->geometry(); icon && isOnAScreen(*icon)) {
        return icon;
    }
    if (lastPointer_) {
        QRect around(QPoint(), reportedIconSize);
        around.moveCenter(*lastPointer_);
        // Given away in a bar that has moved since: the icon has gone with it.
        if (lastPointerInABar_ && !heldByABar(around)) {
            return std::nullopt;
        }
        return around;
    }
    return std::nullopt;
}

std::optional<QRect> StatusItemController::heldByABar(const QRect& icon) const {
    if (!surroundings_.barAt) {
        return icon;
    }
    if (const std::optional<x11::Bar> bar = surroundings_.barAt(icon.center())) {
        return x11::acrossBar(icon, *bar);
    }
    return std::nullopt;
}

QRect StatusItemController::acrossItsBar(const QRect& icon) const {
    return heldByABar(icon).value_or(icon);
}

void StatusItemController::rememberPlace() {
    if (!surroundings_.defaults || !surroundings_.screenLayout) {
        return;
    }
    if (const std::optional<QRect> told = toldPlace()) {
        IconPlaceMemory(*surroundings_.defaults).remember(acrossItsBar(*told), surroundings_.screenLayout());
    }
}

std::optional<QRect> StatusItemController::anchorFrame() const {
    if (const std::optional<QRect> told = toldPlace()) {
        return acrossItsBar(*told);
    }
    if (surroundings_.defaults && surroundings_.screenLayout) {
        const std::optional<QRect> remembered =
            IconPlaceMemory(*surroundings_.defaults).place(surroundings_.screenLayout());
        // Only where a bar still holds it: a bar moved to another edge has taken the icon along.
        if (const std::optional<QRect> held = remembered ? heldByABar(*remembered) : std::nullopt) {
            return held;
        }
    }
    if (surroundings_.likelyTrayPlace) {
        return surroundings_.likelyTrayPlace();
    }
    return std::nullopt;
}

} // namespace huddlepod
