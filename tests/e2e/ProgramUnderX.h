// The huddlepod program under a private Xvfb with trayer as its tray host, driven with xdotool: what a user
// does (keys, clicks) and what they see (windows mapped or not, where they are), its stderr lines and its
// settings file.
#pragma once

#include "tests/support/XServerHarness.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace huddlepod::test {

class ProgramUnderX : public ::testing::Test {
protected:
    ProgramUnderX() = default;
    // On an X screen of that size.
    explicit ProgramUnderX(QSize screen)
        : x(screen) {}

    void SetUp() override {
        ASSERT_TRUE(x.isRunning());
        ASSERT_TRUE(x.startTrayHost());
        QObject::connect(&app, &QProcess::readyReadStandardError,
                         [this] { errors += app.readAllStandardError(); });
    }
    // The screen as the test left it, under its own name.
    void TearDown() override {
        // A parameterised test's name carries its row after a slash.
        screenshot(QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name())
                       .replace(QLatin1Char('/'), QLatin1Char('-')));
        app.kill();
        app.waitForFinished();
    }

    // Starts the program with its own config and cache folders and `extra` in its environment; ready once its
    // tray icon is embedded and it has gone on to take its shortcut: the tray embeds the icon without the
    // program, which may still be starting up.
    void launch(const QMap<QString, QString>& extra = {}) {
        startProgram(extra);
        ASSERT_TRUE(XServerHarness::waitFor([this] { return trayIcon().has_value(); }))
            << errors.toStdString();
        const QString icon =
            xdotool({"search", "--onlyvisible", "--classname", "^huddlepod$"}).section('\n', 0, 0);
        ASSERT_TRUE(x.answersPing(icon.toUInt())) << errors.toStdString();
    }
    // Starts the program as launch() does, without waiting for an icon.
    void startProgram(const QMap<QString, QString>& extra = {}) {
        app.setProcessEnvironment(programEnvironment(extra));
        app.start(program, {});
        ASSERT_TRUE(app.waitForStarted());
    }
    // The program's environment: this server, its own config and cache folders, and `extra`.
    QProcessEnvironment programEnvironment(const QMap<QString, QString>& extra = {}) const {
        QProcessEnvironment env = x.environment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.remove("DBUS_SESSION_BUS_ADDRESS"); // the XEmbed tray, not a StatusNotifier watcher
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_CACHE_HOME", home.filePath("cache"));
        for (auto it = extra.begin(); it != extra.end(); ++it) {
            env.insert(it.key(), it.value());
        }
        return env;
    }

    QString xdotool(const QStringList& arguments) const {
        return output(QStringLiteral("xdotool"), arguments);
    }
    // What an X client run to completion prints; empty when it fails.
    QString output(const QString& client, const QStringList& arguments) const {
        QProcess process;
        process.setProcessEnvironment(x.environment());
        process.start(client, arguments);
        process.waitForFinished(10000);
        return process.exitCode() == 0 ? QString::fromUtf8(process.readAllStandardOutput()).trimmed()
                                       : QString();
    }
    // A drag with button 1 from `grip`, first by `firstStep` (past the drag distance), to `target`, where it
    // lets go. Until `taken` holds the pointer is nudged at the target: a window manager may take the pointer
    // over only after a motion, and a move to where the pointer already is is no motion. False, with the
    // button still down, if `taken` never holds.
    bool drag(QPoint grip, QPoint firstStep, QPoint target, const std::function<bool()>& taken) const {
        const QPoint step = grip + firstStep;
        xdotool({"mousemove", QString::number(grip.x()), QString::number(grip.y()), "mousedown", "1",
                 "mousemove", QString::number(step.x()), QString::number(step.y())});
        // Each nudge moves the pointer and ends on the target, so a manager that takes only the last motion
        // it saw before the release still ends the drag there.
        const bool took = XServerHarness::waitFor([&] {
            xdotool({"mousemove", QString::number(target.x() + 1), QString::number(target.y()), "mousemove",
                     QString::number(target.x()), QString::number(target.y())});
            return taken();
        });
        if (took) {
            xdotool({"mousemove", QString::number(target.x()), QString::number(target.y()), "mouseup", "1"});
        }
        return took;
    }
    // The visible windows matching, by name or (with --classname) class; a window gone before its geometry is
    // read is left out, not taken for an empty one at the origin.
    QList<QRect> windows(const QStringList& match) const {
        QList<QRect> found;
        for (const QString& id : xdotool(QStringList{"search", "--onlyvisible"} + match).split('\n')) {
            QMap<QString, int> values; // X, Y, WIDTH, HEIGHT
            for (const QString& line : xdotool({"getwindowgeometry", "--shell", id}).split('\n')) {
                values[line.section('=', 0, 0)] = line.section('=', 1).toInt();
            }
            if (!id.isEmpty() && values.contains("WIDTH")) {
                found << QRect(values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]);
            }
        }
        return found;
    }
    // The first of them no wider than maxWidth.
    std::optional<QRect> window(const QStringList& match, int maxWidth = 10000) const {
        for (const QRect& found : windows(match)) {
            if (found.width() <= maxWidth) {
                return found;
            }
        }
        return std::nullopt;
    }
    // Where the first visible window matching lies on the root, as the server has it (xdotool counts a
    // window framed at an offset twice), no wider than maxWidth.
    std::optional<QRect> placeOnRoot(const QStringList& match, int maxWidth = 10000) const {
        for (const QString& id : xdotool(QStringList{"search", "--onlyvisible"} + match).split('\n')) {
            const QString text = output(QStringLiteral("xwininfo"), {"-id", id});
            const auto value = [&](const char* label) {
                const QRegularExpression line(QStringLiteral("%1:\\s+(-?\\d+)").arg(QLatin1String(label)));
                return line.match(text).captured(1).toInt();
            };
            if (!id.isEmpty() && text.contains("Width") && value("Width") <= maxWidth) {
                return QRect(value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
                             value("Height"));
            }
        }
        return std::nullopt;
    }
    // The panel itself as the user sees it, mapped: its window on the root less the shadow band it announces
    // to the window manager (_GTK_FRAME_EXTENTS); none while it is not shown.
    std::optional<QRect> panelOnScreen() const {
        const std::optional<QRect> window = placeOnRoot({"--name", "^Huddlepod search$"});
        const QString id =
            xdotool({"search", "--onlyvisible", "--name", "^Huddlepod search$"}).section('\n', 0, 0);
        if (!window || id.isEmpty()) {
            return std::nullopt;
        }
        // "_GTK_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"
        const QStringList band =
            output(QStringLiteral("xprop"), {"-id", id, "_GTK_FRAME_EXTENTS"}).section('=', 1).split(',');
        if (band.size() != 4) {
            return window;
        }
        const auto side = [&](int i) { return band[i].trimmed().toInt(); };
        return window->adjusted(side(0), side(2), -side(1), -side(3));
    }
    // The icon's window carries only a UTF-8 name, which xdotool does not match: found by class and size.
    std::optional<QRect> trayIcon() const { return window({"--classname", "^huddlepod$"}, 64); }
    std::optional<QRect> panel() const { return window({"--name", "^Huddlepod search$"}); }
    bool waitPanel(bool shown) {
        return XServerHarness::waitFor([&] { return panel().has_value() == shown; });
    }
    // Ctrl+Alt+S, then waits until the field is typeable and the panel is on screen.
    void showPanel() {
        xdotool({"key", "ctrl+alt+s"});
        ASSERT_TRUE(XServerHarness::waitFor([this] { return errors.contains("typeable field"); }))
            << errors.toStdString();
        ASSERT_TRUE(waitPanel(true));
    }
    // Read from a copy under a new name each time: QSettings keeps what it last read of a file and reads it
    // again only when its size or modification time changes, which two quick writes of the same length may
    // not.
    QVariant stored(const char* key) const {
        QTemporaryFile copy(home.filePath("stored-XXXXXX.ini"));
        if (!copy.open()) {
            return {};
        }
        QFile file(home.filePath("config/Huddlepod/Huddlepod.ini"));
        if (file.open(QIODevice::ReadOnly)) {
            copy.write(file.readAll());
        }
        copy.close();
        return QSettings(copy.fileName(), QSettings::IniFormat).value(key);
    }
    std::optional<QPointF> storedOrigin() const {
        const QVariant x = stored("panel.detachedOrigin/x"), y = stored("panel.detachedOrigin/y");
        return x.isValid() ? std::optional(QPointF(x.toDouble(), y.toDouble())) : std::nullopt;
    }
    // The panel's placements in the program's debug log at `path`, as "x,y,width,height", one each time it
    // was shown.
    static QStringList panelPlacements(const QString& path) {
        QFile log(path);
        QStringList lines;
        if (log.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : log.readAll().split('\n')) {
                if (line.startsWith("[drive] CAPTURE-RECT panel ")) {
                    lines << QString::fromUtf8(line.mid(27));
                }
            }
        }
        return lines;
    }
    // The whole screen, under <build dir>/test-output/e2e/; the file's path.
    QString screenshot(const QString& name) const {
        const QString dir = QStringLiteral(HUDDLEPOD_TEST_BINARY_DIR "/test-output/e2e");
        QDir().mkpath(dir);
        const QString path = dir + "/" + name + ".png";
        x.run("import", {"-window", "root", path});
        return path;
    }

    XServerHarness x;
    QTemporaryDir home;
    QString program = QStringLiteral(HUDDLEPOD_PROGRAM);
    QProcess app;
    QByteArray errors;
};

} // namespace huddlepod::test
