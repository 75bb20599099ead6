// The tray icon's menu as a StatusNotifier host reads it over D-Bus.
#include "platform/tray/DBusMenuExporter.h"

#include "platform/x11/KeyCodes.h"

#include <QAction>
#include <QActionEvent>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QGuiApplication>
#include <QMenu>

#include <utility>

namespace huddlepod {

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuLayoutItem& item) {
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.beginArray(qMetaTypeId<QDBusVariant>());
    for (const DBusMenuLayoutItem& child : item.children) {
        argument << QDBusVariant(QVariant::fromValue(child));
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuLayoutItem& item) {
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.beginArray();
    item.children.clear();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        item.children << qdbus_cast<DBusMenuLayoutItem>(child.variant());
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuItem& item) {
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuItem& item) {
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuEvent& event) {
    argument.beginStructure();
    argument << event.id << event.eventId << event.data << event.timestamp;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuEvent& event) {
    argument.beginStructure();
    argument >> event.id >> event.eventId >> event.data >> event.timestamp;
    argument.endStructure();
    return argument;
}

QList<QStringList> dbusMenuShortcut(const QKeySequence& sequence) {
    QList<QStringList> chords;
    for (int i = 0; i < sequence.count(); ++i) {
        const QKeyCombination chord = sequence[i];
        const Qt::KeyboardModifiers modifiers = chord.keyboardModifiers();
        QStringList names;
        for (const auto& [modifier, name] : {std::pair{Qt::MetaModifier, "Super"},
                                             {Qt::ControlModifier, "Control"},
                                             {Qt::AltModifier, "Alt"},
                                             {Qt::ShiftModifier, "Shift"}}) {
            if (modifiers.testFlag(modifier)) {
                names << QString::fromLatin1(name);
            }
        }
        // A key X has no name for keeps Qt's.
        names << x11::keysymNameForQtKey(chord.key(), modifiers.testFlag(Qt::KeypadModifier))
                     .value_or(QKeySequence(chord.key()).toString(QKeySequence::PortableText));
        chords << names;
    }
    return chords;
}

DBusMenuExporter::DBusMenuExporter(QMenu& menu, QObject* parent)
    : QObject(parent)
    , menu_(menu) {
    qDBusRegisterMetaType<DBusMenuLayoutItem>();
    qDBusRegisterMetaType<DBusMenuItem>();
    qDBusRegisterMetaType<DBusMenuEvent>();
    qDBusRegisterMetaType<QList<DBusMenuItem>>();
    qDBusRegisterMetaType<QList<DBusMenuEvent>>();
    qDBusRegisterMetaType<QList<QStringList>>();
    for (const QAction* entry : menu_.actions()) {
        ids_.insert(entry, nextId_++);
    }
    menu_.installEventFilter(this);
}

QString DBusMenuExporter::textDirection() const {
    return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl")
                                                                 : QStringLiteral("ltr");
}

uint DBusMenuExporter::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                 DBusMenuLayoutItem& layout) {
    if (!isItem(parentId)) {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("No menu entry %1").arg(parentId));
        return revision_;
    }
    layout = {parentId, properties(parentId, propertyNames), {}};
    if (parentId == 0 && recursionDepth != 0) {
        for (const QAction* entry : menu_.actions()) {
            const int entryId = ids_.value(entry);
            layout.children << DBusMenuLayoutItem{entryId, properties(entryId, propertyNames), {}};
        }
    }
    return revision_;
}

QList<DBusMenuItem> DBusMenuExporter::GetGroupProperties(const QList<int>& ids,
                                                         const QStringList& propertyNames) {
    QList<DBusMenuItem> items;
    for (const int itemId : ids) {
        if (isItem(itemId)) {
            items << DBusMenuItem{itemId, properties(itemId, propertyNames)};
        }
    }
    return items;
}

QDBusVariant DBusMenuExporter::GetProperty(int id, const QString& name) {
    const QVariantMap values = properties(id, {name});
    if (!isItem(id) || !values.contains(name)) {
        sendErrorReply(QDBusError::InvalidArgs,
                       QStringLiteral("No property %1 of menu entry %2").arg(name).arg(id));
        return QDBusVariant(QString());
    }
    return QDBusVariant(values.value(name));
}

