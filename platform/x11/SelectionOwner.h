// Whether an X selection (a manager's _NET_..._S<screen>) has an owner, and when that changes.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QObject>

#include <cstdint>

namespace huddlepod::x11 {

// The screen number in DISPLAY (":0.1" is screen 1); 0 when it names none.
int displayScreen();

// Asked of the server now on Qt's connection; false off X11.
bool hasSelectionOwner(const QByteArray& selection);

// Follows a selection's owner through XFixes selection-notify events on Qt's connection. Off X11, or without
// XFixes, it never changes.
class SelectionOwnerWatcher : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit SelectionOwnerWatcher(const QByteArray& selection, QObject* parent = nullptr);
    ~SelectionOwnerWatcher() override;

    bool hasOwner() const { return owned_; }
    // Whether the server reports changes (XFixes); otherwise only refresh() learns of them.
    bool followsChanges() const { return xfixesEvent_ != 0; }
    // Asks the server again (a change may not have been reported yet); emits ownerChanged() when it differs.
    bool refresh();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    // Emitted from the event loop, outside the dispatch of the X event that reported it.
    void ownerChanged(bool owned);

private:
    void set(bool owned);

    bool owned_ = false;
    std::uint32_t selection_ = 0;
    std::uint8_t xfixesEvent_ = 0; // the extension's first event code; 0 without XFixes
};

} // namespace huddlepod::x11
