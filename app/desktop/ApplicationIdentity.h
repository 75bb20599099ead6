// How the desktop knows Huddlepod's windows: the application's icon on every window (task lists, title bars,
// window switchers) and the menu entry they belong to.
#pragma once

#include <QIcon>
#include <QString>

namespace huddlepod {

// The menu entry's icon at the sizes drawn at build time; the tray's drawing of it when the build drew none.
QIcon applicationIcon();
// The installed menu entry's name without ".desktop" ("org.huddlepod.Huddlepod").
QString desktopFileName();
// Gives every window of the application its icon and ties them to the menu entry. Call once the
// application object exists, before the first window.
void applyApplicationIdentity();

} // namespace huddlepod
