// The debug scripts. They drive the panel the way a user does: the league page and the query drive through
// the view models' setters, the Tab presses and the keyboard walk through key events sent into the panel, so
// the controller's key monitor and the search field's handlers see them like typed keys.
#include "app/DebugScripts.h"

#include "app/DebugDriver.h"
#include "app/GameLogState.h"
#include "app/HomeViewModel.h"
#include "app/PanelNavigation.h"
#include "app/PlayerCardState.h"
#include "app/PlayerCardViewModel.h"
#include "app/SearchViewModel.h"
#include "app/Views/DebugCapture.h"
#include "platform/async/Detached.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QProcessEnvironment>
#include <QTextBoundaryFinder>
#include <QWidget>

#include <climits>

namespace huddlepod {

DebugScriptContext DebugScriptContext::withDriverLines(DebugScriptContext context) {
    context.log = &DebugDriver::log;
    context.logFootprint = &DebugDriver::logFootprint;
    context.dumpAccessibility = [](QWidget* view) { DebugDriver::dumpAccessibilityTree(view, 240); };
    return context;
}

namespace DebugScripts {

namespace {

const QString emDash = QStringLiteral(" — ");

// A pause of the script; one cut short is ignored. A pause longer than a timer can hold lasts as long as
// one can.
QCoro::Task<> pause(Clock& clock, double seconds) {
    const Clock::Duration duration =
        DebugDriver::timerDelay(seconds).value_or(std::chrono::milliseconds(INT_MAX));
    try {
        co_await clock.sleep(duration);
    } catch (const CancelledError&) {
    }
}

// One key-down, to the panel's focused widget (the search field while the panel is up), else the panel.
void sendKey(QWidget* panel, int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    if (!panel) {
        return;
    }
    QWidget* target = QApplication::focusWidget();
    if (!target || (target != panel && !panel->isAncestorOf(target))) {
        target = panel->focusWidget() ? panel->focusWidget() : panel;
    }
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &event);
}

// The key a typed character stands for: Qt names Latin-1 keys by their upper-case code.
int keyOf(const QString& character) {
    if (character.size() == 1 && character[0].unicode() < 0x100) {
        return character[0].toUpper().unicode();
    }
    return Qt::Key_unknown;
}

QStringList graphemes(const QString& text) {
    QStringList pieces;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (finder.toNextBoundary() != -1) {
        pieces.append(text.sliced(start, finder.position() - start));
        start = finder.position();
    }
    return pieces;
}

bool isResults(const SearchViewModel& model) {
    return model.state().kind() == SearchState::Kind::results;
}

std::optional<int> intOf(const QProcessEnvironment& environment, const QString& name) {
    if (!environment.contains(name)) {
        return std::nullopt;
    }
    const std::optional<std::int64_t> value = DebugDriver::parseInteger(environment.value(name).toUtf8());
    if (!value || *value < INT_MIN || *value > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

QString joinedNames(const std::vector<SearchResult>& rows, std::size_t count) {
    QStringList names;
    for (std::size_t i = 0; i < rows.size() && i < count; ++i) {
        names.append(rows[i].fullName);
    }
    return names.join(QStringLiteral(" | "));
}

} // namespace

QCoro::Task<bool> waitUntil(Clock& clock, Clock::Duration timeout, const std::function<bool()>& condition) {
    const Clock::Instant deadline = clock.now() + timeout;
    while (clock.now() < deadline) {
        if (condition()) {
            co_return true;
        }
        try {
            co_await clock.sleep(pollInterval);
        } catch (const CancelledError&) {
        }
    }
    co_return false;
}

std::optional<PlayerLink> firstLinkCandidate(const DataTable& table) {
    for (const DataSection& section : table.sections()) {
        for (const DataRow& row : section.rows) {
            // links is ordered by column: its first entry is the lowest-indexed column.
            if (!row.links.empty() && !row.links.begin()->second.empty()) {
                return row.links.begin()->second.front();
            }
        }
    }
    return std::nullopt;
}

QString checkLine(const QString& name, bool passed, const QString& detail) {
    QString line =
        QStringLiteral("KEY ") + (passed ? QStringLiteral("PASS ") : QStringLiteral("FAIL ")) + name;
    if (!detail.isEmpty()) {
        line += emDash + detail;
    }
    return line;
}

QString gameLogLine(const GameLogState& state) {
    if (state.kind() != GameLogState::Kind::loaded) {
        return QStringLiteral("game log: empty or failed");
    }
    QStringList sections;
    for (const DataSection& section : state.table().sections()) {
        sections.append(QString::number(section.rows.size()) + u' ' +
                        section.label.value_or(QStringLiteral("regular")));
    }
    QStringList columns;
    for (const StatColumn& column : state.table().columns()) {
        columns.append(column.title.isEmpty() ? QStringLiteral("W/L") : column.title);
    }
    return QStringLiteral("game log: ") + sections.join(QStringLiteral(" + ")) +
           QStringLiteral(", columns [") + columns.join(QStringLiteral(", ")) + u']';
}

std::optional<QString> cardLine(const PlayerCardState& state) {
    const PlayerCard* card = state.card();
    if (state.kind() != PlayerCardState::Kind::loaded || !card) {
        return std::nullopt;
    }
    QStringList titles;
    for (const DataTable& table : card->tables) {
        if (table.title()) {
            titles.append(*table.title());
        }
    }
    return QStringLiteral("card ready: ") + card->bio.fullName + emDash +
           QString::number(card->tables.size()) + QStringLiteral(" sections [") +
           titles.join(QStringLiteral(", ")) + u']';
}

void runIfRequested(const DebugScriptContext& context) {
    if (const std::optional<HomeTab> page = DebugDriver::requestedHomeTab()) {
        startDetached([context, page = *page] { return leaguePage(context, page); });
    } else if (const std::optional<std::int64_t> presses = DebugDriver::tabPresses()) {
        startDetached([context, presses = *presses] { return tabPresses(context, presses); });
    } else if (const std::optional<QString> query = DebugDriver::keyboardDriveQuery()) {
        startDetached([context, query = *query] { return driveKeyboard(context, query); });
    } else if (const std::optional<QStringList> queries = DebugDriver::requestedQueries()) {
        startDetached([context, queries = *queries] { return drive(context, queries); });
    }
}

QCoro::Task<> leaguePage(DebugScriptContext context, HomeTab page) {
    Clock& clock = *context.clock;
    HomeViewModel& home = *context.homeModel;
    context.show();
    co_await pause(clock, 0.3);
    home.setTab(page);

    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (environment.contains(QStringLiteral("HUDDLEPOD_DEBUG_GROUPING")) &&
        environment.value(QStringLiteral("HUDDLEPOD_DEBUG_GROUPING")) == QStringLiteral("conference")) {
        home.setStandingsGrouping(HomeViewModel::StandingsGrouping::conference);
    }
    if (const std::optional<int> round = intOf(environment, QStringLiteral("HUDDLEPOD_DEBUG_ROUND"))) {
        co_await pause(clock, 0.8);
        home.setDraftRound(*round);
    }
    if (const std::optional<int> year = intOf(environment, QStringLiteral("HUDDLEPOD_DEBUG_YEAR"))) {
        co_await pause(clock, 0.8);
        if (home.year() != *year) {
            home.selectYear(*year); // ignored outside the page's years
            co_await pause(clock, 0.6);
        }
    }
    if (const std::optional<AwardsSection> section = DebugDriver::requestedAwardsSection()) {
        home.setAwardsSection(*section);
    }
    if (const std::optional<QString> week = DebugDriver::requestedWeek()) {
        co_await pause(clock, 0.8);
        home.setSelectedWeek(ScheduleWeek(*week));
    }
    if (const std::optional<QString> team = DebugDriver::requestedTeam()) {
        co_await pause(clock, 0.8);
        home.setScheduleGrouping(ScheduleGrouping::team);
        home.setSelectedTeam(*team);
    }
    // The model shows the previous content until a load has looked up the page's years, and a narrowing
    // value the page lacks ends on the page's first one with the same content as before: the page has
    // settled once the last load has ended.
    const std::function<bool()> pageSettled = [&home] {
        return !home.isLoading() && home.state().kind() != HomeContentState::Kind::loading;
    };
    co_await waitUntil(clock, waitTimeout, pageSettled);

    if (DebugDriver::followsPlayerLink() && home.state().kind() == HomeContentState::Kind::loaded) {
        const std::optional<PlayerLink> link = firstLinkCandidate(home.state().table());
        if (!link) {
            context.log(QStringLiteral("LINK-NONE — no linked rows in this table"));
        } else {
            context.log(QStringLiteral("following link: ") + link->name + u' ' +
                        link->id.toString(QUuid::WithoutBraces).toUpper());
            const SearchResult result = SearchResult::placeholder(link->id, link->name, link->position);
            context.navigation->setRoute(PanelRoute::player(result));
            const QPointer<PlayerCardViewModel> card = context.playerModel(result);
            const std::function<bool()> cardSettled = [&card] {
                return !card || card->state().kind() != PlayerCardState::Kind::loading;
            };
            co_await waitUntil(clock, waitTimeout, cardSettled);
            const PlayerCard* loaded = card ? card->state().card() : nullptr;
            if (loaded) {
                context.log(QStringLiteral("LINK-OPENED ") + loaded->bio.fullName + emDash +
                            QString::number(loaded->tables.size()) + QStringLiteral(" tables"));
            } else {
                context.log(QStringLiteral("LINK-FAILED ") + link->name);
            }
        }
    }
    context.log(QStringLiteral("READY-TO-CAPTURE home/") + title(page));
    co_await pause(clock, 0.4);
    context.dumpAccessibility(context.panel());
}

QCoro::Task<> tabPresses(DebugScriptContext context, std::int64_t presses) {
    Clock& clock = *context.clock;
    context.show();
    co_await pause(clock, 1.0);
    if (!context.panel()) {
        co_return;
    }
    // A negative count presses nothing.
    for (std::int64_t i = 0; i < presses; ++i) {
        sendKey(context.panel(), Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
        co_await pause(clock, 0.25);
    }
    context.log(QStringLiteral("READY-TO-CAPTURE tabs/") + QString::number(presses));
    co_await pause(clock, 6.0);
}

QCoro::Task<> driveKeyboard(DebugScriptContext context, QString query) {
    Clock& clock = *context.clock;
    SearchViewModel& search = *context.searchModel;
    const auto report = [&context](const QString& name, bool passed, const QString& detail = {}) {
        context.log(checkLine(name, passed, detail));
    };
    const auto fieldHolds = [&search] { return QStringLiteral("field holds '") + search.query() + u'\''; };

    context.show();
    co_await pause(clock, 0.5);
    if (!context.panel()) {
        report(QStringLiteral("panel exists"), false);
        co_return;
    }
    report(QStringLiteral("panel opens and is key"), context.panel()->isActiveWindow());
    for (const QString& character : graphemes(query)) {
        sendKey(context.panel(), keyOf(character), Qt::NoModifier, character);
        co_await pause(clock, 0.02);
    }
    co_await pause(clock, 0.35);
    report(QStringLiteral("typing reaches the search field"), search.query() == query, fieldHolds());

    const std::function<bool()> hasResults = [&search] { return isResults(search); };
    const bool arrived = co_await waitUntil(clock, waitTimeout, hasResults);
    if (!arrived) {
        report(QStringLiteral("results arrive"), false);
        co_return;
    }
    report(QStringLiteral("results arrive"), true, QString::number(search.state().rows().size()) + " rows");

    const int before = search.selection();
    sendKey(context.panel(), Qt::Key_Down, Qt::NoModifier, {});
    co_await pause(clock, 0.15);
    sendKey(context.panel(), Qt::Key_Down, Qt::NoModifier, {});
    co_await pause(clock, 0.15);
    const int down = search.selection();
    report(QStringLiteral("down arrow moves the selection"), down == before + 2,
           QString::number(before) + " -> " + QString::number(down));
    sendKey(context.panel(), Qt::Key_Up, Qt::NoModifier, {});
    co_await pause(clock, 0.15);
    const int up = search.selection();
    report(QStringLiteral("up arrow moves it back"), up == down - 1,
           QString::number(down) + " -> " + QString::number(up));

    const std::optional<SearchResult> selected = search.selectedResult();
    const QString name = selected ? selected->fullName : QStringLiteral("—");
    sendKey(context.panel(), Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    co_await pause(clock, 0.5);
    report(QStringLiteral("return opens the player"), context.navigation->route().isPlayer(), name);

    sendKey(context.panel(), Qt::Key_BracketLeft, Qt::ControlModifier, QStringLiteral("["));
    co_await pause(clock, 0.4);
    report(QStringLiteral("command-left-bracket goes back"), context.navigation->route().isSearch());
    report(QStringLiteral("going back preserves the query"), search.query() == query, fieldHolds());

    sendKey(context.panel(), Qt::Key_Escape, Qt::NoModifier, {});
    co_await pause(clock, 0.4);
    const QWidget* panel = context.panel();
    report(QStringLiteral("escape closes the panel"), !panel || !panel->isVisible());
    context.log(QStringLiteral("DONE"));
}

QCoro::Task<> drive(DebugScriptContext context, QStringList queries) {
    Clock& clock = *context.clock;
    SearchViewModel& search = *context.searchModel;
    const std::function<bool()> hasResults = [&search] { return isResults(search); };

    context.logFootprint(QStringLiteral("at launch"));
    context.show();
    co_await pause(clock, 0.4);
    context.logFootprint(QStringLiteral("panel open, empty"));

    const qsizetype count = queries.size();
    for (qsizetype i = 0; i < count; ++i) {
        const QString query = queries[i];
        context.navigation->setRoute(PanelRoute::search());
        search.setQuery(QString());
        co_await pause(clock, 0.15);
        search.setQuery(query);
        const bool arrived = co_await waitUntil(clock, waitTimeout, hasResults);
        if (!arrived) {
            context.log(QStringLiteral("no results for ") + query + QStringLiteral(" — skipping"));
            continue;
        }
        context.logFootprint(QStringLiteral("results for ") + query);
        context.log(QStringLiteral("query '") + search.query() + QStringLiteral("' -> ") +
                    joinedNames(search.state().rows(), 3));
        if (DebugDriver::stopsAtResults()) {
            context.log(QStringLiteral("READY-TO-CAPTURE results/") + query + QStringLiteral(" (") +
                        QString::number(search.state().rows().size()) + QStringLiteral(" rows)"));
            co_await pause(clock, DebugDriver::holdSeconds());
            continue;
        }
        const std::optional<SearchResult> selected = search.selectedResult();
        if (!selected) {
            continue;
        }
        context.navigation->setRoute(PanelRoute::player(*selected));
        const QPointer<PlayerCardViewModel> card = context.playerModel(*selected);
        const std::function<bool()> cardSettled = [&card] {
            return !card || card->state().kind() != PlayerCardState::Kind::loading;
        };
        const bool settled = co_await waitUntil(clock, waitTimeout, cardSettled);
        if (!settled) {
            context.log(QStringLiteral("card never settled for ") + query);
            continue;
        }
        if (!card) {
            continue;
        }
        if (const std::optional<PlayerCardTab> tab = DebugDriver::requestedTab()) {
            card->setTab(*tab);
            if (*tab == PlayerCardTab::gameLog) {
                const std::function<bool()> gameLogSettled = [&card] {
                    if (!card) {
                        return true;
                    }
                    const GameLogState::Kind kind = card->gameLogState().kind();
                    return kind == GameLogState::Kind::loaded || kind == GameLogState::Kind::empty ||
                           kind == GameLogState::Kind::failed;
                };
                co_await waitUntil(clock, waitTimeout, gameLogSettled);
                context.log(card ? gameLogLine(card->gameLogState()) : gameLogLine(GameLogState()));
            }
        }
        if (card) {
            if (const std::optional<QString> line = cardLine(card->state())) {
                context.log(*line);
            }
        }
        context.logFootprint(QStringLiteral("card ") + QString::number(i + 1) + u'/' +
                             QString::number(count) + u' ' + query);
        context.log(QStringLiteral("READY-TO-CAPTURE ") + query);
        co_await pause(clock, 0.4);
        context.dumpAccessibility(context.panel());
        co_await pause(clock, DebugDriver::holdSeconds());
    }

    context.navigation->setRoute(PanelRoute::search());
    co_await pause(clock, 0.3);
    context.log(QStringLiteral("READY-TO-CAPTURE back-from-card (query should be intact: '") +
                search.query() + QStringLiteral("')"));
    co_await pause(clock, DebugDriver::holdSeconds());
    context.logFootprint(QStringLiteral("back at search"));
    context.hide();
    co_await pause(clock, 0.5);
    context.logFootprint(QStringLiteral("panel closed (idle)"));
    context.log(QStringLiteral("DONE"));
}

} // namespace DebugScripts

} // namespace huddlepod
