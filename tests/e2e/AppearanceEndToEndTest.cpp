// The "System" appearance following the desktop while the panel is shown: a theme chosen through XFCE's
// settings (xfsettingsd publishing it over XSETTINGS), and GTK's settings.ini written while the program runs.
// Screenshots of both looks go to <build dir>/test-output/e2e/.
#include "tests/e2e/ProgramUnderX.h"

#include <QSaveFile>

#include <cstdint>
#include <ostream>

namespace {

using huddlepod::test::XServerHarness;

enum class Look { light, dark, unclear };

std::ostream& operator<<(std::ostream& out, Look look) {
    return out << (look == Look::light ? "light" : look == Look::dark ? "dark" : "unclear");
}

class Appearance : public huddlepod::test::ProgramUnderX {
protected:
    // The panel's background as the user sees it, at two points of its margin (left of the search glyph and
    // halfway down its left edge): both light, both dark, or unclear.
    Look look() const {
        const std::optional<QRect> shown = panel();
        if (!shown) {
            return Look::unclear;
        }
        const auto shade = [&](QPoint offset) {
            const QPoint at = shown->topLeft() + offset;
            const unsigned colour = x.pixel(at.x(), at.y()).value_or(0x808080);
            const unsigned red = (colour >> 16) & 0xff, green = (colour >> 8) & 0xff, blue = colour & 0xff;
            if (red > 0xc0 && green > 0xc0 && blue > 0xc0) {
                return Look::light;
            }
            return red < 0x50 && green < 0x50 && blue < 0x50 ? Look::dark : Look::unclear;
        };
        const Look top = shade({5, 24}), side = shade({5, shown->height() / 2});
        return top == side ? top : Look::unclear;
    }
    ::testing::AssertionResult turns(Look expected) {
        if (XServerHarness::waitFor([&] { return look() == expected; })) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "the panel looks " << look() << ", not " << expected;
    }
    // The program's GTK settings file, saved as GTK's tools and editors save: a new file renamed over it.
    bool saveGtkSettings(const QByteArray& body) {
        QDir().mkpath(home.filePath("config/gtk-3.0"));
        QSaveFile file(home.filePath("config/gtk-3.0/settings.ini"));
        return file.open(QIODevice::WriteOnly) && file.write(body) == body.size() && file.commit();
    }
};

TEST_F(Appearance, followsTheThemeXfceSettingsPublishWhileThePanelIsShown) {
    ASSERT_TRUE(x.startXsettingsManager());
    ASSERT_TRUE(x.setXsettingsTheme(QStringLiteral("Greybird")));
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_NO_FATAL_FAILURE(showPanel());
    EXPECT_TRUE(turns(Look::light));
    screenshot(QStringLiteral("xsettings-Greybird-light"));

    // As XFCE's Appearance dialog sets it; the panel stays open throughout.
    const struct {
        const char* theme;
        Look look;
    } steps[] = {{"Adwaita-dark", Look::dark}, {"Greybird", Look::light}, {"Arc-Dark", Look::dark}};
    for (const auto& step : steps) {
        ASSERT_TRUE(x.setXsettingsTheme(QString::fromLatin1(step.theme))) << step.theme;
        EXPECT_TRUE(turns(step.look)) << step.theme;
        screenshot(
            QStringLiteral("xsettings-%1-%2")
                .arg(QLatin1String(step.theme), QLatin1String(step.look == Look::dark ? "dark" : "light")));
        EXPECT_TRUE(panel().has_value()) << step.theme;
    }
    // The dark-variant flag, where the manager publishes it, counts with a light theme too.
    ASSERT_TRUE(x.setXsettingsTheme(QStringLiteral("Greybird")));
    EXPECT_TRUE(turns(Look::light));
    for (const bool prefer : {true, false}) {
        ASSERT_EQ(x.run("xfconf-query", {"-c", "xsettings", "-p", "/Gtk/ApplicationPreferDarkTheme", "-n",
                                         "-t", "bool", "-s", prefer ? "true" : "false"}),
                  0);
        EXPECT_TRUE(turns(prefer ? Look::dark : Look::light)) << prefer;
    }
}

TEST_F(Appearance, followsGtkSettingsWrittenWhileItRuns) {
    // A theme of the user's whose name reads light and whose own style sheet is dark.
    const QString sheet = home.filePath("data/themes/Nordic-darker/gtk-3.0/gtk.css");
    QDir().mkpath(QFileInfo(sheet).path());
    QFile nordic(sheet);
    ASSERT_TRUE(nordic.open(QIODevice::WriteOnly));
    nordic.write("@define-color theme_fg_color #d8dee9;\n@define-color theme_bg_color #2e3440;\n");
    nordic.close();
    // No settings file at start, and no XSETTINGS manager: light.
    ASSERT_NO_FATAL_FAILURE(launch({{"XDG_DATA_HOME", home.filePath("data")}}));
    ASSERT_NO_FATAL_FAILURE(showPanel());
    EXPECT_TRUE(turns(Look::light));

    const struct {
        const char* body;
        Look look;
    } steps[] = {
        {"[Settings]\ngtk-application-prefer-dark-theme=1\n", Look::dark},
        {"[Settings]\ngtk-application-prefer-dark-theme=0\ngtk-theme-name=Adwaita\n", Look::light},
        {"[Settings]\ngtk-theme-name=Yaru-dark\n", Look::dark},
        {"[Settings]\ngtk-theme-name=Adwaita\n", Look::light},
        {"[Settings]\ngtk-theme-name=Nordic-darker\n", Look::dark},
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(saveGtkSettings(step.body)) << step.body;
        EXPECT_TRUE(turns(step.look)) << step.body;
    }
    screenshot(QStringLiteral("gtk-settings-dark"));
}

// An XSETTINGS blob with Net/ThemeName alone, least significant byte first: the header (byte order, 3
// unused, serial, count 1), then the string setting (type 1, 1 unused, name length 13, the name and 3 bytes
// of padding, its serial, the value's length, the value and its padding).
QByteArray themeBlob(const QByteArray& theme) {
    const auto card32 = [](std::uint32_t value) {
        QByteArray bytes;
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.append(char((value >> shift) & 0xff));
        }
        return bytes;
    };
    QByteArray blob = QByteArray(4, '\0') + card32(1) + card32(1);
    blob += QByteArray("\x01\x00\x0d\x00", 4) + "Net/ThemeName" + QByteArray(3, '\0') + card32(1);
    blob += card32(std::uint32_t(theme.size())) + theme + QByteArray((4 - theme.size() % 4) % 4, '\0');
    return blob;
}

TEST_F(Appearance, followsAManagerThatStartsChangesAndGoesWhileItRuns) {
    // Before any manager, the settings file decides: light.
    ASSERT_TRUE(saveGtkSettings("[Settings]\ngtk-theme-name=Adwaita\n"));
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_NO_FATAL_FAILURE(showPanel());
    EXPECT_TRUE(turns(Look::light));

    const struct {
        const char* step;
        const char* theme; // none: the manager goes away
        Look look;
    } steps[] = {
        {"a manager announces itself", "Arc-Dark", Look::dark},
        {"its settings change", "Greybird", Look::light},
        {"and change again", "Mint-Y-Dark", Look::dark},
        {"it goes away: the file again", nullptr, Look::light},
        {"another one comes", "Yaru-dark", Look::dark},
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(step.theme != nullptr ? x.ownXsettings(themeBlob(step.theme)) : x.releaseXsettings())
            << step.step;
        EXPECT_TRUE(turns(step.look)) << step.step;
    }
}

} // namespace
