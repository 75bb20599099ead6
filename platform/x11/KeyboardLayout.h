// The character a key gives on the current keyboard layout.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace huddlepod::x11 {

// The unshifted character of the physical key in the active layout group, read afresh from the X server; the
// US layout's character when there is no X display. Nothing for a key the layout cannot name.
std::optional<QString> layoutCharacterForKeyCode(std::int64_t keyCode);

} // namespace huddlepod::x11
