// The floating panel window: frameless, above other windows, off the taskbar, on every desktop, and movable
// by dragging its background. Under a compositor the window is larger than the panel by room for its shadow.
#pragma once

#include "ui/Appearance.h"

#include <QImage>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <optional>

class QScreen;

namespace huddlepod {

namespace x11 {
class InputShape;
}

class SearchPanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int cornerRadius = 12;
    // Room around the panel for its shadow while a compositor runs.
    static constexpr int shadowMargin = 20;

    // size is the panel's own, without the shadow.
    SearchPanel(QSize size, bool composited, QWidget* parent = nullptr);

    // The root view, filling the panel.
    void setContent(QWidget* content);
    QWidget* content() const { return content_; }

    // Translucent with a shadow around the rounded panel, or opaque with its corners cut by a mask. The panel
    // keeps its place on screen; the window grows or shrinks around it (and is made anew, for a visual with
    // or without an alpha channel: at once when shown and turning translucent, else at the next show).
    bool isComposited() const { return composited_; }
    void setComposited(bool composited);
    // The panel without its shadow, in global coordinates: what placement and the stored origin refer to.
    QRect surfaceGeometry() const { return QRect(pos() + QPoint(margin(), margin()), surfaceSize_); }
    // The band of the window around the panel that is only shadow, as the window manager is told of it.
    QMargins shadowExtents() const { return QMargins(margin(), margin(), margin(), margin()); }
    void moveSurfaceTo(QPoint topLeft);

    // Marks the window for every desktop and off the taskbar; the window manager forgets this whenever the
    // window is withdrawn, so it is set before every show. The window carries the application's icon only in
    // small sizes.
    void prepareToShow();
    // Whether the window has been on screen before: it then carries every hint a window manager reads as it
    // takes the window in (Qt sets some of them only as it shows the window).
    bool hasBeenShown() const { return hasBeenShown_; }

signals:
    // The window system has put the window on screen (each time it is exposed, once prepared); its frame is
    // drawn right after.
    void exposed();
    // The window's position changed (by the program or the window manager) outside a drag.
    void moved();
    // The user drags the window (by hand, or through the window manager once a drag has begun); it is
    // already at its new place. The moves the window manager reports after the button is up still count.
    void dragged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Drag { none, byHand, byWindowManager };

    int margin() const { return composited_ ? shadowMargin : 0; }
    QRect surfaceRect() const { return QRect(QPoint(margin(), margin()), surfaceSize_); }
    void layOut(QPoint surfaceTopLeft);
    void dropNativeWindow();
    void announceShadow();
    void updateShape();
    void followScreen();
    void watchRatio(QScreen* screen);
    void takeBackFromWindowManager(QPoint releasedAt);

    QSize surfaceSize_;
    bool composited_;
    QWidget* content_ = nullptr;
    QMetaObject::Connection ratioWatch_;    // on the window's screen
    x11::InputShape* inputShape_ = nullptr; // a child, made with the native window
    // The press on the background while the button is held (the window manager, once it has the pointer,
    // ends the drag itself): where, and its offset from the window's corner.
    std::optional<QPoint> pressedAt_;
    QPoint pressOffset_;
    // Set once the pointer has gone the drag distance; lasts until the next press, hide or placement.
    Drag drag_ = Drag::none;
    bool hasBeenShown_ = false;
    QImage shadow_; // kept while the size and look stay
    Appearance shadowLook_ = Appearance::light;
};

} // namespace huddlepod
