// The debug switches on the real program under a private Xvfb with trayer and the local backend's small
// league: the scripts' and launch switches' "[drive] " lines, with a screenshot of each screen they announce.
#include "backend/BackendServer.h"
#include "backend/LeagueDatabase.h"
#include "backend/PlayerSearch.h"
#include "tests/support/XServerHarness.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <optional>

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
    // How many "[drive] " lines say exactly this.
    int wholeLines(const QString& text) {
        lines(QString());
        return static_cast<int>(errors.count("\n[drive] " + text + "\n"));
    }
    // The full names the backend's search answers for a query, best match first.
    QStringList searched(const QString& query) const {
        QStringList names;
        for (const auto& row : nlohmann::json::parse(database->playerSearch().search(query.toStdString())))
            names.append(QString::fromStdString(row.at("full_name").get<std::string>()));
        return names;
    }
    // The "[drive] " lines written so far that begin with one of the starts, without the prefix.
    QStringList driveLines(const QStringList& starts) {
        lines(QString());
        QStringList found;
        for (const QString& line : errors.split(u'\n')) {
            if (!line.startsWith("[drive] "))
                continue;
            const QString text = line.mid(8);
            if (std::any_of(starts.begin(), starts.end(),
                            [&](const QString& s) { return text.startsWith(s); }))
                found.append(text);
        }
        return found;
    }
    void quit() {
        app.kill();
        app.waitForFinished();
    }
    int lines(const QString& start) {
        errors += QString::fromUtf8(app.readAllStandardError());
        return static_cast<int>(errors.count(QStringLiteral("\n[drive] ") + start));
    }
    QString screenshot(const QString& name) const {
        const QString dir = QStringLiteral(HUDDLEPOD_TEST_BINARY_DIR "/test-output/e2e-debug");
        QDir().mkpath(dir);
        const QString file = dir + "/" + name + ".png";
        x.run("import", {"-window", "root", file});
        return file;
    }
    // What a client of the X server prints, trimmed; empty when it fails.
    QString output(const QString& program, const QStringList& arguments) const {
        QProcess process;
        process.setProcessEnvironment(x.environment());
        process.start(program, arguments);
        process.waitForFinished(10000);
        return process.exitCode() == 0 ? QString::fromUtf8(process.readAllStandardOutput()).trimmed()
                                       : QString();
    }
    // "r,g,b" of a pixel of a screenshot.
    QString pixel(const QString& file, QPoint at) const {
        return output("convert",
                      {QStringLiteral("%1[1x1+%2+%3]").arg(file).arg(at.x()).arg(at.y()), "-format",
                       "%[fx:int(255*r+.5)],%[fx:int(255*g+.5)],%[fx:int(255*b+.5)]", "info:"});
    }
    // The first visible window matching, no wider than maxWidth, as X places it.
    std::optional<QRect> window(const QStringList& match, int maxWidth = 10000) const {
        for (const QString& id :
             output("xdotool", QStringList{"search", "--onlyvisible"} + match).split('\n')) {
            QMap<QString, int> values;
            for (const QString& line : output("xdotool", {"getwindowgeometry", "--shell", id}).split('\n'))
                values[line.section('=', 0, 0)] = line.section('=', 1).toInt();
            if (!id.isEmpty() && values["WIDTH"] <= maxWidth)
                return QRect(values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]);
        }
        return std::nullopt;
    }
    // The rectangle of the last "CAPTURE-RECT <name> x,y,w,h" line.
    std::optional<QRect> captureRect(const QString& name) {
        lines(QString());
        const QString start = "[drive] CAPTURE-RECT " + name + " ";
        const qsizetype at = errors.lastIndexOf(start);
        if (at < 0)
            return std::nullopt;
        const QStringList parts = errors.mid(at + start.size()).section('\n', 0, 0).split(',');
        if (parts.size() != 4)
            return std::nullopt;
        return QRect(parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt());
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
    // Return opens the second row: Down twice, then Up once.
    const QStringList found = searched(query);
    ASSERT_GE(found.size(), 3);
    const QString holds = "field holds '" + query + "'";
    const QStringList walk{"KEY PASS panel opens and is key",
                           "KEY PASS typing reaches the search field — " + holds,
                           QStringLiteral("KEY PASS results arrive — %1 rows").arg(found.size()),
                           "KEY PASS down arrow moves the selection — 0 -> 2",
                           "KEY PASS up arrow moves it back — 2 -> 1",
                           "KEY PASS return opens the player — " + found[1],
                           "KEY PASS command-left-bracket goes back",
                           "KEY PASS going back preserves the query — " + holds,
                           "KEY PASS escape closes the panel",
                           "DONE"};
    EXPECT_EQ(driveLines({"KEY ", "DONE"}).join(u'\n').toStdString(), walk.join(u'\n').toStdString());
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
    // Each query names its first three results and opens the first one's card.
    QStringList queried;
    const QStringList cards = driveLines({"card ready: "});
    ASSERT_EQ(cards.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QStringList found = searched(names[i]);
        ASSERT_FALSE(found.isEmpty());
        queried.append("query '" + names[i] + "' -> " + found.mid(0, 3).join(" | "));
        const QRegularExpression card("^card ready: " + QRegularExpression::escape(found[0]) +
                                      " — \\d+ sections \\[[^]]*\\]$");
        EXPECT_TRUE(card.match(cards[i]).hasMatch()) << cards[i].toStdString();
        EXPECT_EQ(lines(QStringLiteral("memory card %1/3 ").arg(i + 1) + names[i]), 1);
        EXPECT_EQ(lines("READY-TO-CAPTURE " + names[i] + "\n"), 1);
    }
    EXPECT_EQ(driveLines({"query '"}).join(u'\n').toStdString(), queried.join(u'\n').toStdString());
    EXPECT_EQ(driveLines({"READY-TO-CAPTURE back-from-card"}),
              QStringList{"READY-TO-CAPTURE back-from-card (query should be intact: '" + names[2] + "')"});
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
        const QString title = QString::fromUtf8(page).left(1).toUpper() + QString::fromUtf8(page).mid(1);
        EXPECT_EQ(driveLines({"READY-TO-CAPTURE "}), QStringList{"READY-TO-CAPTURE home/" + title});
        const QStringList linkLines = driveLines({"following link: ", "LINK-"});
        if (QByteArray(link) == "LINK-NONE") {
            EXPECT_EQ(linkLines, QStringList{"LINK-NONE — no linked rows in this table"}) << page;
            continue;
        }
        // The player followed, by name and id in capitals, is the one whose card opened.
        ASSERT_EQ(linkLines.size(), 2) << page;
        const QRegularExpressionMatch followed =
            QRegularExpression(
                "^following link: (.+) ([0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12})$")
                .match(linkLines[0]);
        ASSERT_TRUE(followed.hasMatch()) << linkLines[0].toStdString();
        const QStringList named =
            column(("SELECT full_name FROM players WHERE upper(id) = '" + followed.captured(2) + "'")
                       .toUtf8()
                       .constData());
        EXPECT_EQ(named, QStringList{followed.captured(1)}) << page;
        EXPECT_TRUE(QRegularExpression("^LINK-OPENED " + QRegularExpression::escape(followed.captured(1)) +
                                       " — \\d+ tables$")
                        .match(linkLines[1])
                        .hasMatch())
            << linkLines[1].toStdString();
    }
}

