// The dialogs of an update check and the browser for the download page.
#pragma once

#include "app/UpdaterController.h"

class QWidget;

namespace huddlepod {

// Message boxes over the active window; the download page opens in the desktop's browser.
UpdaterController::Prompts systemUpdatePrompts();

} // namespace huddlepod
