// The tray icon: a left click toggles the panel, a right click or a Ctrl+left click opens the menu, which is
// built afresh each time it is about to show, and the icon's rectangle is the anchor the panel opens under.
#pragma once

#include "app/TimingLine.h"
#include "platform/tray/TrayIcon.h"
#include "platform/x11/DesktopBars.h"

#include <QIcon>
#include <QImage>
#include <QObject>
#include <QRect>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QMenu;
class QSettings;

namespace huddlepod {

class StatusItemController : public QObject {
    Q_OBJECT

public:
    using MenuProvider = std::function<std::unique_ptr<QMenu>()>;

    // A place the tray gives away is widened to this size to stand for the icon.
    static constexpr QSize reportedIconSize{24, 24};

    // What the desktop tells about where the icon can be; without it the icon's place is only what the tray
    // gives away.
    struct Surroundings {
        // The bar holding a point in global coordinates (none off a bar).
        std::function<std::optional<x11::Bar>(QPoint)> barAt;
        // Where trays most likely sit, when nothing better is known.
        std::function<std::optional<QRect>()> likelyTrayPlace;
        // Every screen's rectangle: the layout a remembered place belongs to.
        std::function<std::vector<QRect>()> screenLayout;
        QSettings* defaults = nullptr; // where the last place is kept; outlives the controller

        static Surroundings system(QSettings& defaults);
    };

    StatusItemController(std::unique_ptr<TrayIcon> tray, std::function<void()> onClick,
                         MenuProvider menuProvider, DiagnosticSink diagnostics = writeToStandardError,
                         QObject* parent = nullptr);
    ~StatusItemController() override;

    void setSurroundings(Surroundings surroundings);

    // The icon's rectangle while the tray has placed it on a screen; else the icon's size centred on the
    // last place the tray gave away (a click, or the pointer as it asked for the menu), unless that lay in a
    // bar and no bar holds it now. Either, in a bar, spans the bar's thickness, so that its edge towards the
    // screen is the bar's. Before the tray has told anything: the place remembered from an earlier run while
    // the screens stand as they were and a bar holds it, else where trays most likely sit, else none.
    std::optional<QRect> anchorFrame() const;
    // Whether the tray tells where the icon is (and it lies on a screen): a press on it is then never taken
    // for a click elsewhere.
    bool knowsIconPlace() const;
    // Where the pointer was at the tray's last click or request for the menu (global coordinates).
    std::optional<QPoint> lastPointer() const { return lastPointer_; }
    // Opens the status menu exactly as a right click does.
    void popUpMenuForVerification();
    void handleClick(const TrayIcon::Click& click);
    // The icon has no tool tip while the panel shows: a tray draws it by the pointer resting on the icon,
    // over the panel's search field.
    void panelVisibilityChanged(bool visible);

    // The icon at this size: a football that reads on any bar, light, dark or mid-grey.
    static QImage iconImage(int size);
    // The icon at the sizes trays ask for.
    static QIcon icon();

signals:
    // The tray asks for the icon's menu to show it by itself.
    void menuRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showMenu();
    // Where the menu's top-left corner goes: just below the icon's rectangle.
    static QPoint menuPosition(const QRect& anchor);
    // Brings the icon's menu up to date with a freshly built one: the same entries keep their actions (a
    // tray showing the menu over D-Bus keeps them while it is open), others replace them.
    void refreshMenu();
    void notePointer(QPoint cursor);
    // The icon's rectangle as the tray tells or gives away; none before it has.
    std::optional<QRect> toldPlace() const;
    // The icon stretched across the bar holding it now; none when no bar does (the icon itself when bars
    // cannot be told).
    std::optional<QRect> heldByABar(const QRect& icon) const;
    QRect acrossItsBar(const QRect& icon) const;
    void rememberPlace();

    // The icon's menu outlives the icon, which only refers to it.
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QMenu> source_;
    std::unique_ptr<TrayIcon> tray_;
    std::function<void()> onClick_;
    MenuProvider menuProvider_;
    std::optional<QPoint> lastPointer_;
    bool lastPointerInABar_ = false;
    Surroundings surroundings_;
    bool panelVisible_ = false;
};

} // namespace huddlepod
