// Whether a compositing manager runs, so windows can be translucent and cast soft shadows.
#pragma once

namespace huddlepod {

// On X11: the _NET_WM_CM_S<screen> selection has an owner. Wayland always composites; the offscreen and
// other image-backed platforms honour alpha as well. Asked each time a translucent window is about to open.
bool isCompositingActive();

} // namespace huddlepod
