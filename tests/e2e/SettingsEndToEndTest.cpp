// The settings window in the real program under a private Xvfb: opened with Ctrl+, from the panel, and a new
// global shortcut recorded with real key presses, taking over from the old one and surviving a restart.
#include "tests/e2e/ProgramUnderX.h"

#include <QImage>
#include <QRegularExpression>
#include <QRgb>

#include <vector>

namespace {

using huddlepod::test::XServerHarness;

class SettingsEndToEnd : public huddlepod::test::ProgramUnderX {
protected:
    bool waitSettings(bool shown) {
        return XServerHarness::waitFor([&] {
            return window({"--name", "^Huddlepod Settings$"}).has_value() == shown;
        });
    }
    QString storedShortcut() const { return stored("GlobalShortcuts_toggleSearch").toString(); }
    // A property of a window as xprop prints it, without its type.
    QString property(const QString& id, const QStringList& arguments) const {
        QProcess process;
        process.setProcessEnvironment(x.environment());
        process.start(QStringLiteral("xprop"), QStringList{"-id", id, "-notype"} + arguments);
        process.waitForFinished(10000);
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }
    // _NET_WM_ICON's images (width, height, then width × height ARGB pixels, again and again).
    struct IconImage {
        int width = 0;
        int height = 0;
        std::vector<quint32> pixels;
    };
    std::vector<IconImage> icon(const QString& id) const {
        const QString text = property(id, {"-f", "_NET_WM_ICON", "32c", "=$0+", "_NET_WM_ICON"});
        const QStringList numbers = text.section('=', 1).split(',', Qt::SkipEmptyParts);
        std::vector<IconImage> images;
        qsizetype at = 0;
        while (at + 2 <= numbers.size()) {
            IconImage image{numbers[at].trimmed().toInt(), numbers[at + 1].trimmed().toInt(), {}};
            at += 2;
            const qsizetype count = qsizetype(image.width) * image.height;
            if (image.width <= 0 || image.height <= 0 || at + count > numbers.size()) {
                break;
            }
            for (qsizetype i = 0; i < count; ++i) {
                image.pixels.push_back(numbers[at + i].trimmed().toUInt());
            }
            at += count;
            images.push_back(std::move(image));
        }
        return images;
    }
};

// The StartupWMClass line of the menu entry as it is installed.
QString entryStartupWMClass() {
    QFile entry(QStringLiteral(HUDDLEPOD_SOURCE_DIR "/app/desktop/huddlepod.desktop.in"));
    if (!entry.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QRegularExpressionMatch line =
        QRegularExpression("^StartupWMClass=(.*)$", QRegularExpression::MultilineOption)
            .match(QString::fromUtf8(entry.readAll()));
    return line.hasMatch() ? line.captured(1) : QString();
}

// Task lists, title bars and window switchers show the windows with the menu entry's icon (the leather
// football) and tie them to the entry by WM_CLASS's class.
TEST_F(SettingsEndToEnd, everyWindowCarriesTheApplicationsIconAndTheClassItsMenuEntryNames) {
    const QString startupClass = entryStartupWMClass();
    ASSERT_EQ(startupClass.toStdString(), "Huddlepod");
    launch();
    xdotool({"key", "ctrl+alt+s"});
    ASSERT_TRUE(waitPanel(true));
    const QString panelId = xdotool({"search", "--onlyvisible", "--name", "^Huddlepod search$"});
    xdotool({"key", "ctrl+comma"});
    ASSERT_TRUE(waitSettings(true));
    const QString settingsId = xdotool({"search", "--onlyvisible", "--name", "^Huddlepod Settings$"});

    for (const auto& [window, id] : {std::pair{"settings", settingsId}, std::pair{"panel", panelId}}) {
        SCOPED_TRACE(window);
        ASSERT_FALSE(id.isEmpty());
        EXPECT_EQ(property(id, {"WM_CLASS"}).toStdString(),
                  "WM_CLASS = \"huddlepod\", \"" + startupClass.toStdString() + "\"");
        const std::vector<IconImage> images = icon(id);
        ASSERT_FALSE(images.empty()) << property(id, {"_NET_WM_ICON"}).left(200).toStdString();
        const IconImage& largest =
            images.back().width >= images.front().width ? images.back() : images.front();
        EXPECT_GE(largest.width, 32);
        // Saved beside the screenshots, to look at.
        QImage shown(largest.width, largest.height, QImage::Format_ARGB32);
        for (int y = 0; y < largest.height; ++y) {
            for (int x = 0; x < largest.width; ++x) {
                shown.setPixel(x, y, largest.pixels[std::size_t(y * largest.width + x)]);
            }
        }
        shown.save(
            QStringLiteral(HUDDLEPOD_TEST_BINARY_DIR "/test-output/e2e/window-icon-%1.png").arg(window));
        int opaque = 0;
        int leather = 0;
        for (const quint32 argb : largest.pixels) {
            if (qAlpha(argb) == 255) {
                ++opaque;
                leather += qRed(argb) > qBlue(argb) + 40 ? 1 : 0;
            }
        }
        EXPECT_GT(opaque, int(largest.pixels.size()) / 4) << "a drawn icon, not an empty one";
        EXPECT_GT(leather, opaque / 2) << "the menu entry's brown football";
    }
}

TEST_F(SettingsEndToEnd, aRecordedShortcutReplacesTheOldOneAndOutlivesARestart) {
    launch();
    xdotool({"key", "ctrl+alt+s"});
    ASSERT_TRUE(waitPanel(true));
    xdotool({"key", "ctrl+comma"});
    ASSERT_TRUE(waitSettings(true));
    ASSERT_TRUE(waitPanel(false));

    // The window gives its first focus past the recorder; Shift+Tab goes back to it and starts recording.
    xdotool({"key", "shift+Tab"});
    xdotool({"key", "ctrl+alt+j"});
    ASSERT_TRUE(XServerHarness::waitFor([this] { return storedShortcut().contains("\"carbonKeyCode\":38"); }))
        << storedShortcut().toStdString();
    xdotool({"key", "Escape"});
    ASSERT_TRUE(waitSettings(false));

    xdotool({"key", "ctrl+alt+j"});
    ASSERT_TRUE(waitPanel(true));
    xdotool({"key", "ctrl+alt+s"}); // no longer ours: had it toggled the panel, the next press would show it
    xdotool({"key", "ctrl+alt+j"});
    ASSERT_TRUE(waitPanel(false));

    TearDown();
    launch();
    xdotool({"key", "ctrl+alt+j"});
    ASSERT_TRUE(waitPanel(true));
}

} // namespace