void DBusMenuExporter::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
    QAction* entry = action(id);
    if (eventId == QLatin1String("clicked")) {
        if (entry) {
            entry->trigger();
        }
    } else if (eventId == QLatin1String("hovered")) {
        if (entry) {
            entry->hover();
        }
    } else if (id == 0 && eventId == QLatin1String("opened")) {
        // A host that shows the menu without asking it to get ready first: it gets ready now, and the host
        // is told if that changed it.
        if (!readied_) {
            AboutToShow(0);
        }
    } else if (id == 0 && eventId == QLatin1String("closed")) {
        readied_ = false;
        emit menu_.aboutToHide();
    }
}

QList<int> DBusMenuExporter::EventGroup(const QList<DBusMenuEvent>& events) {
    QList<int> unknown;
    for (const DBusMenuEvent& event : events) {
        if (isItem(event.id)) {
            Event(event.id, event.eventId, event.data, event.timestamp);
        } else {
            unknown << event.id;
        }
    }
    return unknown;
}

bool DBusMenuExporter::AboutToShow(int id) {
    if (id != 0) {
        return false;
    }
    // As for a menu Qt exports: the menu is brought up to date now, and the host told.
    const uint before = revision_;
    readied_ = true;
    emit menu_.aboutToShow();
    announceChanges();
    return revision_ != before;
}

QList<int> DBusMenuExporter::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
    QList<int> updatesNeeded;
    for (const int itemId : ids) {
        if (!isItem(itemId)) {
            idErrors << itemId;
        } else if (AboutToShow(itemId)) {
            updatesNeeded << itemId;
        }
    }
    return updatesNeeded;
}

bool DBusMenuExporter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &menu_ &&
        (event->type() == QEvent::ActionAdded || event->type() == QEvent::ActionChanged ||
         event->type() == QEvent::ActionRemoved)) {
        const QAction* entry = static_cast<QActionEvent*>(event)->action();
        if (event->type() == QEvent::ActionAdded) {
            ids_.insert(entry, nextId_++);
        } else if (event->type() == QEvent::ActionRemoved) {
            ids_.remove(entry);
        }
        // A rebuilt menu changes entry after entry: the host is told once, when the changes are over.
        if (!std::exchange(changed_, true)) {
            QMetaObject::invokeMethod(this, &DBusMenuExporter::announceChanges, Qt::QueuedConnection);
        }
    }
    return QObject::eventFilter(watched, event);
}

bool DBusMenuExporter::isItem(int id) const {
    return id == 0 || action(id) != nullptr;
}

QVariantMap DBusMenuExporter::properties(int id, const QStringList& names) const {
    QVariantMap values;
    if (id == 0) {
        values.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    } else if (const QAction* entry = action(id)) {
        if (entry->isSeparator()) {
            values.insert(QStringLiteral("type"), QStringLiteral("separator"));
        } else {
            // The host marks a mnemonic with an underscore where Qt takes an ampersand.
            QString label = entry->text();
            label.replace(QLatin1Char('_'), QLatin1String("__"));
            if (const qsizetype mark = label.indexOf(QLatin1Char('&'));
                mark >= 0 && mark + 1 < label.size()) {
                label[mark] = QLatin1Char('_');
            }
            values.insert(QStringLiteral("label"), label);
            if (const QList<QStringList> shortcut = dbusMenuShortcut(entry->shortcut());
                !shortcut.isEmpty()) {
                values.insert(QStringLiteral("shortcut"), QVariant::fromValue(shortcut));
            }
        }
        values.insert(QStringLiteral("enabled"), entry->isEnabled());
        values.insert(QStringLiteral("visible"), entry->isVisible());
    }
    if (!names.isEmpty()) {
        for (auto it = values.begin(); it != values.end();) {
            it = names.contains(it.key()) ? std::next(it) : values.erase(it);
        }
    }
    return values;
}

QAction* DBusMenuExporter::action(int id) const {
    for (QAction* entry : menu_.actions()) {
        if (id > 0 && ids_.value(entry) == id) {
            return entry;
        }
    }
    return nullptr;
}

void DBusMenuExporter::announceChanges() {
    if (!std::exchange(changed_, false)) {
        return;
    }
    ++revision_;
    emit LayoutUpdated(revision_, 0);
}

} // namespace huddlepod
