// The panel's moves: the user's drag against the window manager's own.
#include "app/PanelMoves.h"

namespace huddlepod {

void PanelMoves::placed(QPoint topLeft) {
    placedAt_ = topLeft;
    mayMoveBack_ = true;
}

PanelMoves::Decision PanelMoves::dragged(QPoint at) {
    placedAt_.reset();
    return {Kind::keepAsDetachedOrigin, at};
}

PanelMoves::Decision PanelMoves::moved(QPoint at) {
    if (!placedAt_ || at == *placedAt_ || !mayMoveBack_) {
        return {};
    }
    // Once only: a manager that insists (one keeping windows inside the work area) has its way rather than
    // a tug of war.
    mayMoveBack_ = false;
    return {Kind::moveBack, *placedAt_};
}

} // namespace huddlepod
