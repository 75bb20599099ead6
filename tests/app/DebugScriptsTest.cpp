// The scripts' polling, their choice, their short runs on a manual clock, and the parts of their lines.
#include "app/DebugScripts.h"

#include "app/GameLogState.h"
#include "app/HomeViewModel.h"
#include "app/PanelNavigation.h"
#include "app/PlayerCardState.h"
#include "app/SearchViewModel.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace huddlepod;
using namespace std::chrono_literals;

namespace {

QCoro::Task<> store(QCoro::Task<bool> task, std::optional<bool>& result) {
    result = co_await task;
}

// A script's world without a backend, writing its lines into a list.
struct ScriptWorld {
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    PanelNavigation navigation;
    SearchViewModel search{nullptr, nullptr, clock, [](const QByteArray&) {}};
    HomeViewModel home{nullptr};
    std::unique_ptr<QWidget> panel;
    bool makesPanel = true;
    QStringList lines;

    DebugScriptContext context() {
        DebugScriptContext c;
        c.show = [this] { panel = makesPanel ? std::make_unique<QWidget>() : nullptr; };
        c.hide = [this] { lines.append(QStringLiteral("(hidden)")); };
        c.panel = [this] { return panel.get(); };
        c.navigation = &navigation;
        c.searchModel = &search;
        c.homeModel = &home;
        c.clock = clock;
        c.log = [this](const QString& line) { lines.append(line); };
        c.logFootprint = [this](const QString& label) { lines.append(QStringLiteral("memory ") + label); };
        c.dumpAccessibility = [](QWidget*) {};
        return c;
    }
};

DataRow linkedRow(QString id, std::map<int, std::vector<PlayerLink>> links) {
    DataRow row;
    row.id = std::move(id);
    row.links = std::move(links);
    return row;
}

} // namespace

TEST(DebugScripts, waitUntilPollsEveryFiftyMillisecondsUpToItsTimeOut) {
    ManualClock clock;
    int asked = 0;
    const std::function<bool()> late = [&] { return ++asked == 4; };
    std::optional<bool> result;
    auto waiting = store(DebugScripts::waitUntil(clock, 10s, late), result);
    clock.advance(100ms);
    EXPECT_FALSE(result.has_value());
    clock.advance(50ms);
    EXPECT_EQ(result, true);

    asked = 0;
    const std::function<bool()> never = [&] { return ++asked < 0; };
    auto timingOut = store(DebugScripts::waitUntil(clock, 10s, never), result = std::nullopt);
    clock.advance(10s);
    EXPECT_EQ(result, false);
    EXPECT_EQ(asked, 200);

    asked = 0;
    auto immediate = store(DebugScripts::waitUntil(clock, 0s, never), result = std::nullopt);
    EXPECT_EQ(result, false);
    EXPECT_EQ(asked, 0);
}

TEST(DebugScripts, shortRunsWriteTheirLinesInOrder) {
    const auto leagueOverTabs = [](DebugScriptContext c) {
        qputenv("HUDDLEPOD_DEBUG_HOME", "Draft");
        qputenv("HUDDLEPOD_DEBUG_TABS", "3");
        DebugScripts::runIfRequested(c);
        qunsetenv("HUDDLEPOD_DEBUG_HOME");
        qunsetenv("HUDDLEPOD_DEBUG_TABS");
    };
    struct Case {
        bool makesPanel;
        std::function<void(DebugScriptContext)> start;
        QStringList expected;
    };
    // clang-format off
    const Case cases[] = {
        {true, [](DebugScriptContext c) { auto t = DebugScripts::tabPresses(c, 0); },
         {"READY-TO-CAPTURE tabs/0"}},
        {false, [](DebugScriptContext c) { auto t = DebugScripts::driveKeyboard(c, "ab"); },
         {"KEY FAIL panel exists"}},
        {true, [](DebugScriptContext c) { auto t = DebugScripts::drive(c, {}); },
         {"memory at launch", "memory panel open, empty",
          "READY-TO-CAPTURE back-from-card (query should be intact: '')", "memory back at search", "(hidden)",
          "memory panel closed (idle)", "DONE"}},
        {true, leagueOverTabs, {"READY-TO-CAPTURE home/Draft"}},
    };
    // clang-format on
    qputenv("HUDDLEPOD_DEBUG_HOLD", "0");
    for (const Case& c : cases) {
        ScriptWorld world;
        world.makesPanel = c.makesPanel;
        c.start(world.context());
        world.clock->advance(20s);
        EXPECT_EQ(world.lines, c.expected) << c.expected.join(u'/').toStdString();
    }
    qunsetenv("HUDDLEPOD_DEBUG_HOLD");
}

TEST(DebugScripts, linkCandidatesAndLinePartsFollowTheTables) {
    const PlayerLink a{QUuid::createUuid(), "A", {}};
    const PlayerLink b{QUuid::createUuid(), "B", {}};
    const DataTable links(std::nullopt, {}, {},
                          {DataSection{std::nullopt, {linkedRow("none", {})}},
                           DataSection{"Postseason",
                                       {linkedRow("empty first", {{1, {}}, {2, {a}}}),
                                        linkedRow("lowest column", {{3, {a}}, {1, {b, a}}})}}});
    EXPECT_EQ(DebugScripts::firstLinkCandidate(links), b);
    EXPECT_EQ(DebugScripts::firstLinkCandidate(DataTable()), std::nullopt);

    const DataTable log(
        std::nullopt, {StatColumn{"Wk"}, StatColumn{}}, {},
        {DataSection{std::nullopt, {DataRow{}, DataRow{}}}, DataSection{"Postseason", {DataRow{}}}});
    EXPECT_EQ(DebugScripts::gameLogLine(GameLogState::loaded(log)),
              "game log: 2 regular + 1 Postseason, columns [Wk, W/L]");
    EXPECT_EQ(DebugScripts::gameLogLine(GameLogState::empty(2020)), "game log: empty or failed");

    PlayerBio bio;
    bio.fullName = "Jerry Rice";
    PlayerCard card(bio, PlayerStats{}, std::nullopt);
    card.tables = {DataTable(QString("Receiving"), {}, {}, {}), DataTable(),
                   DataTable(QString("Rushing"), {}, {}, {})};
    EXPECT_EQ(DebugScripts::cardLine(PlayerCardState::loaded(card)),
              "card ready: Jerry Rice — 3 sections [Receiving, Rushing]");
    EXPECT_EQ(DebugScripts::cardLine(PlayerCardState::failed("x")), std::nullopt);
}
