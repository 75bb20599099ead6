// The switches screenshot and automation tooling start the program with, and the "[drive] " lines they read
// back. Nothing is stored: every reader looks at the process environment when it is called.
#pragma once

#include "app/HomeTab.h"
#include "app/PlayerCardTab.h"
#include "data/AwardsSection.h"
#include "ui/Appearance.h"
#include "ui/AppearancePreference.h"
#include "ui/Theme.h"

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <optional>

namespace huddlepod::DebugDriver {

// Value rules of the switches, on the variable's raw bytes.
// A decimal number with a point whatever the locale; the whole text, no leading blank; finite only.
std::optional<double> parseSeconds(const QByteArray& text);
// A decimal 64-bit integer with an optional sign and nothing else.
std::optional<std::int64_t> parseInteger(const QByteArray& text);
// Split at "|", each piece trimmed of tabs and space separators, empty pieces dropped.
QStringList parseQueries(const QString& text);

// Readers.
std::optional<Appearance> requestedAppearance();
// The backdrop's grey as a white level (alpha 1).
std::optional<double> requestedBackdrop();
std::optional<double> updateCheckDelay();
std::optional<double> openSettingsOnLaunch();
std::optional<double> commaKeyEquivalentOnLaunch();
std::optional<double> openMenuOnLaunch();
// The appearance the open-settings switch flips to: exactly "system", "light" or "dark".
std::optional<AppearancePreference> flipAppearance();
std::optional<HomeTab> requestedHomeTab();
std::optional<std::int64_t> tabPresses();
std::optional<QString> keyboardDriveQuery();
std::optional<QStringList> requestedQueries();
std::optional<PlayerCardTab> requestedTab();
std::optional<AwardsSection> requestedAwardsSection();
std::optional<QString> requestedWeek();
std::optional<QString> requestedTeam();
std::optional<QString> presentedPicker();
bool followsPlayerLink();
std::optional<Material> requestedMaterial();
// 3.0 unless given; zero and negative values as given.
double holdSeconds();
bool stopsAtResults();
bool dumpsAccessibilityTree();
// True when any of the log, open-settings, open-menu, comma, open-on-launch or backdrop variables is set.
bool isCapturing();

// A delay in seconds as a timer interval: negative runs at once; none when a timer cannot hold it.
std::optional<std::chrono::milliseconds> timerDelay(double seconds);

// Line texts (without the "[drive] " prefix).
QString milestoneLine(const QString& name, double milliseconds);
QString footprintLine(const QString& label, double mebibytes);
// y counts from the top of the screen; every value is cut to a whole number.
QStringList captureRectLines(const QString& name, const QRectF& frame, const QRectF& screen,
                             std::uint64_t windowNumber);
QString statusMenuRectLine(const QRectF& anchor, const QRectF& mainScreen);

// Writers.
// "[drive] " + message to standard error and, when HUDDLEPOD_DEBUG_LOG names a file, appended to it.
void log(const QString& message);
void logLaunchMilestone(const QString& name);
std::optional<double> millisecondsSinceProcessStart();
// Resident anonymous memory plus swap, in MiB; none when the kernel does not say.
std::optional<double> footprintMebibytes();
void logFootprint(const QString& label);

} // namespace huddlepod::DebugDriver
