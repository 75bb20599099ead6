// The tray icon: a left click toggles the panel, a right click or a Ctrl+left click opens the menu built at
// that moment, and the icon's rectangle is the anchor the panel opens under.
#pragma once

#include "app/TimingLine.h"
#include "platform/tray/TrayIcon.h"

#include <QObject>
#include <QRect>

#include <functional>
#include <memory>
#include <optional>

class QMenu;

namespace huddlepod {

class StatusItemController : public QObject {
    Q_OBJECT

public:
    using MenuProvider = std::function<std::unique_ptr<QMenu>()>;

    StatusItemController(std::unique_ptr<TrayIcon> tray, std::function<void()> onClick,
                         MenuProvider menuProvider, DiagnosticSink diagnostics = writeToStandardError,
                         QObject* parent = nullptr);
    ~StatusItemController() override;

    // The icon's rectangle while it lies on a screen; else a 1×1 rectangle where the last click was; else
    // none.
    std::optional<QRect> anchorFrame() const;
    // Opens the status menu exactly as a right click does.
    void popUpMenuForVerification();
    void handleClick(const TrayIcon::Click& click);

private:
    void showMenu();

    std::unique_ptr<TrayIcon> tray_;
    std::function<void()> onClick_;
    MenuProvider menuProvider_;
    std::optional<QPoint> lastClick_;
};

} // namespace huddlepod
