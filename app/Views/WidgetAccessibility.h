// Registers, once, the accessible interfaces of the painted widgets with Qt's accessibility framework.
#pragma once

namespace huddlepod {

// Each painted widget calls this from its constructor; only the first call does anything.
void installWidgetAccessibility();

} // namespace huddlepod
