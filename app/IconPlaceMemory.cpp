// Reads and writes the icon's last known place in the settings store.
#include "app/IconPlaceMemory.h"

#include "platform/UserDefaults.h"

#include <QSettings>
#include <QStringList>

namespace huddlepod {

namespace {

QString entryKey(const char* entry) {
    return QLatin1String(IconPlaceMemory::key) + QLatin1Char('/') + QLatin1String(entry);
}

QString layoutText(const std::vector<QRect>& screens) {
    QStringList parts;
    for (const QRect& screen : screens) {
        parts << QStringLiteral("%1,%2,%3,%4")
                     .arg(screen.x())
                     .arg(screen.y())
                     .arg(screen.width())
                     .arg(screen.height());
    }
    return parts.join(QLatin1Char(';'));
}

std::optional<int> wholeNumber(const QVariant& value) {
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok);
    return value.isValid() && ok ? std::optional(number) : std::nullopt;
}

} // namespace

IconPlaceMemory::IconPlaceMemory(QSettings& defaults)
    : defaults_(&defaults) {}

std::optional<QRect> IconPlaceMemory::place(const std::vector<QRect>& screens) const {
    if (screens.empty() || defaults_->value(entryKey("screens")).toString() != layoutText(screens)) {
        return std::nullopt;
    }
    const std::optional<int> x = wholeNumber(defaults_->value(entryKey("x")));
    const std::optional<int> y = wholeNumber(defaults_->value(entryKey("y")));
    const std::optional<int> width = wholeNumber(defaults_->value(entryKey("width")));
    const std::optional<int> height = wholeNumber(defaults_->value(entryKey("height")));
    if (!x || !y || !width || !height || *width <= 0 || *height <= 0) {
        return std::nullopt;
    }
    return QRect(*x, *y, *width, *height);
}

void IconPlaceMemory::remember(const QRect& place, const std::vector<QRect>& screens) {
    if (screens.empty() || this->place(screens) == place) {
        return;
    }
    defaults_->remove(QLatin1String(key));
    defaults_->setValue(entryKey("x"), place.x());
    defaults_->setValue(entryKey("y"), place.y());
    defaults_->setValue(entryKey("width"), place.width());
    defaults_->setValue(entryKey("height"), place.height());
    defaults_->setValue(entryKey("screens"), layoutText(screens));
    UserDefaults::save(*defaults_);
}

} // namespace huddlepod
