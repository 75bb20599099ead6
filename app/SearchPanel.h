// The floating panel window: frameless, above other windows, off the taskbar, on every desktop, and movable
// by dragging its background.
#pragma once

#include <QPoint>
#include <QWidget>

#include <optional>

namespace huddlepod {

class SearchPanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int cornerRadius = 12;

    // Translucent with rounded corners under a compositor; otherwise opaque, its corners cut by a mask.
    SearchPanel(QSize size, bool translucent, QWidget* parent = nullptr);

    // The root view, filling the panel.
    void setContent(QWidget* content);
    QWidget* content() const { return content_; }
    bool isTranslucent() const { return translucent_; }

    // Marks the window for every desktop and off the taskbar; the window manager forgets this whenever the
    // window is withdrawn, so it is set before every show.
    void prepareToShow();

signals:
    // The window's position changed (by the program, the window manager or a drag).
    void moved();
    // The user dragged the window without the window manager's help; it is already at its new place.
    void dragged();

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void updateMask();

    bool translucent_;
    QWidget* content_ = nullptr;
    // Set while we move the window ourselves because no window manager takes the drag.
    std::optional<QPoint> dragOffset_;
};

} // namespace huddlepod
