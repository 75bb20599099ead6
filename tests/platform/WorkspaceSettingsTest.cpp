// The desktop settings reader: GTK settings files, the theme override, refreshing, and test replacements.
#include "platform/UserDefaults.h"
#include "platform/workspace/SystemWorkspaceSettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

void writeSettings(const QString& path, const QByteArray& body) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(body);
}

} // namespace

TEST(SystemWorkspaceSettings, readsAnimationsContrastAndDarkFromGtkSettings) {
    QTemporaryDir config;
    const SystemWorkspaceSettings nothing(config.path(), QStringLiteral(" "));
    EXPECT_FALSE(nothing.reduceMotion());
    EXPECT_FALSE(nothing.increaseContrast());

    writeSettings(config.filePath("gtk-3.0/settings.ini"),
                  "[Settings]\ngtk-enable-animations=false\ngtk-theme-name=HighContrastInverse\n");
    const SystemWorkspaceSettings settings(config.path(), QStringLiteral(" "));
    EXPECT_TRUE(settings.reduceMotion());
    EXPECT_TRUE(settings.increaseContrast());
    EXPECT_TRUE(settings.prefersDarkAppearance());
}

TEST(SystemWorkspaceSettings, gtk4WinsAndKeysOutsideSettingsAreIgnored) {
    QTemporaryDir config;
    writeSettings(config.filePath("gtk-3.0/settings.ini"), "[Settings]\ngtk-enable-animations=0\n");
    writeSettings(config.filePath("gtk-4.0/settings.ini"),
                  "[Other]\ngtk-enable-animations=false\n[Settings]\ngtk-application-prefer-dark-theme=1\n");
    const SystemWorkspaceSettings settings(config.path(), QStringLiteral(" "));
    EXPECT_FALSE(settings.reduceMotion());
    EXPECT_TRUE(settings.prefersDarkAppearance());
    EXPECT_FALSE(settings.increaseContrast());
}

TEST(SystemWorkspaceSettings, themeOverrideDecidesContrastAndDarkness) {
    QTemporaryDir config;
    writeSettings(config.filePath("gtk-3.0/settings.ini"), "[Settings]\ngtk-theme-name=Adwaita\n");
    EXPECT_TRUE(
        SystemWorkspaceSettings(config.path(), QStringLiteral("Adwaita:dark")).prefersDarkAppearance());
    EXPECT_FALSE(SystemWorkspaceSettings(config.path(), QStringLiteral("Adwaita")).prefersDarkAppearance());
    EXPECT_TRUE(SystemWorkspaceSettings(config.path(), QStringLiteral("HighContrast")).increaseContrast());
}

TEST(SystemWorkspaceSettings, aChangedFileIsReadAgain) {
    QTemporaryDir config;
    const QString path = config.filePath("gtk-3.0/settings.ini");
    writeSettings(path, "[Settings]\ngtk-enable-animations=true\n");
    const SystemWorkspaceSettings settings(config.path(), QStringLiteral(" "));
    EXPECT_FALSE(settings.reduceMotion());

    writeSettings(path, "[Settings]\ngtk-enable-animations=false\n");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
    file.close();
    EXPECT_TRUE(settings.reduceMotion());
}

TEST(WorkspaceSettings, scopedReplacementIsSharedAndRestored) {
    const WorkspaceSettings* system = &WorkspaceSettings::shared();
    {
        ScopedWorkspaceSettings fixed;
        fixed.reduceMotionValue = true;
        EXPECT_EQ(&WorkspaceSettings::shared(), &fixed);
        EXPECT_TRUE(WorkspaceSettings::shared().reduceMotion());
        {
            ScopedWorkspaceSettings inner;
            EXPECT_FALSE(WorkspaceSettings::shared().reduceMotion());
        }
        EXPECT_EQ(&WorkspaceSettings::shared(), &fixed);
    }
    EXPECT_EQ(&WorkspaceSettings::shared(), system);
}

TEST(UserDefaults, standardStoreLivesUnderTheConfigHome) {
    const QString expected =
        qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Huddlepod/Huddlepod.ini");
    EXPECT_EQ(UserDefaults::standardFilePath(), expected);
    EXPECT_EQ(UserDefaults::openStandard()->fileName(), expected);
    EXPECT_EQ(UserDefaults::openStandard()->format(), QSettings::IniFormat);
}
