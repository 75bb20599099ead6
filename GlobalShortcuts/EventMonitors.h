// An application-wide event monitor: sees the chosen event types at their window, before any widget, and may
// swallow them.
#pragma once

#include <QEvent>
#include <QObject>
#include <QSet>

#include <functional>

namespace huddlepod::GlobalShortcuts {

class LocalEventMonitor : public QObject {
public:
    // The callback returns true to consume the event.
    using Callback = std::function<bool(QObject* target, QEvent* event)>;

    LocalEventMonitor(QSet<QEvent::Type> events, Callback callback);
    ~LocalEventMonitor() override;

    // Installs the monitor on the application; it stays until the monitor is destroyed.
    LocalEventMonitor& start();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QSet<QEvent::Type> events_;
    Callback callback_;
    bool started_ = false;
};

} // namespace huddlepod::GlobalShortcuts
