// The XSETTINGS manager's blob: both byte orders, the three value types and their padding, malformed blobs,
// and the settings taken from it.
#include "platform/workspace/XSettingsClient.h"
#include "platform/workspace/XSettingsFormat.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace huddlepod;
using xsettings::Color;
using xsettings::Settings;

namespace {

// Blobs written out byte by byte: the header (byte order, 3 unused, serial, count), then per setting its
// type, 1 unused, name length, the name padded to 4, its last-change serial and its value.
QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// "Net/ThemeName" = "Adwaita-dark", serial 7, least significant byte first.
const char* const themeLsb = "00 000000  07000000  01000000"
                             "01 00 0d00  4e65742f5468656d654e616d65 000000  05000000"
                             "0c000000  416477616974612d6461726b";

// Four settings, most significant byte first: Xft/Hinting = -1; Xft/RGBA = "none" (name and value need
// no padding); Gtk/FontName = "Sans 10" (one byte of padding, not zero); Gtk/Color, stored red, blue, green,
// alpha.
const char* const mixedMsb = "01 000000  00000102  00000004"
                             "00 00 000b  5866742f48696e74696e67 00  00000001  ffffffff"
                             "01 00 0008  5866742f52474241  00000002  00000004 6e6f6e65"
                             "01 00 000c  47746b2f466f6e744e616d65  00000003  00000007 53616e73203130 ff"
                             "02 00 0009  47746b2f436f6c6f72 000000  00000004  1234 5678 9abc def0";

} // namespace

TEST(XSettingsFormat, readsBothByteOrdersEveryTypeAndItsPadding) {
    const struct {
        const char* name;
        const char* blob;
        Settings expected;
    } cases[] = {
        {"string, least significant first", themeLsb, {7, {{"Net/ThemeName", QByteArray("Adwaita-dark")}}}},
        {"every type, most significant first",
         mixedMsb,
         {0x102,
          {{"Xft/Hinting", std::int32_t(-1)},
           {"Xft/RGBA", QByteArray("none")},
           {"Gtk/FontName", QByteArray("Sans 10")},
           {"Gtk/Color", Color{0x1234, 0x9abc, 0x5678, 0xdef0}}}}},
        {"integer and colour, least significant first",
         "00 000000  02010000  02000000"
         "00 00 0b00  5866742f48696e74696e67 00  01000000  feffffff"
         "02 00 0900  47746b2f436f6c6f72 000000  04000000  3412 7856 bc9a f0de",
         {0x102, {{"Xft/Hinting", std::int32_t(-2)}, {"Gtk/Color", Color{0x1234, 0x9abc, 0x5678, 0xdef0}}}}},
        {"no settings", "00 000000  03000000  00000000", {3, {}}},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(xsettings::parse(hex(row.blob)), std::optional(row.expected)) << row.name;
    }
}

TEST(XSettingsFormat, rejectsBlobsThatDoNotHoldWhatTheyAnnounce) {
    const struct {
        const char* name;
        const char* blob;
    } cases[] = {
        {"empty", ""},
        {"unknown byte order", "02 000000  00000000  00000000"},
        {"count far beyond the bytes", "00 000000  00000000  ffffffff"},
        {"unknown type", "00 000000  01000000  01000000  03 00 0100 41 000000  00000000  00000000"},
        {"string longer than the blob",
         "00 000000  01000000  01000000  01 00 0100 41 000000  00000000  f0ffffff 41424344"},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(xsettings::parse(hex(row.blob)), std::nullopt) << row.name;
    }
    // Every cut of a good blob, wherever it falls: in a header, a name, a padding or a value.
    const QByteArray whole = hex(mixedMsb);
    for (qsizetype length = 0; length < whole.size(); ++length) {
        // A copy of its own: the bytes end at the cut.
        const QByteArray cut(whole.constData(), length);
        EXPECT_EQ(xsettings::parse(cut), std::nullopt) << length;
    }
}

TEST(XSettingsClient, takesTheThemeAndFlagsAndAnnouncesOnlyChanges) {
    XSettingsClient client(XSettingsClient::Connection::none);
    QSignalSpy changed(&client, &XSettingsClient::changed);
    EXPECT_EQ(client.values(), XSettingsValues{});

    // Net/ThemeName as an integer is not a theme; both flags as integers.
    const char* const flags =
        "00 000000  02000000  03000000"
        "00 00 0d00  4e65742f5468656d654e616d65 000000  01000000  01000000"
        "00 00 1e00  47746b2f4170706c69636174696f6e5072656665724461726b5468656d65 0000  01000000  01000000"
        "00 00 1400  47746b2f456e61626c65416e696d6174696f6e73  01000000  00000000";
    const struct {
        const char* name;
        std::optional<const char*> blob; // none: no manager
        XSettingsValues expected;
        int announcements;
    } steps[] = {
        {"a theme", themeLsb, {QStringLiteral("Adwaita-dark"), std::nullopt, std::nullopt}, 1},
        {"the same again", themeLsb, {QStringLiteral("Adwaita-dark"), std::nullopt, std::nullopt}, 1},
        {"flags", flags, {std::nullopt, true, false}, 2},
        {"malformed", "00 000000  01000000  05000000", {}, 3},
        {"no manager", std::nullopt, {}, 3},
        {"a manager again", themeLsb, {QStringLiteral("Adwaita-dark"), std::nullopt, std::nullopt}, 4},
    };
    for (const auto& step : steps) {
        const QByteArray bytes = step.blob ? hex(*step.blob) : QByteArray();
        client.update(step.blob ? std::optional<QByteArrayView>(bytes) : std::nullopt);
        EXPECT_EQ(client.values(), step.expected) << step.name;
        EXPECT_EQ(changed.count(), step.announcements) << step.name;
    }
}
