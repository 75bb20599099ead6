// The debug driver's keyboard walk through the real panel (controller, root view, search field) over a fake
// search service, on a manual clock: its check lines, whole.
#include "app/DebugScripts.h"
#include "app/HomeViewModel.h"
#include "tests/app/FakeSearchService.h"
#include "tests/app/shell/ShellTestSupport.h"

#include <QApplication>

#include <gtest/gtest.h>

using namespace huddlepod;
using namespace std::chrono_literals;

namespace {

std::vector<SearchResult> named(const QStringList& names) {
    std::vector<SearchResult> rows;
    for (const QString& name : names) {
        SearchResult row = huddlepod::testing::player(int(rows.size()) + 1);
        row.fullName = name;
        rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(DebugKeyboardWalk, writesItsNineChecksWholeAsThePanelAnswersThem) {
    const struct {
        const char* query;
        QStringList found; // the search's answer; none for a query that does not search
        QStringList lines;
    } walks[] = {
        {"jo",
         {"Joe Montana", "Joe Namath", "Jon Kitna"},
         {"KEY PASS panel opens and is key", "KEY PASS typing reaches the search field — field holds 'jo'",
          "KEY PASS results arrive — 3 rows", "KEY PASS down arrow moves the selection — 0 -> 2",
          "KEY PASS up arrow moves it back — 2 -> 1", "KEY PASS return opens the player — Joe Namath",
          "KEY PASS command-left-bracket goes back",
          "KEY PASS going back preserves the query — field holds 'jo'", "KEY PASS escape closes the panel",
          "DONE"}},
        {"zoë",
         {"Zoë Adams", "Zoë Baker"},
         {"KEY PASS panel opens and is key", "KEY PASS typing reaches the search field — field holds 'zoë'",
          "KEY PASS results arrive — 2 rows", "KEY FAIL down arrow moves the selection — 0 -> 1",
          "KEY PASS up arrow moves it back — 1 -> 0", "KEY PASS return opens the player — Zoë Adams",
          "KEY PASS command-left-bracket goes back",
          "KEY PASS going back preserves the query — field holds 'zoë'", "KEY PASS escape closes the panel",
          "DONE"}},
        {"Ed",
         {"Ed Reed"},
         {"KEY PASS panel opens and is key", "KEY PASS typing reaches the search field — field holds 'Ed'",
          "KEY PASS results arrive — 1 rows", "KEY FAIL down arrow moves the selection — 0 -> 0",
          "KEY FAIL up arrow moves it back — 0 -> 0", "KEY PASS return opens the player — Ed Reed",
          "KEY PASS command-left-bracket goes back",
          "KEY PASS going back preserves the query — field holds 'Ed'", "KEY PASS escape closes the panel",
          "DONE"}},
        // One letter does not search: the walk gives up once 10 s have passed without results.
        {"j",
         {},
         {"KEY PASS panel opens and is key", "KEY PASS typing reaches the search field — field holds 'j'",
          "KEY FAIL results arrive"}},
    };
    for (const auto& walk : walks) {
        SCOPED_TRACE(walk.query);
        huddlepod::testing::ShellFixture fixture;
        auto search = std::make_shared<huddlepod::testing::FakeSearchService>();
        PanelController::Environment environment = fixture.environment();
        environment.backend.search = search;
        QPointer<PanelRootView> root;
        environment.content = huddlepod::testing::rootViewContent(root);
        PanelController controller(std::move(environment));

        QStringList lines;
        DebugScriptContext context;
        context.show = [&controller] { controller.show(); };
        context.hide = [&controller] { controller.hide(); };
        context.panel = [&controller]() -> QWidget* { return controller.panel(); };
        context.navigation = &controller.navigation();
        context.searchModel = &controller.searchModel();
        context.homeModel = &controller.homeModel();
        context.playerModel = [&controller](const SearchResult& r) { return controller.playerModel(r); };
        context.clock = fixture.clock;
        context.log = [&lines](const QString& line) { lines.append(line); };
        context.logFootprint = [](const QString&) {};
        context.dumpAccessibility = [](QWidget*) {};

        auto running = DebugScripts::driveKeyboard(context, QString::fromUtf8(walk.query));
        for (auto elapsed = 0ms; elapsed < 15s && !lines.contains("DONE"); elapsed += 10ms) {
            fixture.clock->advance(10ms);
            QCoreApplication::processEvents();
            if (search->calls.pending().contains(QString::fromUtf8(walk.query))) {
                search->calls.answer(QString::fromUtf8(walk.query), named(walk.found));
            }
        }
        fixture.clock->advance(15s); // whatever is left of a walk that gave up
        EXPECT_EQ(lines.join(u'\n').toStdString(), walk.lines.join(u'\n').toStdString());
        search->calls.abandonPending();
    }
}
