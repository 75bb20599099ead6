// The application event filter behind LocalEventMonitor.
#include "GlobalShortcuts/EventMonitors.h"

#include <QCoreApplication>

#include <utility>

namespace huddlepod::GlobalShortcuts {

LocalEventMonitor::LocalEventMonitor(QSet<QEvent::Type> events, Callback callback)
    : events_(std::move(events))
    , callback_(std::move(callback)) {}

LocalEventMonitor::~LocalEventMonitor() {
    if (started_ && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

LocalEventMonitor& LocalEventMonitor::start() {
    if (!started_ && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->installEventFilter(this);
        started_ = true;
    }
    return *this;
}

bool LocalEventMonitor::eventFilter(QObject* watched, QEvent* event) {
    // An event reaches the filter once per object it propagates through; act once, at the window, before any
    // widget sees it.
    if (!watched->isWindowType() || !events_.contains(event->type())) {
        return false;
    }
    return callback_(watched, event);
}

} // namespace huddlepod::GlobalShortcuts
