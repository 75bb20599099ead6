// `cmake --install` into a staging folder: the files where the freedesktop conventions put them, a menu entry
// the validator accepts, and the installed program opening its panel under Xvfb.
#include "tests/e2e/ProgramUnderX.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSize>

namespace {

using huddlepod::test::XServerHarness;

class InstallEndToEnd : public huddlepod::test::ProgramUnderX {
protected:
    // Runs a program to completion with DESTDIR set; its exit code (-1 when it did not finish in time) and
    // what it printed.
    std::pair<int, QByteArray> run(const QString& command, const QStringList& arguments) const {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DESTDIR", destdir.path());
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(command, arguments);
        const bool finished = process.waitForFinished(120000);
        return {finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAll()};
    }

    QTemporaryDir destdir;
};

QStringList filesUnder(const QString& root) {
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files << QDir(root).relativeFilePath(it.next());
    }
    files.sort();
    return files;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A PNG file's pixel size, from its header; none when the file is no PNG.
std::optional<QSize> pngSize(const QString& path) {
    const QByteArray head = contents(path).left(24);
    if (head.size() < 24 || !head.startsWith("\x89PNG\r\n\x1a\n") || head.mid(12, 4) != "IHDR") {
        return std::nullopt;
    }
    const auto number = [&head](int at) {
        return (static_cast<uchar>(head[at]) << 24) | (static_cast<uchar>(head[at + 1]) << 16) |
               (static_cast<uchar>(head[at + 2]) << 8) | static_cast<uchar>(head[at + 3]);
    };
    return QSize(number(16), number(20));
}

} // namespace

TEST_F(InstallEndToEnd, putsTheProgramItsEntryAndItsIconWhereDesktopsLookAndStartsFromThere) {
    // A prefix with a space, which the entry's Exec must quote.
    const auto [installed, log] = run(QStringLiteral(HUDDLEPOD_CMAKE),
                                      {"--install", HUDDLEPOD_BUILD_DIR, "--prefix", "/opt/Huddle Pod"});
    ASSERT_EQ(installed, 0) << log.toStdString();
    const QString prefix = destdir.filePath("opt/Huddle Pod");

    QStringList expected{
        "bin/huddlepod",
        "share/applications/org.huddlepod.Huddlepod.desktop",
        "share/icons/hicolor/scalable/apps/org.huddlepod.Huddlepod.svg",
    };
    const std::vector<std::pair<QString, int>> pngs{
        {"16x16", 16}, {"22x22", 22}, {"24x24", 24},    {"32x32", 32},
        {"48x48", 48}, {"64x64", 64}, {"128x128", 128}, {"256x256", 256},
    };
    for (const auto& [folder, pixels] : pngs) {
        const QString png = "share/icons/hicolor/" + folder + "/apps/org.huddlepod.Huddlepod.png";
        expected << png;
        EXPECT_EQ(pngSize(prefix + "/" + png), QSize(pixels, pixels)) << png.toStdString();
    }
    expected.sort();
    EXPECT_EQ(filesUnder(prefix), expected) << "nothing else, the local backend among them";
    EXPECT_EQ(QDir(destdir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"opt"});
    EXPECT_TRUE(QFileInfo(prefix + "/bin/huddlepod").isExecutable());
    EXPECT_EQ(contents(prefix + "/share/icons/hicolor/scalable/apps/org.huddlepod.Huddlepod.svg"),
              contents(HUDDLEPOD_SOURCE_DIR "/app/desktop/huddlepod.svg"));

    const QString entry = prefix + "/share/applications/org.huddlepod.Huddlepod.desktop";
    EXPECT_EQ(contents(entry).toStdString(),
              "[Desktop Entry]\n"
              "Version=1.4\n"
              "Type=Application\n"
              "Name=Huddlepod\n"
              "GenericName=Football Player Lookup\n"
              "Comment=Look up American-football players and league history from the tray\n"
              "Exec=\"/opt/Huddle Pod/bin/huddlepod\"\n"
              "Icon=org.huddlepod.Huddlepod\n"
              "Terminal=false\n"
              "Categories=Utility;\n"
              "Keywords=football;player;league;standings;schedule;draft;stats;\n"
              "StartupNotify=false\n"
              "StartupWMClass=Huddlepod\n"
              "X-GNOME-SingleWindow=true\n");
    const auto [valid, complaints] = run(QStringLiteral("desktop-file-validate"), {entry});
    EXPECT_EQ(valid, 0);
    EXPECT_EQ(complaints.toStdString(), "") << "no errors, warnings or hints";

    program = prefix + "/bin/huddlepod";
    launch({{"HUDDLEPOD_OPEN_ON_LAUNCH", "0"}});
    EXPECT_TRUE(XServerHarness::waitFor([this] {
        return errors.contains("[huddlepod] hotkey → typeable field: ");
    })) << errors.toStdString();
    ASSERT_TRUE(waitPanel(true));

    // Launch at login starts the installed copy, named and drawn as its menu entry is.
    xdotool({"key", "ctrl+comma"});
    ASSERT_TRUE(XServerHarness::waitFor([this] {
        return window({"--name", "^Huddlepod Settings$"}).has_value();
    }));
    xdotool({"key", "space"}); // on the first focus, "Launch at login"
    const QString autostart = home.filePath("config/autostart/huddlepod.desktop");
    ASSERT_TRUE(XServerHarness::waitFor([&] { return QFileInfo::exists(autostart); }));
    EXPECT_EQ(contents(autostart).toStdString(),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Huddlepod\n"
              "Exec=\"" +
                  QFileInfo(destdir.path()).canonicalFilePath().toStdString() +
                  "/opt/Huddle Pod/bin/huddlepod\"\n"
                  "Icon=org.huddlepod.Huddlepod\n"
                  "Terminal=false\n"
                  "X-GNOME-Autostart-enabled=true\n");
}
