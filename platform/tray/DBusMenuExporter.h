// The tray icon's menu over com.canonical.dbusmenu, for a StatusNotifier host to draw, with shortcut keys
// named as X names their keysyms.
#pragma once

#include <QDBusContext>
#include <QDBusVariant>
#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

class QAction;
class QMenu;

namespace huddlepod {

// An entry and, for the root, its children: (ia{sv}av).
struct DBusMenuLayoutItem {
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuLayoutItem> children;
};
// An entry's properties: (ia{sv}).
struct DBusMenuItem {
    int id = 0;
    QVariantMap properties;
};
// What a host reports on an entry ("clicked"): (isvu).
struct DBusMenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};

// A key sequence as a menu host reads it: for each chord its modifiers (Super, Control, Alt, Shift) and then
// its key's keysym name, so Ctrl+, is [["Control", "comma"]].
QList<QStringList> dbusMenuShortcut(const QKeySequence& sequence);

// Qt exports a StatusNotifier icon's menu itself but names a shortcut's keys as Qt does (","), which hosts,
// reading keysym names, show as no shortcut at all; this takes the place of Qt's export. It serves a flat
// menu of plain entries and separators, as the tray's is, and calls the host's attention to every change.
// Of a host's events, "clicked" triggers an entry and "hovered" hovers it; "opened" readies the menu where
// the host did not ask first, and "closed" ends its showing.
class DBusMenuExporter : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

public:
    // The menu outlives the exporter.
    explicit DBusMenuExporter(QMenu& menu, QObject* parent = nullptr);

    const QMenu& menu() const { return menu_; }

    uint version() const { return 3; }
    QString textDirection() const;
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

public slots:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   huddlepod::DBusMenuLayoutItem& layout);
    QList<huddlepod::DBusMenuItem> GetGroupProperties(const QList<int>& ids,
                                                      const QStringList& propertyNames);
    QDBusVariant GetProperty(int id, const QString& name);
    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    QList<int> EventGroup(const QList<huddlepod::DBusMenuEvent>& events);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

signals:
    void LayoutUpdated(uint revision, int parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The root (0) or an entry of the menu.
    bool isItem(int id) const;
    QVariantMap properties(int id, const QStringList& names) const;
    QAction* action(int id) const;
    // Tells the host of the changes made since it was last told.
    void announceChanges();

    QMenu& menu_;
    QHash<const QAction*, int> ids_; // each entry's, for as long as it is in the menu
    int nextId_ = 1;
    uint revision_ = 1;
    bool changed_ = false;
    bool readied_ = false; // asked to get ready since the host last closed the menu
};

} // namespace huddlepod

Q_DECLARE_METATYPE(huddlepod::DBusMenuLayoutItem)
Q_DECLARE_METATYPE(huddlepod::DBusMenuItem)
Q_DECLARE_METATYPE(huddlepod::DBusMenuEvent)
