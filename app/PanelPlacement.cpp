// Reads and writes the detached origin in the settings store.
#include "app/PanelPlacement.h"

#include "platform/UserDefaults.h"

#include <QSettings>

#include <cmath>

namespace huddlepod {

namespace {

QString entryKey(const char* entry) {
    return QLatin1String(PanelPlacement::detachedOriginKey) + QLatin1Char('/') + QLatin1String(entry);
}

// INI keeps no types: a number is its text, read here without regard to the locale.
std::optional<double> finiteNumber(const QVariant& value) {
    if (!value.isValid()) {
        return std::nullopt;
    }
    bool ok = false;
    const double number = value.toString().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number)) {
        return std::nullopt;
    }
    return number;
}

} // namespace

PanelPlacement::PanelPlacement(QSettings& defaults)
    : defaults_(&defaults) {}

std::optional<QPointF> PanelPlacement::detachedOrigin() const {
    const std::optional<double> x = finiteNumber(defaults_->value(entryKey("x")));
    const std::optional<double> y = finiteNumber(defaults_->value(entryKey("y")));
    if (!x || !y) {
        return std::nullopt;
    }
    return QPointF(*x, *y);
}

void PanelPlacement::setDetachedOrigin(QPointF origin) {
    defaults_->remove(QLatin1String(detachedOriginKey));
    defaults_->setValue(entryKey("x"), origin.x());
    defaults_->setValue(entryKey("y"), origin.y());
    UserDefaults::save(*defaults_);
}

void PanelPlacement::removeDetachedOrigin() {
    defaults_->remove(QLatin1String(detachedOriginKey));
    UserDefaults::save(*defaults_);
}

} // namespace huddlepod
