// A table cell's link to one or several players: its hit area, hover and disclosure state, and spoken texts.
#pragma once

#include "data/DataTable.h"

#include <QRectF>

#include <vector>

namespace huddlepod {

struct PlayerNameLink {
    std::vector<PlayerLink> links; // in the row's order, never empty
    QRectF hitArea;                // the cell's text, in grid coordinates
    std::size_t textIndex = 0;     // the grid text it wraps
    bool isHovering = false;       // underlined while the pointer is over it
    bool isDisclosed = false;      // the choice popover of several players is shown

    // The single player's name, or "3 winners: A, B, C".
    static QString accessibilityLabel(const std::vector<PlayerLink>& links);
    // "Open player" for one link, "Choose a player to open" for several.
    static QString accessibilityHint(const std::vector<PlayerLink>& links);
};

} // namespace huddlepod
