// The scripted runs the debug switches ask for at launch: a league page, Tab presses, a keyboard walk
// through search, card and back, and a drive of queries through results, cards and game logs.
#pragma once

#include "app/HomeTab.h"
#include "data/DataTable.h"
#include "platform/async/Clock.h"

#include <QString>
#include <QStringList>

#include <qcoro/qcorotask.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace huddlepod {

class GameLogState;
class HomeViewModel;
class PanelNavigation;
class PlayerCardState;
class PlayerCardViewModel;
class SearchViewModel;
struct SearchResult;

// What a script drives and where it writes; the panel controller fills it in. Everything outlives the
// script (the controller lives for the whole process).
struct DebugScriptContext {
    std::function<void()> show;
    std::function<void()> hide;
    // The panel window, none before the first show.
    std::function<QWidget*()> panel;
    PanelNavigation* navigation = nullptr;
    SearchViewModel* searchModel = nullptr;
    HomeViewModel* homeModel = nullptr;
    std::function<PlayerCardViewModel*(const SearchResult&)> playerModel;
    std::shared_ptr<Clock> clock;
    std::function<void(const QString&)> log;
    std::function<void(const QString&)> logFootprint;
    // Writes the accessibility dump of the view when asked for.
    std::function<void(QWidget*)> dumpAccessibility;

    // The driver's own writers over the given objects.
    static DebugScriptContext withDriverLines(DebugScriptContext context);
};

namespace DebugScripts {

inline constexpr std::chrono::seconds waitTimeout{10};
inline constexpr std::chrono::milliseconds pollInterval{50};

// Polls the condition every 50 ms until it holds (true) or the time-out passes (false). A time-out of zero
// or less gives false without asking.
QCoro::Task<bool> waitUntil(Clock& clock, Clock::Duration timeout, const std::function<bool()>& condition);

// Starts the script the switches ask for, first match wins: league page, Tab presses, keyboard walk, query
// drive. At most one per launch; returns at once.
void runIfRequested(const DebugScriptContext& context);

QCoro::Task<> leaguePage(DebugScriptContext context, HomeTab page);
QCoro::Task<> tabPresses(DebugScriptContext context, std::int64_t presses);
QCoro::Task<> driveKeyboard(DebugScriptContext context, QString query);
QCoro::Task<> drive(DebugScriptContext context, QStringList queries);

// Line parts.
// The first link of the lowest-indexed linked column of the first row that has one.
std::optional<PlayerLink> firstLinkCandidate(const DataTable& table);
QString checkLine(const QString& name, bool passed, const QString& detail = {});
// "game log: …" for a loaded table, else "game log: empty or failed".
QString gameLogLine(const GameLogState& state);
// "card ready: …" for a loaded card; none otherwise.
std::optional<QString> cardLine(const PlayerCardState& state);

} // namespace DebugScripts

} // namespace huddlepod
