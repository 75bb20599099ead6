// Finds a GTK theme's gtk.css as GTK does and reads the window background from its colour definitions.
#include "platform/workspace/GtkThemeStyleSheet.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace huddlepod {

namespace {

struct Rgb {
    int red, green, blue;
};

// #rgb, #rgba, #rrggbb or #rrggbbaa; the alpha plays no part in lightness.
std::optional<Rgb> hexColour(const QString& text) {
    const QString digits = text.mid(1);
    bool ok = false;
    const uint value = digits.toUInt(&ok, 16);
    if (!ok) {
        return std::nullopt;
    }
    if (digits.size() == 3 || digits.size() == 4) {
        const int shift = digits.size() == 4 ? 4 : 0;
        const auto nibble = [&](int index) { return int((value >> (shift + 4 * (2 - index))) & 0xf) * 0x11; };
        return Rgb{nibble(0), nibble(1), nibble(2)};
    }
    if (digits.size() == 6 || digits.size() == 8) {
        const int shift = digits.size() == 8 ? 8 : 0;
        return Rgb{int((value >> (shift + 16)) & 0xff), int((value >> (shift + 8)) & 0xff),
                   int((value >> shift) & 0xff)};
    }
    return std::nullopt;
}

// rgb(r, g, b) or rgba(r, g, b, a), each channel a number up to 255 or a percentage.
std::optional<Rgb> functionalColour(const QString& text) {
    static const QRegularExpression form(QStringLiteral(R"(^rgba?\(([^)]*)\)$)"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const QStringList parts = match.captured(1).split(QLatin1Char(','));
    if (parts.size() < 3) {
        return std::nullopt;
    }
    int channels[3] = {};
    for (int i = 0; i < 3; ++i) {
        QString part = parts[i].trimmed();
        const bool percent = part.endsWith(QLatin1Char('%'));
        if (percent) {
            part.chop(1);
        }
        bool ok = false;
        const double value = part.toDouble(&ok);
        if (!ok) {
            return std::nullopt;
        }
        channels[i] = std::clamp(int(percent ? value * 2.55 + 0.5 : value + 0.5), 0, 255);
    }
    return Rgb{channels[0], channels[1], channels[2]};
}

std::optional<Rgb> colourNamed(const QString& name, const QHash<QString, QString>& definitions) {
    QString value = definitions.value(name);
    // A reference to another definition, a few deep at most (a cycle ends here too).
    for (int depth = 0; depth < 8 && value.startsWith(QLatin1Char('@')); ++depth) {
        value = definitions.value(value.mid(1));
    }
    if (value.startsWith(QLatin1Char('#'))) {
        return hexColour(value);
    }
    return functionalColour(value);
}

} // namespace

QStringList gtkThemeFolders() {
    const QString home = QDir::homePath();
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty()) {
        dataHome = home + QLatin1String("/.local/share");
    }
    QStringList folders{dataHome + QLatin1String("/themes"), home + QLatin1String("/.themes")};
    QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dataDirs.isEmpty()) {
        dataDirs = QStringLiteral("/usr/local/share:/usr/share");
    }
    for (const QString& dir : dataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        folders << dir + QLatin1String("/themes");
    }
    return folders;
}

QString gtkThemeStyleSheetPath(const QString& themeName, const QStringList& folders) {
    const QString name = themeName.section(QLatin1Char(':'), 0, 0).trimmed();
    const QString variant = themeName.section(QLatin1Char(':'), 1).trimmed();
    if (name.isEmpty() || name.contains(QLatin1Char('/'))) {
        return {};
    }
    const QString file =
        variant.isEmpty() ? QStringLiteral("gtk.css") : QStringLiteral("gtk-%1.css").arg(variant);
    QStringList versions;
    for (int minor = 24; minor >= 0; minor -= 2) {
        versions << QStringLiteral("gtk-3.%1").arg(minor);
    }
    for (const QStringList& tried : {versions, QStringList{QStringLiteral("gtk-4.0")}}) {
        for (const QString& folder : folders) {
            for (const QString& version : tried) {
                const QFileInfo info(folder + QLatin1Char('/') + name + QLatin1Char('/') + version +
                                     QLatin1Char('/') + file);
                if (info.isFile()) {
                    return info.filePath();
                }
            }
        }
    }
    return {};
}

std::optional<bool> styleSheetIsDark(const QString& styleSheet) {
    static const QRegularExpression comment(QStringLiteral(R"(/\*.*?\*/)"),
                                            QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression definition(QStringLiteral(R"(@define-color\s+([\w-]+)\s+([^;]+);)"));
    QString text = styleSheet;
    text.remove(comment);
    // Later definitions win, as in GTK.
    QHash<QString, QString> definitions;
    for (const QRegularExpressionMatch& match : definition.globalMatch(text)) {
        definitions.insert(match.captured(1), match.captured(2).trimmed());
    }
    for (const char* name : {"theme_bg_color", "window_bg_color"}) {
        const std::optional<Rgb> colour = colourNamed(QLatin1String(name), definitions);
        if (!colour) {
            continue;
        }
        const int lightness = (std::max({colour->red, colour->green, colour->blue}) +
                               std::min({colour->red, colour->green, colour->blue})) /
                              2;
        return lightness < 128;
    }
    return std::nullopt;
}

} // namespace huddlepod
