// Tells the panel's moves apart once placement has put it somewhere: a drag the user began on the panel's
// background is kept as its detached origin; a move the window manager makes on its own is never a drag, and
// is undone once per placement (i3 frames a new window with its default border before it reads that the
// window wants none, and moves the panel by that border).
#pragma once

#include <QPoint>

#include <optional>

namespace huddlepod {

class PanelMoves {
public:
    enum class Kind { none, keepAsDetachedOrigin, moveBack };
    struct Decision {
        Kind kind = Kind::none;
        QPoint to; // the origin to keep, or where to move the panel back to
        bool operator==(const Decision&) const = default;
    };

    // Placement has put the panel's top-left corner here.
    void placed(QPoint topLeft);
    // A drag from the panel's background has it at `at` (the window manager's reports of that drag
    // included, even after the button is up).
    Decision dragged(QPoint at);
    // The panel is at `at`, and no drag of the user's moved it there.
    Decision moved(QPoint at);

private:
    std::optional<QPoint> placedAt_; // none once the user has dragged the panel away
    bool mayMoveBack_ = false;
};

} // namespace huddlepod