TEST_F(DebugDriverEndToEnd, aPanelShownAtLaunchIsAnnouncedWhereItIs) {
    // Shown by the league-page script and, once the tray icon is in place, by the open-on-launch switch.
    const QString log = home.filePath("drive.log");
    ASSERT_TRUE(run({{"HUDDLEPOD_DEBUG_HOME", "champions"}, {"HUDDLEPOD_DEBUG_LOG", log}},
                    "READY-TO-CAPTURE home/Champions"))
        << errors.toStdString();
    std::optional<QRect> announced = captureRect("panel");
    ASSERT_TRUE(announced.has_value()) << errors.toStdString();
    EXPECT_EQ(announced, window({"--name", "^Huddlepod search$"}));
    EXPECT_EQ(announced->size(), QSize(440, 560));
    EXPECT_EQ(lines("CAPTURE-WINDOW panel "), 1);
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(written.startsWith("[drive] launch status item visible ")) << written.toStdString();
    EXPECT_TRUE(written.contains(QStringLiteral("\n[drive] CAPTURE-RECT panel %1,%2,440,560\n")
                                     .arg(announced->x())
                                     .arg(announced->y())));
    EXPECT_TRUE(written.endsWith("\n[drive] READY-TO-CAPTURE home/Champions\n"));

    ASSERT_TRUE(run({{"HUDDLEPOD_OPEN_ON_LAUNCH", "2"}}, "CAPTURE-WINDOW panel ")) << errors.toStdString();
    announced = captureRect("panel");
    ASSERT_TRUE(announced.has_value());
    EXPECT_EQ(announced, window({"--name", "^Huddlepod search$"}));
    // Centred under the icon and 6 pixels below trayer's 26-pixel bar, 8 pixels clear of the screen's sides.
    const std::optional<QRect> icon = window({"--classname", "^huddlepod$"}, 64);
    ASSERT_TRUE(icon.has_value());
    const int screenWidth = output("xdotool", {"getdisplaygeometry"}).section(' ', 0, 0).toInt();
    const int centred = int(icon->x() + icon->width() / 2.0 - 220);
    EXPECT_EQ(announced, QRect(std::clamp(centred, 8, screenWidth - 448), 26 + 6, 440, 560));
}

