// Reads and follows the settings portal over QtDBus.
#include "platform/workspace/DesktopSettingsPortal.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QFileInfo>

namespace huddlepod {

namespace {

const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString interface = QStringLiteral("org.freedesktop.portal.Settings");

const QString appearanceGroup = QStringLiteral("org.freedesktop.appearance");
const QString gnomeInterfaceGroup = QStringLiteral("org.gnome.desktop.interface");
const QString gnomeA11yGroup = QStringLiteral("org.gnome.desktop.a11y.interface");
const QString kdeGroup = QStringLiteral("org.kde.kdeglobals.KDE");

// The value inside any number of D-Bus variant wrappings (Read answers v inside v).
QVariant unwrapped(QVariant value) {
    while (value.metaType() == QMetaType::fromType<QDBusVariant>()) {
        value = value.value<QDBusVariant>().variant();
    }
    return value;
}

template <typename T>
std::optional<T> as(const QVariant& value) {
    if (value.metaType() != QMetaType::fromType<T>()) {
        return std::nullopt;
    }
    return value.value<T>();
}

std::optional<double> asNumber(const QVariant& value) {
    bool ok = false;
    const double number = value.toDouble(&ok);
    const bool numeric = value.metaType() == QMetaType::fromType<double>() ||
                         value.metaType() == QMetaType::fromType<int>() ||
                         value.metaType() == QMetaType::fromType<uint>();
    return numeric && ok ? std::optional<double>(number) : std::nullopt;
}

} // namespace

const QStringList DesktopSettingsPortal::groups = {appearanceGroup, gnomeInterfaceGroup, gnomeA11yGroup,
                                                   kdeGroup};

std::optional<bool> PortalSettings::prefersDark() const {
    if (colorScheme == 1u || colorScheme == 2u) {
        return colorScheme == 1u;
    }
    return std::nullopt; // 0 is "no preference"
}

std::optional<bool> PortalSettings::increaseContrast() const {
    if (contrast) {
        return *contrast == 1u;
    }
    return gnomeHighContrast;
}

std::optional<bool> PortalSettings::reduceMotion() const {
    if (reducedMotion) {
        return *reducedMotion == 1u;
    }
    if (gnomeAnimations) {
        return !*gnomeAnimations;
    }
    if (kdeAnimationFactor) {
        return *kdeAnimationFactor <= 0;
    }
    return std::nullopt;
}

bool PortalSettings::apply(const QString& group, const QString& key, const QVariant& wrapped) {
    const QVariant value = unwrapped(wrapped);
    if (group == appearanceGroup && key == QLatin1String("color-scheme")) {
        colorScheme = as<uint>(value);
    } else if (group == appearanceGroup && key == QLatin1String("contrast")) {
        contrast = as<uint>(value);
    } else if (group == appearanceGroup && key == QLatin1String("reduced-motion")) {
        reducedMotion = as<uint>(value);
    } else if (group == gnomeInterfaceGroup && key == QLatin1String("enable-animations")) {
        gnomeAnimations = as<bool>(value);
    } else if (group == gnomeA11yGroup && key == QLatin1String("high-contrast")) {
        gnomeHighContrast = as<bool>(value);
    } else if (group == kdeGroup && key == QLatin1String("AnimationDurationFactor")) {
        kdeAnimationFactor = asNumber(value);
    } else {
        return false;
    }
    return true;
}

void PortalSettings::applyAll(const QMap<QString, QVariantMap>& all) {
    for (auto group = all.begin(); group != all.end(); ++group) {
        for (auto entry = group->begin(); entry != group->end(); ++entry) {
            apply(group.key(), entry.key(), entry.value());
        }
    }
}

bool DesktopSettingsPortal::sessionBusReachable() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        return true;
    }
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QLatin1String("/bus"));
}

DesktopSettingsPortal::DesktopSettingsPortal(Connection connection, int timeoutMs, QObject* parent)
    : QObject(parent) {
    if (connection == Connection::none || !sessionBusReachable()) {
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    // QtDBus registers its own types on first use; until then a slot taking a QDBusVariant can't be
    // connected.
    QDBusMetaType::typeToSignature(QMetaType::fromType<QDBusVariant>());
    // Subscribe before reading, so no change falls between the two.
    connected_ = bus.connect(service, path, interface, QStringLiteral("SettingChanged"), this,
                             SLOT(onSettingChanged(QString, QString, QDBusVariant)));
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("ReadAll"));
    call << groups;
    const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("a{sa{sv}}")) {
        return; // no portal, or one without the settings interface: the file decides
    }
    QMap<QString, QVariantMap> all;
    reply.arguments().constFirst().value<QDBusArgument>() >> all;
    settings_.applyAll(all);
}

void DesktopSettingsPortal::update(const QString& group, const QString& key, const QVariant& value) {
    const PortalSettings before = settings_;
    if (settings_.apply(group, key, value) && settings_ != before) {
        emit changed();
    }
}

void DesktopSettingsPortal::onSettingChanged(const QString& group, const QString& key,
                                             const QDBusVariant& value) {
    update(group, key, value.variant());
}

} // namespace huddlepod
