// The tray icon's look, clicks, menu and anchor.
#include "app/StatusItemController.h"

#include "ui/Symbols.h"

#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QScreen>

namespace huddlepod {

namespace {

// Our football in the desktop's text colour, at the sizes trays ask for.
QIcon footballIcon() {
    QIcon icon;
    const QColor colour = QGuiApplication::palette().color(QPalette::WindowText);
    for (const int size : {16, 22, 24, 32, 48}) {
        const QImage symbol = Symbols::image(Symbol::football, size * 0.8, colour, FontWeight::semibold);
        QImage canvas(size, size, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        painter.drawImage(QPointF((size - symbol.width()) / 2.0, (size - symbol.height()) / 2.0), symbol);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(canvas));
    }
    return icon;
}

} // namespace

StatusItemController::StatusItemController(std::unique_ptr<TrayIcon> tray, std::function<void()> onClick,
                                           MenuProvider menuProvider, DiagnosticSink diagnostics,
                                           QObject* parent)
    : QObject(parent)
    , tray_(std::move(tray))
    , onClick_(std::move(onClick))
    , menuProvider_(std::move(menuProvider)) {
    tray_->setIcon(footballIcon());
    tray_->setToolTip(QStringLiteral("Huddlepod — search NFL players (right-click for settings)"));
    tray_->setClickHandler([this](const TrayIcon::Click& click) { handleClick(click); });
    tray_->show();
    if (!tray_->isHostAvailable()) {
        diagnostics("[huddlepod] no system tray on this desktop; open the panel with its shortcut\n");
    }
}

StatusItemController::~StatusItemController() = default;

void StatusItemController::handleClick(const TrayIcon::Click& click) {
    lastClick_ = click.cursor;
    if (click.button == TrayIcon::Button::right ||
        (click.button == TrayIcon::Button::left && click.controlHeld)) {
        showMenu();
    } else if (click.button == TrayIcon::Button::left && onClick_) {
        onClick_();
    }
}

void StatusItemController::popUpMenuForVerification() {
    showMenu();
}

void StatusItemController::showMenu() {
    std::unique_ptr<QMenu> menu = menuProvider_ ? menuProvider_() : nullptr;
    if (!menu) {
        return;
    }
    // HOOK(debug driver): the status-menu capture line with anchorFrame().
    const std::optional<QRect> anchor = anchorFrame();
    const QPoint at = anchor ? anchor->bottomLeft() + QPoint(0, 5) : lastClick_.value_or(QPoint());
    tray_->popUpMenu(*menu, at);
}

std::optional<QRect> StatusItemController::anchorFrame() const {
    if (const std::optional<QRect> icon = tray_->geometry()) {
        for (const QScreen* screen : QGuiApplication::screens()) {
            if (screen->geometry().intersects(*icon)) {
                return icon;
            }
        }
    }
    if (lastClick_) {
        return QRect(*lastClick_, QSize(1, 1));
    }
    return std::nullopt;
}

} // namespace huddlepod