TEST_F(DebugDriverEndToEnd, theLaunchSwitchesAnnounceTheMenuItsRectangleAndTheUpdateCheck) {
    // Another program's window, there before ours: the backdrop covers it.
    x.start("xmessage", {"-geometry", "300x200+100+300", "another program"});
    ASSERT_TRUE(XServerHarness::waitFor([&] { return window({"--name", "^xmessage$"}).has_value(); }));
    ASSERT_TRUE(run({{"HUDDLEPOD_OPEN_MENU", "0.5"},
                     {"HUDDLEPOD_DEBUG_BACKDROP", "mid"},
                     {"HUDDLEPOD_DEBUG_CHECK_UPDATES", "0.1"}},
                    "CAPTURE-RECT status-menu "))
        << errors.toStdString();
    EXPECT_EQ(wholeLines("READY-TO-CAPTURE status-menu"), 1);
    EXPECT_EQ(lines("launch status item visible "), 1);
    EXPECT_EQ(wholeLines("update check starting"), 1);
    EXPECT_EQ(pixel(screenshot("status-menu"), {250, 400}), "158,158,158") << "the mid-grey backdrop";
}

TEST_F(DebugDriverEndToEnd, theSettingsSwitchesOpenFlipAndReachTheKeyEquivalent) {
    ASSERT_TRUE(run({{"HUDDLEPOD_COMMA", "0.5"}}, "reopened: ")) << errors.toStdString();
    for (const char* answer : {"⌘, routed through the main menu: true", "settings window open: true",
                               "closed; still open: false", "⌘, again: true", "reopened: true"}) {
        EXPECT_EQ(wholeLines(answer), 1) << answer << errors.toStdString();
    }
    // Each flip is stored ("system" as no entry) and applied: the settings window's background follows.
    const struct {
        const char* flip;
        QVariant stored;
        const char* background; // "light", "dark", or "" when the desktop decides
    } flips[] = {{"dark", "dark", "dark"}, {"light", "light", "light"}, {"system", QVariant(), ""}};
    for (const auto& [flip, stored, background] : flips) {
        ASSERT_TRUE(run({{"HUDDLEPOD_OPEN_SETTINGS", "0.3"}, {"HUDDLEPOD_FLIP_APPEARANCE", flip}},
                        "READY-TO-CAPTURE settings"))
            << flip << errors.toStdString();
        EXPECT_EQ(lines("CAPTURE-RECT settings "), 1);
        EXPECT_EQ(wholeLines("READY-TO-CAPTURE settings"), 1);
        EXPECT_EQ(QSettings(home.filePath("config/Huddlepod/Huddlepod.ini"), QSettings::IniFormat)
                      .value("appearance"),
                  stored)
            << flip;
        const std::optional<QRect> settings = captureRect("settings");
        ASSERT_TRUE(settings.has_value());
        // The root window is black until the settings window has drawn itself.
        int red = 0;
        XServerHarness::waitFor([&] {
            const QString file = screenshot(QStringLiteral("settings-") + flip);
            red = pixel(file, settings->topLeft() + QPoint(4, 4)).section(',', 0, 0).toInt();
            return red > 0;
        });
        if (*background) {
            EXPECT_EQ(red > 128 ? "light" : "dark", std::string(background)) << flip << " " << red;
        }
    }
}

} // namespace
