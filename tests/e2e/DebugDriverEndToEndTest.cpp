// The debug switches on the real program under a private Xvfb with trayer and the local backend's small
// league: the scripts' and launch switches' "[drive] " lines, with a screenshot of each screen they announce.
#include "backend/BackendServer.h"
#include "backend/LeagueDatabase.h"
#include "tests/support/XServerHarness.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using huddlepod::test::XServerHarness;
namespace backend = huddlepod::backend;

class DebugDriverEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.isRunning());
        ASSERT_TRUE(x.startTrayHost());
        static const auto league = backend::LeagueDatabase::generate({backend::LeagueSize::Small, 7});
        database = league;
        server = std::make_unique<backend::BackendServer>(league);
    }
    void TearDown() override { quit(); }

    QStringList column(const char* sql) const {
        QStringList values;
        for (const auto& row : database->query(sql))
            values.append(QString::fromStdString(row.begin().value().get<std::string>()));
        return values;
    }
    // Starts the program with the switches and waits until it writes a line beginning with `line`.
    bool run(const QMap<QString, QString>& switches, const QString& line) {
        quit();
        QProcessEnvironment env = x.environment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.remove("DBUS_SESSION_BUS_ADDRESS");
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_CACHE_HOME", home.filePath("cache"));
        env.insert("HUDDLEPOD_SUPABASE_URL", QString::fromStdString(server->baseUrl()));
        env.insert("HUDDLEPOD_SUPABASE_ANON_KEY", QString::fromStdString(server->anonKey()));
        for (auto it = switches.begin(); it != switches.end(); ++it)
            env.insert(it.key(), it.value());
        errors = QStringLiteral("\n");
        app.setProcessEnvironment(env);
        app.start(QStringLiteral(HUDDLEPOD_PROGRAM), {});
        return app.waitForStarted() &&
               XServerHarness::waitFor([&] { return lines(line) > 0; }, std::chrono::seconds(40));
    }
    void quit() {
        app.kill();
        app.waitForFinished();
    }
    int lines(const QString& start) {
        errors += QString::fromUtf8(app.readAllStandardError());
        return static_cast<int>(errors.count(QStringLiteral("\n[drive] ") + start));
    }
    void screenshot(const QString& name) const {
        const QString dir = QStringLiteral(HUDDLEPOD_TEST_BINARY_DIR "/test-output/e2e-debug");
        QDir().mkpath(dir);
        x.run("import", {"-window", "root", dir + "/" + name + ".png"});
    }

    XServerHarness x;
    QTemporaryDir home;
    std::shared_ptr<const backend::LeagueDatabase> database;
    std::unique_ptr<backend::BackendServer> server;
    QProcess app;
    QString errors;
};

TEST_F(DebugDriverEndToEnd, theKeyboardWalkPassesEveryCheck) {
    // The commonest start of a surname: enough results for both arrow checks.
    const QString query = column("SELECT lower(substr(last_name, 1, 3)) FROM players GROUP BY 1 "
                                 "ORDER BY count(*) DESC LIMIT 1")
                              .value(0);
    ASSERT_TRUE(run({{"HUDDLEPOD_DEBUG_KEYS", query}}, "DONE")) << errors.toStdString();
    EXPECT_EQ(lines("KEY PASS "), 9) << errors.toStdString();
}

TEST_F(DebugDriverEndToEnd, theQueryDriveOpensEveryCardAndItsGameLog) {
    const QStringList names = column("SELECT last_name FROM players ORDER BY id LIMIT 3");
    ASSERT_TRUE(run({{"HUDDLEPOD_DEBUG_DRIVE", names.join(" | ")},
                     {"HUDDLEPOD_DEBUG_TAB", "gamelog"},
                     {"HUDDLEPOD_DEBUG_HOLD", "0.3"}},
                    "DONE"))
        << errors.toStdString();
    EXPECT_EQ(lines("card ready: "), 3) << errors.toStdString();
    EXPECT_EQ(lines("game log: "), 3);
    EXPECT_EQ(lines("memory card 3/3 " + names[2]), 1);
}

TEST_F(DebugDriverEndToEnd, eachLeaguePageIsAnnouncedAfterItsFirstLinkIsFollowed) {
    // Standings and schedule list teams, not players.
    const std::pair<const char*, const char*> pages[] = {{"standings", "LINK-NONE"},
                                                         {"schedule", "LINK-NONE"},
                                                         {"draft", "LINK-OPENED"},
                                                         {"awards", "LINK-OPENED"},
                                                         {"champions", "LINK-OPENED"}};
    for (const auto& [page, link] : pages) {
        ASSERT_TRUE(run({{"HUDDLEPOD_DEBUG_HOME", page}, {"HUDDLEPOD_DEBUG_OPEN_LINK", "1"}},
                        "READY-TO-CAPTURE home/"))
            << page << errors.toStdString();
        EXPECT_EQ(lines(link), 1) << page << errors.toStdString();
        screenshot(QStringLiteral("home-") + page);
    }
}

TEST_F(DebugDriverEndToEnd, theLaunchSwitchesAnnounceTheMenuItsRectangleAndTheUpdateCheck) {
    ASSERT_TRUE(run({{"HUDDLEPOD_OPEN_MENU", "0.5"},
                     {"HUDDLEPOD_DEBUG_BACKDROP", "mid"},
                     {"HUDDLEPOD_DEBUG_CHECK_UPDATES", "0.1"}},
                    "CAPTURE-RECT status-menu "))
        << errors.toStdString();
    EXPECT_EQ(lines("READY-TO-CAPTURE status-menu"), 1);
    EXPECT_EQ(lines("launch status item visible "), 1);
    EXPECT_EQ(lines("update check starting"), 1);
    screenshot("status-menu");
}

TEST_F(DebugDriverEndToEnd, theSettingsSwitchesOpenFlipAndReachTheKeyEquivalent) {
    ASSERT_TRUE(run({{"HUDDLEPOD_COMMA", "0.5"}}, "reopened: ")) << errors.toStdString();
    for (const char* answer : {"⌘, routed through the main menu: true", "settings window open: true",
                               "closed; still open: false", "⌘, again: true", "reopened: true"}) {
        EXPECT_EQ(lines(answer), 1) << answer << errors.toStdString();
    }
    for (const char* flip : {"system", "light", "dark"}) {
        ASSERT_TRUE(run({{"HUDDLEPOD_OPEN_SETTINGS", "0.3"}, {"HUDDLEPOD_FLIP_APPEARANCE", flip}},
                        "READY-TO-CAPTURE settings"))
            << flip << errors.toStdString();
        EXPECT_EQ(lines("CAPTURE-RECT settings "), 1);
        screenshot(QStringLiteral("settings-") + flip);
    }
}

} // namespace
