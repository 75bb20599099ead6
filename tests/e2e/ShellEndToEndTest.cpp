// The huddlepod program under a private Xvfb with trayer as the tray host and the local backend: what a user
// does (shortcut, tray clicks, typing, Escape, clicks elsewhere, a drag, the tray menu) and what they see
// (windows mapped or not, where they are), plus the program's own stderr lines and its settings file.
#include "backend/BackendServer.h"
#include "backend/LeagueDatabase.h"
#include "tests/support/XServerHarness.h"

#include <QDir>
#include <QMap>
#include <QProcess>
#include <QRect>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using huddlepod::test::XServerHarness;
namespace backend = huddlepod::backend;

class ShellEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.isRunning());
        ASSERT_TRUE(x.startTrayHost());
        static const auto league = backend::LeagueDatabase::generate({backend::LeagueSize::Tiny, 7});
        server = std::make_unique<backend::BackendServer>(league);
        surname = QString::fromStdString(
            league->query("SELECT last_name FROM players ORDER BY id LIMIT 1").front().begin().value());
    }
    void TearDown() override {
        screenshot(::testing::UnitTest::GetInstance()->current_test_info()->name());
        app.kill();
        app.waitForFinished();
    }

    void launch(const QString& openOnLaunch = {}) {
        QProcessEnvironment env = x.environment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.remove("DBUS_SESSION_BUS_ADDRESS"); // the XEmbed tray, not a StatusNotifier watcher
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_CACHE_HOME", home.filePath("cache"));
        env.insert("HUDDLEPOD_SUPABASE_URL", QString::fromStdString(server->baseUrl()));
        env.insert("HUDDLEPOD_SUPABASE_ANON_KEY", QString::fromStdString(server->anonKey()));
        if (!openOnLaunch.isEmpty()) {
            env.insert("HUDDLEPOD_OPEN_ON_LAUNCH", openOnLaunch);
        }
        app.setProcessEnvironment(env);
        QObject::connect(&app, &QProcess::readyReadStandardError,
                         [this] { errors += app.readAllStandardError(); });
        app.start(QStringLiteral(HUDDLEPOD_PROGRAM), {});
        ASSERT_TRUE(app.waitForStarted());
        ASSERT_TRUE(XServerHarness::waitFor([this] { return trayIcon().has_value(); }))
            << errors.toStdString();
    }

    QString xdotool(const QStringList& arguments) const {
        QProcess process;
        process.setProcessEnvironment(x.environment());
        process.start(QStringLiteral("xdotool"), arguments);
        process.waitForFinished(10000);
        return process.exitCode() == 0 ? QString::fromUtf8(process.readAllStandardOutput()).trimmed()
                                       : QString();
    }
    // The first visible window matching, by name or (with --classname) class, no wider than maxWidth.
    std::optional<QRect> window(const QStringList& match, int maxWidth = 10000) const {
        for (const QString& id : xdotool(QStringList{"search", "--onlyvisible"} + match).split('\n')) {
            QMap<QString, int> values; // X, Y, WIDTH, HEIGHT
            for (const QString& line : xdotool({"getwindowgeometry", "--shell", id}).split('\n')) {
                values[line.section('=', 0, 0)] = line.section('=', 1).toInt();
            }
            if (!id.isEmpty() && values["WIDTH"] <= maxWidth) {
                return QRect(values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]);
            }
        }
        return std::nullopt;
    }
    // The icon's window carries only a UTF-8 name, which xdotool does not match: found by class and size.
    std::optional<QRect> trayIcon() const { return window({"--classname", "^huddlepod$"}, 64); }
    std::optional<QRect> panel() const { return window({"--name", "^Huddlepod search$"}); }
    bool waitPanel(bool shown) {
        return XServerHarness::waitFor([&] { return panel().has_value() == shown; });
    }
    int lines(const char* text) const { return static_cast<int>(errors.count(text)); }
    bool waitLines(const char* text, int count) {
        return XServerHarness::waitFor([&] { return lines(text) >= count; });
    }
    void clickAt(QPoint at, int button = 1) {
        xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click",
                 QString::number(button)});
    }
    std::optional<QPointF> storedOrigin() const {
        QSettings ini(home.filePath("config/Huddlepod/Huddlepod.ini"), QSettings::IniFormat);
        const QVariant x = ini.value("panel.detachedOrigin/x"), y = ini.value("panel.detachedOrigin/y");
        return x.isValid() ? std::optional(QPointF(x.toDouble(), y.toDouble())) : std::nullopt;
    }
    void screenshot(const QString& name) const {
        const QString dir = QStringLiteral(HUDDLEPOD_TEST_BINARY_DIR "/test-output/e2e");
        QDir().mkpath(dir);
        x.run("import", {"-window", "root", dir + "/" + name + ".png"});
    }

    XServerHarness x;
    QTemporaryDir home;
    std::unique_ptr<backend::BackendServer> server;
    QString surname;
    QProcess app;
    QByteArray errors;
    static constexpr const char* ready = "[huddlepod] hotkey → typeable field: ";
};

