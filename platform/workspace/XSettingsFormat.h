// The XSETTINGS manager's _XSETTINGS_SETTINGS property: its settings, read from the bytes as the server
// hands them over.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <map>
#include <optional>
#include <variant>

namespace huddlepod::xsettings {

struct Color {
    std::uint16_t red = 0;
    std::uint16_t green = 0;
    std::uint16_t blue = 0;
    std::uint16_t alpha = 0;
    bool operator==(const Color&) const = default;
};

// An integer, a string (UTF-8, as managers write it) or a colour.
using Value = std::variant<std::int32_t, QByteArray, Color>;

struct Settings {
    std::uint32_t serial = 0;
    std::map<QByteArray, Value> values; // by name ("Net/ThemeName"); a repeated name keeps its last value
    bool operator==(const Settings&) const = default;
};

// Either byte order, as the blob's first byte says. None when the bytes do not hold the settings they
// announce (cut short, an unknown type or byte order); nothing is read past the end of `blob`.
std::optional<Settings> parse(QByteArrayView blob);

} // namespace huddlepod::xsettings