TEST_F(ShellEndToEnd, theTrayIconTogglesThePanel) {
    launch();
    const QPoint icon = trayIcon()->center();
    clickAt(icon);
    ASSERT_TRUE(waitPanel(true));
    ASSERT_TRUE(waitLines(ready, 1));
    clickAt(icon); // hides, and the press on the icon is not taken for a click elsewhere
    ASSERT_TRUE(waitPanel(false));
    xdotool({"key", "ctrl+alt+s"}); // had the click reopened it, this would hide it
    ASSERT_TRUE(waitLines(ready, 2));
    EXPECT_TRUE(panel().has_value());
}

TEST_F(ShellEndToEnd, typingSearchesAndEscapeGoesBackThenHides) {
    launch("0");
    ASSERT_TRUE(waitLines(ready, 1));
    xdotool({"type", "--delay", "15", surname});
    ASSERT_TRUE(waitLines("[huddlepod] search → results: ", 1)) << errors.toStdString();
    screenshot("results");
    xdotool({"key", "Return"});
    ASSERT_TRUE(waitLines("[huddlepod] player card: ", 1)) << errors.toStdString();
    screenshot("card");
    xdotool({"key", "Escape"});
    xdotool({"key", "ctrl+alt+s"}); // a marker: once hidden, the first Escape was handled
    ASSERT_TRUE(waitPanel(false));
    xdotool({"key", "ctrl+alt+s"});
    ASSERT_TRUE(waitPanel(true));
    xdotool({"key", "Escape"});
    ASSERT_TRUE(waitPanel(false));
}

TEST_F(ShellEndToEnd, aClickElsewhereHidesAnAttachedPanelAndADraggedOneStaysWhereItWasPut) {
    launch("0");
    ASSERT_TRUE(waitLines(ready, 1));
    clickAt({100, 700});
    ASSERT_TRUE(waitPanel(false));

    xdotool({"key", "ctrl+alt+s"});
    ASSERT_TRUE(waitLines(ready, 2));
    const QRect attached = *panel(); // under the icon, which launch() saw embedded
    // Drag by the panel's background: the search row's padding left of the glyph.
    const QPoint grip = attached.topLeft() + QPoint(5, 24);
    xdotool({"mousemove", QString::number(grip.x()), QString::number(grip.y()), "mousedown", "1"});
    xdotool({"mousemove", QString::number(grip.x() - 200), QString::number(grip.y() - 10)});
    xdotool({"mousemove", QString::number(grip.x() - 400), QString::number(grip.y() + 100), "mouseup", "1"});
    const QPoint detached = attached.topLeft() + QPoint(-400, 100);
    ASSERT_TRUE(XServerHarness::waitFor([&] { return storedOrigin() == QPointF(detached); }));
    EXPECT_EQ(panel()->topLeft(), detached);

    clickAt({100, 20});
    xdotool({"key", "ctrl+alt+s"}); // had the click hidden it, this would show it
    ASSERT_TRUE(waitPanel(false));
    EXPECT_EQ(lines(ready), 2);
    xdotool({"key", "ctrl+alt+s"});
    ASSERT_TRUE(waitPanel(true));
    EXPECT_EQ(panel()->topLeft(), detached);

    // "Reset Panel Position" from the tray menu attaches it again, under the icon.
    clickAt(trayIcon()->center(), 3);
    ASSERT_TRUE(XServerHarness::waitFor([&] { return window({"--name", "^Huddlepod menu$"}).has_value(); }));
    screenshot("tray-menu");
    xdotool({"key", "Down", "Down", "Return"});
    ASSERT_TRUE(XServerHarness::waitFor([&] { return !storedOrigin() && panel() && *panel() == attached; }));
    clickAt({100, 700});
    ASSERT_TRUE(waitPanel(false));
}

} // namespace
